#include <QCryptographicHash>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "model/qaesencryption.h"

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// NIST SP 800-38A, appendix F: the four plaintext blocks shared by every example.
const char* const kSp800Plain =
    "6bc1bee22e409f96e93d7e117393172a ae2d8a571e03ac9c9eb76fac45af8e51"
    "30c81c46a35ce411e5fbc1191a0a52ef f69f2445df4f9b17ad2b417be66c3710";
const char* const kSp800Iv = "000102030405060708090a0b0c0d0e0f";
const char* const kSp800Key128 = "2b7e151628aed2a6abf7158809cf4f3c";
const char* const kSp800Key192 = "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b";
const char* const kSp800Key256 = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4";

}  // namespace

class TestQAESEncryption : public QObject {
    Q_OBJECT

private slots:
    void fips197Ecb_data();
    void fips197Ecb();
    void sp800Modes_data();
    void sp800Modes();
    void zeroVectorCbcStartsLikeEcb();
    void padding_data();
    void padding();
    void invalidSizesGiveEmptyResult();
    void tornCiphertext();
    void decryptsWithOpenSslTool();
};

void TestQAESEncryption::fips197Ecb_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("cipher");
    QTest::addColumn<int>("rounds");
    QTest::newRow("C.1 AES-128") << int(QAESEncryption::AES_128)
                                 << hex("000102030405060708090a0b0c0d0e0f")
                                 << hex("69c4e0d86a7b0430d8cdb78070b4c55a") << 10;
    QTest::newRow("C.2 AES-192") << int(QAESEncryption::AES_192)
                                 << hex("000102030405060708090a0b0c0d0e0f1011121314151617")
                                 << hex("dda97ca4864cdfe06eaf70a0ec0d7191") << 12;
    QTest::newRow("C.3 AES-256")
        << int(QAESEncryption::AES_256)
        << hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")
        << hex("8ea2b7ca516745bfeafc49904b496089") << 14;
}

void TestQAESEncryption::fips197Ecb() {
    QFETCH(int, level);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, cipher);
    QFETCH(int, rounds);
    const auto aes = QAESEncryption::Aes(level);
    const QByteArray plain = hex("00112233445566778899aabbccddeeff");

    QCOMPARE(QAESEncryption(aes, QAESEncryption::ECB).rounds(), rounds);
    // ECB takes no vector: an empty one is fine.
    QCOMPARE(QAESEncryption::encryptData(aes, QAESEncryption::ECB, plain, key).toHex(),
             cipher.toHex());
    QCOMPARE(QAESEncryption::decryptData(aes, QAESEncryption::ECB, cipher, key).toHex(),
             plain.toHex());
}

void TestQAESEncryption::sp800Modes_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("cipher");

    const int cbc = QAESEncryption::CBC, cfb = QAESEncryption::CFB, ofb = QAESEncryption::OFB;
    const int a128 = QAESEncryption::AES_128, a192 = QAESEncryption::AES_192,
              a256 = QAESEncryption::AES_256;

    QTest::newRow("CBC-AES128") << a128 << cbc << hex(kSp800Key128)
                                << hex("7649abac8119b246cee98e9b12e9197d"
                                       "5086cb9b507219ee95db113a917678b2"
                                       "73bed6b8e3c1743b7116e69e22229516"
                                       "3ff1caa1681fac09120eca307586e1a7");
    QTest::newRow("CBC-AES192") << a192 << cbc << hex(kSp800Key192)
                                << hex("4f021db243bc633d7178183a9fa071e8"
                                       "b4d9ada9ad7dedf4e5e738763f69145a"
                                       "571b242012fb7ae07fa9baac3df102e0"
                                       "08b0e27988598881d920a9e64f5615cd");
    QTest::newRow("CBC-AES256") << a256 << cbc << hex(kSp800Key256)
                                << hex("f58c4c04d6e5f1ba779eabfb5f7bfbd6"
                                       "9cfc4e967edb808d679f777bc6702c7d"
                                       "39f23369a9d9bacfa530e26304231461"
                                       "b2eb05e2c39be9fcda6c19078c6a9d1b");
    QTest::newRow("CFB128-AES128") << a128 << cfb << hex(kSp800Key128)
                                   << hex("3b3fd92eb72dad20333449f8e83cfb4a"
                                          "c8a64537a0b3a93fcde3cdad9f1ce58b"
                                          "26751f67a3cbb140b1808cf187a4f4df"
                                          "c04b05357c5d1c0eeac4c66f9ff7f2e6");
    QTest::newRow("CFB128-AES192") << a192 << cfb << hex(kSp800Key192)
                                   << hex("cdc80d6fddf18cab34c25909c99a4174"
                                          "67ce7f7f81173621961a2b70171d3d7a"
                                          "2e1e8a1dd59b88b1c8e60fed1efac4c9"
                                          "c05f9f9ca9834fa042ae8fba584b09ff");
    QTest::newRow("CFB128-AES256") << a256 << cfb << hex(kSp800Key256)
                                   << hex("dc7e84bfda79164b7ecd8486985d3860"
                                          "39ffed143b28b1c832113c6331e5407b"
                                          "df10132415e54b92a13ed0a8267ae2f9"
                                          "75a385741ab9cef82031623d55b1e471");
    QTest::newRow("OFB-AES128") << a128 << ofb << hex(kSp800Key128)
                                << hex("3b3fd92eb72dad20333449f8e83cfb4a"
                                       "7789508d16918f03f53c52dac54ed825"
                                       "9740051e9c5fecf64344f7a82260edcc"
                                       "304c6528f659c77866a510d9c1d6ae5e");
    QTest::newRow("OFB-AES192") << a192 << ofb << hex(kSp800Key192)
                                << hex("cdc80d6fddf18cab34c25909c99a4174"
                                       "fcc28b8d4c63837c09e81700c1100401"
                                       "8d9a9aeac0f6596f559c6d4daf59a5f2"
                                       "6d9f200857ca6c3e9cac524bd9acc92a");
    QTest::newRow("OFB-AES256") << a256 << ofb << hex(kSp800Key256)
                                << hex("dc7e84bfda79164b7ecd8486985d3860"
                                       "4febdc6740d20b3ac88f6ad82a4fb08d"
                                       "71ab47a086e86eedf39d1c5bba97c408"
                                       "0126141d67f37be8538f5a8be740e484");
}

void TestQAESEncryption::sp800Modes() {
    QFETCH(int, level);
    QFETCH(int, mode);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, cipher);
    const auto aes = QAESEncryption::Aes(level);
    const auto m = QAESEncryption::Mode(mode);
    const QByteArray plain = hex(kSp800Plain);
    const QByteArray iv = hex(kSp800Iv);

    // Whole blocks: every padding leaves the input alone except PKCS #7,
    // which would append a block, so use ISO as the program does.
    QCOMPARE(QAESEncryption::encryptData(aes, m, plain, key, iv, QAESEncryption::ISO).toHex(),
             cipher.toHex());
    QCOMPARE(QAESEncryption::decryptData(aes, m, cipher, key, iv, QAESEncryption::ISO).toHex(),
             plain.toHex());
}

void TestQAESEncryption::zeroVectorCbcStartsLikeEcb() {
    const QByteArray key = hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    const QByteArray plain =
        hex("00112233445566778899aabbccddeeff 00112233445566778899aabbccddeeff");
    const QByteArray out = QAESEncryption::encryptData(QAESEncryption::AES_256, QAESEncryption::CBC,
                                                       plain, key, QByteArray(16, '\0'));
    QCOMPARE(out.size(), 32);
    QCOMPARE(out.left(16).toHex(), QByteArray("8ea2b7ca516745bfeafc49904b496089"));
    // The second block is chained, so equal plaintext blocks must not repeat.
    QVERIFY(out.mid(16) != out.left(16));
}

void TestQAESEncryption::padding_data() {
    QTest::addColumn<int>("padding");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("pad");

    const int zero = QAESEncryption::ZERO, pkcs = QAESEncryption::PKCS7, iso = QAESEncryption::ISO;
    QTest::newRow("ISO 33") << iso << 33 << (QByteArray(1, char(0x80)) + QByteArray(14, '\0'));
    QTest::newRow("ISO 32") << iso << 32 << QByteArray();
    QTest::newRow("ISO 31") << iso << 31 << QByteArray(1, char(0x80));
    QTest::newRow("ISO 0") << iso << 0 << QByteArray();
    QTest::newRow("ZERO 33") << zero << 33 << QByteArray(15, '\0');
    QTest::newRow("ZERO 32") << zero << 32 << QByteArray();
    QTest::newRow("PKCS7 33") << pkcs << 33 << QByteArray(15, char(15));
    QTest::newRow("PKCS7 32") << pkcs << 32 << QByteArray(16, char(16));
    QTest::newRow("PKCS7 0") << pkcs << 0 << QByteArray(16, char(16));
}

void TestQAESEncryption::padding() {
    QFETCH(int, padding);
    QFETCH(int, length);
    QFETCH(QByteArray, pad);
    const auto p = QAESEncryption::Padding(padding);
    const QByteArray key = QCryptographicHash::hash("pass phrase", QCryptographicHash::Sha256);
    const QByteArray iv(16, '\0');
    QByteArray plain(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i) plain[i] = char('a' + i % 26);

    QCOMPARE(QAESEncryption(QAESEncryption::AES_256, QAESEncryption::CBC, p).padding(length), pad);
    const QByteArray cipher = QAESEncryption::encryptData(QAESEncryption::AES_256,
                                                          QAESEncryption::CBC, plain, key, iv, p);
    QCOMPARE(cipher.size(), length + pad.size());
    // Decryption hands back the padding as it was encrypted.
    QCOMPARE(QAESEncryption::decryptData(QAESEncryption::AES_256, QAESEncryption::CBC, cipher, key,
                                         iv, p),
             plain + pad);
}

void TestQAESEncryption::invalidSizesGiveEmptyResult() {
    const QByteArray plain(32, 'x');
    const QByteArray key32(32, 'k');
    const QByteArray iv16(16, '\0');
    const auto a256 = QAESEncryption::AES_256;

    QVERIFY(QAESEncryption::encryptData(a256, QAESEncryption::CBC, plain, QByteArray(31, 'k'), iv16)
                .isEmpty());
    QVERIFY(QAESEncryption::decryptData(a256, QAESEncryption::CBC, plain, QByteArray(31, 'k'), iv16)
                .isEmpty());
    QVERIFY(
        QAESEncryption::encryptData(a256, QAESEncryption::CBC, plain, key32, QByteArray(15, '\0'))
            .isEmpty());
    QVERIFY(
        QAESEncryption::decryptData(a256, QAESEncryption::OFB, plain, key32, QByteArray(17, '\0'))
            .isEmpty());
    // The key must match the chosen size, not merely be a valid AES key.
    QVERIFY(QAESEncryption::encryptData(QAESEncryption::AES_128, QAESEncryption::ECB, plain, key32)
                .isEmpty());
    QVERIFY(QAESEncryption::encryptData(QAESEncryption::Aes(7), QAESEncryption::ECB, plain, key32)
                .isEmpty());
    // ECB ignores whatever vector it is given.
    QCOMPARE(QAESEncryption::encryptData(a256, QAESEncryption::ECB, plain, key32, "short").size(),
             32);
}

void TestQAESEncryption::tornCiphertext() {
    const QByteArray key(32, 'k');
    const QByteArray iv(16, 'v');
    const QByteArray plain(48, 'p');
    const auto a256 = QAESEncryption::AES_256;

    // A truncated CBC file cannot be decrypted block-wise: refuse rather than
    // return a silently shortened plaintext.
    const QByteArray cbc = QAESEncryption::encryptData(a256, QAESEncryption::CBC, plain, key, iv);
    QVERIFY(
        QAESEncryption::decryptData(a256, QAESEncryption::CBC, cbc.left(40), key, iv).isEmpty());
    // Stream modes decrypt any prefix.
    const QByteArray ofb = QAESEncryption::encryptData(a256, QAESEncryption::OFB, plain, key, iv);
    QCOMPARE(QAESEncryption::decryptData(a256, QAESEncryption::OFB, ofb.left(40), key, iv),
             plain.left(40));
}

void TestQAESEncryption::decryptsWithOpenSslTool() {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (tool.isEmpty()) QSKIP("openssl command line tool not installed");

    const QByteArray key =
        QCryptographicHash::hash("HarborLantern4817#", QCryptographicHash::Sha256);
    const QByteArray iv = hex("f0e1d2c3b4a5968778695a4b3c2d1e0f");
    QByteArray plain(4096 + 5, Qt::Uninitialized);
    for (int i = 0; i < plain.size(); ++i) plain[i] = char((i * 131 + 7) & 0xFF);
    const QByteArray cipher = QAESEncryption::encryptData(
        QAESEncryption::AES_256, QAESEncryption::CBC, plain, key, iv, QAESEncryption::ISO);
    QCOMPARE(cipher.size(), 4112);

    QProcess openssl;
    openssl.start(tool,
                  {QStringLiteral("enc"), QStringLiteral("-d"), QStringLiteral("-aes-256-cbc"),
                   QStringLiteral("-nopad"), QStringLiteral("-K"), QString::fromLatin1(key.toHex()),
                   QStringLiteral("-iv"), QString::fromLatin1(iv.toHex())});
    QVERIFY(openssl.waitForStarted());
    openssl.write(cipher);
    openssl.closeWriteChannel();
    QVERIFY(openssl.waitForFinished(30000));
    QCOMPARE(openssl.exitStatus(), QProcess::NormalExit);
    QCOMPARE(openssl.exitCode(), 0);
    const QByteArray expected = plain + char(0x80) + QByteArray(10, '\0');
    QCOMPARE(openssl.readAllStandardOutput(), expected);
}

QTEST_GUILESS_MAIN(TestQAESEncryption)
#include "tst_qaesencryption.moc"
