#pragma once
// zentaro-cli run as a script runs it: a real process on a simulated keyboard
// whose flash lives in a state file of a private folder.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

class CliRunner {
public:
    struct Run {
        int code = -1;
        QByteArray out, err;
        // The last line on stderr: where a failure names its cause.
        QByteArray lastError() const {
            const QList<QByteArray> lines = err.trimmed().split('\n');
            return lines.isEmpty() ? QByteArray() : lines.last();
        }
    };

    // Where zentaro-cli keeps backups; empty: backups/ in the private folder.
    QString backupFolder;

    // The program run: zentaro-cli-testkey trusts the build's test key, with
    // which the local server tree is signed.
    QString program = QStringLiteral("zentaro-cli");

    QString statePath() const { return mDir.filePath(QStringLiteral("kb.state")); }
    QString path(const QString& name) const { return mDir.filePath(name); }

    // zentaro-cli --simulate=STATE [extra options] ARGS...
    Run run(const QStringList& args, const QStringList& options = {}) const {
        QProcess p;
        p.setWorkingDirectory(mDir.path());
        // Backups (firmware writes make them) stay in the private folder.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZENTARO_BACKUP_FOLDER"),
                   backupFolder.isEmpty() ? path(QStringLiteral("backups")) : backupFolder);
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("ZENTARO_BIN_DIR") + QLatin1Char('/') + program,
                QStringList{QStringLiteral("--simulate=") + statePath()} + options + args);
        Run r;
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    // What the keyboard holds, as "dump --json" prints it; empty on failure.
    QJsonObject dump() const {
        const Run r = run({QStringLiteral("dump"), QStringLiteral("--json")});
        return r.code == 0 ? QJsonDocument::fromJson(r.out).object() : QJsonObject();
    }

    // The simulated keyboard's flash, byte for byte.
    QByteArray state() const {
        QFile f(statePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    bool write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    }

private:
    QTemporaryDir mDir;
};
