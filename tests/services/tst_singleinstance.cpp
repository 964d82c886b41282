// One copy per user: the shared-memory guard and the hand-over in-process,
// then the real executable started several times (a second copy hands over
// and exits, junk on the server raises nothing, a killed copy does not lock
// out later starts).
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "services/singleinstance.h"

namespace {
QString uniqueName(const char* what) {
    static int counter = 0;
    return QStringLiteral("ZentaroTest-%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QLatin1String(what))
        .arg(++counter);
}

// A started copy of the application with its standard output collected.
class AppProcess {
public:
    AppProcess(const QString& workDir, const QString& tempDir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The segment's key file and the server socket live in the temporary
        // folder: a private one keeps these copies apart from any other.
        env.insert(QStringLiteral("TMPDIR"), tempDir);
        env.insert(QStringLiteral("ZENTARO_TEST_HOOKS"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workDir);
        process.setProgram(qEnvironmentVariable("ZENTARO_BIN_DIR") + QStringLiteral("/zentaro"));
        process.setArguments(
            {QStringLiteral("--simulate=") + workDir + QStringLiteral("/simulated-keyboard.json")});
    }
    ~AppProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    void start() { process.start(); }
    // Waits until the copy printed the hook line "zentaro: <event>".
    bool waitFor(const QString& event, int timeoutMs) {
        const QByteArray line = "zentaro: " + event.toLatin1() + "\n";
        QElapsedTimer clock;
        clock.start();
        while (!output.contains(line)) {
            if (clock.elapsed() > timeoutMs) return false;
            process.waitForReadyRead(50);
            output += process.readAllStandardOutput();
            if (process.state() == QProcess::NotRunning) {
                output += process.readAllStandardOutput();
                return output.contains(line);
            }
        }
        return true;
    }
    // Collects output for a while.
    void drain(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && process.state() != QProcess::NotRunning) {
            process.waitForReadyRead(50);
            output += process.readAllStandardOutput();
        }
    }
    int countOf(const QString& event) {
        output += process.readAllStandardOutput();
        return output.count("zentaro: " + event.toLatin1() + "\n");
    }

    QProcess process;
    QByteArray output;
};
}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void firstOwnsSecondSeesRunning();
    void handOverSendsExactlyActivate();
    void liveOwnerWithoutServerIsWaitedFor();
    void secondCopyHandsOverAndExits();
};

void TestSingleInstance::firstOwnsSecondSeesRunning() {
    const QString key = uniqueName("key");
    SingleInstance first(key, uniqueName("server"));
    QVERIFY(!first.isRunning());
    QVERIFY(first.ownsSegment());

    SingleInstance second(key, uniqueName("server"));
    QVERIFY(second.isRunning());
    QVERIFY(!second.ownsSegment());

    // A different key is a different application.
    SingleInstance other(uniqueName("key"), uniqueName("server"));
    QVERIFY(!other.isRunning());
}

void TestSingleInstance::handOverSendsExactlyActivate() {
    const QString key = uniqueName("key");
    const QString serverName = uniqueName("server");
    SingleInstance first(key, serverName);
    QVERIFY(!first.isRunning());
    QLocalServer server;
    QVERIFY(server.listen(serverName));

    SingleInstance second(key, serverName);
    second.setHandOverSleepMs(0);
    QVERIFY(second.isRunning());
    QCOMPARE(second.handOver(), SingleInstance::HandOver::Activated);

    QVERIFY(server.waitForNewConnection(5000));
    QLocalSocket* socket = server.nextPendingConnection();
    QVERIFY(socket);
    QByteArray received = socket->readAll();
    while (socket->state() == QLocalSocket::ConnectedState && socket->waitForReadyRead(1000)) {
        received += socket->readAll();
    }
    received += socket->readAll();
    QCOMPARE(received, QByteArrayLiteral("activate"));
}

void TestSingleInstance::liveOwnerWithoutServerIsWaitedFor() {
    // The owner is alive (attached) but not listening yet, as during its
    // start-up: the later copy keeps trying until its time is up and never
    // takes the segment.
    const QString key = uniqueName("key");
    SingleInstance first(key, uniqueName("server"));
    QVERIFY(!first.isRunning());

    SingleInstance second(key, uniqueName("server"));
    second.setConnectTimeoutMs(400);
    second.setRetryIntervalMs(20);
    QVERIFY(second.isRunning());
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(second.handOver(), SingleInstance::HandOver::NotReached);
    QVERIFY(clock.elapsed() >= 400);
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!second.ownsSegment());

    SingleInstance third(key, uniqueName("server"));
    QVERIFY(third.isRunning());
}

void TestSingleInstance::secondCopyHandsOverAndExits() {
    const QString program = qEnvironmentVariable("ZENTARO_BIN_DIR") + QStringLiteral("/zentaro");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program + " is not built"));
    QTemporaryDir work;
    QTemporaryDir temp;
    QVERIFY(work.isValid() && temp.isValid());
    const QString serverPath = temp.path() + QStringLiteral("/Qt6Zentaro");

    AppProcess first(work.path(), temp.path());
    first.start();
    QVERIFY2(first.waitFor(QStringLiteral("ready"), 60000), first.output.constData());

    // The second copy hands over and exits with 0; the first comes forward.
    {
        AppProcess second(work.path(), temp.path());
        second.start();
        QVERIFY(second.process.waitForFinished(60000));
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), 0);
        QVERIFY(!second.output.contains("zentaro: ready"));
        QVERIFY(second.process.readAllStandardError().contains("写入网络信息"));
    }
    QVERIFY(first.waitFor(QStringLiteral("raised"), 10000));
    QCOMPARE(first.countOf(QStringLiteral("raised")), 1);

    // Anything but exactly "activate" raises nothing.
    {
        QLocalSocket socket;
        socket.connectToServer(serverPath);
        QVERIFY(socket.waitForConnected(5000));
        socket.write("activate\n");
        QVERIFY(socket.waitForBytesWritten(5000));
        first.drain(1500);
        QCOMPARE(first.countOf(QStringLiteral("raised")), 1);
    }
    {
        QLocalSocket socket;
        socket.connectToServer(serverPath);
        QVERIFY(socket.waitForConnected(5000));
        socket.write("activate");
        QVERIFY(socket.waitForBytesWritten(5000));
        QTRY_COMPARE_WITH_TIMEOUT(first.countOf(QStringLiteral("raised")), 2, 5000);
    }

    // The log of the running copy has its lines.
    QFile log(work.filePath(QStringLiteral("app.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString logText = QString::fromUtf8(log.readAll());
    QVERIFY(logText.contains(QRegularExpression(
        QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[4\\] === "
                       "SystemConfigUtil 初始化 ===\n"))));
    log.close();

    // A killed copy leaves its segment and socket file behind; the next start
    // must not mistake them for a running copy.
    first.process.kill();
    QVERIFY(first.process.waitForFinished(10000));
    AppProcess third(work.path(), temp.path());
    third.start();
    QVERIFY2(third.waitFor(QStringLiteral("ready"), 60000),
             third.process.readAllStandardError().constData());

    // ... and it is the one a later copy hands over to.
    {
        AppProcess fourth(work.path(), temp.path());
        fourth.start();
        QVERIFY(fourth.process.waitForFinished(60000));
        QCOMPARE(fourth.process.exitCode(), 0);
        QVERIFY(!fourth.output.contains("zentaro: ready"));
    }
    QVERIFY(third.waitFor(QStringLiteral("raised"), 10000));

    // SIGTERM ends it through the normal shutdown.
    third.process.terminate();
    QVERIFY(third.process.waitForFinished(20000));
    QCOMPARE(third.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(third.process.exitCode(), 0);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(log.readAll())
                .contains(QStringLiteral("应用程序即将关闭，这里可以执行清理工作")));

    // Its segment is gone with it: the next copy starts at once.
    AppProcess fifth(work.path(), temp.path());
    fifth.start();
    QVERIFY(fifth.waitFor(QStringLiteral("ready"), 60000));
    fifth.process.terminate();
    QVERIFY(fifth.process.waitForFinished(20000));
    QCOMPARE(fifth.process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
