// zentaro-cli profile: the keyboard's profiles changed from a script and read
// back with dump --json.
#include <QJsonArray>
#include <QTest>

#include "cli/clirunner.h"

namespace {

QStringList names(const QJsonObject& dump) {
    QStringList out;
    for (const QJsonValue& t : dump["keyboardConfigList"].toArray())
        out << QStringLiteral("%1:%2").arg(t["index"].toInt()).arg(t["configName"].toString());
    return out;
}

}  // namespace

class TestProfileCli : public QObject {
    Q_OBJECT
private slots:
    void switchAddRenameDelete();
    void longNameIsCutBetweenCharacters();
    void refusalsSendNothing();
};

void TestProfileCli::switchAddRenameDelete() {
    CliRunner cli;
    const QJsonObject before = cli.dump();
    const int tables = before["keyboardConfigList"].toArray().size();
    QVERIFY(tables >= 3);

    CliRunner::Run r = cli.run({"profile", "switch", "2"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(r.out.startsWith("switched to profile 2"));
    QCOMPARE(cli.dump()["keyboardConfigIndex"].toInt(), 2);

    r = cli.run({"profile", "add"});
    QVERIFY2(r.code == 0, r.err.constData());
    QCOMPARE(cli.dump()["keyboardConfigList"].toArray().size(), tables + 1);

    r = cli.run({"profile", "rename", QString::number(tables), "Ranked"});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(names(cli.dump()).contains(QStringLiteral("%1:Ranked").arg(tables)));

    r = cli.run({"profile", "delete", "1"});
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonObject after = cli.dump();
    QCOMPARE(after["keyboardConfigList"].toArray().size(), tables);
    for (const QJsonValue& t : after["keyboardConfigList"].toArray())
        QVERIFY(t["index"].toInt() != 1);
    // Deleting another table leaves the active one alone.
    QCOMPARE(after["keyboardConfigIndex"].toInt(), 2);

    r = cli.run({"profile", "list"});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.contains("* 2 "), r.out.constData());
}

// A name longer than its slot loses whole characters only: a cut inside a
// character would leave bytes that no longer read as text.
void TestProfileCli::longNameIsCutBetweenCharacters() {
    CliRunner cli;
    const QString name = QStringLiteral("Ärger im Spiel – 電競モード");  // > 28 bytes
    QVERIFY(name.toUtf8().size() > 28);
    const CliRunner::Run r = cli.run({"profile", "rename", "0", name});
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(r.err.contains("warning"));
    const QString stored =
        cli.dump()["keyboardConfigList"].toArray().at(0)["configName"].toString();
    QVERIFY(name.startsWith(stored));
    QVERIFY(stored.toUtf8().size() <= 28);
    QVERIFY(stored.toUtf8().size() > 24);
    QVERIFY(!stored.contains(QChar::ReplacementCharacter));
}

void TestProfileCli::refusalsSendNothing() {
    CliRunner cli;
    QVERIFY(cli.run({"info"}).code == 0);
    const QByteArray flash = cli.state();
    struct Case {
        QStringList args;
        QByteArray says;
    };
    const QList<Case> cases{
        {{"profile", "switch", "9"}, "no profile \"9\""},
        {{"profile", "delete", "x"}, "no profile \"x\""},
        // An empty slot reads back as no table: the profile would vanish.
        {{"profile", "rename", "1", " "}, "must not be empty"},
        {{"profile", "add", "extra"}, "too many arguments"},
        {{"profile", "switch"}, "missing arguments"},
        {{"profile", "frob"}, "say list, switch"},
    };
    for (const Case& c : cases) {
        const CliRunner::Run r = cli.run(c.args);
        QVERIFY2(r.code == 2, qPrintable(c.args.join(' ')));
        QVERIFY2(r.lastError().contains(c.says), r.err.constData());
        QCOMPARE(cli.state(), flash);
    }
    // The last table stays: delete down to one, then once more.
    QJsonArray tables = cli.dump()["keyboardConfigList"].toArray();
    while (tables.size() > 1) {
        QCOMPARE(
            cli.run({"profile", "delete", QString::number(tables.last()["index"].toInt())}).code,
            0);
        tables = cli.dump()["keyboardConfigList"].toArray();
    }
    const QByteArray one = cli.state();
    const CliRunner::Run r =
        cli.run({"profile", "delete", QString::number(tables.first()["index"].toInt())});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.lastError().contains("only profile"), r.err.constData());
    QCOMPARE(cli.state(), one);
}

QTEST_GUILESS_MAIN(TestProfileCli)
#include "tst_profilecli.moc"
