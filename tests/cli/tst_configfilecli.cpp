// zentaro-cli export FILE / import FILE as a user runs them.
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "model/configfileformat.h"

class TestConfigFileCli : public QObject {
    Q_OBJECT
private slots:
    void exportThenImport();
    void failuresExitWithTheCode();
    void missingKeyRowIsNamed();

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
    QVERIFY2(imported.err.trimmed().endsWith(
                 "zentaro-cli: bad.aaa is not a configuration file of this program (error -21)"),
             imported.err.constData());
    const Run missing = run({QStringLiteral("--simulate"), QStringLiteral("import"),
                             dir.filePath(QStringLiteral("x.aaa"))});
    QVERIFY2(
        missing.err.trimmed().endsWith("zentaro-cli: cannot read x.aaa: no such file (error -21)"),
        missing.err.constData());
    QCOMPARE(missing.code, 1);

    const Run exported = run({QStringLiteral("--simulate"), QStringLiteral("export"),
                              dir.filePath(QStringLiteral("missing/profile.aaa"))});
    QVERIFY(exported.code != 0);
    QVERIFY2(exported.err.trimmed().endsWith("zentaro-cli: cannot write profile.aaa: folder " +
                                             dir.filePath(QStringLiteral("missing")).toUtf8() +
                                             " does not exist (error -53)"),
             exported.err.constData());
    const Run toFolder = run({QStringLiteral("--simulate"), QStringLiteral("export"), dir.path()});
    QVERIFY(toFolder.code != 0);
    QVERIFY2(toFolder.err.trimmed().endsWith("it is a folder (error -53)"),
             toFolder.err.constData());

    QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("export")}).code, 2);
    QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("import"), bad, bad}).code, 2);
}

// A user deleted a row of the key map from an exported file: the import is
// refused, says which key in one line, and the keyboard keeps its bindings.
void TestConfigFileCli::missingKeyRowIsNamed() {
    QTemporaryDir dir;
    const QString state = QStringLiteral("--simulate=") + dir.filePath(QStringLiteral("kb.state"));
    const QString file = dir.filePath(QStringLiteral("profile.aaa"));
    QVERIFY(run({state, QStringLiteral("export"), file}).code == 0);
    const QString plain = dir.filePath(QStringLiteral("profile.db3"));
    {
        QFile f(file);
        QFile out(plain);
        QVERIFY(f.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
        out.write(ConfigFileFormat::decrypt(f.readAll()));
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("e"));
        db.setDatabaseName(plain);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("DELETE FROM keyboard_fn_table WHERE keyItem = 10")));
        QCOMPARE(q.numRowsAffected(), 1);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("e"));
    {
        QFile in(plain);
        QFile f(file);
        QVERIFY(in.open(QIODevice::ReadOnly) && f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(ConfigFileFormat::encrypt(in.readAll()));
    }
    const QByteArray stateBefore = [&] {
        QFile f(dir.filePath(QStringLiteral("kb.state")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const Run imported = run({state, QStringLiteral("import"), file});
    QVERIFY(imported.code != 0);
    QVERIFY2(imported.err.trimmed().endsWith(
                 "zentaro-cli: profile.aaa holds other keys than this keyboard: key 10 is missing "
                 "from keyboard_fn_table (error -33)"),
             imported.err.constData());
    QFile after(dir.filePath(QStringLiteral("kb.state")));
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), stateBefore);
}

QTEST_GUILESS_MAIN(TestConfigFileCli)
#include "tst_configfilecli.moc"
