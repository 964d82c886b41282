// The BLE transport on a fake controller and service: connection set-up,
// paced writes, notifications, and the error codes of each step.
#include <QSignalSpy>
#include <QTest>

#include "bluetooth/bluetoothlowenergy.h"
#include "fakebluetooth.h"
#include "link/usbprotocol.h"

class TestBluetoothLowEnergy : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openSetsUpTheServiceAndNotifications();
    void serviceWithoutEitherCharacteristicIsNoLink_data();
    void serviceWithoutEitherCharacteristicIsNoLink();
    void piecesArePacedWithoutBlocking();
    void writeModeFollowsTheCharacteristic();
    void sendRefusedUntilTheServiceIsReady();
    void notificationsBecomeFrames();
    void controllerErrorEndsTheLink();

private:
    bool open();
    fakebt::Backend backend;
    QScopedPointer<BluetoothLowEnergy> ble;
};

void TestBluetoothLowEnergy::init() {
    backend = fakebt::Backend();
    ble.reset(new BluetoothLowEnergy(&backend));
}

void TestBluetoothLowEnergy::cleanup() {
    ble.reset();
}

bool TestBluetoothLowEnergy::open() {
    QSignalSpy connected(ble.data(), &BluetoothLowEnergy::ble_connected);
    ble->openDevice(fakebt::device("11:22:33:44:55:66", "QMX_75", true), 64);
    return connected.wait(2000) && ble->isConnected();
}

void TestBluetoothLowEnergy::openSetsUpTheServiceAndNotifications() {
    QSignalSpy errors(ble.data(), &BluetoothLowEnergy::ble_error_callback);
    QVERIFY(!ble->isConnected());
    QVERIFY(open());
    QCOMPARE(backend.centralFor.name(), QStringLiteral("QMX_75"));
    QCOMPARE(backend.service->clientConfiguration, QByteArray("\x01\x00", 2));
    QVERIFY(errors.isEmpty());

    // Opening again replaces controller and service; closing drops both.
    QPointer<fakebt::Controller> first = backend.controller;
    QVERIFY(open());
    QVERIFY(backend.controller != first);
    QTRY_VERIFY(first.isNull());
    ble->closeDevice();
    QVERIFY(!ble->isConnected());
    QTRY_VERIFY(backend.controller.isNull() && backend.service.isNull());
}

void TestBluetoothLowEnergy::serviceWithoutEitherCharacteristicIsNoLink_data() {
    QTest::addColumn<bool>("write");
    QTest::addColumn<bool>("notify");
    QTest::newRow("no write") << false << true;
    QTest::newRow("no notify") << true << false;
}

void TestBluetoothLowEnergy::serviceWithoutEitherCharacteristicIsNoLink() {
    QFETCH(bool, write);
    QFETCH(bool, notify);
    backend.serviceHasWrite = write;
    backend.serviceHasNotify = notify;
    QSignalSpy connected(ble.data(), &BluetoothLowEnergy::ble_connected);
    QSignalSpy errors(ble.data(), &BluetoothLowEnergy::ble_error_callback);
    ble->openDevice(fakebt::device("11:22:33:44:55:66", "QMX_75", true), 64);
    QVERIFY(errors.wait(2000));
    QTest::qWait(20);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), -200);
    // An error is not followed by a connection the engine would sync over.
    QVERIFY(connected.isEmpty());
    QVERIFY(!ble->isConnected());
}

void TestBluetoothLowEnergy::piecesArePacedWithoutBlocking() {
    QVERIFY(open());
    const QByteArray a = UsbProtocol::buildFrame(0x01, 1, 1, QByteArray(), 64);
    const QByteArray b = UsbProtocol::buildFrame(0x02, 1, 1, QByteArray(58, 'b'), 64);
    QVERIFY(ble->sendData(a));
    QVERIFY(ble->sendData(b));
    // Only the first piece went out during the call; the rest follow from
    // the event loop, the two frames one after the other.
    QCOMPARE(backend.service->writes.size(), 1);
    QCOMPARE(ble->pendingPieces(), 7);
    QTRY_COMPARE(backend.service->writes.size(), 8);
    QCOMPARE(backend.service->writes.join(), a + b);
    for (const QByteArray& w : backend.service->writes) QVERIFY(w.size() <= 20);
    QCOMPARE(backend.service->writes.at(3).size(), 4);

    // A large MTU takes a whole frame in one write.
    backend.service->writes.clear();
    backend.mtu = 247;
    QVERIFY(ble->sendData(a));
    QTRY_COMPARE(backend.service->writes, QList<QByteArray>{a});

    // Closing drops what was still to be written.
    backend.mtu = 23;
    QVERIFY(ble->sendData(b));
    ble->closeDevice();
    QCOMPARE(ble->pendingPieces(), 0);
}

void TestBluetoothLowEnergy::writeModeFollowsTheCharacteristic() {
    QVERIFY(open());
    const QByteArray f = UsbProtocol::buildFrame(0x01, 1, 1, QByteArray(), 64);
    QVERIFY(ble->sendData(f));
    QCOMPARE(backend.service->modes.first(), QLowEnergyService::WriteWithoutResponse);
    backend.service->writeProperties = QLowEnergyCharacteristic::Write;
    QTRY_COMPARE(ble->pendingPieces(), 0);
    backend.service->modes.clear();
    QVERIFY(ble->sendData(f));
    QTRY_COMPARE(backend.service->modes.size(), 4);
    QCOMPARE(backend.service->modes.first(), QLowEnergyService::WriteWithResponse);
}

void TestBluetoothLowEnergy::sendRefusedUntilTheServiceIsReady() {
    QSignalSpy errors(ble.data(), &BluetoothLowEnergy::ble_error_callback);
    const QByteArray f = UsbProtocol::buildFrame(0x01, 1, 1, QByteArray(), 64);
    QVERIFY(!ble->sendData(f));  // nothing open
    QVERIFY(open());
    backend.service->writeProperties = QLowEnergyCharacteristic::Read;
    QVERIFY(!ble->sendData(f));
    backend.service->writeProperties = QLowEnergyCharacteristic::Write;
    backend.service->setState(QLowEnergyService::RemoteServiceDiscovering);
    QVERIFY(!ble->sendData(f));
    QCOMPARE(errors.count(), 3);
    for (const QList<QVariant>& e : errors) QCOMPARE(e.at(0).toInt(), -202);
    QVERIFY(backend.service->writes.isEmpty());
}

void TestBluetoothLowEnergy::notificationsBecomeFrames() {
    QVERIFY(open());
    QSignalSpy frames(ble.data(), &BluetoothLowEnergy::ble_data_received_callback);
    QByteArray good = UsbProtocol::buildFrame(0x81, 2, 3, QByteArray("\x0A\x0B\x0C"), 64);
    good[4] = char(0x55);  // the length's high byte is not used
    backend.service->notify(QByteArray("\x00\x81\x01\x01\x00\x03\x0A\x0B\x0C", 9));
    QByteArray overlong = good;
    overlong[5] = char(59);
    backend.service->notify(overlong);
    emit backend.service->characteristicChanged(BluetoothLowEnergy::kWriteUuid, good);
    QVERIFY(frames.isEmpty());

    backend.service->notify(good);
    QCOMPARE(frames.count(), 1);
    const QList<QVariant> f = frames.first();
    QCOMPARE(f.at(0).value<uchar>(), uchar(0x81));
    QCOMPARE(f.at(1).value<uchar>(), uchar(2));
    QCOMPARE(f.at(2).value<uchar>(), uchar(3));
    QCOMPARE(f.at(3).value<uchar>(), uchar(3));
    QCOMPARE(f.at(4).toByteArray(), QByteArray("\x0A\x0B\x0C"));

    // A frame in several notifications is delivered once, whole.
    QByteArray payload(40, '\0');
    for (int i = 0; i < payload.size(); ++i) payload[i] = char(0x30 + i);
    const QByteArray big = UsbProtocol::buildFrame(0x82, 1, 1, payload, 64);
    backend.service->notify(big.left(20));
    QCOMPARE(frames.count(), 1);
    backend.service->notify(big.mid(20, 20));
    backend.service->notify(big.mid(40));
    QCOMPARE(frames.count(), 2);
    QCOMPARE(frames.last().at(4).toByteArray(), payload);

    // The start of a frame whose rest never came is dropped when the next
    // request goes out, so it cannot swallow the next answer.
    backend.service->notify(big.left(20));
    QVERIFY(ble->sendData(UsbProtocol::buildFrame(0x02, 1, 1, QByteArray(), 64)));
    backend.service->notify(good);
    QCOMPARE(frames.count(), 3);
    QCOMPARE(frames.last().at(0).value<uchar>(), uchar(0x81));
    QCOMPARE(frames.last().at(4).toByteArray(), QByteArray("\x0A\x0B\x0C"));
}

void TestBluetoothLowEnergy::controllerErrorEndsTheLink() {
    backend.connects = false;
    QSignalSpy down(ble.data(), &BluetoothLowEnergy::ble_disconnected);
    ble->openDevice(fakebt::device("11:22:33:44:55:66", "QMX_75", true), 64);
    QVERIFY(down.wait(2000));
    QCOMPARE(BluetoothLowEnergy::errorText(QLowEnergyController::Error(99)),
             QStringLiteral("未知错误代码: 99"));
}

QTEST_GUILESS_MAIN(TestBluetoothLowEnergy)
#include "tst_bluetoothlowenergy.moc"
