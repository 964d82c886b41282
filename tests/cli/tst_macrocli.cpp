// zentaro-cli macro: a macro stored from JSON, read back with dump --json and
// with macro get --json; bad files refused before anything is sent.
#include <QJsonArray>
#include <QTest>

#include "cli/clirunner.h"

class TestMacroCli : public QObject {
    Q_OBJECT
private slots:
    void storeReadBackAndClear();
    void badFilesSendNothing();
};

void TestMacroCli::storeReadBackAndClear() {
    CliRunner cli;
    QVERIFY(cli.write("copy.json", R"({"events": [
        {"key": "Left Ctrl", "action": "down", "time": 10},
        {"key": "C", "action": "down", "time": 30},
        {"key": "C", "action": "up", "time": 0},
        {"key": "Left Ctrl", "action": "up", "time": 65535}]})"));
    CliRunner::Run r = cli.run({"macro", "set", "3", cli.path("copy.json")});
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonArray m3 = cli.dump()["keyboardMacroList"].toArray().at(2).toArray();
    QCOMPARE(m3.size(), 4);
    QCOMPARE(m3.at(0)["type"].toInt(), 0);
    QCOMPARE(m3.at(0)["lValue"].toInt(), 1);
    QCOMPARE(m3.at(0)["state"].toInt(), 1);
    QCOMPARE(m3.at(1)["type"].toInt(), 1);
    QCOMPARE(m3.at(1)["lValue"].toInt(), 6);
    QCOMPARE(m3.at(2)["state"].toInt(), 0);
    QCOMPARE(m3.at(3)["time"].toInt(), 65535);

    // What get --json prints is a file set takes back unchanged.
    r = cli.run({"macro", "get", "M3", "--json"});
    QCOMPARE(r.code, 0);
    QVERIFY(cli.write("again.json", r.out));
    QVERIFY(cli.run({"macro", "set", "10", cli.path("again.json")}).code == 0);
    QJsonObject d = cli.dump();
    QCOMPARE(d["keyboardMacroList"].toArray().at(9), d["keyboardMacroList"].toArray().at(2));

    r = cli.run({"macro", "clear", "3"});
    QVERIFY2(r.code == 0, r.err.constData());
    d = cli.dump();
    QVERIFY(d["keyboardMacroList"].toArray().at(2).toArray().isEmpty());
    QCOMPARE(d["keyboardMacroList"].toArray().at(9).toArray().size(), 4);
}

void TestMacroCli::badFilesSendNothing() {
    CliRunner cli;
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    QByteArray many = "[";
    for (int i = 0; i < 21; ++i)
        many += QByteArray(i ? "," : "") + R"({"key":"A","action":"down","time":1})";
    many += "]";
    struct Case {
        QByteArray file;
        QByteArray says;
    };
    const QList<Case> cases{
        {many, "21 events; a macro takes at most 20"},
        {R"([{"key":"A","action":"down","time":65536}])", "0 to 65535"},
        {R"([{"key":"A","action":"down","time":1.5}])", "whole number"},
        {R"([{"key":"A","action":"press","time":1}])", "down or up"},
        {R"([{"key":"Nope","action":"down","time":1}])", "\"Nope\" is no key function"},
        {R"([{"key":"mute","action":"down","time":1}])", "keys and modifiers only"},
        {R"([{"key":"A","action":"down","time":1,"delay":3}])", "unknown field \"delay\""},
        {R"([])", "holds no events"},
        {R"({"events": )", "is no JSON"},
    };
    for (const Case& c : cases) {
        QVERIFY(cli.write("m.json", c.file));
        const CliRunner::Run r = cli.run({"macro", "set", "1", cli.path("m.json")});
        QVERIFY2(r.code == 2, c.file.constData());
        QVERIFY2(r.lastError().contains(c.says), r.err.constData());
        QCOMPARE(cli.state(), flash);
    }
    CliRunner::Run r = cli.run({"macro", "set", "1", cli.path("missing.json")});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().endsWith("cannot read missing.json: no such file"), r.err.constData());
    r = cli.run({"macro", "clear", "11"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().contains("1 to 10"), r.err.constData());
    QCOMPARE(cli.state(), flash);
}

QTEST_GUILESS_MAIN(TestMacroCli)
#include "tst_macrocli.moc"
