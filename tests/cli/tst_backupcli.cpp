// zentaro-cli backup and the backup around firmware writes: backup, a
// firmware that resets the profiles, the difference seen, restore, equal
// settings; and every way a backup or restore can fail.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTest>
#include <QtEndian>

#include "cli/clirunner.h"

namespace {

constexpr quint16 kProduct = 258;  // the simulated keyboard

// A firmware file for the simulated keyboard whose image names `version`
// (unsigned: written with --unsigned).
QByteArray firmwareFile(quint16 version) {
    QByteArray image = "ZFW1";
    image += char(version & 0xFF);
    image += char(version >> 8);
    for (int i = int(image.size()); i < 2048; ++i) image += char(i * 7);
    quint32 sum = 0;
    for (char c : image) sum += quint8(c);
    QByteArray header(40, '\0');
    qToLittleEndian<quint16>(kProduct, header.data());
    qToLittleEndian<quint32>(quint32(image.size()), header.data() + 4);
    qToLittleEndian<quint32>(sum, header.data() + 8);
    return header + image;
}

// Runs zentaro-cli with a control pipe and feeds it `line` once it listens.
CliRunner::Run runWithControl(const CliRunner& cli, const QStringList& args,
                              const QByteArray& line) {
    const QString pipe = cli.path(QStringLiteral("control"));
    ::mkfifo(QFile::encodeName(pipe).constData(), 0600);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZENTARO_BACKUP_FOLDER"), cli.path(QStringLiteral("backups")));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("ZENTARO_BIN_DIR") + QStringLiteral("/zentaro-cli"),
            QStringList{QStringLiteral("--simulate=") + cli.statePath(),
                        QStringLiteral("--simulate-control=") + pipe} +
                args);
    // Opening for writing succeeds once the program reads the pipe.
    int fd = -1;
    for (int i = 0; i < 500 && fd < 0; ++i) {
        fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        if (fd < 0) QTest::qWait(10);
    }
    if (fd >= 0) {
        const QByteArray text = line + '\n';
        if (::write(fd, text.constData(), size_t(text.size())) != text.size())
            qWarning("short write");
        ::close(fd);
    }
    CliRunner::Run r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString backupId(const QByteArray& out) {
    static const QRegularExpression id(QStringLiteral("backup restore (\\d{8}-\\d{6}(-\\d+)?)"));
    return id.match(QString::fromUtf8(out)).captured(1);
}

// What a restore must bring back: every table's settings, without the
// firmware version (which the update changed on purpose).
QJsonObject settings(const CliRunner& cli) {
    QJsonObject d = cli.dump();
    d.remove(QStringLiteral("keyboardProductInfo"));
    return d;
}

}  // namespace

class TestBackupCli : public QObject {
    Q_OBJECT
private slots:
    void firmwareResetThenRestore();
    void backupCommands();
    void failedBackupSendsNoFirmware();
    void damagedOrForeignBackupIsNotRestored();
};

void TestBackupCli::firmwareResetThenRestore() {
    CliRunner cli;
    QCOMPARE(cli.run({"profile", "rename", "1", "Tournament"}).code, 0);
    QCOMPARE(cli.run({"key", "set", "0", "Esc", "F13"}).code, 0);
    QCOMPARE(cli.run({"trigger", "set", "W", "1.20"}).code, 0);
    const QJsonObject mine = settings(cli);
    QVERIFY(!mine.isEmpty());
    QVERIFY(cli.write("new.bin", firmwareFile(0x0106)));

    CliRunner::Run r = runWithControl(cli, {"firmware", "write", cli.path("new.bin"), "--unsigned"},
                                      "reset-on-firmware on");
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("backed up 3 profiles"), r.out.constData());
    QVERIFY2(r.out.contains("profiles differ from backup"), r.out.constData());
    const QString id = backupId(r.out);
    QVERIFY2(!id.isEmpty(), r.out.constData());
    QCOMPARE(cli.dump()["keyboardProductInfo"].toObject()["version"].toInt(), 0x0106);
    QVERIFY(settings(cli) != mine);  // the firmware reset them

    r = cli.run({"backup", "list"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains(id.toUtf8() + "  ") && r.out.contains("automatic") &&
                 r.out.contains("3 profiles") && r.out.contains("Tournament"),
             r.out.constData());

    r = cli.run({"backup", "restore", id});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(r.out.contains("restored: Tournament"));
    QCOMPARE(settings(cli), mine);

    // The same firmware once more, on a keyboard that keeps its profiles.
    r = cli.run({"firmware", "write", cli.path("new.bin"), "--unsigned"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("the keyboard kept its profiles"), r.out.constData());
    // --no-backup: no backup, and no comparison.
    r = cli.run({"firmware", "write", cli.path("new.bin"), "--no-backup", "--unsigned"});
    QCOMPARE(r.code, 0);
    QVERIFY(!r.out.contains("backed up"));
    QCOMPARE(QDir(cli.path("backups/258")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
}

void TestBackupCli::backupCommands() {
    CliRunner cli;
    CliRunner::Run r = cli.run({"backup", "list"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains("no backups"));
    r = cli.run({"backup", "create"});
    QVERIFY2(r.code == 0, r.err.constData());
    const QStringList ids =
        QDir(cli.path("backups/258")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(ids.size(), 1);
    r = cli.run({"backup", "list"});
    QVERIFY(r.out.contains("manual"));
    // Refused before the keyboard is opened.
    QCOMPARE(cli.run({"backup", "restore", "../../etc"}).code, 2);
    QCOMPARE(cli.run({"backup", "restore"}).code, 2);
    QCOMPARE(cli.run({"backup", "frobnicate"}).code, 2);
    r = cli.run({"backup", "delete", "20000101-000000"});
    QCOMPARE(r.code, 1);
    QVERIFY(r.lastError().contains("no backup 20000101-000000"));
    QCOMPARE(cli.run({"backup", "delete", ids.first()}).code, 0);
    QVERIFY(QDir(cli.path("backups/258")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    // No keyboard: a clear line, no backup.
    r = cli.run({"backup", "create"}, {"--unplugged"});
    QCOMPARE(r.code, 1);
    QVERIFY(r.lastError().contains("no keyboard"));
}

void TestBackupCli::failedBackupSendsNoFirmware() {
    CliRunner cli;
    QVERIFY(cli.write("new.bin", firmwareFile(0x0106)));
    // The data folder cannot hold a backup: a file stands where it would go.
    QVERIFY(cli.write("blocked", "x"));
    cli.backupFolder = cli.path("blocked");
    CliRunner::Run r = cli.run({"firmware", "write", cli.path("new.bin"), "--unsigned"});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("cannot back up the profiles"), r.err.constData());
    QVERIFY(r.lastError().contains("--no-backup"));
    QCOMPARE(cli.dump()["keyboardProductInfo"].toObject()["version"].toInt(), 0x0105);
    // The user's explicit choice.
    r = cli.run({"firmware", "write", cli.path("new.bin"), "--no-backup", "--unsigned"});
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(cli.dump()["keyboardProductInfo"].toObject()["version"].toInt(), 0x0106);
}

void TestBackupCli::damagedOrForeignBackupIsNotRestored() {
    CliRunner cli;
    QCOMPARE(cli.run({"backup", "create"}).code, 0);
    const QString id =
        QDir(cli.path("backups/258")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).first();
    const QString dir = cli.path("backups/258/") + id;
    QCOMPARE(cli.run({"key", "set", "0", "Esc", "F13"}).code, 0);
    const QByteArray before = cli.state();

    QFile f(dir + "/profile-0.json");
    QVERIFY(f.open(QIODevice::Append));
    f.write("\n");
    f.close();
    CliRunner::Run r = cli.run({"backup", "list"});
    QVERIFY2(r.out.contains("damaged"), r.out.constData());
    r = cli.run({"backup", "restore", id});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.lastError().contains("damaged") && r.lastError().contains("nothing was sent"),
             r.lastError().constData());
    QCOMPARE(cli.state(), before);

    // A backup of another keyboard copied into this one's folder.
    QCOMPARE(cli.run({"backup", "create"}).code, 0);
    QStringList ids = QDir(cli.path("backups/258")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ids.removeAll(id);
    QFile m(cli.path("backups/258/") + ids.first() + "/manifest.json");
    QVERIFY(m.open(QIODevice::ReadOnly));
    QByteArray manifest = m.readAll();
    m.close();
    manifest.replace("\"product\": 258", "\"product\": 259");
    QVERIFY(m.open(QIODevice::WriteOnly | QIODevice::Truncate));
    m.write(manifest);
    m.close();
    r = cli.run({"backup", "restore", ids.first()});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.lastError().contains("product 259"), r.lastError().constData());
    QCOMPARE(cli.state(), before);
}

QTEST_GUILESS_MAIN(TestBackupCli)
#include "tst_backupcli.moc"
