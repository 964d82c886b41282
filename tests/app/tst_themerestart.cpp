// A theme change restarts the real executable: the old copy gives up the
// single-instance lock and its server before the new one starts, so exactly
// one copy runs afterwards, in the new theme.
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

class TestThemeRestart : public QObject {
    Q_OBJECT

    QProcessEnvironment environment(const QString& tempDir, const QString& hooks) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The lock's key file and the server socket live in the temporary
        // folder: a private one keeps these copies apart from any other.
        env.insert(QStringLiteral("TMPDIR"), tempDir);
        env.insert(QStringLiteral("ZENTARO_TEST_HOOKS"), hooks);
        env.remove(QStringLiteral("ZENTARO_TEST_ACTION"));
        return env;
    }
    static QString readHooks(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private slots:
    void themeChangeLeavesOneCopyInTheNewTheme() {
        const QString program =
            qEnvironmentVariable("ZENTARO_BIN_DIR") + QStringLiteral("/zentaro");
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program + " is not built"));
        QTemporaryDir work, temp;
        QVERIFY(work.isValid() && temp.isValid());
        const QString hooks = temp.filePath(QStringLiteral("hooks.log"));
        const QStringList arguments = {QStringLiteral("--simulate=") +
                                       work.filePath(QStringLiteral("keyboard.json"))};

        QProcess first;
        QProcessEnvironment env = environment(temp.path(), hooks);
        env.insert(QStringLiteral("ZENTARO_TEST_ACTION"), QStringLiteral("switch-theme"));
        first.setProcessEnvironment(env);
        first.setWorkingDirectory(work.path());
        first.start(program, arguments);
        QVERIFY(first.waitForFinished(60000));
        QCOMPARE(first.exitCode(), 0);

        // The new copy comes up in the dark theme.
        QTRY_VERIFY_WITH_TIMEOUT(readHooks(hooks).count(QStringLiteral("zentaro: ready")) == 2,
                                 60000);
        const QString log = readHooks(hooks);
        QVERIFY2(log.contains(QStringLiteral("zentaro: theme 0")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("zentaro: theme 1")), qPrintable(log));
        const auto pids =
            QRegularExpression(QStringLiteral("zentaro: pid (\\d+)")).globalMatch(log);
        qint64 pid = 0;
        for (auto it = pids; it.hasNext();) pid = it.next().captured(1).toLongLong();
        QVERIFY(pid > 0 && pid != first.processId());
        QSettings settings(work.filePath(QStringLiteral("data/config.ini")), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("System/Theme")).toInt(), 1);

        // It is the one running copy: a further start hands over to it.
        QProcess third;
        third.setProcessEnvironment(environment(temp.path(), hooks));
        third.setWorkingDirectory(work.path());
        third.start(program, arguments);
        QVERIFY(third.waitForFinished(60000));
        QCOMPARE(third.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(readHooks(hooks).contains(QStringLiteral("zentaro: raised")),
                                 10000);
        QCOMPARE(readHooks(hooks).count(QStringLiteral("zentaro: ready")), 2);

        ::kill(pid_t(pid), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(pid_t(pid), 0) != 0, 20000);
    }
};

QTEST_MAIN(TestThemeRestart)
#include "tst_themerestart.moc"
