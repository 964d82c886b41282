#pragma once
// A private copy of the download-server tree the build generates, served by
// scripts/update-server on 127.0.0.1 on a free port. Tests may change or add
// files in the copy (hostile packages, broken description files) before or
// while it is served.

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
