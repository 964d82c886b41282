// The export on a synced simulated keyboard: progress, a file that outside
// tools decrypt and read, and a target that is only ever replaced whole.
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "jobs/configwritedatabase.h"
#include "support/configfilerig.h"

using testsupport::KeyboardRig;

namespace {

// Key of every configuration file, derived here independently of the code.
QString keyHex() {
    return QString::fromLatin1(
        QCryptographicHash::hash("HarborLantern4817#", QCryptographicHash::Sha256).toHex());
}

struct Tool {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

Tool runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    Tool t;
    if (!p.waitForFinished(30000)) {
        p.kill();
        return t;
    }
    t.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    t.out = p.readAllStandardOutput();
    t.err = p.readAllStandardError();
    return t;
}

QList<QStringList> sqliteRows(const QString& db, const QString& sql) {
    const Tool t = runTool(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), db, sql});
    QList<QStringList> rows;
    if (t.code != 0) return rows;
    for (const QByteArray& line : t.out.split('\n'))
        if (!line.isEmpty()) rows << QString::fromUtf8(line).split(QLatin1Char('|'));
    return rows;
}

// Runs an export of the model; the values it reported.
QList<QPair<bool, int>> exportModel(KeyboardConfigUtil* model, const QString& target) {
    ConfigWriteDatabase job(model, target);
    return testsupport::collect(&job, &ConfigWriteDatabase::config_write_result);
}

QByteArray contentsOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class TestConfigWriteDatabase : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void fullExportReadableByOutsideTools();
    void modelWithoutMacros();
    void failureBeforeWritingKeepsTheExistingFile();
    void unwritableTarget();
    void unreadableWorkingCopy();

private:
    QTemporaryDir m_temp;  // TMPDIR of the run: working copies must not stay
    QByteArray m_oldTmp;
};

void TestConfigWriteDatabase::initTestCase() {
    QVERIFY(m_temp.isValid());
    m_oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", m_temp.path().toUtf8());
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty(),
             "openssl is missing (scripts/setup installs it)");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty(),
             "sqlite3 is missing (scripts/setup installs it)");
}

void TestConfigWriteDatabase::cleanup() {
    qputenv("TMPDIR", m_temp.path().toUtf8());
    // No working copy outlives its job.
    QCOMPARE(QDir(m_temp.path()).entryList({QStringLiteral("data_*.db3")}, QDir::Files),
             QStringList());
}

void TestConfigWriteDatabase::fullExportReadableByOutsideTools() {
    KeyboardRig rig;
    QVERIFY(rig.openSyncAndLoad());
    KeyboardConfigUtil& m = *rig.model;
    QVERIFY(!m.keyboardMacroList[0].isEmpty());
    QVERIFY(m.highKeyCount() > 0);

    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("profile.aaa"));
    const QList<QPair<bool, int>> values = exportModel(&m, file);
    QList<QPair<bool, int>> expected;
    for (int v : {5, 10, 15, 25, 35, 45, 55, 65, 75, 85, 95, 100}) expected << qMakePair(true, v);
    QCOMPARE(values, expected);

    // The file is the ciphertext alone: openssl with the derived key and a
    // zero vector gives back an SQLite database.
    const QString db = out.filePath(QStringLiteral("plain.db3"));
    const Tool dec = runTool(QStringLiteral("openssl"),
                             {"enc", "-d", "-aes-256-cbc", "-nopad", "-K", keyHex(), "-iv",
                              QString(32, QLatin1Char('0')), "-in", file, "-out", db});
    QVERIFY2(dec.code == 0, dec.err.constData());
    QCOMPARE(QFileInfo(db).size(), QFileInfo(file).size());
    QVERIFY(contentsOf(db).startsWith("SQLite format 3"));

    const QStringList tables{"product_table",      "config_table",       "params_table",
                             "custom_light_table", "effect_light_table", "keyboard_fn_table",
                             "keyboard_fn1_table", "high_key_table",     "key_macro_table",
                             "key_trigger_table"};
    QStringList found;
    for (const QStringList& r :
         sqliteRows(db,
                    "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE "
                    "'sqlite_%' ORDER BY rowid"))
        found << r.first();
    QCOMPARE(found, tables);
    auto columns = [&](const QString& table) {
        QStringList names;
        for (const QStringList& r :
             sqliteRows(db, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table)))
            names << r.first();
        return names.join(QLatin1Char(','));
    };
    QCOMPARE(columns("product_table"), "serialNumber,version,customerName,productName,logoName");
    QCOMPARE(columns("config_table"), "id,configName");
    QCOMPARE(columns("params_table"),
             "id,reserve,touchOptimize,deadDown,deadUp,pollingRate,shakeLevel,calibration,"
             "sportsMode,currentLayer");
    QCOMPARE(columns("custom_light_table"), "keyItem,light,colorR,colorG,colorB");
    QCOMPARE(columns("effect_light_table"),
             "item,functionFlag,light,speed,fullColor,colorR,colorG,colorB");
    QCOMPARE(columns("keyboard_fn_table"), "keyItem,type,hValue,lValue");
    QCOMPARE(columns("keyboard_fn1_table"), "keyItem,type,hValue,lValue");
    QCOMPARE(columns("high_key_table"), "id,item,attribute,data");
    QCOMPARE(columns("key_macro_table"), "id,macroIndex,item,type,state,lValue,hValue,time");
    QCOMPARE(columns("key_trigger_table"), "keyItem,trigger,model,quick,quickTrigger,resetTrigger");

    // The rows are the model's.
    const KeyboardProductInfo& info = *m.keyboardProductInfo;
    QCOMPARE(sqliteRows(db, "SELECT * FROM product_table"),
             (QList<QStringList>{{QString::number(info.serialNumber), QString::number(info.version),
                                  info.customerName, info.productName, info.logoName}}));
    QCOMPARE(sqliteRows(db, "SELECT configName FROM config_table"),
             (QList<QStringList>{{m.keyboardConfigList.at(m.keyboardConfigIndex)->configName}}));
    const WholeParam& w = *m.keyboardWholeParam;
    QCOMPARE(sqliteRows(db,
                        "SELECT reserve,touchOptimize,deadDown,deadUp,pollingRate,shakeLevel,"
                        "calibration,sportsMode,currentLayer FROM params_table"),
             (QList<QStringList>{{QString::number(w.reserve), QString::number(w.touchOptimize),
                                  QString::number(w.deadDown), QString::number(w.deadUp),
                                  QString::number(w.pollingRate), QString::number(w.shakeLevel),
                                  QString::number(w.calibration), QString::number(w.sportsMode),
                                  QString::number(w.currentLayer)}}));
    QList<QStringList> fn1;
    for (const KeyBindingPtr& k : std::as_const(m.keyboardFn1Map))
        fn1 << QStringList{QString::number(k->keyItem), QString::number(k->type),
                           QString::number(k->hValue), QString::number(k->lValue)};
    QCOMPARE(sqliteRows(db, "SELECT * FROM keyboard_fn1_table ORDER BY rowid"), fn1);
    QList<QStringList> lights;
    for (const CustomLightPtr& l : std::as_const(m.keyboardCustomLightMap))
        lights << QStringList{QString::number(l->keyItem), QString::number(l->light),
                              QString::number(l->colorR), QString::number(l->colorG),
                              QString::number(l->colorB)};
    QCOMPARE(sqliteRows(db, "SELECT * FROM custom_light_table ORDER BY rowid"), lights);
    QList<QStringList> triggers;
    for (const TriggerSettingPtr& t : std::as_const(m.keyboardTriggerMap))
        triggers << QStringList{QString::number(t->keyItem),      QString::number(t->trigger),
                                QString::number(t->model),        QString::number(t->quick),
                                QString::number(t->quickTrigger), QString::number(t->resetTrigger)};
    QCOMPARE(sqliteRows(db, "SELECT * FROM key_trigger_table ORDER BY rowid"), triggers);
    QList<QStringList> slotRows;
    for (int i = 0; i < m.keyboardHighKeyList.size(); ++i) {
        const HIGH_KEY_INFO& k = *m.keyboardHighKeyList[i];
        slotRows << QStringList{
            QString::number(i + 1), QString::number(k.item), QString::number(k.attribute),
            QString::fromLatin1(ConfigFileFormat::highKeyBlob(k).toHex().toUpper())};
    }
    QCOMPARE(sqliteRows(db, "SELECT id,item,attribute,hex(data) FROM high_key_table ORDER BY id"),
             slotRows);
    QList<QStringList> events;
    for (int i = 0; i < 10; ++i)
        for (int e = 0; e < m.keyboardMacroList[i].size(); ++e) {
            const MacroEvent& v = *m.keyboardMacroList[i][e];
            events << QStringList{QString::number(i),        QString::number(e),
                                  QString::number(v.type),   QString::number(v.state),
                                  QString::number(v.lValue), QString::number(v.hValue),
                                  QString::number(v.time)};
        }
    QCOMPARE(sqliteRows(db,
                        "SELECT macroIndex,item,type,state,lValue,hValue,time FROM "
                        "key_macro_table ORDER BY id"),
             events);
    QCOMPARE(sqliteRows(db, "SELECT count(*) FROM effect_light_table").value(0).value(0),
             QString::number(m.keyboardEffectLightMap.size()));
    QCOMPARE(sqliteRows(db, "SELECT count(*) FROM keyboard_fn_table").value(0).value(0),
             QString::number(m.keyboardFnMap.size()));
}

void TestConfigWriteDatabase::modelWithoutMacros() {
    KeyboardConfigUtil model(static_cast<ProductDataUtil*>(nullptr));
    model.keyboardProductInfo->serialNumber = 258;
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("empty.aaa"));
    QCOMPARE(exportModel(&model, file).constLast(), qMakePair(true, 100));
    const QByteArray plain = ConfigFileFormat::decrypt(contentsOf(file));
    const QString db = out.filePath(QStringLiteral("plain.db3"));
    QFile f(db);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(plain);
    f.close();
    QCOMPARE(sqliteRows(db, "SELECT count(*) FROM key_macro_table"), (QList<QStringList>{{"0"}}));
    // No table entry at the active position: an empty name.
    QCOMPARE(sqliteRows(db, "SELECT count(*), max(length(configName)) FROM config_table"),
             (QList<QStringList>{{"1", "0"}}));
}

void TestConfigWriteDatabase::failureBeforeWritingKeepsTheExistingFile() {
    KeyboardConfigUtil model(static_cast<ProductDataUtil*>(nullptr));
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("old.aaa"));
    QFile old(file);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the user's previous export");
    old.close();
    // No working copy can be made: the run fails, the old file stays.
    qputenv("TMPDIR", out.filePath(QStringLiteral("missing/folder")).toUtf8());
    QCOMPARE(exportModel(&model, file), (QList<QPair<bool, int>>{{false, -21}}));
    QCOMPARE(contentsOf(file), QByteArray("the user's previous export"));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.aaa")});
}

void TestConfigWriteDatabase::unwritableTarget() {
    KeyboardConfigUtil model(static_cast<ProductDataUtil*>(nullptr));
    QTemporaryDir out;
    // A fresh target in a folder that does not exist: failure, no file.
    const QString fresh = out.filePath(QStringLiteral("missing/profile.aaa"));
    QCOMPARE(exportModel(&model, fresh).constLast(), qMakePair(false, -53));
    QVERIFY(!QFileInfo::exists(fresh));
    // A target that is a folder stays a folder.
    const QString folder = out.filePath(QStringLiteral("folder.aaa"));
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(exportModel(&model, folder).constLast(), qMakePair(false, -53));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    // A read-only existing file is neither replaced nor removed (root may
    // write anything, so only checked for other users).
    if (geteuid() != 0) {
        const QString locked = out.filePath(QStringLiteral("locked.aaa"));
        QFile f(locked);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("locked");
        f.close();
        QVERIFY(f.setPermissions(QFile::ReadOwner));
        QCOMPARE(exportModel(&model, locked).constLast(), qMakePair(false, -53));
        QCOMPARE(contentsOf(locked), QByteArray("locked"));
    }
}

void TestConfigWriteDatabase::unreadableWorkingCopy() {
    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("target.aaa"));
    QFile f(target);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("previous");
    f.close();
    QCOMPARE(ConfigWriteDatabase::encryptToTarget(out.filePath(QStringLiteral("gone.db3")), target),
             int(ConfigWriteDatabase::ErrorPlainUnreadable));
    const QString empty = out.filePath(QStringLiteral("empty.db3"));
    QFile e(empty);
    QVERIFY(e.open(QIODevice::WriteOnly));
    e.close();
    QCOMPARE(ConfigWriteDatabase::encryptToTarget(empty, target),
             int(ConfigWriteDatabase::ErrorPlainUnreadable));
    QCOMPARE(contentsOf(target), QByteArray("previous"));
    // A readable one replaces the target with its ciphertext.
    QVERIFY(e.open(QIODevice::WriteOnly));
    e.write(QByteArray(4096, 'p'));
    e.close();
    QCOMPARE(ConfigWriteDatabase::encryptToTarget(empty, target), 0);
    QCOMPARE(ConfigFileFormat::decrypt(contentsOf(target)), QByteArray(4096, 'p'));
}

QTEST_GUILESS_MAIN(TestConfigWriteDatabase)
#include "tst_configwritedatabase.moc"
