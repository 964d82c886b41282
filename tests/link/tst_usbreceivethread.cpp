#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "link/usbprotocol.h"
#include "link/usbreceivethread.h"
#include "sim/scriptedhidbackend.h"
#include "support/testsupport.h"

using namespace UsbProtocol;

class TestUsbReceiveThread : public QObject {
    Q_OBJECT
private slots:
    void init() { setUsbFrameSize(64); }
    void deliversFramesAndDropsBadOnes();
    void stopsWithinTheReadTimeout();
};

void TestUsbReceiveThread::deliversFramesAndDropsBadOnes() {
    ScriptedHidBackend hid;
    HidDevice* handle = hid.open(hid.enumerate(0, 0).first().path);
    UsbReceiveThread thread(&hid);
    QSignalSpy spy(&thread, &UsbReceiveThread::usb_receive_data);

    QByteArray withId = QByteArray(1, '\0') + buildFrame(0xE2, 1, 1, bytes({1, 2}), 64);
    hid.push(withId.left(64));  // report ID left in: bad tag
    QByteArray tooLong = buildFrame(0xAA, 1, 1, bytes({0, 0}), 64);
    tooLong[5] = char(120);  // claims more than the report holds
    hid.push(tooLong);
    hid.push(buildFrame(0xD7, 1, 1, QByteArray(), 64));  // empty payload still delivered
    hid.push(buildFrame(0xAA, 2, 3, bytes({0, 18, 1, 4, 0}), 64));
    thread.start(handle);
    QVERIFY(testsupport::waitFor(spy, 2));
    QTest::qWait(50);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).value<uchar>(), uchar(0xD7));
    QCOMPARE(spy.at(0).at(3).value<uchar>(), uchar(0));
    QVERIFY(spy.at(0).at(4).toByteArray().isEmpty());
    const QList<QVariant> last = spy.at(1);
    QCOMPARE(last.at(0).value<uchar>(), uchar(0xAA));
    QCOMPARE(last.at(1).value<uchar>(), uchar(2));
    QCOMPARE(last.at(2).value<uchar>(), uchar(3));
    QCOMPARE(last.at(3).value<uchar>(), uchar(5));
    QCOMPARE(last.at(4).toByteArray(), bytes({0, 18, 1, 4, 0}));
    thread.stop();
    hid.close(handle);
}

void TestUsbReceiveThread::stopsWithinTheReadTimeout() {
    ScriptedHidBackend hid;
    HidDevice* handle = hid.open(hid.enumerate(0, 0).first().path);
    UsbReceiveThread thread(&hid);
    thread.start(handle);
    QTest::qWait(100);
    QElapsedTimer clock;
    clock.start();
    thread.stop();
    QVERIFY(thread.isFinished());
    QVERIFY2(clock.elapsed() < 700, qPrintable(QString::number(clock.elapsed())));
    // It can be started again with a new handle.
    thread.start(handle);
    QTest::qWait(20);
    thread.stop();
    QVERIFY(thread.isFinished());
    hid.close(handle);
}

QTEST_GUILESS_MAIN(TestUsbReceiveThread)
#include "tst_usbreceivethread.moc"
