// zentaro-cli firmware and firmware-data: files and downloads checked before
// the first frame, then sent through the engine to the simulated keyboard.
// Firmware needs a trusted signature on the way: FILE.sig beside a local
// file (or --unsigned), a signed firmversion.xml for a download.
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QTest>
#include <QtEndian>

#include "cli/clirunner.h"
#include "support/updateserverrig.h"

namespace {

constexpr int kOldVersion = 0x0105;  // the simulated keyboard's factory firmware
constexpr int kNewVersion = 0x0106;  // what the generated server tree offers

// A firmware file as the download server offers it: header with the product
// number, the image length and its byte sum; the image names its version
// after a marker.
QByteArray firmwareFile(quint16 product, quint16 imageVersion) {
    QByteArray image = "ZFW1";
    image += char(imageVersion & 0xFF);
    image += char(imageVersion >> 8);
    for (int i = int(image.size()); i < 4096; ++i) image += char(i * 13);
    quint32 sum = 0;
    for (char c : image) sum += quint8(c);
    QByteArray header(40, '\0');
    qToLittleEndian<quint16>(product, header.data());
    qToLittleEndian<quint32>(quint32(image.size()), header.data() + 4);
    qToLittleEndian<quint32>(sum, header.data() + 8);
    return header + image;
}

constexpr quint16 kProduct = 258;  // the simulated keyboard

// The generated server tree comes with the builds that can download.
bool serverTreeBuilt() {
    return QFileInfo::exists(UpdateServerRig::generatedTree() + QStringLiteral("/normal"));
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// zentaro-cli as the tests build it: it trusts the build's test key. Builds
// without downloads make neither; false then.
bool trustTestKey(CliRunner& cli) {
    cli.program = QStringLiteral("zentaro-cli-testkey");
    return QFileInfo::exists(qEnvironmentVariable("ZENTARO_BIN_DIR") + QLatin1Char('/') +
                             cli.program) &&
           QFileInfo::exists(UpdateServerRig::testKey());
}

// Writes cli.path(name).sig, signed by `key` (the test key by default).
bool sign(const CliRunner& cli, const QString& name,
          const QString& key = UpdateServerRig::testKey()) {
    return QProcess::execute(
               QStringLiteral("openssl"),
               {QStringLiteral("pkeyutl"), QStringLiteral("-sign"), QStringLiteral("-rawin"),
                QStringLiteral("-inkey"), key, QStringLiteral("-in"), cli.path(name),
                QStringLiteral("-out"), cli.path(name) + QStringLiteral(".sig")}) == 0;
}

int version(const CliRunner& cli) {
    return cli.dump()["keyboardProductInfo"].toObject()["version"].toInt();
}

// A firmware data file: 40-byte header with length and byte sum, then data.
QByteArray dataFile(const QByteArray& data, int sumOffset = 0) {
    QByteArray header(40, '\0');
    quint32 sum = 0;
    for (char c : data) sum += quint8(c);
    qToLittleEndian<quint32>(quint32(data.size()), header.data() + 16);
    qToLittleEndian<quint32>(sum + quint32(sumOffset), header.data() + 24);
    return header + data;
}

}  // namespace

class TestFirmwareCli : public QObject {
    Q_OBJECT
private slots:
    void writeFile();
    void filesRefusedBeforeTheFirstFrame();
    void updateFromTheServer();
    void wrongMd5IsDeletedAndNothingSent();
    void firmwareData();
    void localFileSignatures();
    void forgedServerFilesSendNothing();
    void plainHttpAwayFromThisComputerIsRefused();
};

void TestFirmwareCli::writeFile() {
    CliRunner cli;
    // Signed where the build can sign, else unsigned on purpose.
    const bool signing = trustTestKey(cli);
    if (!signing) cli.program = QStringLiteral("zentaro-cli");
    QCOMPARE(version(cli), kOldVersion);
    QVERIFY(cli.write("new.bin", firmwareFile(kProduct, kNewVersion)));
    QVERIFY(!signing || sign(cli, "new.bin"));
    const CliRunner::Run r =
        cli.run(signing ? QStringList{"firmware", "write", cli.path("new.bin")}
                        : QStringList{"firmware", "write", cli.path("new.bin"), "--unsigned"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("frames"), r.out.constData());
    QCOMPARE(version(cli), kNewVersion);
}

void TestFirmwareCli::filesRefusedBeforeTheFirstFrame() {
    CliRunner cli;
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    QVERIFY(cli.write("short.bin", firmwareFile(kProduct, kNewVersion).left(40)));
    QVERIFY(cli.write("other.bin", firmwareFile(kProduct + 1, kNewVersion)));

    CliRunner::Run r = cli.run({"firmware", "write", cli.path("short.bin")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().contains("short.bin is too short"), r.err.constData());
    r = cli.run({"firmware", "write", cli.path("missing.bin")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().endsWith("cannot read missing.bin: no such file"), r.err.constData());
    r = cli.run({"firmware", "write", cli.path("other.bin"), "--unsigned"});
    QCOMPARE(r.code, 1);
    QVERIFY2(
        r.lastError().contains("firmware for product 259") && r.lastError().endsWith("(error -23)"),
        r.err.constData());
    QCOMPARE(cli.state(), flash);
    QCOMPARE(version(cli), kOldVersion);
}

void TestFirmwareCli::updateFromTheServer() {
    if (!serverTreeBuilt()) QSKIP("this build has no download-server tree");
    UpdateServerRig server;
    QVERIFY(server.start());
    CliRunner cli;
    if (!trustTestKey(cli)) QSKIP("this build has no zentaro-cli-testkey");
    const QStringList options{QStringLiteral("--server=") + server.base().toString()};
    CliRunner::Run r = cli.run({"firmware", "check"}, options);
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("firmware 0.1.0.6 is available"), r.out.constData());
    r = cli.run({"firmware", "update"}, options);
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(version(cli), kNewVersion);
    r = cli.run({"firmware", "check"}, options);
    QVERIFY2(r.out.contains("0.1.0.6 is up to date"), r.out.constData());

    // Without a server every check ends with what to do.
    r = cli.run({"firmware", "check"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.lastError().contains("no download server is configured"), r.err.constData());
}

void TestFirmwareCli::wrongMd5IsDeletedAndNothingSent() {
    if (!serverTreeBuilt()) QSKIP("this build has no download-server tree");
    UpdateServerRig server;
    QVERIFY(server.start());
    const QString description = QStringLiteral("/normal/lusk75/firmversion.xml");
    QByteArray xml = readAll(server.file(description));
    const QByteArray md5 =
        QCryptographicHash::hash(readAll(server.file("/normal/lusk75/firmware-0.1.0.6.bin")),
                                 QCryptographicHash::Md5)
            .toHex()
            .toUpper();
    QVERIFY(xml.contains(md5));
    QVERIFY(server.write(description, xml.replace(md5, QByteArray(32, 'A'))));
    QVERIFY(server.sign(description));
    CliRunner cli;
    if (!trustTestKey(cli)) QSKIP("this build has no zentaro-cli-testkey");
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    const CliRunner::Run r =
        cli.run({"firmware", "update"}, {QStringLiteral("--server=") + server.base().toString()});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.lastError().contains("does not match its MD5"), r.err.constData());
    QCOMPARE(cli.state(), flash);
}

void TestFirmwareCli::firmwareData() {
    CliRunner cli;
    QByteArray data;
    for (int i = 0; i < 300; ++i) data += char(i * 7);
    QVERIFY(cli.write("data.bin", dataFile(data)));
    CliRunner::Run r = cli.run({"firmware-data", "write", cli.path("data.bin")});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("340 bytes"), r.out.constData());

    const QByteArray flash = cli.state();
    QVERIFY(cli.write("sum.bin", dataFile(data, 1)));
    QVERIFY(cli.write("length.bin", dataFile(data) + "x"));
    QVERIFY(cli.write("empty.bin", dataFile(QByteArray())));
    const QList<QPair<QString, QByteArray>> cases{
        {"sum.bin", "checksum does not match"},
        {"length.bin", "says 300 bytes of data, it holds 301"},
        {"empty.bin", "holds no data"},
    };
    for (const auto& c : cases) {
        r = cli.run({"firmware-data", "write", cli.path(c.first)});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.lastError().contains(c.second), r.err.constData());
        QCOMPARE(cli.state(), flash);
    }
}

void TestFirmwareCli::localFileSignatures() {
    CliRunner cli;
    if (!trustTestKey(cli)) QSKIP("this build has no zentaro-cli-testkey");
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    const QByteArray good = firmwareFile(kProduct, kNewVersion);
    QVERIFY(cli.write("new.bin", good));

    // No FILE.sig: refused in words unless --unsigned says otherwise.
    CliRunner::Run r = cli.run({"firmware", "write", cli.path("new.bin")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().contains("new.bin has no signature (new.bin.sig)") &&
                 r.lastError().contains("--unsigned"),
             r.err.constData());
    QCOMPARE(cli.state(), flash);

    // A signature by a key nobody trusts, and one over other bytes.
    const QString stranger = cli.path("stranger.pem");
    QCOMPARE(QProcess::execute("openssl", {"genpkey", "-algorithm", "ed25519", "-out", stranger}),
             0);
    QVERIFY(sign(cli, "new.bin", stranger));
    r = cli.run({"firmware", "write", cli.path("new.bin"), "--unsigned"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().contains("the signature of new.bin is not from a trusted key"),
             r.err.constData());
    QVERIFY(sign(cli, "new.bin"));
    QByteArray tampered = good;
    tampered[200] = char(tampered[200] ^ 1);
    QVERIFY(cli.write("new.bin", tampered));
    r = cli.run({"firmware", "write", cli.path("new.bin")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().contains("not from a trusted key"), r.err.constData());
    QCOMPARE(cli.state(), flash);
    QCOMPARE(version(cli), kOldVersion);

    // The program that ships does not trust the test key.
    QVERIFY(cli.write("new.bin", good));
    CliRunner shipped;
    QVERIFY(shipped.write("new.bin", good));
    QVERIFY(QFile::copy(cli.path("new.bin.sig"), shipped.path("new.bin.sig")));
    r = shipped.run({"firmware", "write", shipped.path("new.bin")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().contains("not from a trusted key"), r.err.constData());

    // Unsigned on purpose: written, and said so.
    QVERIFY(QFile::remove(cli.path("new.bin.sig")));
    r = cli.run({"firmware", "write", cli.path("new.bin"), "--unsigned"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("new.bin has no signature; writing it anyway"), r.out.constData());
    QCOMPARE(version(cli), kNewVersion);
}

void TestFirmwareCli::forgedServerFilesSendNothing() {
    if (!serverTreeBuilt()) QSKIP("this build has no download-server tree");
    UpdateServerRig server;
    QVERIFY(server.start());
    CliRunner cli;
    if (!trustTestKey(cli)) QSKIP("this build has no zentaro-cli-testkey");
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    const QStringList options{QStringLiteral("--server=") + server.base().toString()};
    const QString description = QStringLiteral("/normal/lusk75/firmversion.xml");
    const QByteArray xml = readAll(server.file(description));

    // The attacker's image with the MD5 made to fit; the old signature stays.
    QByteArray image = readAll(server.file("/normal/lusk75/firmware-0.1.0.6.bin"));
    const QByteArray md5 =
        QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex().toUpper();
    image[300] = char(image[300] ^ 0x40);
    QVERIFY(server.write("/normal/lusk75/firmware-0.1.0.6.bin", image));
    QByteArray forged = xml;
    forged.replace(md5, QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex().toUpper());
    QVERIFY(server.write(description, forged));
    CliRunner::Run r = cli.run({"firmware", "update"}, options);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.lastError().contains(
                 "the signature of firmversion.xml is not from a trusted key; it was refused"),
             r.err.constData());

    // Signed by a stranger, or not signed at all.
    QVERIFY(server.sign(description, server.untrustedKey()));
    r = cli.run({"firmware", "check"}, options);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.lastError().contains("not from a trusted key"), r.err.constData());
    QVERIFY(QFile::remove(server.file(description + ".sig")));
    r = cli.run({"firmware", "update"}, options);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.lastError().contains("firmversion.xml has no signature"), r.err.constData());
    QCOMPARE(cli.state(), flash);

    // An older release, properly signed, served again: nothing to update.
    QVERIFY(server.write(description, xml.left(0) +
                                          "<update><version>0.1.0.4</version><md5>00</md5>"
                                          "<url>firmware-0.1.0.6.bin</url></update>"));
    QVERIFY(server.sign(description));
    r = cli.run({"firmware", "update"}, options);
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("0.1.0.5 is up to date"), r.out.constData());
    QCOMPARE(cli.state(), flash);
}

void TestFirmwareCli::plainHttpAwayFromThisComputerIsRefused() {
    if (!serverTreeBuilt()) QSKIP("this build of zentaro-cli cannot download");
    CliRunner cli;
    const CliRunner::Run r = cli.run({"firmware", "check"}, {"--server=http://192.0.2.1:8000"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.lastError().contains("refused http://192.0.2.1:8000: plain HTTP is allowed only to "
                                    "this computer"),
             r.err.constData());
}

QTEST_GUILESS_MAIN(TestFirmwareCli)
#include "tst_firmwarecli.moc"
