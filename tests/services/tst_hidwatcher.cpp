// Which device paths are the keyboard, and plug events of the simulated
// keyboard reaching the watcher's signals.
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include "services/hidwatcher.h"
#include "sim/simhidbackend.h"

class TestHidWatcher : public QObject {
    Q_OBJECT
private slots:
    void targetDevicePath_data();
    void targetDevicePath();
    void foundLineOnlyWithPattern();
    void simulatedPlugAndUnplug();
    void simulatedPlugFromAnotherThread();
};

void TestHidWatcher::targetDevicePath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("target");
    QTest::newRow("windows lower case")
        << "\\\\?\\hid#vid_3a7e&pid_1026&mi_01&col01#7&2b8b1c4&0&0000#"
           "{4d1e55b2-f16f-11cf-88cb-001111000030}"
        << true;
    QTest::newRow("windows upper case")
        << "\\\\?\\HID#VID_3A7E&PID_1026&MI_02#8&1A2B#{4D1E55B2}" << true;
    QTest::newRow("windows other product") << "\\\\?\\hid#vid_3a7e&pid_1027&mi_01#x" << false;
    QTest::newRow("windows other vendor") << "\\\\?\\hid#vid_046d&pid_1026#x" << false;
    QTest::newRow("linux HID_ID") << "0003:00003A7E:00001026" << true;
    QTest::newRow("linux HID_ID lower case") << "0003:00003a7e:00001026" << true;
    QTest::newRow("linux node with HID_ID") << "/dev/hidraw3 HID_ID=0003:00003A7E:00001026" << true;
    QTest::newRow("linux bluetooth bus") << "0005:00003A7E:00001026" << true;
    QTest::newRow("linux other device") << "/dev/hidraw0 HID_ID=0003:0000046D:0000C52B" << false;
    QTest::newRow("no pattern") << "/dev/hidraw7" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("vid without pid") << "vid_3a7e" << false;
}

void TestHidWatcher::targetDevicePath() {
    QFETCH(QString, path);
    QFETCH(bool, target);
    QCOMPARE(HidWatcher::isTargetDevice(path), target);
}

namespace {
QStringList gMessages;
void collect(QtMsgType, const QMessageLogContext&, const QString& message) {
    gMessages.append(message);
}
}  // namespace

void TestHidWatcher::foundLineOnlyWithPattern() {
    gMessages.clear();
    QtMessageHandler previous = qInstallMessageHandler(collect);
    HidWatcher::isTargetDevice(QStringLiteral("/dev/hidraw7"));
    HidWatcher::isTargetDevice(QStringLiteral("x#VID_046D&PID_C52B#y"));
    qInstallMessageHandler(previous);
    const QStringList expected = {
        QStringLiteral("=== HidWatcher isTargetDevice devicePath:{ /dev/hidraw7 } ==="),
        QStringLiteral("=== HidWatcher isTargetDevice devicePath:{ x#VID_046D&PID_C52B#y } ==="),
        QStringLiteral("=== Found VID:{ 1133 },PID:{ 50475 } ===")};
    QCOMPARE(gMessages, expected);
}

void TestHidWatcher::simulatedPlugAndUnplug() {
    SimHidBackend backend;
    HidWatcher watcher;
    watcher.watch(&backend);
    QSignalSpy connected(&watcher, &HidWatcher::deviceConnected);
    QSignalSpy disconnected(&watcher, &HidWatcher::deviceDisconnected);

    backend.unplug();
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(disconnected.at(0).at(0).toString(), QStringLiteral("Target HID Device Disconnected"));
    QCOMPARE(connected.count(), 0);

    backend.plug();
    QCOMPARE(connected.count(), 1);
    QCOMPARE(connected.at(0).at(0).toString(), QStringLiteral("Target HID Device Connected"));
    QCOMPARE(disconnected.count(), 1);

    // A watcher that is gone no longer hears the backend.
    {
        HidWatcher other;
        other.watch(&backend);
    }
    backend.unplug();
    QCOMPARE(disconnected.count(), 2);
}

void TestHidWatcher::simulatedPlugFromAnotherThread() {
    SimHidBackend backend;
    HidWatcher watcher;
    watcher.watch(&backend);
    QSignalSpy disconnected(&watcher, &HidWatcher::deviceDisconnected);
    QThread* worker = QThread::create([&backend] { backend.unplug(); });
    worker->start();
    QVERIFY(worker->wait(5000));
    delete worker;
    // Delivered on the watcher's thread, through its event loop.
    QVERIFY(disconnected.wait(2000) || disconnected.count() == 1);
    QCOMPARE(disconnected.count(), 1);
}

QTEST_GUILESS_MAIN(TestHidWatcher)
#include "tst_hidwatcher.moc"
