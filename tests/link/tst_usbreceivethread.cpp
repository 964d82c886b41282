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
    void failingReadsPauseAndEndInLinkLost();
};

namespace {
// A backend that cannot wake a blocked read: the thread ends after it.
class UninterruptibleHidBackend : public ScriptedHidBackend {
public:
    void interruptRead(HidDevice*) override {}
};

// Reads that never time out: only the wake-up can end them, so a stop()
// that returns shows the wake-up worked, whatever the machine's load.
class EndlessReadHidBackend : public ScriptedHidBackend {
public:
    int readTimeout(HidDevice* device, unsigned char* data, size_t length, int) override {
        return ScriptedHidBackend::readTimeout(device, data, length, -1);
    }
};
}  // namespace

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
    // An idle link sleeps in its read rather than polling.
    QVERIFY(UsbReceiveThread::kReadTimeoutMs >= 500);

    EndlessReadHidBackend hid;
    HidDevice* handle = hid.open(hid.enumerate(0, 0).first().path);
    UsbReceiveThread thread(&hid);
    thread.start(handle);
    QTRY_VERIFY(hid.readCalls() >= 1);
    thread.stop();
    QVERIFY(thread.isFinished());
    // It can be started again with a new handle, and stopped right away.
    thread.start(handle);
    thread.stop();
    QVERIFY(thread.isFinished());
    hid.close(handle);

    // Without a wake-up the read in progress ends at its time-out, and no
    // further read starts.
    UninterruptibleHidBackend slow;
    HidDevice* slowHandle = slow.open(slow.enumerate(0, 0).first().path);
    UsbReceiveThread reader(&slow);
    reader.start(slowHandle);
    QTRY_VERIFY(slow.readCalls() >= 1);
    const int readsBefore = slow.readCalls();
    reader.stop();
    QVERIFY(reader.isFinished());
    QVERIFY2(slow.readCalls() <= readsBefore + 1, qPrintable(QString::number(slow.readCalls())));
    slow.close(slowHandle);
}

void TestUsbReceiveThread::failingReadsPauseAndEndInLinkLost() {
    ScriptedHidBackend hid;
    HidDevice* handle = hid.open(hid.enumerate(0, 0).first().path);
    UsbReceiveThread thread(&hid);
    QSignalSpy frames(&thread, &UsbReceiveThread::usb_receive_data);
    QSignalSpy lost(&thread, &UsbReceiveThread::linkLost);

    // A few failures in a row are a hiccup: reading goes on.
    hid.failReads(UsbReceiveThread::kErrorsBeforeLinkLost - 1);
    hid.push(buildFrame(0xD7, 1, 1, QByteArray(), 64));
    thread.start(handle);
    QVERIFY(testsupport::waitFor(frames, 1));
    const int hiccupStart = hid.readCalls();
    hid.failReads(UsbReceiveThread::kErrorsBeforeLinkLost - 1);
    // The failures are spent, and a quiet read after them resets the count.
    QTRY_VERIFY_WITH_TIMEOUT(
        hid.readCalls() > hiccupStart + UsbReceiveThread::kErrorsBeforeLinkLost, 5000);
    QCOMPARE(lost.count(), 0);
    QVERIFY(thread.isRunning());

    // An unplugged device fails every read at once: the thread pauses
    // between tries instead of spinning, then gives up and says so.
    const int before = hid.readCalls();
    hid.failReads(-1);
    QVERIFY(lost.wait(5000));
    QTRY_VERIFY(thread.isFinished());
    QCOMPARE(lost.count(), 1);
    QVERIFY2(hid.readCalls() - before <= UsbReceiveThread::kErrorsBeforeLinkLost + 1,
             qPrintable(QString::number(hid.readCalls() - before)));
    thread.stop();

    // A new link reads again.
    hid.failReads(0);
    hid.push(buildFrame(0xD6, 1, 1, QByteArray(), 64));
    thread.start(handle);
    QVERIFY(testsupport::waitFor(frames, 2));
    thread.stop();
    hid.close(handle);
}

QTEST_GUILESS_MAIN(TestUsbReceiveThread)
#include "tst_usbreceivethread.moc"
