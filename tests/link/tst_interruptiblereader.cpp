#include <unistd.h>

#include <QTest>
#include <QThread>
#include <atomic>

#include "link/interruptiblereader.h"

class TestInterruptibleReader : public QObject {
    Q_OBJECT
private slots:
    void readsReportsTimesOutAndSeesTheDeviceGo();
    void wakeUpEndsTheCurrentOrNextReadOnly();
    void unopenedReaderFails();
};

namespace {
struct Pipe {
    Pipe() {
        int fds[2];
        if (::pipe(fds) == 0) {
            readEnd = fds[0];
            writeEnd = fds[1];
        }
    }
    ~Pipe() { closeWriter(); }
    void send(const QByteArray& bytes) {
        QCOMPARE(::write(writeEnd, bytes.constData(), bytes.size()), bytes.size());
    }
    void closeWriter() {
        if (writeEnd >= 0) ::close(writeEnd);
        writeEnd = -1;
    }
    int readEnd = -1;
    int writeEnd = -1;
};

QByteArray readOnce(InterruptibleReader& reader, int timeoutMs, int* result) {
    unsigned char buffer[64] = {};
    *result = reader.read(buffer, sizeof buffer, timeoutMs);
    return *result > 0 ? QByteArray(reinterpret_cast<char*>(buffer), *result) : QByteArray();
}
}  // namespace

void TestInterruptibleReader::readsReportsTimesOutAndSeesTheDeviceGo() {
    Pipe pipe;
    InterruptibleReader reader;
    QVERIFY(reader.adopt(pipe.readEnd));
    QVERIFY(reader.isOpen());
    QVERIFY(!reader.adopt(pipe.readEnd));  // one descriptor per reader

    int result = -2;
    pipe.send(QByteArray("\xAA\x01\x02", 3));
    QCOMPARE(readOnce(reader, 1000, &result), QByteArray("\xAA\x01\x02", 3));
    QCOMPARE(readOnce(reader, 0, &result), QByteArray());
    QCOMPARE(result, 0);
    QCOMPARE(readOnce(reader, 10, &result), QByteArray());
    QCOMPARE(result, 0);
    QVERIFY(reader.lastError().isEmpty());

    // A report still queued when the device goes comes first, then the loss.
    pipe.send(QByteArray("\xD7", 1));
    pipe.closeWriter();
    QCOMPARE(readOnce(reader, 1000, &result), QByteArray("\xD7", 1));
    readOnce(reader, 1000, &result);
    QCOMPARE(result, -1);
    QVERIFY(!reader.lastError().isEmpty());
}

void TestInterruptibleReader::wakeUpEndsTheCurrentOrNextReadOnly() {
    Pipe pipe;
    InterruptibleReader reader;
    QVERIFY(reader.adopt(pipe.readEnd));

    // A read waiting without a time-out returns 0 when woken, not a report.
    std::atomic<int> result{-2};
    QThread* blocked = QThread::create([&] {
        int got = -2;
        readOnce(reader, -1, &got);
        result = got;
    });
    blocked->start();
    QTest::qWait(50);
    reader.interrupt();
    const bool woke = blocked->wait(10000);
    if (!woke) pipe.send(QByteArray("\x01", 1));  // frees the thread before failing
    blocked->wait();
    delete blocked;
    QVERIFY(woke);
    QCOMPARE(result.load(), 0);

    // A wake-up that comes before the read is not lost, and it ends that
    // read only: the report waiting behind it is the next read's.
    reader.interrupt();
    pipe.send(QByteArray("\x02\x03", 2));
    int got = -2;
    QCOMPARE(readOnce(reader, 1000, &got), QByteArray());
    QCOMPARE(got, 0);
    QCOMPARE(readOnce(reader, 1000, &got), QByteArray("\x02\x03", 2));
}

void TestInterruptibleReader::unopenedReaderFails() {
    InterruptibleReader reader;
    QVERIFY(!reader.open("/nonexistent/hidraw"));
    QVERIFY(!reader.isOpen());
    int result = 0;
    readOnce(reader, 0, &result);
    QCOMPARE(result, -1);
    QVERIFY(!reader.lastError().isEmpty());
    reader.interrupt();  // harmless without a descriptor
}

QTEST_GUILESS_MAIN(TestInterruptibleReader)
#include "tst_interruptiblereader.moc"
