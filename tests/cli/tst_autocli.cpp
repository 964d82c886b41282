// zentaro-cli auto: editing the rules (kept per product in config.ini),
// refusals, and `auto run` following a program that starts and ends, a
// keyboard unplugged while a rule fires, and a clean stop on SIGTERM.
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>

#include "cli/clirunner.h"

class TestAutoCli : public QObject {
    Q_OBJECT

private slots:
    void editRules() {
        CliRunner cli;
        QCOMPARE(cli.run({"auto", "add", "FPS", "--process", "cs2"}).code, 0);
        // A number names the profile it is now; the name is kept.
        QCOMPARE(cli.run({"auto", "add", "2", "--window-class", "Code", "--focus"}).code, 0);
        QCOMPARE(cli.run({"auto", "add", "FPS", "--title", "Arena"}).code, 0);
        QCOMPARE(cli.run({"auto", "default", "Default"}).code, 0);
        CliRunner::Run list = cli.run({"auto", "list"});
        QCOMPARE(list.code, 0);
        QCOMPARE(list.out, QByteArray("1 process cs2 -> FPS (while it runs)\n"
                                      "2 window class Code -> Typing (while it has the focus)\n"
                                      "3 title Arena -> FPS (while it has the focus)\n"
                                      "default: Default\n"));
        QCOMPARE(cli.run({"auto", "move", "3", "1"}).code, 0);
        QCOMPARE(cli.run({"auto", "remove", "2"}).code, 0);
        QCOMPARE(cli.run({"auto", "default", "none"}).code, 0);
        list = cli.run({"auto", "list"});
        QCOMPARE(list.out, QByteArray("1 title Arena -> FPS (while it has the focus)\n"
                                      "2 window class Code -> Typing (while it has the focus)\n"
                                      "default: none (leave as it is)\n"));
        // A rule whose profile was renamed away says so.
        QCOMPARE(cli.run({"profile", "rename", "1", "Shooter"}).code, 0);
        list = cli.run({"auto", "list"});
        QVERIFY2(list.out.contains("1 title Arena -> FPS (while it has the focus) [the keyboard "
                                   "has no such profile]"),
                 list.out);

        // Refused before anything is stored.
        QFile ini(cli.path("data/config.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray before = ini.readAll();
        ini.close();
        QCOMPARE(cli.run({"auto", "add", "Nope", "--process", "x"}).code, 2);
        QCOMPARE(cli.run({"auto", "add", "Typing"}).code, 2);
        QCOMPARE(cli.run({"auto", "add", "Typing", "--process"}).code, 2);
        QCOMPARE(cli.run({"auto", "add", "Typing", "--process", "a", "--title", "b"}).code, 2);
        QCOMPARE(cli.run({"auto", "remove", "3"}).code, 2);
        QCOMPARE(cli.run({"auto", "move", "1", "0"}).code, 2);
        QCOMPARE(cli.run({"auto", "default", "Nope"}).code, 2);
        QCOMPARE(cli.run({"auto", "frobnicate"}).code, 2);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(ini.readAll(), before);
    }

    void runFollowsAProgram() {
        CliRunner cli;
        // A program of its own name, so no other process on the machine matches.
        const QString game = cli.path("zentarogame");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), game));
        QCOMPARE(cli.run({"auto", "add", "FPS", "--process", "zentarogame"}).code, 0);
        QCOMPARE(cli.run({"auto", "default", "Default"}).code, 0);
        const CliRunner::Run idle = cli.run({"auto", "match"});
        QVERIFY2(idle.out.startsWith("no rule matches: default Default\n"), idle.out);

        const QString pipe = cli.path("control");
        QProcess run;
        run.setWorkingDirectory(cli.path(QString()));
        run.start(qEnvironmentVariable("ZENTARO_BIN_DIR") + QStringLiteral("/zentaro-cli"),
                  {QStringLiteral("--simulate=") + cli.statePath(),
                   QStringLiteral("--simulate-control=") + pipe, QStringLiteral("auto"),
                   QStringLiteral("run")});
        QVERIFY(run.waitForStarted());
        QByteArray out;
        auto waitOut = [&](const QByteArray& text) {
            QElapsedTimer t;
            t.start();
            while (!out.contains(text) && t.elapsed() < 15000) {
                run.waitForReadyRead(200);
                out += run.readAllStandardOutput();
            }
            return out.contains(text);
        };
        QVERIFY2(waitOut("switching automatically"), out + run.readAllStandardError());

        QProcess gameRun;
        gameRun.start(game, {QStringLiteral("30")});
        QVERIFY(gameRun.waitForStarted());
        QVERIFY2(waitOut("FPS profile for zentarogame\n"), out);
        gameRun.kill();
        gameRun.waitForFinished();
        QVERIFY2(waitOut("Default profile\n"), out);

        // Unplugged while the rule fires: dropped with a line, the loop goes on.
        QFile control(pipe);
        QVERIFY(control.open(QIODevice::WriteOnly));
        control.write("unplug\n");
        control.flush();
        gameRun.start(game, {QStringLiteral("30")});
        QVERIFY(gameRun.waitForStarted());
        QVERIFY2(waitOut("dropped"), out);
        gameRun.kill();
        gameRun.waitForFinished();

        ::kill(pid_t(run.processId()), SIGTERM);
        QVERIFY(run.waitForFinished(10000));
        out += run.readAllStandardOutput();
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
        QVERIFY2(out.endsWith("stopped; the keyboard stays on its profile\n"), out);
        control.close();
        const CliRunner::Run after = cli.run({"profile", "list"});
        QVERIFY2(after.out.startsWith("* 0 Default\n"), after.out);
    }
};

QTEST_GUILESS_MAIN(TestAutoCli)
#include "tst_autocli.moc"
