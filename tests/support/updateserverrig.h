#pragma once
// A private copy of the download-server tree the build generates, served by
// scripts/update-server on 127.0.0.1 on a free port. Tests may change or add
// files in the copy (hostile packages, broken description files) before or
// while it is served. The copy is signed with the build's test key
// (<build>/testkey/testkey.pem), which the test executables trust; sign()
// signs a changed file again, with that key or with any other.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

class UpdateServerRig {
public:
    UpdateServerRig() = default;
    ~UpdateServerRig() { stop(); }

    static QString generatedTree() {
        const QString bin = qEnvironmentVariable("ZENTARO_BIN_DIR");
        return QDir::cleanPath(bin + QStringLiteral("/../update-server"));
    }

    // The private key the build signed the tree with.
    static QString testKey() {
        return QDir::cleanPath(qEnvironmentVariable("ZENTARO_BIN_DIR") +
                               QStringLiteral("/../testkey/testkey.pem"));
    }

    // A new Ed25519 key nobody trusts, made by openssl in the rig's folder.
    QString untrustedKey() const {
        const QString key = mDir.path() + QStringLiteral("/untrusted.pem");
        if (!QFileInfo::exists(key))
            QProcess::execute(QStringLiteral("openssl"),
                              {QStringLiteral("genpkey"), QStringLiteral("-algorithm"),
                               QStringLiteral("ed25519"), QStringLiteral("-out"), key});
        return key;
    }

    // Writes file(path).sig: openssl's detached signature by `key`.
    bool sign(const QString& path, const QString& key = testKey()) const {
        return QProcess::execute(
                   QStringLiteral("openssl"),
                   {QStringLiteral("pkeyutl"), QStringLiteral("-sign"), QStringLiteral("-rawin"),
                    QStringLiteral("-inkey"), key, QStringLiteral("-in"), file(path),
                    QStringLiteral("-out"), file(path) + QStringLiteral(".sig")}) == 0;
    }

    // Copies the tree and starts the server; false when either fails.
    bool start() {
        if (!mDir.isValid() || !copyTree(generatedTree(), root())) return false;
        const QString script =
            qEnvironmentVariable("ZENTARO_SOURCE_DIR") + QStringLiteral("/scripts/update-server");
        mServer.setProgram(QStringLiteral("python3"));
        mServer.setArguments({script, QStringLiteral("0"), QStringLiteral("--root"), root()});
        mServer.setProcessChannelMode(QProcess::SeparateChannels);
        mServer.start();
        if (!mServer.waitForStarted(10000)) return false;
        const QDeadlineTimer deadline(20000);
        QByteArray out;
        while (!deadline.hasExpired() && !out.contains('\n')) {
            mServer.waitForReadyRead(200);
            out += mServer.readAllStandardOutput();
            if (mServer.state() == QProcess::NotRunning) return false;
        }
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("(http://127\\.0\\.0\\.1:\\d+)"))
                .match(QString::fromUtf8(out));
        if (!m.hasMatch()) return false;
        mBase = QUrl(m.captured(1));
        return true;
    }

    void stop() {
        if (mServer.state() == QProcess::NotRunning) return;
        mServer.terminate();
        if (!mServer.waitForFinished(5000)) {
            mServer.kill();
            mServer.waitForFinished(5000);
        }
    }

    QUrl base() const { return mBase; }
    QUrl url(const QString& path) const {
        QUrl u = mBase;
        u.setPath(path);
        return u;
    }
    // The served folder; "/normal/..." paths live under it.
    QString root() const { return mDir.path() + QStringLiteral("/tree"); }
    QString file(const QString& path) const { return root() + path; }

    bool write(const QString& path, const QByteArray& data) const {
        QDir().mkpath(QFileInfo(file(path)).absolutePath());
        QFile f(file(path));
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
    }

private:
    static bool copyTree(const QString& from, const QString& to) {
        if (!QFileInfo(from + QStringLiteral("/normal")).isDir()) return false;
        QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = to + source.mid(from.size());
            if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(source, target))
                return false;
        }
        return true;
    }

    QTemporaryDir mDir;
    QProcess mServer;
    QUrl mBase;
};
