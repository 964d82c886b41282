// The Bluetooth manager on fake Bluetooth objects: the search for the
// keyboard and how it ends, and the whole road from the search to a full
// configuration read through the real command engine, over BLE and RFCOMM.
#include <QSignalSpy>
#include <QTest>

#include "bluetooth/bluetoothmanager.h"
#include "fakebluetooth.h"
#include "model/keyboardconfigutil.h"
#include "jobs/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"

namespace {
const QString kKeyboard = QStringLiteral("AA:BB:CC:DD:EE:01");
const QString kStranger = QStringLiteral("AA:BB:CC:DD:EE:02");
using Failure = BluetoothManager::DiscoveryFailure;
}  // namespace

class TestBluetoothManager : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void searchChoosesTheConnectedKeyboard();
    void searchEndsWithoutKeyboard_data();
    void searchEndsWithoutKeyboard();
    void cancelledSearchStaysSilent();
    void adapterSwitchedOnBeforeSearching();
    void openWithoutKeyboardFailsThroughTheEngine();
    void fullReadOverBluetooth_data();
    void fullReadOverBluetooth();
    void systemWithoutBluetoothFailsAtOnce();

private:
    fakebt::Backend backend;
    QScopedPointer<BluetoothManager> manager;
};

void TestBluetoothManager::init() {
    backend = fakebt::Backend();
    manager.reset(new BluetoothManager(&backend));
    backend.radio->connected = {QBluetoothAddress(kKeyboard)};
}

void TestBluetoothManager::cleanup() {
    manager.reset();
}

void TestBluetoothManager::searchChoosesTheConnectedKeyboard() {
    backend.radio->devices = {QBluetoothDeviceInfo(), fakebt::device(kStranger, "QMX_Other", true),
                              fakebt::device(kKeyboard, "qmx_75", true),
                              fakebt::device(kKeyboard, "QMX_75", true),
                              fakebt::device(kKeyboard, "QMX_75 again", true)};
    QSignalSpy finished(manager.data(), &BluetoothManager::ble_discovery_finished);
    QSignalSpy seen(manager.data(), &BluetoothManager::ble_device_discovered);
    QVERIFY(manager->startDeviceDiscovery());
    QVERIFY(manager->isDiscovering());
    QVERIFY(finished.wait(2000));
    QTest::qWait(20);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(seen.count(), 3);  // the search stopped at the keyboard
    QCOMPARE(backend.radio->timeout, 5000);
    QCOMPARE(backend.radio->stops, 1);
    QCOMPARE(manager->chosenDevice()->name(), QStringLiteral("QMX_75"));
    QVERIFY(manager->lowEnergy());
    QCOMPARE(manager->discoveryFailure(), Failure::None);
    // A new search forgets the keyboard.
    backend.radio->devices.clear();
    QVERIFY(manager->startDeviceDiscovery());
    QVERIFY(!manager->chosenDevice());
}

void TestBluetoothManager::searchEndsWithoutKeyboard_data() {
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("powers");
    QTest::addColumn<int>("failure");
    QTest::newRow("no keyboard") << true << true << int(Failure::NoKeyboard);
    QTest::newRow("no adapter") << false << true << int(Failure::NoAdapter);
    QTest::newRow("stays off") << true << false << int(Failure::PoweredOff);
}

void TestBluetoothManager::searchEndsWithoutKeyboard() {
    QFETCH(bool, valid);
    QFETCH(bool, powers);
    QFETCH(int, failure);
    backend.radio->valid = valid;
    backend.radio->powered = powers;
    backend.radio->poweringWorks = powers;
    // Only a keyboard the system has not connected, and one with the wrong name.
    backend.radio->devices = {fakebt::device(kStranger, "QMX_75", true),
                              fakebt::device(kKeyboard, "qmx_75", true)};
    QSignalSpy finished(manager.data(), &BluetoothManager::ble_discovery_finished);
    QCOMPARE(manager->startDeviceDiscovery(), valid);
    // The caller hears of it from the event loop, never inside the call.
    QVERIFY(finished.isEmpty());
    QVERIFY(finished.wait(3000));
    QTest::qWait(20);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(int(manager->discoveryFailure()), failure);
    QVERIFY(!manager->isDiscovering());
    QVERIFY(!manager->chosenDevice());
}

void TestBluetoothManager::cancelledSearchStaysSilent() {
    backend.radio->devices = {fakebt::device(kKeyboard, "QMX_75", true)};
    QSignalSpy finished(manager.data(), &BluetoothManager::ble_discovery_finished);
    QVERIFY(manager->startDeviceDiscovery());
    manager->stopDeviceDiscovery();
    QCOMPARE(backend.radio->stops, 1);
    // A report the agent had already queued is late and chooses nothing.
    emit backend.radio->deviceDiscovered(fakebt::device(kKeyboard, "QMX_75", true));
    emit backend.radio->finished();
    QTest::qWait(50);
    QVERIFY(finished.isEmpty());
    QVERIFY(!manager->chosenDevice());
    manager->stopDeviceDiscovery();  // only while searching
    QCOMPARE(backend.radio->stops, 1);
}

void TestBluetoothManager::adapterSwitchedOnBeforeSearching() {
    backend.radio->powered = false;
    backend.radio->devices = {fakebt::device(kKeyboard, "QMX_75", true)};
    QSignalSpy finished(manager.data(), &BluetoothManager::ble_discovery_finished);
    QVERIFY(manager->startDeviceDiscovery());
    QCOMPARE(backend.radio->powerOns, 1);
    QCOMPARE(backend.radio->starts, 0);  // the adapter gets its moment first
    QVERIFY(finished.wait(3000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);

    // Cancelled during that moment: no search starts at all.
    backend.radio->powered = false;
    QVERIFY(manager->startDeviceDiscovery());
    manager->stopDeviceDiscovery();
    QTest::qWait(BluetoothManager::kPowerOnWaitMs + 200);
    QCOMPARE(backend.radio->starts, 1);
    QCOMPARE(finished.count(), 1);
}

void TestBluetoothManager::openWithoutKeyboardFailsThroughTheEngine() {
    UsbCommunicateUtil engine(manager.data(), nullptr);
    QSignalSpy errors(&engine, &UsbCommunicateUtil::usb_communicate_error);
    engine.openCommunicate(1);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(2).toInt(), -200);
    QVERIFY(!engine.isConnected());
}

void TestBluetoothManager::fullReadOverBluetooth_data() {
    QTest::addColumn<bool>("lowEnergy");
    QTest::newRow("ble") << true;
    QTest::newRow("rfcomm") << false;
}

void TestBluetoothManager::fullReadOverBluetooth() {
    QFETCH(bool, lowEnergy);
    fakebt::Keyboard keyboard;
    backend.keyboard = &keyboard;
    backend.radio->devices = {fakebt::device(kKeyboard, "QMX_75", lowEnergy)};
    UsbCommunicateUtil engine(manager.data(), nullptr);
    KeyboardConfigUtil model;

    QSignalSpy finished(manager.data(), &BluetoothManager::ble_discovery_finished);
    QSignalSpy connected(&engine, &UsbCommunicateUtil::protocol_device_connected);
    QSignalSpy errors(&engine, &UsbCommunicateUtil::usb_communicate_error);
    QVERIFY(manager->startDeviceDiscovery());
    QVERIFY(finished.wait(2000) && finished.at(0).at(0).toBool());
    engine.openCommunicate(1);
    QVERIFY(connected.wait(2000));
    QVERIFY(engine.isBluetoothConnected());
    engine.communicateDevice();

    SyncConfigUtil sync(&engine, &model, 1, 0, 0, QString());
    QSignalSpy progress(&sync, &SyncConfigUtil::sync_config_result);
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && (progress.last().at(1).toInt() == 100 ||
                                                     !progress.last().at(0).toBool()),
                             20000);
    QVERIFY(progress.last().at(0).toBool());
    QVERIFY(errors.isEmpty());

    SimKeyboardState& s = keyboard.sim.state();
    const SimProfile& p = *s.activeProfile();
    QCOMPARE(model.keyboardProductInfo->serialNumber, s.serialNumber);
    QCOMPARE(model.keyboardProductInfo->productName, s.productName);
    QCOMPARE(model.keyboardConfigList.size(), s.profiles.size());
    QCOMPARE(model.keyboardFn1Map.size(), s.keyCount);
    QCOMPARE(model.keyboardFn1Map.value(2)->lValue, p.layers[1][2].lValue);
    QCOMPARE(model.keyboardMacroList[2].size(), p.macros[2].size());
    QCOMPARE(model.keyboardTriggerMap.value(5)->trigger, p.triggers[5].trigger);
    QVERIFY(keyboard.requests > 30);
    if (lowEnergy) {
        for (const QByteArray& w : backend.service->writes) QVERIFY(w.size() <= 20);
    } else {
        QCOMPARE(backend.socket->written.size(), keyboard.requests);
    }

    engine.closeCommunicate();
    QVERIFY(!engine.isConnected());
}

void TestBluetoothManager::systemWithoutBluetoothFailsAtOnce() {
    BluetoothManager system;
    QSignalSpy finished(&system, &BluetoothManager::ble_discovery_finished);
    if (system.startDeviceDiscovery()) {
        system.stopDeviceDiscovery();
        QSKIP("this computer has a Bluetooth adapter");
    }
    QVERIFY(finished.wait(1000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(system.discoveryFailure(), Failure::NoAdapter);
}

QTEST_GUILESS_MAIN(TestBluetoothManager)
#include "tst_bluetoothmanager.moc"
