// Verify, then transfer: what is refused before the first frame, and a
// started transfer that ends exactly once however the keyboard goes away.
#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include "link/usbprotocol.h"
#include "protocol/firmwaretransfer.h"
#include "support/enginerig.h"
#include "support/testsupport.h"

using namespace UsbProtocol;
using testsupport::SimRig;
using testsupport::waitFor;

namespace {

QByteArray firmwareBytes(quint16 product, int imageSize) {
    QByteArray header(FirmwareFile::kHeaderSize, '\0');
    qToLittleEndian<quint16>(product, header.data());
    qToLittleEndian<quint32>(0x11223344, header.data() + 4);
    QByteArray image(imageSize, '\0');
    for (int i = 0; i < imageSize; ++i) image[i] = char(i * 7 + 1);
    return header + image;
}

QByteArray dataBytes(const QByteArray& data, quint32 sumDelta = 0) {
    QByteArray header(FirmwareFile::kHeaderSize, '\0');
    quint32 sum = 0;
    for (char c : data) sum += quint8(c);
    qToLittleEndian<quint32>(quint32(data.size()), header.data() + 16);
    qToLittleEndian<quint32>(sum + sumDelta, header.data() + 24);
    return header + data;
}

FirmwareFile file(const QByteArray& bytes, FirmwareFile::Kind kind) {
    FirmwareFile f;
    f.setBytes(bytes, kind);
    return f;
}

QString md5Of(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

constexpr quint16 kProduct = 258;

}  // namespace

class TestFirmwareTransfer : public QObject {
    Q_OBJECT
private slots:
    void verdicts_data();
    void verdicts();
    void refusedFileSendsNothing();
    void firmwareAndDataReachTheKeyboard();
    void endsOnceWhenTheKeyboardGoesAway_data();
    void endsOnceWhenTheKeyboardGoesAway();
};

void TestFirmwareTransfer::verdicts_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("md5");
    QTest::addColumn<int>("verdict");
    const QByteArray good = firmwareBytes(kProduct, 300);
    const int fw = FirmwareFile::KeyboardFirmware;
    const int data = FirmwareFile::FirmwareData;
    QTest::newRow("firmware for this product")
        << good << fw << QString() << int(FirmwareTransfer::Accepted);
    QTest::newRow("offered MD5, either case")
        << good << fw << md5Of(good).toLower() << int(FirmwareTransfer::Accepted);
    QTest::newRow("MD5 of another file")
        << good << fw << md5Of(good + "x") << int(FirmwareTransfer::WrongMd5);
    QTest::newRow("firmware for another product")
        << firmwareBytes(kProduct + 1, 300) << fw << QString()
        << int(FirmwareTransfer::OtherProduct);
    QTest::newRow("header without image")
        << good.left(40) << fw << QString() << int(FirmwareTransfer::Damaged);
    QTest::newRow("data file: no product to check")
        << dataBytes("abc") << data << QString() << int(FirmwareTransfer::Accepted);
    QTest::newRow("data file with a wrong checksum")
        << dataBytes("abc", 1) << data << QString() << int(FirmwareTransfer::Damaged);
}

void TestFirmwareTransfer::verdicts() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(QString, md5);
    QFETCH(int, verdict);
    QCOMPARE(int(FirmwareTransfer::verify(file(bytes, FirmwareFile::Kind(kind)), kProduct, md5)),
             verdict);
    // A file never read is refused as such, whatever else is asked.
    QCOMPARE(FirmwareTransfer::verify(FirmwareFile(), kProduct), FirmwareTransfer::Unreadable);
}

void TestFirmwareTransfer::refusedFileSendsNothing() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    FirmwareTransfer job(rig.engine.data(), SourceOther);
    QSignalSpy finished(&job, &FirmwareTransfer::finished);
    const quint16 product = quint16(rig.sim.keyboard().state().serialNumber);
    QCOMPARE(
        job.start(file(firmwareBytes(product + 1, 500), FirmwareFile::KeyboardFirmware), product),
        FirmwareTransfer::OtherProduct);
    QTest::qWait(50);
    QVERIFY(!job.isRunning());
    QCOMPARE(finished.count(), 0);
    QCOMPARE(rig.sim.writeCount(), 0);
}

void TestFirmwareTransfer::firmwareAndDataReachTheKeyboard() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    FirmwareTransfer job(rig.engine.data(), SourceOther);
    QSignalSpy finished(&job, &FirmwareTransfer::finished);
    QSignalSpy progress(&job, &FirmwareTransfer::progress);
    const quint16 product = quint16(rig.sim.keyboard().state().serialNumber);
    const QByteArray firmware = firmwareBytes(product, 1000);  // 18 frames of 58 bytes
    QCOMPARE(job.start(file(firmware, FirmwareFile::KeyboardFirmware), product, md5Of(firmware)),
             FirmwareTransfer::Accepted);
    QVERIFY(waitFor(finished, 1));
    QCOMPARE(finished.at(0).at(0).toInt(), 0);
    QCOMPARE(rig.sim.keyboard().firmwareImage(), firmware.mid(40));
    QCOMPARE(progress.count(), 18);
    QCOMPARE(progress.last().at(0).toInt(), 99);
    const QList<QByteArray> end =
        testsupport::requests(rig.sim.writtenReports(), DownloadFirewareKeyboardEnd);
    QCOMPARE(end.size(), 1);
    QCOMPARE(end[0].mid(7, 8), firmware.mid(4, 8));

    // The same object carries a data file next; it has no end command.
    QByteArray data(100, '\0');
    for (int i = 0; i < data.size(); ++i) data[i] = char(0x80 + i);
    QCOMPARE(job.start(file(dataBytes(data), FirmwareFile::FirmwareData), product),
             FirmwareTransfer::Accepted);
    QVERIFY(waitFor(finished, 2));
    QCOMPARE(finished.at(1).at(0).toInt(), 0);
    QCOMPARE(rig.sim.keyboard().firmwareImage().mid(40), data);
    QCOMPARE(testsupport::requests(rig.sim.writtenReports(), DownloadFirewareKeyboardEnd).size(),
             1);
}

void TestFirmwareTransfer::endsOnceWhenTheKeyboardGoesAway_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("error");
    QTest::newRow("unplugged") << QStringLiteral("unplug") << int(ErrorLinkClosed);
    QTest::newRow("writes fail") << QStringLiteral("write") << int(ErrorWrite);
    QTest::newRow("another command") << QStringLiteral("supersede") << int(ErrorSuperseded);
    // Shorter than the engine's own give-up: the transfer's watchdog ends it,
    // and the engine's later error does not end it a second time.
    QTest::newRow("silent") << QStringLiteral("silent") << int(ErrorNoAnswer);
}

void TestFirmwareTransfer::endsOnceWhenTheKeyboardGoesAway() {
    QFETCH(QString, fault);
    QFETCH(int, error);
    SimRig rig(64);
    QVERIFY(rig.ok);
    FirmwareTransfer job(rig.engine.data(), SourceOther);
    job.setSilenceMs(fault == QLatin1String("silent") ? 300 : FirmwareTransfer::kSilenceMs);
    QSignalSpy finished(&job, &FirmwareTransfer::finished);
    const quint16 product = quint16(rig.sim.keyboard().state().serialNumber);
    // Answers take a while, so the fault strikes while frame 2 waits.
    rig.sim.setLatencyMs(100);
    bool struck = false;
    connect(&job, &FirmwareTransfer::progress, this, [&](int) {
        if (struck) return;
        struck = true;
        if (fault == QLatin1String("write")) rig.sim.setFailWrites(true);
        if (fault == QLatin1String("silent")) rig.sim.dropNextAnswers(1000);
        // After frame 2 went out.
        QTimer::singleShot(0, this, [&] {
            if (fault == QLatin1String("unplug")) rig.sim.unplug();
            if (fault == QLatin1String("supersede")) rig.engine->getProductInfo(SourceKeySet, true);
        });
    });
    QCOMPARE(job.start(file(firmwareBytes(product, 3000), FirmwareFile::KeyboardFirmware), product),
             FirmwareTransfer::Accepted);
    QVERIFY(waitFor(finished, 1, 6000));
    QCOMPARE(finished.at(0).at(0).toInt(), error);
    QVERIFY(!job.isRunning());
    // Whatever the engine still reports about the abandoned frame.
    QTest::qWait(fault == QLatin1String("silent") ? 3500 : 300);
    QCOMPARE(finished.count(), 1);
    QVERIFY(rig.sim.keyboard().firmwareImage().size() < 3000);
}

QTEST_GUILESS_MAIN(TestFirmwareTransfer)
#include "tst_firmwaretransfer.moc"
