// zentaro-cli light and reset: key colours and the factory reset from a
// script, read back with dump --json.
#include <QJsonArray>
#include <QTest>

#include "cli/clirunner.h"

namespace {

QJsonObject light(const QJsonObject& dump, int key) {
    for (const QJsonValue& l : dump["keyboardCustomLightMap"].toArray())
        if (l["keyItem"].toInt() == key) return l.toObject();
    return {};
}

constexpr int kA = 46, kS = 47, kD = 48;  // on the simulated 75 % board

}  // namespace

class TestLightCli : public QObject {
    Q_OBJECT
private slots:
    void customColoursThenFactoryReset();
    void badInputSendsNothing();
};

void TestLightCli::customColoursThenFactoryReset() {
    CliRunner cli;
    const QJsonObject factory = cli.dump();
    CliRunner::Run r = cli.run({"light", "custom", "A,S", "#FF8800", "80"});
    QVERIFY2(r.code == 0, r.err.constData());
    QJsonObject d = cli.dump();
    for (int key : {kA, kS}) {
        QCOMPARE(light(d, key)["colorR"].toInt(), 255);
        QCOMPARE(light(d, key)["colorG"].toInt(), 0x88);
        QCOMPARE(light(d, key)["colorB"].toInt(), 0);
        QCOMPARE(light(d, key)["light"].toInt(), 80);
    }
    QCOMPARE(light(d, kD), light(factory, kD));
    r = cli.run({"light", "effect", "custom"});
    QVERIFY2(r.code == 0 && r.out.contains("custom"), r.err.constData());
    r = cli.run({"light", "effect", "breathing"});
    QVERIFY2(r.code == 0 && r.out.contains("Breathing"), r.err.constData());

    // A reset needs --yes; without it the keyboard keeps everything.
    const QByteArray flash = cli.state();
    r = cli.run({"reset"});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().contains("--yes"), r.err.constData());
    QCOMPARE(cli.state(), flash);
    QVERIFY(cli.run({"key", "set", "0", "Esc", "F13"}).code == 0);
    r = cli.run({"reset", "--yes"});
    QVERIFY2(r.code == 0, r.err.constData());
    d = cli.dump();
    QCOMPARE(light(d, kA), light(factory, kA));
    QCOMPARE(d["keyboardFnMap"], factory["keyboardFnMap"]);
}

void TestLightCli::badInputSendsNothing() {
    CliRunner cli;
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    const QList<QPair<QStringList, QByteArray>> cases{
        {{"light", "custom", "A", "orange", "50"}, "no colour"},
        {{"light", "custom", "A", "#FF8800", "101"}, "0 to 100"},
        {{"light", "custom", "Nope", "#FF8800", "50"}, "no key named"},
        {{"light", "effect", "99"}, "no effect \"99\""},
        {{"light", "effect", "1", "2"}, "usage"},
        {{"reset", "--yes", "--now"}, "only --yes"},
    };
    for (const auto& c : cases) {
        const CliRunner::Run r = cli.run(c.first);
        QVERIFY2(r.code == 2, qPrintable(c.first.join(' ')));
        QVERIFY2(r.lastError().contains(c.second), r.err.constData());
        QCOMPARE(cli.state(), flash);
    }
}

QTEST_GUILESS_MAIN(TestLightCli)
#include "tst_lightcli.moc"
