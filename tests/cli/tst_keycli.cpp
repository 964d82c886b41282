// zentaro-cli key: bindings of both layers changed from a script and read back
// with dump --json; bad names refused before anything is sent.
#include <QJsonArray>
#include <QTest>

#include "cli/clirunner.h"

namespace {

// On the simulated 75 % board: Esc is key 0, A is key 46.
constexpr int kEsc = 0;
constexpr int kA = 46;

QJsonObject binding(const QJsonObject& dump, int layer, int key) {
    const QJsonArray map = dump[layer ? "keyboardFn1Map" : "keyboardFnMap"].toArray();
    for (const QJsonValue& b : map)
        if (b["keyItem"].toInt() == key) return b.toObject();
    return {};
}

QString triple(const QJsonObject& b) {
    return QStringLiteral("%1:%2:%3")
        .arg(b["type"].toInt())
        .arg(b["hValue"].toInt())
        .arg(b["lValue"].toInt());
}

}  // namespace

class TestKeyCli : public QObject {
    Q_OBJECT
private slots:
    void setByNameThenReset();
    void advancedKeyIsFreed();
    void keyNumbersDrawnAsOneKeyGoTogether();
    void badInputSendsNothing();
};

void TestKeyCli::setByNameThenReset() {
    CliRunner cli;
    const QJsonObject factory = cli.dump();

    CliRunner::Run r = cli.run({"key", "set", "0", "Esc", "F13"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("Esc -> F13"), r.out.constData());
    r = cli.run({"key", "set", "fn", "a", "left ctrl"});
    QVERIFY2(r.code == 0, r.err.constData());
    r = cli.run({"key", "set", "0", QString::number(kA), "M3"});
    QVERIFY2(r.code == 0, r.err.constData());
    r = cli.run({"key", "set", "0", "B", "2:0:0xE2"});
    QVERIFY2(r.code == 0, r.err.constData());

    QJsonObject d = cli.dump();
    QCOMPARE(triple(binding(d, 0, kEsc)), QStringLiteral("1:0:104"));
    QCOMPARE(triple(binding(d, 1, kA)), QStringLiteral("0:0:1"));
    QCOMPARE(triple(binding(d, 0, kA)), QStringLiteral("3:0:2"));
    // Layer 1 keeps what it had for Esc.
    QCOMPARE(binding(d, 1, kEsc), binding(factory, 1, kEsc));

    r = cli.run({"key", "get", "0", "Esc"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("F13 (1:0:104)"), r.out.constData());

    // A modifier with a stray high byte is no "Left Ctrl": what is printed
    // must set the same record when a script feeds it back.
    r = cli.run({"key", "set", "1", "Esc", "0:1:1"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.out.contains("-> 0:1:1"), r.out.constData());
    QCOMPARE(triple(binding(cli.dump(), 1, kEsc)), QStringLiteral("0:1:1"));
    r = cli.run({"key", "reset", "1", "Esc"});
    QVERIFY2(r.code == 0, r.err.constData());

    // One key back, then the whole layer.
    r = cli.run({"key", "reset", "0", "Esc"});
    QVERIFY2(r.code == 0, r.err.constData());
    d = cli.dump();
    QCOMPARE(binding(d, 0, kEsc), binding(factory, 0, kEsc));
    QCOMPARE(triple(binding(d, 0, kA)), QStringLiteral("3:0:2"));
    r = cli.run({"key", "reset", "0"});
    QVERIFY2(r.code == 0, r.err.constData());
    d = cli.dump();
    QCOMPARE(binding(d, 0, kA), binding(factory, 0, kA));
    QCOMPARE(d["keyboardFnMap"].toArray().size(), factory["keyboardFnMap"].toArray().size());
    QCOMPARE(triple(binding(d, 1, kA)), QStringLiteral("0:0:1"));
}

// A key that held an MT key gives its record back, as on the key page, so the
// keyboard keeps no record that no key uses.
void TestKeyCli::advancedKeyIsFreed() {
    CliRunner cli;
    const QJsonObject before = cli.dump();
    const QJsonObject held = binding(before, 0, 30);
    QCOMPARE(held["type"].toInt(), 4);
    const int item = held["lValue"].toInt();
    const auto records = [&](const QJsonObject& d) {
        int n = 0;
        for (const QJsonValue& h : d["keyboardHighKeyList"].toArray())
            n += h["item"].toInt() == item ? 1 : 0;
        return n;
    };
    QCOMPARE(records(before), 1);
    const CliRunner::Run r = cli.run({"key", "set", "0", "30", "F13"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(r.out.contains("freed advanced key"));
    const QJsonObject after = cli.dump();
    QCOMPARE(records(after), 0);
    QCOMPARE(triple(binding(after, 0, 30)), QStringLiteral("1:0:104"));

    // A layer reset frees the records that only its keys carried (DKS on 45).
    const int dks = binding(after, 0, 45)["lValue"].toInt();
    QCOMPARE(binding(after, 0, 45)["type"].toInt(), 4);
    const int used = after["keyboardHighKeyList"].toArray().size();
    const CliRunner::Run reset = cli.run({"key", "reset", "0"});
    QVERIFY2(reset.code == 0, reset.err.constData());
    QVERIFY2(reset.out.contains(QStringLiteral("freed advanced key %1").arg(dks).toUtf8()),
             reset.out.constData());
    const QJsonObject cleared = cli.dump();
    QCOMPARE(cleared["keyboardHighKeyList"].toArray().size(), used);
    for (const QJsonValue& h : cleared["keyboardHighKeyList"].toArray())
        QVERIFY(h["item"].toInt() != dks);
}

// Keys 42 and 43 are drawn as one key: they are set and reset together, as
// on the key page, and each gets back its own factory binding.
void TestKeyCli::keyNumbersDrawnAsOneKeyGoTogether() {
    CliRunner cli;
    const QJsonObject factory = cli.dump();
    QVERIFY(binding(factory, 0, 42) != binding(factory, 0, 43));
    CliRunner::Run r = cli.run({"key", "set", "0", "42", "F13"});
    QVERIFY2(r.code == 0, r.err.constData());
    QJsonObject d = cli.dump();
    QCOMPARE(triple(binding(d, 0, 42)), QStringLiteral("1:0:104"));
    QCOMPARE(triple(binding(d, 0, 43)), QStringLiteral("1:0:104"));
    r = cli.run({"key", "reset", "0", "42"});
    QVERIFY2(r.code == 0, r.err.constData());
    d = cli.dump();
    QCOMPARE(binding(d, 0, 42), binding(factory, 0, 42));
    QCOMPARE(binding(d, 0, 43), binding(factory, 0, 43));
}

void TestKeyCli::badInputSendsNothing() {
    CliRunner cli;
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    struct Case {
        QStringList args;
        QByteArray says;
    };
    const QList<Case> cases{
        {{"key", "set", "0", "Escape-ish", "F13"}, "no key named \"Escape-ish\""},
        {{"key", "set", "0", "250", "F13"}, "no key 250"},
        {{"key", "set", "0", "Esc", "F99"}, "\"F99\" is no key function"},
        {{"key", "set", "0", "Esc", "1:0:256"}, "TYPE:H:L"},
        // Advanced keys point at records of their own page.
        {{"key", "set", "0", "Esc", "4:0:1"}, "advanced keys"},
        {{"key", "set", "0", "Esc", "3:0:10"}, "only 10 macros"},
        {{"key", "set", "2", "Esc", "F13"}, "layer \"2\""},
        {{"key", "set", "0", "Esc", "F13", "extra"}, "too many arguments"},
        {{"key", "get", "0"}, "missing arguments"},
    };
    for (const Case& c : cases) {
        const CliRunner::Run r = cli.run(c.args);
        QVERIFY2(r.code == 2, qPrintable(c.args.join(' ')));
        QVERIFY2(r.lastError().contains(c.says), r.err.constData());
        QCOMPARE(cli.state(), flash);
    }
}

QTEST_GUILESS_MAIN(TestKeyCli)
#include "tst_keycli.moc"
