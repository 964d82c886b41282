// Firmware and firmware data files: what is refused before any frame, how a
// transfer is cut into frames, MD5 of downloads and the version text.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "protocol/firmwarefile.h"

namespace {

QByteArray dataFile(const QByteArray& data, qint64 lengthDelta = 0, quint32 sumDelta = 0) {
    QByteArray header(FirmwareFile::kHeaderSize, '\x11');
    auto put = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i) header[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    quint32 sum = 0;
    for (char c : data) sum += quint8(c);
    put(16, quint32(data.size() + lengthDelta));
    put(24, sum + sumDelta);
    return header + data;
}

QByteArray pattern(int n) {
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i) b[i] = char(0xF0 + i * 7);  // high bytes: sum overflows 8 bits
    return b;
}

}  // namespace

class TestFirmwareFile : public QObject {
    Q_OBJECT
private slots:
    void dataFileFrames();
    void dataFileRefusals_data();
    void dataFileRefusals();
    void firmwareFrames();
    void firmwareWithoutImageIsRefused();
    void md5OfDownloads();
    void versionText();
};

void TestFirmwareFile::dataFileFrames() {
    const int m = 58;
    // 40 + n with n <= m: the header and the data, two frames.
    FirmwareFile small;
    QCOMPARE(small.setBytes(dataFile(pattern(m)), FirmwareFile::FirmwareData), FirmwareFile::Ok);
    QCOMPARE(small.frameCount(m), 2);
    const QByteArray first = small.frame(1, m);
    QCOMPARE(first.size(), 40);
    QCOMPARE(first.mid(28, 2), QByteArray::fromHex("0200"));
    QCOMPARE(first.left(28), small.bytes().left(28));
    QCOMPARE(small.frame(2, m), pattern(m));
    QVERIFY(small.frame(3, m).isEmpty());

    // Three full frames and a short last one.
    FirmwareFile big;
    QVERIFY(big.setBytes(dataFile(pattern(3 * m + 5)), FirmwareFile::FirmwareData) ==
            FirmwareFile::Ok);
    QCOMPARE(big.frameCount(m), 5);
    QByteArray joined;
    for (int i = 2; i <= 5; ++i) joined += big.frame(i, m);
    QCOMPARE(big.frame(5, m).size(), 5);
    QCOMPARE(joined, pattern(3 * m + 5));
    QCOMPARE(big.bytesSentAfter(1, m), qint64(40));
    QCOMPARE(big.bytesSentAfter(5, m), big.size());
}

void TestFirmwareFile::dataFileRefusals_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::newRow("length one short")
        << dataFile(pattern(10), -1) << int(FirmwareFile::LengthMismatch);
    QTest::newRow("length one long")
        << dataFile(pattern(10), 1) << int(FirmwareFile::LengthMismatch);
    QTest::newRow("checksum off by one")
        << dataFile(pattern(10), 0, 1) << int(FirmwareFile::ChecksumMismatch);
    QTest::newRow("shorter than its header") << QByteArray(39, '\0') << int(FirmwareFile::TooShort);
}

void TestFirmwareFile::dataFileRefusals() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    FirmwareFile f;
    QCOMPARE(int(f.setBytes(bytes, FirmwareFile::FirmwareData)), status);
    QCOMPARE(f.frameCount(58), 0);
    QVERIFY(f.frame(1, 58).isEmpty());
}

void TestFirmwareFile::firmwareFrames() {
    // A 10 040-byte file on a 64-byte channel: 173 blocks, the last of 24.
    QByteArray bytes = QByteArray::fromHex("3412000078563412efcdab89") + QByteArray(28, '\0');
    bytes += pattern(10000);
    FirmwareFile f;
    QCOMPARE(f.setBytes(bytes, FirmwareFile::KeyboardFirmware), FirmwareFile::Ok);
    QCOMPARE(f.identifier(), quint16(0x1234));
    QCOMPARE(f.firstEndValue(), quint32(0x12345678));
    QCOMPARE(f.secondEndValue(), quint32(0x89ABCDEF));
    QCOMPARE(f.frameCount(58), 173);
    QCOMPARE(f.frame(1, 58), pattern(10000).left(58));
    QCOMPARE(f.frame(173, 58).size(), 24);
    QCOMPARE(f.frame(173, 58), pattern(10000).right(24));
    QCOMPARE(f.bytesSentAfter(173, 58), qint64(10000));
}

void TestFirmwareFile::firmwareWithoutImageIsRefused() {
    FirmwareFile f;
    for (int n : {0, 12, 40}) {
        QCOMPARE(f.setBytes(QByteArray(n, '\1'), FirmwareFile::KeyboardFirmware),
                 FirmwareFile::TooShort);
        QCOMPARE(f.frameCount(122), 0);
    }
    QCOMPARE(f.setBytes(QByteArray(41, '\1'), FirmwareFile::KeyboardFirmware), FirmwareFile::Ok);
    QCOMPARE(f.frameCount(122), 1);
    QCOMPARE(f.frame(1, 122).size(), 1);
}

void TestFirmwareFile::md5OfDownloads() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fw.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("abc");
    file.close();
    QCOMPARE(FirmwareFile::md5Hex(path), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
    QVERIFY(FirmwareFile::md5Matches(path, QStringLiteral("900150983cd24fb0d6963f7d28e17f72")));
    QVERIFY(!FirmwareFile::md5Matches(path, QStringLiteral("900150983CD24FB0D6963F7D28E17F73")));

    // A file that cannot be read never matches, not even an empty expectation.
    const QString missing = dir.filePath(QStringLiteral("gone.bin"));
    QVERIFY(FirmwareFile::md5Hex(missing).isEmpty());
    QVERIFY(!FirmwareFile::md5Matches(missing, QString()));
    QVERIFY(!FirmwareFile::md5Matches(dir.path(), QString()));
    FirmwareFile f;
    QCOMPARE(f.load(missing, FirmwareFile::KeyboardFirmware), FirmwareFile::CannotOpen);
    QCOMPARE(f.frameCount(58), 0);
}

void TestFirmwareFile::versionText() {
    QCOMPARE(FirmwareFile::formatVersion(0x0A05), QStringLiteral("0.A.0.5"));
    QCOMPARE(FirmwareFile::formatVersion(0x1A2B), QStringLiteral("1.A.2.B"));
    QCOMPARE(FirmwareFile::formatVersion(0x0102), QStringLiteral("0.1.0.2"));
    QCOMPARE(FirmwareFile::formatVersion(0xFFFF), QStringLiteral("F.F.F.F"));
}

QTEST_GUILESS_MAIN(TestFirmwareFile)
#include "tst_firmwarefile.moc"
