// Detached Ed25519 signatures as openssl makes them: which keys count, and
// the root-only key file that alone may add one (a file or folder others
// can write is ignored). This executable trusts only what the program does.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "common/apppaths.h"
#include "common/signatureverifier.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

class TestSignatureVerifier : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { AppPaths::setApplicationFolder(QString()); }

    void onlyTrustedKeysVerify();
    void rootOnlyKeyFileAddsKeys();

private:
    bool openssl(const QStringList& args) const {
        return QProcess::execute(QStringLiteral("openssl"), args) == 0;
    }
    QByteArray read(const QString& name) const {
        QFile f(mDir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString path(const QString& name) const { return mDir.filePath(name); }

    QTemporaryDir mDir;
    QByteArray mMessage = "<update><version>9.9</version></update>\n";
    QByteArray mSignature;
};

void TestSignatureVerifier::initTestCase() {
    QVERIFY(mDir.isValid());
    // The program's folder: its data folder is where the key file goes.
    QVERIFY(QDir().mkpath(path(QStringLiteral("app/data"))));
    AppPaths::setApplicationFolder(path(QStringLiteral("app")));
    QVERIFY(openssl({"genpkey", "-algorithm", "ed25519", "-out", path("key.pem")}));
    QVERIFY(openssl({"pkey", "-in", path("key.pem"), "-pubout", "-out", path("key.pub")}));
    QFile message(path(QStringLiteral("version.xml")));
    QVERIFY(message.open(QIODevice::WriteOnly));
    message.write(mMessage);
    message.close();
    QVERIFY(openssl({"pkeyutl", "-sign", "-rawin", "-inkey", path("key.pem"), "-in",
                     path("version.xml"), "-out", path("version.xml.sig")}));
    mSignature = read(QStringLiteral("version.xml.sig"));
    QCOMPARE(mSignature.size(), 64);
}

void TestSignatureVerifier::onlyTrustedKeysVerify() {
    // The built-in release key is there and parses.
    const QList<SignatureVerifier::Key> keys = SignatureVerifier::trustedKeys();
    QVERIFY(!keys.isEmpty());
    QVERIFY(keys.first().name.startsWith(QStringLiteral("zentaro-release-1 ")));
    QCOMPARE(keys.first().raw.size(), 32);

    QCOMPARE(SignatureVerifier::verify(mMessage, mSignature, QStringLiteral("version.xml")),
             SignatureVerifier::Untrusted);
    QCOMPARE(SignatureVerifier::verify(mMessage, QByteArray(), QStringLiteral("x")),
             SignatureVerifier::Missing);
    QCOMPARE(SignatureVerifier::verify(mMessage, mSignature.left(63), QStringLiteral("x")),
             SignatureVerifier::Malformed);
    QCOMPARE(SignatureVerifier::verifyFile(path(QStringLiteral("key.pub"))),
             SignatureVerifier::Missing);
    // Not an Ed25519 key: nothing is taken from it.
    QVERIFY(openssl({"genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                     "-out", path("ec.pem")}));
    QVERIFY(openssl({"pkey", "-in", path("ec.pem"), "-pubout", "-out", path("ec.pub")}));
    QVERIFY(SignatureVerifier::parsePem(read(QStringLiteral("ec.pub")), QStringLiteral("ec"))
                .isEmpty());
    QCOMPARE(SignatureVerifier::parsePem(read(QStringLiteral("ec.pub")) + read("key.pub"),
                                         QStringLiteral("two"))
                 .size(),
             1);
}

void TestSignatureVerifier::rootOnlyKeyFileAddsKeys() {
    const QString keyFile = SignatureVerifier::keyFilePath();
    QCOMPARE(keyFile, path(QStringLiteral("app/data/trusted-keys.pem")));
    QVERIFY(QFile::copy(path(QStringLiteral("key.pub")), keyFile));
    const QString folder = path(QStringLiteral("app/data"));
    const QFile::Permissions rw =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    const QFile::Permissions rwx = rw | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(keyFile, rw));
    QVERIFY(QFile::setPermissions(folder, rwx));
#ifdef Q_OS_UNIX
    if (::geteuid() != 0) {
        // Owned by this user, not root: ignored.
        QCOMPARE(SignatureVerifier::verify(mMessage, mSignature, QStringLiteral("version.xml")),
                 SignatureVerifier::Untrusted);
        QSKIP("root owns no file this test can make");
    }
#endif
    QString name;
    QCOMPARE(SignatureVerifier::verifyFile(path(QStringLiteral("version.xml")), &name),
             SignatureVerifier::Valid);
    QVERIFY2(name.startsWith(QStringLiteral("trusted-keys.pem ")), qPrintable(name));

    // Anyone else may write the file, or the folder: the file counts for nothing.
    QVERIFY(QFile::setPermissions(keyFile, rw | QFile::WriteOther));
    QCOMPARE(SignatureVerifier::verify(mMessage, mSignature, QStringLiteral("version.xml")),
             SignatureVerifier::Untrusted);
    QVERIFY(QFile::setPermissions(keyFile, rw));
    QVERIFY(QFile::setPermissions(folder, rwx | QFile::WriteGroup));
    QCOMPARE(SignatureVerifier::verify(mMessage, mSignature, QStringLiteral("version.xml")),
             SignatureVerifier::Untrusted);
    QVERIFY(QFile::setPermissions(folder, rwx));
    // A link in its place is not the file.
    QVERIFY(QFile::remove(keyFile));
    QVERIFY(QFile::link(path(QStringLiteral("key.pub")), keyFile));
    QCOMPARE(SignatureVerifier::verify(mMessage, mSignature, QStringLiteral("version.xml")),
             SignatureVerifier::Untrusted);
    // Other bytes than the signed ones never verify.
    QVERIFY(QFile::remove(keyFile));
    QVERIFY(QFile::copy(path(QStringLiteral("key.pub")), keyFile));
    QByteArray other = mMessage;
    other[10] = '8';
    QCOMPARE(SignatureVerifier::verify(other, mSignature, QStringLiteral("version.xml")),
             SignatureVerifier::Untrusted);
}

QTEST_GUILESS_MAIN(TestSignatureVerifier)
#include "tst_signatureverifier.moc"
