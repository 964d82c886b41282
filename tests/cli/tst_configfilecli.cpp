// zentaro-cli export FILE / import FILE as a user runs them.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "model/configfileformat.h"

class TestConfigFileCli : public QObject {
    Q_OBJECT
private slots:
    void exportThenImport();
    void failuresExitWithTheCode();

private:
    struct Run {
        int code = -1;
        QByteArray err;
    };
    Run run(const QStringList& args);
};

TestConfigFileCli::Run TestConfigFileCli::run(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("ZENTARO_BIN_DIR") + QStringLiteral("/zentaro-cli"), args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = p.readAllStandardError();
    return r;
}

void TestConfigFileCli::exportThenImport() {
    QTemporaryDir dir;
    const QString state = QStringLiteral("--simulate=") + dir.filePath(QStringLiteral("kb.state"));
    const QString file = dir.filePath(QStringLiteral("profile.aaa"));
    const Run exported = run({state, QStringLiteral("export"), file});
    QVERIFY2(exported.code == 0, exported.err.constData());
    QVERIFY(exported.err.contains("export: "));  // progress on stderr
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(ConfigFileFormat::decrypt(f.readAll()).startsWith("SQLite format 3"));

    const Run imported =
        run({state, QStringLiteral("--channel=64"), QStringLiteral("import"), file});
    QVERIFY2(imported.code == 0, imported.err.constData());
    QVERIFY(imported.err.contains("import: "));
}

void TestConfigFileCli::failuresExitWithTheCode() {
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.aaa"));
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a configuration file");
    f.close();
    const Run imported = run({QStringLiteral("--simulate"), QStringLiteral("import"), bad});
    QVERIFY(imported.code != 0);
    QVERIFY2(imported.err.trimmed().endsWith("zentaro-cli: import failed (error -21)"),
             imported.err.constData());

    const Run exported = run({QStringLiteral("--simulate"), QStringLiteral("export"),
                              dir.filePath(QStringLiteral("missing/profile.aaa"))});
    QVERIFY(exported.code != 0);
    QVERIFY2(exported.err.trimmed().endsWith("zentaro-cli: export failed (error -53)"),
             exported.err.constData());

    QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("export")}).code, 2);
    QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("import"), bad, bad}).code, 2);
}

QTEST_GUILESS_MAIN(TestConfigFileCli)
#include "tst_configfilecli.moc"
