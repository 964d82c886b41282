// zentaro-cli with readable profiles: export --json, import with --dry-run
// and --only, share codes, and refusals before anything is sent.
#include <QTest>

#include "cli/clirunner.h"

class TestProfileCli : public QObject {
    Q_OBJECT

private slots:
    void exportPreviewImportAndShare() {
        CliRunner cli;
        QCOMPARE(cli.run({"export", "--json", cli.path("p.json")}).code, 0);
        QFile f(cli.path("p.json"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray json = f.readAll();
        // Esc of the normal layer only (the Fn layer comes later in the file).
        const QByteArray esc = R"("key": 0, "label": "Esc", "function": "Esc")";
        json.replace(json.indexOf(esc), esc.size(),
                     R"("key": 0, "label": "Esc", "function": "F13")");
        json.replace(R"("pollingRate": "8K")", R"("pollingRate": "1K")");
        QVERIFY(cli.write("q.json", json));

        // The dry run prints what the preview counts, and sends nothing.
        const QByteArray state = cli.state();
        const CliRunner::Run dry = cli.run({"import", cli.path("q.json"), "--dry-run"});
        QCOMPARE(dry.code, 0);
        QVERIFY2(dry.out.contains("keys: 1 values differ\n  Esc (key 0): Esc -> F13\n"), dry.out);
        QVERIFY(dry.out.contains("parameters: 1 values differ\n  pollingRate: 8K -> 1K\n"));
        QCOMPARE(cli.state(), state);

        // --only writes one section; the read-back confirms it.
        const CliRunner::Run keys = cli.run({"import", cli.path("q.json"), "--only", "keys"});
        QVERIFY2(keys.code == 0, keys.err);
        const CliRunner::Run after = cli.run({"import", cli.path("q.json"), "--dry-run"});
        QVERIFY(after.out.contains("keys: 0 values differ"));
        QVERIFY(after.out.contains("parameters: 1 values differ"));

        // A share code carries the profile to the same preview.
        const CliRunner::Run share = cli.run({"share"});
        QCOMPARE(share.code, 0);
        const QString code = QString::fromLatin1(share.out.trimmed());
        QVERIFY(code.startsWith("ZP1."));
        const CliRunner::Run byCode = cli.run({"import", "--code", code, "--dry-run"});
        QCOMPARE(byCode.code, 0);
        QVERIFY(byCode.out.contains("keys: 0 values differ"));
        QVERIFY(byCode.out.contains("parameters: 0 values differ"));
    }

    void refusedBeforeAnythingIsSent() {
        CliRunner cli;
        QCOMPARE(cli.run({"info"}).code, 0);
        const QByteArray state = cli.state();
        QVERIFY(cli.write("bad.json", R"({"format": "zentaro-profile", "version": 1,
            "product": {"number": 258}, "keys": {"layer0": [{"key": 0, "function": "Hyper"}]}})"));
        CliRunner::Run r = cli.run({"import", cli.path("bad.json")});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.lastError().contains("keys.layer0[0].function: \"Hyper\" is no key function"),
                 r.err);
        r = cli.run({"import", "--code", "ZP9.abc"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.lastError().contains("another version"));
        r = cli.run({"import", cli.path("bad.json"), "--only", "colours"});
        QCOMPARE(r.code, 2);
        QCOMPARE(cli.state(), state);
    }
};

QTEST_GUILESS_MAIN(TestProfileCli)
#include "tst_profilecli.moc"
