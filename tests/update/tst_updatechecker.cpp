// Update descriptions fetched from the local download server: what counts
// as valid, how the md5 and a relative url are taken, network failures, a
// missing server, and which versions count as newer. Nothing is read of a
// description without a trusted signature, and only loopback may be plain HTTP.

#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#if QT_CONFIG(ssl)
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#endif
#include <QtTest>

#include "common/signatureverifier.h"
#include "support/updateserverrig.h"
#include "update/fileverifier.h"
#include "update/updatechecker.h"
#include "update/updateserver.h"
#include "update/versioninfo.h"

class TestUpdateChecker : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(mServer.start()); }
    void cleanup() { UpdateServer::setBaseUrl(QUrl()); }

    void servedDescriptionOffersANewerVerifiedFile();
    void descriptions_data();
    void descriptions();
    void failuresEndInCheckError();
    void unsignedOrForgedDescriptionsAreRefused();
    void replayedOlderDescriptionIsNotOffered();
    void plainHttpAwayFromThisComputerIsRefused();
    void certificateErrorsAreRefused();
    void serverAddressResolution();
    void versionOrder_data();
    void versionOrder();

private:
    // Checks `path` on the configured server; true when exactly one answer came.
    bool check(const QString& path, VersionInfo* info, QString* error);
    UpdateServerRig mServer;
};

bool TestUpdateChecker::check(const QString& path, VersionInfo* info, QString* error) {
    UpdateChecker checker;
    QSignalSpy ok(&checker, &UpdateChecker::updateAvailable);
    QSignalSpy failed(&checker, &UpdateChecker::checkError);
    checker.checkPath(path);
    if (!QTest::qWaitFor([&] { return ok.count() + failed.count() > 0; }, 10000)) return false;
    if (!ok.isEmpty()) *info = ok.first().first().value<VersionInfo>();
    if (!failed.isEmpty()) *error = failed.first().first().toString();
    return ok.count() + failed.count() == 1;
}

void TestUpdateChecker::servedDescriptionOffersANewerVerifiedFile() {
    UpdateServer::setBaseUrl(mServer.base());
    for (const QString& path : {UpdateServer::versionPath(),
                                UpdateServer::firmwareVersionPath(QStringLiteral("Lusk75"))}) {
        VersionInfo info;
        QString error;
        QVERIFY(check(path, &info, &error));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(info.isValid());
        // The relative url is taken relative to the description's address.
        QCOMPARE(info.url.host(), mServer.base().host());
        QCOMPARE(info.url.port(), mServer.base().port());
        QVERIFY(QFile::exists(mServer.file(info.url.path())));
        QVERIFY(FileVerifier::verifyMd5(mServer.file(info.url.path()), info.md5));
    }
    VersionInfo app;
    QString error;
    QVERIFY(check(UpdateServer::versionPath(), &app, &error));
    QVERIFY(VersionInfo::isNewer(app.version, VersionInfo::programVersion()));
}

void TestUpdateChecker::descriptions_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("md5");
    QTest::addColumn<QString>("error");
    const QString invalid = QStringLiteral("版本信息格式无效");
    QTest::newRow("lower-case md5 taken in upper case")
        << QByteArray(
               "<r><version>2.0</version><md5>abcdef0123</md5>"
               "<url>http://example.invalid/a.bin</url></r>")
        << "2.0"
        << "ABCDEF0123" << QString();
    QTest::newRow("nesting and root name do not matter, the last element wins")
        << QByteArray(
               "<a><b><version>1</version></b><c><version>3.1</version>"
               "<url>x/y.bin</url></c></a>")
        << "3.1"
        << "" << QString();
    QTest::newRow("url missing") << QByteArray("<r><version>9.9.9.9</version><md5>aa</md5></r>")
                                 << ""
                                 << "" << invalid;
    QTest::newRow("version missing") << QByteArray("<r><url>a.bin</url></r>") << ""
                                     << "" << invalid;
    QTest::newRow("url not http") << QByteArray(
                                         "<r><version>2</version><url>file:///etc/passwd</url></r>")
                                  << ""
                                  << "" << invalid;
    QTest::newRow("xml error keeps what came before")
        << QByteArray("<r><version>4</version><url>b.bin</url><broken") << "4"
        << "" << QString();
}

void TestUpdateChecker::descriptions() {
    QFETCH(QByteArray, xml);
    QFETCH(QString, version);
    QFETCH(QString, md5);
    QFETCH(QString, error);
    static int served = 0;
    const QString path = QStringLiteral("/normal/test/d%1.xml").arg(++served);
    QVERIFY(mServer.write(path, xml));
    QVERIFY(mServer.sign(path));
    UpdateServer::setBaseUrl(mServer.base());
    VersionInfo info;
    QString got;
    QVERIFY(check(path, &info, &got));
    QCOMPARE(got, error);
    if (error.isEmpty()) {
        QCOMPARE(info.version, version);
        QCOMPARE(info.md5, md5);
        QVERIFY(info.isValid());
    }
}

void TestUpdateChecker::failuresEndInCheckError() {
    VersionInfo info;
    QString error;
    // Nothing configured: the translated no-server text, without any request.
    QVERIFY(check(UpdateServer::versionPath(), &info, &error));
    QCOMPARE(error, UpdateServer::noServerText());

    UpdateServer::setBaseUrl(mServer.base());
    error.clear();
    QVERIFY(check(QStringLiteral("/normal/missing.xml"), &info, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(error != QStringLiteral("版本信息格式无效"));
}

void TestUpdateChecker::unsignedOrForgedDescriptionsAreRefused() {
    UpdateServer::setBaseUrl(mServer.base());
    const QString path = UpdateServer::firmwareVersionPath(QStringLiteral("Pim65"));
    const QString image = QStringLiteral("/normal/pim65/firmware-0.1.0.6.bin");
    QFile xmlFile(mServer.file(path));
    QVERIFY(xmlFile.open(QIODevice::ReadOnly));
    const QByteArray xml = xmlFile.readAll();
    xmlFile.close();
    VersionInfo info;
    QString error;

    // An altered image with its MD5 updated in the description: the
    // description's signature no longer matches.
    QFile bin(mServer.file(image));
    QVERIFY(bin.open(QIODevice::ReadWrite));
    QByteArray bytes = bin.readAll();
    const QByteArray oldMd5 = QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
    bytes[100] = char(bytes[100] ^ 0x5a);
    QVERIFY(bin.seek(0) && bin.write(bytes) == bytes.size());
    bin.close();
    QByteArray tampered = xml;
    tampered.replace(oldMd5.toUpper(),
                     QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toUpper());
    QVERIFY(tampered != xml);
    QVERIFY(mServer.write(path, tampered));
    QVERIFY(check(path, &info, &error));
    QVERIFY2(error.contains(QStringLiteral("firmversion.xml")) && !info.isValid(),
             qPrintable(error));
    QCOMPARE(error, SignatureVerifier::refusalText(SignatureVerifier::Untrusted,
                                                   QStringLiteral("firmversion.xml")));

    // Signed by a key nobody trusts.
    QVERIFY(mServer.sign(path, mServer.untrustedKey()));
    error.clear();
    QVERIFY(check(path, &info, &error));
    QCOMPARE(error, SignatureVerifier::refusalText(SignatureVerifier::Untrusted,
                                                   QStringLiteral("firmversion.xml")));

    // No signature at all.
    QVERIFY(QFile::remove(mServer.file(path + QStringLiteral(".sig"))));
    error.clear();
    QVERIFY(check(path, &info, &error));
    QCOMPARE(error, SignatureVerifier::refusalText(SignatureVerifier::Missing,
                                                   QStringLiteral("firmversion.xml")));
    QVERIFY(!info.isValid());
}

void TestUpdateChecker::replayedOlderDescriptionIsNotOffered() {
    UpdateServer::setBaseUrl(mServer.base());
    const QString path = QStringLiteral("/normal/replay/version.xml");
    auto serve = [&](const char* version) {
        return mServer.write(path, QByteArray("<update><version>") + version +
                                       "</version><md5>00</md5><url>a.tar.gz</url></update>") &&
               mServer.sign(path);
    };
    VersionInfo info;
    QString error;
    QVERIFY(serve("1.2.0.0"));
    QVERIFY(check(path, &info, &error));
    QCOMPARE(info.version, QStringLiteral("1.2.0.0"));

    // Properly signed, but an older release served again: refused, and
    // never offered as an update.
    QVERIFY(serve("1.1.3.0"));
    info = VersionInfo();
    QVERIFY(check(path, &info, &error));
    QVERIFY2(error.contains(QStringLiteral("1.2.0.0")), qPrintable(error));
    QVERIFY(!info.isValid());

    // An old signed version.xml is no update for this program either.
    QVERIFY(serve("1.0.0.0"));
    const QString fresh = QStringLiteral("/normal/replay2/version.xml");
    QDir().mkpath(QFileInfo(mServer.file(fresh)).absolutePath());
    QVERIFY(QFile::copy(mServer.file(path), mServer.file(fresh)));
    QVERIFY(QFile::copy(mServer.file(path + QStringLiteral(".sig")),
                        mServer.file(fresh + QStringLiteral(".sig"))));
    error.clear();
    QVERIFY(check(fresh, &info, &error));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!VersionInfo::isNewer(info.version, VersionInfo::programVersion()));
}

void TestUpdateChecker::plainHttpAwayFromThisComputerIsRefused() {
    // 192.0.2.1 is reserved for documentation: were a connection tried, the
    // answer would be a network error, not this refusal.
    for (const char* address : {"http://192.0.2.1:8000", "http://updates.example.com"}) {
        UpdateServer::setBaseUrl(QUrl(QString::fromLatin1(address)));
        VersionInfo info;
        QString error;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(check(UpdateServer::versionPath(), &info, &error));
        QVERIFY2(
            error.contains(QStringLiteral("HTTP")) && error.contains(QStringLiteral("https://")),
            qPrintable(error));
        QVERIFY(clock.elapsed() < 1000);
    }
    for (const char* local : {"http://127.0.0.2:1/x", "http://[::1]:1", "http://LocalHost:1"})
        QVERIFY2(UpdateServer::transportRefusal(QUrl(QString::fromLatin1(local))).isEmpty(), local);
    QVERIFY(UpdateServer::transportRefusal(QUrl(QStringLiteral("https://192.0.2.1"))).isEmpty());
    QVERIFY(!UpdateServer::transportRefusal(QUrl(QStringLiteral("http://127.0.0.1.example.com")))
                 .isEmpty());
}

void TestUpdateChecker::certificateErrorsAreRefused() {
#if QT_CONFIG(ssl)
    // An https server on this computer with a certificate nobody vouches for.
    QTemporaryDir dir;
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    QCOMPARE(QProcess::execute(
                 QStringLiteral("openssl"),
                 {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                  "-nodes", "-keyout", key, "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1"}),
             0);
    QFile keyFile(key);
    QVERIFY(keyFile.open(QIODevice::ReadOnly));
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(QSslCertificate::fromPath(cert).value(0));
    config.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec));
    QSslServer server;
    server.setSslConfiguration(config);
    QVERIFY(server.listen(QHostAddress::LocalHost));
    bool asked = false;
    connect(&server, &QSslServer::pendingConnectionAvailable, this, [&] {
        while (QTcpSocket* socket = server.nextPendingConnection())
            connect(socket, &QTcpSocket::readyRead, socket, [&asked, socket] {
                asked = true;
                socket->readAll();
            });
    });
    UpdateServer::setBaseUrl(QUrl(QStringLiteral("https://127.0.0.1:%1").arg(server.serverPort())));
    VersionInfo info;
    QString error;
    QVERIFY(check(UpdateServer::versionPath(), &info, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!info.isValid());
    // The handshake failed: no request ever reached the server.
    QVERIFY(!asked);
#else
    QSKIP("this Qt has no TLS");
#endif
}

void TestUpdateChecker::serverAddressResolution() {
    const QUrl setting(QStringLiteral("http://127.0.0.1:9/mirror/"));
    QCOMPARE(UpdateServer::resolve(QString(), setting.toString()),
             QUrl("http://127.0.0.1:9/mirror"));
    // The start option wins over the setting.
    QCOMPARE(UpdateServer::resolve(QStringLiteral("https://h.invalid"), setting.toString()),
             QUrl("https://h.invalid"));
    QVERIFY(UpdateServer::resolve(QString(), QString()).isEmpty());
    QVERIFY(UpdateServer::resolve(QStringLiteral("ftp://h.invalid"), QString()).isEmpty());
    QVERIFY(UpdateServer::resolve(QStringLiteral("not a url"), QString()).isEmpty());
    UpdateServer::setBaseUrl(UpdateServer::resolve(QString(), setting.toString()));
    QCOMPARE(UpdateServer::url(UpdateServer::packagePath(QStringLiteral("Lusk75"))),
             QUrl("http://127.0.0.1:9/mirror/normal/lusk75/lusk75.zip"));
}

void TestUpdateChecker::versionOrder_data() {
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("newer");
    QTest::newRow("numbers, not text") << "1.1.10.0"
                                       << "1.1.2.2" << true;
    QTest::newRow("older") << "1.1.2.1"
                           << "1.1.2.2" << false;
    QTest::newRow("equal") << "1.1.2.2"
                           << "1.1.2.2" << false;
    QTest::newRow("suffix") << "1.1.2.2a"
                            << "1.1.2.2" << true;
    QTest::newRow("extra part") << "1.1.2.2.1"
                                << "1.1.2.2" << true;
    QTest::newRow("leading zeros") << "1.01.2.2"
                                   << "1.1.2.2" << false;
    QTest::newRow("firmware hex digit") << "0.A.0.5"
                                        << "0.9.0.5" << true;
    QTest::newRow("firmware same") << "0.1.0.5"
                                   << "0.1.0.5" << false;
}

void TestUpdateChecker::versionOrder() {
    QFETCH(QString, offered);
    QFETCH(QString, current);
    QFETCH(bool, newer);
    QCOMPARE(VersionInfo::isNewer(offered, current), newer);
    if (newer) QVERIFY(!VersionInfo::isNewer(current, offered));
}

QTEST_GUILESS_MAIN(TestUpdateChecker)
#include "tst_updatechecker.moc"
