// The firmware transfer thread: its own HID handle, block by block with
// blocking reads, against the simulated keyboard and the scripted fake.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "link/usbprotocol.h"
#include "protocol/firewaredownloadthread.h"
#include "sim/scriptedhidbackend.h"
#include "sim/simhidbackend.h"

using namespace UsbProtocol;

namespace {

using Result = QPair<bool, int>;

// A firmware file: identifier, the two end values, then `imageSize` bytes.
QByteArray firmware(int imageSize, quint16 identifier, quint32 first = 0x11223344,
                    quint32 second = 0x55667788) {
    QByteArray file(FirewareDownloadThread::kFileHeaderSize, '\0');
    file[0] = char(identifier & 0xFF);
    file[1] = char(identifier >> 8);
    for (int i = 0; i < 4; ++i) {
        file[4 + i] = char((first >> (8 * i)) & 0xFF);
        file[8 + i] = char((second >> (8 * i)) & 0xFF);
    }
    for (int i = 0; i < imageSize; ++i) file.append(char((i * 7 + 3) & 0xFF));
    return file;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("fw.bin"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return QString();
    f.write(content);
    return path;
}

// Runs the thread to its end and returns what it reported, in order.
QList<Result> run(FirewareDownloadThread& thread) {
    QList<Result> results;
    QObject receiver;  // lives here: the results arrive queued
    QObject::connect(&thread, &FirewareDownloadThread::fireware_download_result, &receiver,
                     [&](bool status, int value) {
                         results.append({status, value});
                     });
    thread.start();
    if (!thread.wait(20000)) return {{false, 1}};
    QCoreApplication::processEvents();
    return results;
}

quint16 blockOf(const QByteArray& report) {
    return quint16(uchar(report.at(3)) | (uchar(report.at(4)) << 8));
}

QByteArray report(const QByteArray& frame) {
    return QByteArray(1, '\0') + frame;
}

QByteArray blockReport(quint16 block, const QByteArray& data) {
    return report(buildFrame(0x60, uchar(block & 0xFF), uchar(block >> 8), data, 64));
}

QByteArray blockAnswer(quint16 block, uchar status) {
    return buildFrame(0xE0, uchar(block & 0xFF), uchar(block >> 8), QByteArray(1, char(status)),
                      64);
}

}  // namespace

class TestFirewareDownloadThread : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir.isValid()); }
    void transfersTheWholeImage_data();
    void transfersTheWholeImage();
    void identifierMismatchSendsNothing();
    void fileWithoutImageIsRefused_data();
    void fileWithoutImageIsRefused();
    void noDevice();
    void failedWrite();
    void threeTimeoutsInARowGiveUp();
    void goodAnswerResetsTheFailureCount();
    void resumeAtTheBlockTheKeyboardNames();
    void resumeOutsideTheImageCountsAsFailure();
    void endConfirmationIsAwaitedThreeTimes();

private:
    QTemporaryDir dir;
};

void TestFirewareDownloadThread::transfersTheWholeImage_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("lastLength");
    QTest::newRow("64-byte channel") << 64 << 173 << 24;
    QTest::newRow("128-byte channel") << 128 << 82 << 118;
}

void TestFirewareDownloadThread::transfersTheWholeImage() {
    QFETCH(int, channel);
    QFETCH(int, blocks);
    QFETCH(int, lastLength);
    SimHidBackend sim;
    sim.setInterfaces(channel == 64 ? SimHidBackend::Interfaces::Only64
                                    : SimHidBackend::Interfaces::Both);
    const quint16 id = sim.keyboard().state().firmwareIdentifier;
    const QByteArray file = firmware(10000, id);
    QCOMPARE(file.size(), 10040);
    FirewareDownloadThread thread(writeFile(dir, file), id, &sim);
    const QList<Result> results = run(thread);

    QCOMPARE(results.size(), blocks + 1);
    QCOMPARE(results.last(), Result(true, 100));
    int previous = 0;
    for (const Result& r : results.mid(0, blocks)) {
        QVERIFY(r.first);
        QVERIFY2(r.second >= previous && r.second <= 99, qPrintable(QString::number(r.second)));
        previous = r.second;
    }
    QVERIFY(previous > 90);

    QCOMPARE(sim.keyboard().firmwareBlocksReceived(), blocks);
    QCOMPARE(sim.keyboard().firmwareImage(), file.mid(40));
    const QList<QByteArray> written = sim.writtenReports();
    QCOMPARE(written.size(), blocks + 1);
    for (int i = 0; i < blocks; ++i) {
        QCOMPARE(written.at(i).size(), channel + 1);
        QCOMPARE(uchar(written.at(i).at(2)), uchar(0x60));
        QCOMPARE(int(blockOf(written.at(i))), i + 1);
    }
    QCOMPARE(int(uchar(written.at(blocks - 1).at(6))), lastLength);
    QCOMPARE(int(uchar(written.at(0).at(6))), channel - 6);
    // The end report carries the header's end values in file order.
    QCOMPARE(written.last().left(15), QByteArray::fromHex("00fa63010100084433221188776655"));
    QCOMPARE(written.last().mid(15), QByteArray(channel + 1 - 15, '\0'));
}

void TestFirewareDownloadThread::identifierMismatchSendsNothing() {
    SimHidBackend sim;
    const quint16 id = sim.keyboard().state().firmwareIdentifier;
    FirewareDownloadThread thread(writeFile(dir, firmware(500, quint16(id + 1))), id, &sim);
    QCOMPARE(run(thread), QList<Result>{Result(false, -23)});
    QCOMPARE(sim.writeCount(), 0);
}

void TestFirewareDownloadThread::fileWithoutImageIsRefused_data() {
    QTest::addColumn<int>("size");
    QTest::newRow("missing file") << -1;
    QTest::newRow("empty") << 0;
    QTest::newRow("half a header") << 20;
    QTest::newRow("header only") << 40;
}

void TestFirewareDownloadThread::fileWithoutImageIsRefused() {
    QFETCH(int, size);
    SimHidBackend sim;
    const quint16 id = sim.keyboard().state().firmwareIdentifier;
    const QString path = size < 0 ? dir.filePath(QStringLiteral("absent.bin"))
                                  : writeFile(dir, firmware(0, id).left(size));
    FirewareDownloadThread thread(path, id, &sim);
    QCOMPARE(run(thread), QList<Result>{Result(false, -55)});
    QCOMPARE(sim.writeCount(), 0);
}

void TestFirewareDownloadThread::noDevice() {
    SimHidBackend sim;
    sim.unplug();
    FirewareDownloadThread thread(writeFile(dir, firmware(100, 1)), 1, &sim);
    QCOMPARE(run(thread), QList<Result>{Result(false, -54)});
}

void TestFirewareDownloadThread::failedWrite() {
    SimHidBackend sim;
    sim.setFailWrites(true);
    const quint16 id = sim.keyboard().state().firmwareIdentifier;
    FirewareDownloadThread thread(writeFile(dir, firmware(300, id)), id, &sim);
    QCOMPARE(run(thread), QList<Result>{Result(false, -56)});
    QCOMPARE(sim.writeCount(), 1);
}

void TestFirewareDownloadThread::threeTimeoutsInARowGiveUp() {
    ScriptedHidBackend hid(0xFF02, 0x0002);
    const QByteArray file = firmware(100, 7);
    for (int i = 0; i < 3; ++i) hid.expect(blockReport(1, file.mid(40, 58)));
    FirewareDownloadThread thread(writeFile(dir, file), 7, &hid);
    thread.setReadTimeoutMs(50);
    QCOMPARE(run(thread), QList<Result>{Result(false, -57)});
    QVERIFY2(hid.mismatches().isEmpty(), qPrintable(hid.mismatches().join('\n')));
    QCOMPARE(hid.written().size(), 3);
}

void TestFirewareDownloadThread::goodAnswerResetsTheFailureCount() {
    // Two blocks (58 + 42 bytes); each fails twice before it is confirmed,
    // so there are four failures but never three in a row.
    ScriptedHidBackend hid(0xFF02, 0x0002);
    const QByteArray file = firmware(100, 7);
    const QByteArray b1 = blockReport(1, file.mid(40, 58));
    const QByteArray b2 = blockReport(2, file.mid(98, 42));
    hid.expect(b1);
    hid.expect(b1, {buildFrame(0xF1, 1, 1, QByteArray::fromHex("000001"), 64)});  // not an answer
    hid.expect(b1, {blockAnswer(1, 0)});
    hid.expect(b2, {blockAnswer(2, 0x01)});  // error status
    hid.expect(b2);
    hid.expect(b2, {blockAnswer(2, 0)});
    hid.expect(report(buildFrame(0x63, 1, 1, QByteArray::fromHex("4433221188776655"), 64)),
               {buildFrame(0xE3, 1, 1, QByteArray(1, '\0'), 64)});
    FirewareDownloadThread thread(writeFile(dir, file), 7, &hid);
    thread.setReadTimeoutMs(50);
    QCOMPARE(run(thread), (QList<Result>{{true, 0}, {true, 58}, {true, 100}}));
    QVERIFY2(hid.mismatches().isEmpty(), qPrintable(hid.mismatches().join('\n')));
    QVERIFY(hid.allConsumed());
}

void TestFirewareDownloadThread::resumeAtTheBlockTheKeyboardNames() {
    SimHidBackend sim;
    sim.setInterfaces(SimHidBackend::Interfaces::Only64);
    const quint16 id = sim.keyboard().state().firmwareIdentifier;
    const QByteArray file = firmware(10000, id);
    // At block 10 the keyboard wants block 5 again.
    sim.keyboard().requestFirmwareResumeAt(10, 5);
    FirewareDownloadThread thread(writeFile(dir, file), id, &sim);
    const QList<Result> results = run(thread);
    QCOMPARE(results.last(), Result(true, 100));

    QList<int> sent;
    for (const QByteArray& r : sim.writtenReports())
        if (uchar(r.at(2)) == 0x60) sent.append(blockOf(r));
    QList<int> expected;
    for (int b = 1; b <= 10; ++b) expected.append(b);
    for (int b = 5; b <= 173; ++b) expected.append(b);
    QCOMPARE(sent, expected);
    QCOMPARE(sim.keyboard().firmwareImage(), file.mid(40));
    QCOMPARE(sim.keyboard().firmwareBlocksReceived(), 173);
}

void TestFirewareDownloadThread::resumeOutsideTheImageCountsAsFailure() {
    ScriptedHidBackend hid(0xFF02, 0x0002);
    const QByteArray file = firmware(100, 7);
    const QByteArray b1 = blockReport(1, file.mid(40, 58));
    hid.expect(b1, {blockAnswer(0, 0x0B)});
    hid.expect(b1, {blockAnswer(3, 0x0B)});  // two blocks only
    hid.expect(b1, {blockAnswer(1, 0)});
    hid.expect(blockReport(2, file.mid(98, 42)), {blockAnswer(1, 0x0B)});
    hid.expect(b1, {blockAnswer(1, 0x01)});
    hid.expect(b1, {blockAnswer(1, 0x01)});
    hid.expect(b1, {blockAnswer(1, 0x01)});
    FirewareDownloadThread thread(writeFile(dir, file), 7, &hid);
    thread.setReadTimeoutMs(50);
    // Resuming at block 1 reset the count: three more failures were needed.
    QCOMPARE(run(thread), (QList<Result>{{true, 0}, {false, -57}}));
    QVERIFY2(hid.mismatches().isEmpty(), qPrintable(hid.mismatches().join('\n')));
    QVERIFY(hid.allConsumed());
}

void TestFirewareDownloadThread::endConfirmationIsAwaitedThreeTimes() {
    const QByteArray file = firmware(10, 7);
    const QByteArray b1 = blockReport(1, file.mid(40));
    const QByteArray end =
        report(buildFrame(0x63, 1, 1, QByteArray::fromHex("4433221188776655"), 64));
    {
        // Two other frames, then the confirmation: success.
        ScriptedHidBackend hid(0xFF02, 0x0002);
        hid.expect(b1, {blockAnswer(1, 0)});
        hid.expect(end, {blockAnswer(1, 0), buildFrame(0xE3, 1, 1, QByteArray(1, char(1)), 64),
                         buildFrame(0xE3, 1, 1, QByteArray(1, '\0'), 64)});
        FirewareDownloadThread thread(writeFile(dir, file), 7, &hid);
        thread.setReadTimeoutMs(50);
        QCOMPARE(run(thread), (QList<Result>{{true, 0}, {true, 100}}));
    }
    {
        // Silence after the end report: three reads, then failure.
        ScriptedHidBackend hid(0xFF02, 0x0002);
        hid.expect(b1, {blockAnswer(1, 0)});
        hid.expect(end);
        FirewareDownloadThread thread(writeFile(dir, file), 7, &hid);
        thread.setReadTimeoutMs(50);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(run(thread), (QList<Result>{{true, 0}, {false, -57}}));
        QVERIFY(clock.elapsed() >= 140);
        QCOMPARE(hid.written().size(), 2);
    }
}

QTEST_GUILESS_MAIN(TestFirewareDownloadThread)
#include "tst_firewaredownloadthread.moc"
