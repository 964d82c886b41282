// zentaro-cli as a user runs it: a real process on the simulated keyboard,
// and on no keyboard at all.
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "cli/clirunner.h"

class TestZentaroCli : public QObject {
    Q_OBJECT
private slots:
    void dumpJsonHasTheWholeModel_data();
    void dumpJsonHasTheWholeModel();
    void stateFileKeepsChangesBetweenRuns();
    void noKeyboardIsAnErrorNotAHang();
    void badUsage();
    void scriptedSession();
    void everyCommandHasHelp();

private:
    struct Run {
        int code = -1;
        QByteArray out, err;
        qint64 ms = 0;
    };
    Run run(const QStringList& args);
};

TestZentaroCli::Run TestZentaroCli::run(const QStringList& args) {
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(qEnvironmentVariable("ZENTARO_BIN_DIR") + QStringLiteral("/zentaro-cli"), args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.ms = clock.elapsed();
    return r;
}

void TestZentaroCli::dumpJsonHasTheWholeModel_data() {
    QTest::addColumn<QString>("channel");
    QTest::newRow("both interfaces") << QString();
    QTest::newRow("64-byte channel") << QStringLiteral("--channel=64");
}

void TestZentaroCli::dumpJsonHasTheWholeModel() {
    QFETCH(QString, channel);
    QTemporaryDir dir;
    QStringList args{QStringLiteral("--simulate=") + dir.filePath(QStringLiteral("kb.state"))};
    if (!channel.isEmpty()) args << channel;
    const Run r = run(args << QStringLiteral("dump") << QStringLiteral("--json"));
    QVERIFY2(r.code == 0, r.err.constData());
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QStringList keys{
        "keyboardProductInfo",    "keyboardConfigIndex",    "keyboardConfigList",
        "keyboardWholeParam",     "keyboardCustomLightMap", "keyboardEffectNameMap",
        "keyboardEffectLightMap", "keyboardFnMap",          "keyboardFn1Map",
        "keyboardHighKeyList",    "keyboardMacroList",      "keyboardTriggerMap"};
    QCOMPARE(o.keys().size(), keys.size());
    for (const QString& k : keys) QVERIFY2(o.contains(k), qPrintable(k));
    QCOMPARE(o["keyboardMacroList"].toArray().size(), 10);
    const QJsonArray slotList = o["keyboardHighKeyList"].toArray();
    QCOMPARE(slotList.size(), 32);
    QCOMPARE(slotList.at(0).toObject()["data"].toArray().size(), 18);
    QVERIFY(o["keyboardConfigList"].toArray().size() >= 2);
    // Maps are arrays ordered by key.
    const QJsonArray fn = o["keyboardFnMap"].toArray();
    QVERIFY(fn.size() > 60);
    for (int i = 0; i < fn.size(); ++i) QCOMPARE(fn.at(i).toObject()["keyItem"].toInt(), i);
    QCOMPARE(o["keyboardProductInfo"].toObject()["serialNumber"].toInt(), 258);
    QCOMPARE(o["keyboardEffectNameMap"].toArray().at(0).toObject()["name"].toString(),
             QStringLiteral("Static"));
}

void TestZentaroCli::stateFileKeepsChangesBetweenRuns() {
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("kb.state"));
    QVERIFY(run({QStringLiteral("--simulate=") + state, QStringLiteral("info")}).code == 0);
    QVERIFY(QFile::exists(state));
    // Change the keyboard's flash by hand and see the next run read it.
    QFile file(state);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonArray profiles = o["profiles"].toArray();
    QJsonObject first = profiles.at(0).toObject();
    first["name"] = QStringLiteral("Renamed");
    profiles.replace(0, first);
    o["profiles"] = profiles;
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(o).toJson());
    file.close();
    const Run r = run({QStringLiteral("--simulate=") + state, QStringLiteral("dump")});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("Renamed"), r.out.constData());
}

void TestZentaroCli::noKeyboardIsAnErrorNotAHang() {
    // A backend without any device, whatever is plugged into this machine; a
    // hang would end in the kill after a minute (code -1).
    const Run r =
        run({QStringLiteral("--simulate"), QStringLiteral("--unplugged"), QStringLiteral("info")});
    QVERIFY(r.code > 0);
    QVERIFY2(r.err.contains("no keyboard found") && r.err.contains("-200"), r.err.constData());
    QCOMPARE(r.err.count('\n'), 1);
}

void TestZentaroCli::badUsage() {
    QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("frobnicate")}).code, 2);
    QCOMPARE(run({}).code, 2);
    QCOMPARE(run({QStringLiteral("--unplugged"), QStringLiteral("info")}).code, 2);
}

// What a player's script does when a game starts: profile 2, F13 on a key
// with its own actuation and rapid trigger, a macro from a file; then
// everything read back in one dump.
void TestZentaroCli::scriptedSession() {
    CliRunner cli;
    QVERIFY(cli.write("m.json", R"([{"key": "F13", "action": "down", "time": 20},
                                   {"key": "F13", "action": "up", "time": 0}])"));
    const QList<QStringList> script{
        {"profile", "switch", "2"},
        {"key", "set", "0", "Esc", "F13"},
        {"trigger", "set", "Esc", "1.20", "--rapid", "0.10", "0.15"},
        {"macro", "set", "3", cli.path("m.json")},
    };
    for (const QStringList& args : script) {
        const CliRunner::Run r = cli.run(args);
        QVERIFY2(r.code == 0, qPrintable(args.join(' ') + ": " + r.err));
        QVERIFY2(!r.out.isEmpty(), qPrintable(args.join(' ')));  // says what changed
    }
    const QJsonObject d = cli.dump();
    QCOMPARE(d["keyboardConfigIndex"].toInt(), 2);
    const QJsonObject esc = d["keyboardFnMap"].toArray().at(0).toObject();
    QCOMPARE(esc["keyItem"].toInt(), 0);
    QCOMPARE(esc["type"].toInt(), 1);
    QCOMPARE(esc["lValue"].toInt(), 0x68);
    const QJsonObject trigger = d["keyboardTriggerMap"].toArray().at(0).toObject();
    QCOMPARE(trigger["keyItem"].toInt(), 0);
    QCOMPARE(trigger["trigger"].toInt(), 120);
    QCOMPARE(trigger["model"].toBool(), true);
    QCOMPARE(trigger["quickTrigger"].toInt(), 10);
    QCOMPARE(trigger["resetTrigger"].toInt(), 15);
    const QJsonArray macro = d["keyboardMacroList"].toArray().at(2).toArray();
    QCOMPARE(macro.size(), 2);
    QCOMPARE(macro.at(0)["lValue"].toInt(), 0x68);
    QCOMPARE(macro.at(0)["time"].toInt(), 20);
}

void TestZentaroCli::everyCommandHasHelp() {
    for (const char* command : {"info", "dump", "export", "import", "profile", "key", "trigger",
                                "params", "macro", "light", "firmware", "firmware-data", "reset"}) {
        // --help never touches a keyboard, not even a missing one.
        const Run r = run({QStringLiteral("--simulate"), QStringLiteral("--unplugged"),
                           QString::fromLatin1(command), QStringLiteral("--help")});
        QVERIFY2(r.code == 0, command);
        QVERIFY2(r.out.contains(QByteArray("zentaro-cli [options] ") + command), r.out.constData());
    }
    // Extra words are refused, not ignored.
    QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("info"), QStringLiteral("x")}).code,
             2);
    QCOMPARE(
        run({QStringLiteral("--simulate"), QStringLiteral("dump"), QStringLiteral("--jsno")}).code,
        2);
}

QTEST_GUILESS_MAIN(TestZentaroCli)
#include "tst_zentarocli.moc"
