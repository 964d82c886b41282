// zentaro-cli trigger and params: actuation, rapid trigger and the global
// parameters from a script, read back with dump --json; values outside the
// product's ranges refused before anything is sent.
#include <QJsonArray>
#include <QTest>

#include "cli/clirunner.h"

namespace {

QJsonObject trigger(const QJsonObject& dump, int key) {
    for (const QJsonValue& t : dump["keyboardTriggerMap"].toArray())
        if (t["keyItem"].toInt() == key) return t.toObject();
    return {};
}

// On the simulated 75 % board: A, S and D.
constexpr int kA = 46, kS = 47, kD = 48;

}  // namespace

class TestTriggerCli : public QObject {
    Q_OBJECT
private slots:
    void actuationAndRapidTrigger();
    void globalParameters();
    void outOfRangeSendsNothing();
};

void TestTriggerCli::actuationAndRapidTrigger() {
    CliRunner cli;
    const QJsonObject before = cli.dump();
    CliRunner::Run r =
        cli.run({"trigger", "set", "A,S", "1.20", "--rapid", "0.1", "0.15", "--continuous", "on"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("actuation 1.20 mm, rapid trigger 0.10/0.15 mm, continuous"),
             r.out.constData());
    QJsonObject d = cli.dump();
    for (int key : {kA, kS}) {
        const QJsonObject t = trigger(d, key);
        QCOMPARE(t["trigger"].toInt(), 120);
        QCOMPARE(t["model"].toBool(), true);
        QCOMPARE(t["quick"].toBool(), true);
        QCOMPARE(t["quickTrigger"].toInt(), 10);
        QCOMPARE(t["resetTrigger"].toInt(), 15);
    }
    QCOMPARE(trigger(d, kD), trigger(before, kD));

    // Without --rapid the sensitivities stay; --rapid off keeps them too.
    r = cli.run({"trigger", "set", "S", "2"});
    QVERIFY2(r.code == 0, r.err.constData());
    r = cli.run({"trigger", "set", "A", "0.5", "--rapid", "off"});
    QVERIFY2(r.code == 0, r.err.constData());
    d = cli.dump();
    QCOMPARE(trigger(d, kS)["trigger"].toInt(), 200);
    QCOMPARE(trigger(d, kS)["model"].toBool(), true);
    QCOMPARE(trigger(d, kA)["trigger"].toInt(), 50);
    QCOMPARE(trigger(d, kA)["model"].toBool(), false);
    QCOMPARE(trigger(d, kA)["quickTrigger"].toInt(), 10);
}

void TestTriggerCli::globalParameters() {
    CliRunner cli;
    const CliRunner::Run r = cli.run({"params", "set", "polling=1K", "debounce=middle",
                                      "dead-down=20", "dead-up=0", "touch=off", "sports=on"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("polling=8K -> polling=1K"), r.out.constData());
    const QJsonObject w = cli.dump()["keyboardWholeParam"].toObject();
    QCOMPARE(w["pollingRate"].toInt(), 3);
    QCOMPARE(w["shakeLevel"].toInt(), 1);
    QCOMPARE(w["deadDown"].toInt(), 20);
    QCOMPARE(w["deadUp"].toInt(), 0);
    QCOMPARE(w["touchOptimize"].toBool(), false);
    QCOMPARE(w["sportsMode"].toBool(), true);
    QVERIFY(cli.run({"params", "get"}).out.contains("dead-down=20"));
}

void TestTriggerCli::outOfRangeSendsNothing() {
    CliRunner cli;
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    struct Case {
        QStringList args;
        QByteArray says;
    };
    // The simulated board's ranges: actuation 0.10 to 4.00 mm, both
    // sensitivities 0.01 to 2.00 mm.
    const QList<Case> cases{
        {{"trigger", "set", "A", "4.01"}, "4.01 mm is outside 0.10 to 4.00 mm"},
        {{"trigger", "set", "A", "0.05"}, "outside"},
        {{"trigger", "set", "A", "1.234"}, "no distance"},
        {{"trigger", "set", "A", "1.2", "--rapid", "2.5", "0.1"}, "press: 2.50 mm is outside"},
        {{"trigger", "set", "A", "1.2", "--rapid", "0.1", "0"}, "release: 0.00 mm"},
        {{"trigger", "set", "A", "1.2", "--rapid", "0.1"}, "--rapid takes"},
        {{"trigger", "set", "A", "1.2", "--continuous", "maybe"}, "on or off"},
        {{"trigger", "set", "A,Nope", "1.2"}, "no key named \"Nope\""},
        {{"trigger", "set", "A", "1.2", "--turbo"}, "unexpected argument"},
        {{"params", "set", "dead-down=101"}, "0 to 100"},
        {{"params", "set", "polling=3K"}, "8K, 4K, 2K or 1K"},
        {{"params", "set", "debounce=extreme"}, "low, middle or high"},
        {{"params", "set", "volume=3"}, "unknown parameter"},
        {{"params", "set", "touch"}, "NAME=VALUE"},
    };
    for (const Case& c : cases) {
        const CliRunner::Run r = cli.run(c.args);
        QVERIFY2(r.code == 2, qPrintable(c.args.join(' ')));
        QVERIFY2(r.lastError().contains(c.says), r.err.constData());
        QCOMPARE(cli.state(), flash);
    }
}

QTEST_GUILESS_MAIN(TestTriggerCli)
#include "tst_triggercli.moc"
