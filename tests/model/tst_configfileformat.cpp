// The configuration file's tables, statements and blob layout, on plain
// databases (no cipher), plus the few facts about the cipher layer.
#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

#include "model/configfileformat.h"

using Format = ConfigFileFormat;

namespace {

const char* const kConnection = "format_test";

Format::Content sampleContent() {
    Format::Content c;
    c.productInfo.serialNumber = 258;
    c.productInfo.version = -2;
    c.productInfo.customerName = QStringLiteral("Customer");
    c.productInfo.productName = QStringLiteral("Product");
    c.productInfo.logoName = QStringLiteral("LOGO");
    c.configName = QStringLiteral("名字");
    c.wholeParam = {-3, true, -300, 400, 8, -1, true, false, 1};
    for (quint8 k = 0; k < 5; ++k) {
        c.customLights.insert(k, CustomLightPtr::create(CustomLightEntry{k, 4, 255, k, 0}));
        c.keyMaps[0].insert(k, KeyBindingPtr::create(KeyBinding{k, 1, 0, quint8(4 + k)}));
        c.keyMaps[1].insert(k, KeyBindingPtr::create(KeyBinding{k, 2, 0xE9, k}));
        c.triggers.insert(k,
                          TriggerSettingPtr::create(TriggerSetting{k, 65535, true, false, 1, 400}));
    }
    c.effectLights.insert(3, EffectLightPtr::create(EffectLightEntry{3, 7, 4, 2, 1, 9, 8, 255}));
    HIGH_KEY_INFO mt;
    mt.item = 0;
    mt.attribute = 1;
    for (int i = 0; i < 10; ++i) mt.data[i] = quint8(0x40 + i);
    c.highKeys.append(HighKeyPtr::create(mt));
    c.highKeys.append(HighKeyPtr::create(HIGH_KEY_INFO{}));  // a free slot
    c.macros[0].append(MacroEventPtr::create(MacroEvent{1, 1, 4, 0, 500}));
    c.macros[0].append(MacroEventPtr::create(MacroEvent{1, 0, 4, 0, 65535}));
    c.macros[9].append(MacroEventPtr::create(MacroEvent{3, 1, 0, 2, 0}));
    return c;
}

struct PlainDb {
    PlainDb() {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kConnection));
        db.setDatabaseName(dir.filePath(QStringLiteral("plain.db3")));
        ok = db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous = OFF"));
    }
    ~PlainDb() {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QLatin1String(kConnection));
    }
    bool exec(const QString& sql) {
        QSqlQuery q(db);
        return q.exec(sql);
    }
    QTemporaryDir dir;
    QSqlDatabase db;
    bool ok = false;
};

QStringList columnsOf(QSqlDatabase& db, const QString& table) {
    QStringList names;
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    while (q.next()) names << q.value(1).toString() + QLatin1Char(' ') + q.value(2).toString();
    return names;
}

}  // namespace

class TestConfigFileFormat : public QObject {
    Q_OBJECT
private slots:
    void tablesAndColumnsInOrder();
    void statementTexts();
    void highKeyBlobLayout();
    void highKeyBlobReadsShortBlobsAndUnknownKinds();
    void plainRoundTrip();
    void emptyMacroTableGivesTenEmptyMacros();
    void missingOrEmptyTablesFailWhereRequired();
    void valuesOutsideTheirFieldAreRefused_data();
    void valuesOutsideTheirFieldAreRefused();
    void tooManySlotsOrEventsAreRefused();
    void cipherLayer();
};

void TestConfigFileFormat::tablesAndColumnsInOrder() {
    PlainDb p;
    QVERIFY(p.ok);
    QString error;
    QVERIFY2(Format::writeAll(p.db, sampleContent(), &error), qPrintable(error));
    const QList<QPair<QString, QStringList>> expected = {
        {"product_table",
         {"serialNumber INT", "version INT", "customerName VARCHAR(40)", "productName VARCHAR(30)",
          "logoName VARCHAR(10)"}},
        {"config_table", {"id INTEGER", "configName VARCHAR(40)"}},
        {"params_table",
         {"id INTEGER", "reserve INT", "touchOptimize BOOL", "deadDown INT", "deadUp INT",
          "pollingRate INT", "shakeLevel INT", "calibration BOOL", "sportsMode BOOL",
          "currentLayer INT"}},
        {"custom_light_table",
         {"keyItem INT", "light INT", "colorR INT", "colorG INT", "colorB INT"}},
        {"effect_light_table",
         {"item INT", "functionFlag INT", "light INT", "speed INT", "fullColor INT", "colorR INT",
          "colorG INT", "colorB INT"}},
        {"keyboard_fn_table", {"keyItem INT", "type INT", "hValue INT", "lValue INT"}},
        {"keyboard_fn1_table", {"keyItem INT", "type INT", "hValue INT", "lValue INT"}},
        {"high_key_table", {"id INTEGER", "item INT", "attribute INT", "data BLOB(40)"}},
        {"key_macro_table",
         {"id INTEGER", "macroIndex INT", "item INT", "type INT", "state INT", "lValue INT",
          "hValue INT", "time INT"}},
        {"key_trigger_table",
         {"keyItem INT", "trigger INT", "model BOOL", "quick BOOL", "quickTrigger INT",
          "resetTrigger INT"}},
    };
    QCOMPARE(int(Format::TableCount), expected.size());
    for (int t = 0; t < expected.size(); ++t) {
        QCOMPARE(Format::tableName(Format::Table(t)), expected[t].first);
        QCOMPARE(columnsOf(p.db, expected[t].first), expected[t].second);
    }
    QSqlQuery q(p.db);
    QVERIFY(
        q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND "
                              "name NOT LIKE 'sqlite_%'")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 10);
    // Written rows: one per single-row table, one per entry elsewhere.
    auto count = [&](const char* table) {
        QSqlQuery c(p.db);
        c.exec(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table));
        c.next();
        return c.value(0).toInt();
    };
    QCOMPARE(count("product_table"), 1);
    QCOMPARE(count("config_table"), 1);
    QCOMPARE(count("params_table"), 1);
    QCOMPARE(count("keyboard_fn1_table"), 5);
    QCOMPARE(count("high_key_table"), 2);
    QCOMPARE(count("key_macro_table"), 3);
    // Macro rows carry their macro and position.
    QVERIFY(
        q.exec(QStringLiteral("SELECT macroIndex, item, time FROM key_macro_table ORDER BY id")));
    QList<QList<int>> rows;
    while (q.next()) rows << QList<int>{q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt()};
    QCOMPARE(rows, (QList<QList<int>>{{0, 0, 500}, {0, 1, 65535}, {9, 0, 0}}));
}

void TestConfigFileFormat::statementTexts() {
    QCOMPARE(Format::createStatement(Format::ConfigTable),
             QStringLiteral("CREATE TABLE IF NOT EXISTS config_table (id INTEGER PRIMARY KEY "
                            "AUTOINCREMENT NOT NULL UNIQUE, configName VARCHAR(40) NOT NULL);"));
    QCOMPARE(Format::selectStatement(Format::KeyMacroTable),
             QStringLiteral("SELECT * FROM key_macro_table WHERE macroIndex = :macroIndex ORDER BY "
                            "item ASC"));
    QCOMPARE(Format::selectStatement(Format::HighKeyTable),
             QStringLiteral("SELECT * FROM high_key_table"));
    QCOMPARE(Format::ConnectionName, QStringLiteral("connect_config"));
    QCOMPARE(Format::WorkingCopyName, QStringLiteral("data_XXXXXX.db3"));
}

void TestConfigFileFormat::highKeyBlobLayout() {
    // MT: the 16-bit number (low byte first in the record) is stored high
    // byte first, the tap function in wire order type, lValue, hValue.
    HIGH_KEY_INFO mt;
    mt.item = 7;
    mt.attribute = 1;
    const quint8 data[18] = {30, 1, 0x34, 0x12, 2, 0xE9, 0x00, 7, 8, 9, 0xAA, 0xBB};
    std::copy(std::begin(data), std::end(data), mt.data);
    const QByteArray blob = Format::highKeyBlob(mt);
    QCOMPARE(blob.size(), 40);
    QCOMPARE(blob.left(10), QByteArray::fromHex("1e01123402"
                                                "00e9"
                                                "070809"));
    QCOMPARE(quint8(blob[2]), quint8(0x12));
    QCOMPARE(quint8(blob[3]), quint8(0x34));
    QCOMPARE(quint8(blob[4]), quint8(2));     // type
    QCOMPARE(quint8(blob[5]), quint8(0x00));  // lValue (data[6])
    QCOMPARE(quint8(blob[6]), quint8(0xE9));  // hValue (data[5])
    QCOMPARE(blob.mid(7, 3), QByteArray::fromHex("070809"));
    QCOMPARE(blob.mid(10), QByteArray(30, '\0'));  // bytes MT does not use stay zero
    const HIGH_KEY_INFO back = Format::highKeyFromBlob(7, 1, blob);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(back.data), 10),
             QByteArray(reinterpret_cast<const char*>(mt.data), 10));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(back.data + 10), 8), QByteArray(8, '\0'));

    // Every kind keeps exactly its own bytes.
    const int used[6] = {4, 10, 17, 2, 2, 3};
    for (quint8 kind = 0; kind < 6; ++kind) {
        HIGH_KEY_INFO k;
        k.item = 1;
        k.attribute = kind;
        for (int i = 0; i < 18; ++i) k.data[i] = quint8(i + 1);
        const QByteArray b = Format::highKeyBlob(k);
        QCOMPARE(b.size(), 40);
        QCOMPARE(b.mid(used[kind]), QByteArray(40 - used[kind], '\0'));
        const HIGH_KEY_INFO r = Format::highKeyFromBlob(1, kind, b);
        for (int i = 0; i < 18; ++i) QCOMPARE(int(r.data[i]), i < used[kind] ? i + 1 : 0);
    }
    // A free slot is 255, kind 0 and forty zero bytes.
    HIGH_KEY_INFO free;
    QCOMPARE(Format::highKeyBlob(free), QByteArray(40, '\0'));
}

void TestConfigFileFormat::highKeyBlobReadsShortBlobsAndUnknownKinds() {
    const HIGH_KEY_INFO dks = Format::highKeyFromBlob(2, 2, QByteArray::fromHex("0102"));
    QCOMPARE(int(dks.data[0]), 1);
    QCOMPARE(int(dks.data[1]), 2);
    for (int i = 2; i < 18; ++i) QCOMPARE(int(dks.data[i]), 0);
    const HIGH_KEY_INFO other = Format::highKeyFromBlob(3, 9, QByteArray(40, '\x55'));
    QCOMPARE(int(other.item), 3);
    QCOMPARE(int(other.attribute), 9);
    for (quint8 d : other.data) QCOMPARE(int(d), 0);
}

void TestConfigFileFormat::plainRoundTrip() {
    PlainDb p;
    QVERIFY(p.ok);
    const Format::Content c = sampleContent();
    QString error;
    QVERIFY(Format::writeAll(p.db, c, &error));
    Format::Content r;
    QCOMPARE(Format::readAll(p.db, &r), Format::TableCount);
    QCOMPARE(r.productInfo.serialNumber, c.productInfo.serialNumber);
    QCOMPARE(r.productInfo.version, c.productInfo.version);
    QCOMPARE(r.productInfo.customerName, c.productInfo.customerName);
    QCOMPARE(r.productInfo.logoName, c.productInfo.logoName);
    QCOMPARE(r.configName, c.configName);
    QCOMPARE(r.wholeParam.reserve, c.wholeParam.reserve);
    QCOMPARE(r.wholeParam.touchOptimize, true);
    QCOMPARE(r.wholeParam.deadDown, qint16(-300));
    QCOMPARE(r.wholeParam.deadUp, qint16(400));
    QCOMPARE(r.wholeParam.shakeLevel, qint8(-1));
    QCOMPARE(r.wholeParam.calibration, true);
    QCOMPARE(r.wholeParam.sportsMode, false);
    QCOMPARE(r.wholeParam.currentLayer, qint8(1));
    QCOMPARE(r.customLights.size(), 5);
    QCOMPARE(r.customLights.value(3)->colorG, quint8(3));
    QCOMPARE(r.effectLights.value(3)->colorB, quint8(255));
    QCOMPARE(r.effectLights.value(3)->functionFlag, quint8(7));
    QCOMPARE(r.keyMaps[1].value(4)->hValue, quint8(0xE9));
    QCOMPARE(r.keyMaps[0].value(4)->lValue, quint8(8));
    QCOMPARE(r.highKeys.size(), 2);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(r.highKeys[0]->data), 18),
             QByteArray(reinterpret_cast<const char*>(c.highKeys[0]->data), 18));
    QCOMPARE(int(r.highKeys[1]->item), 255);
    QCOMPARE(r.macros[0].size(), 2);
    QCOMPARE(r.macros[0][1]->time, quint16(65535));
    QCOMPARE(r.macros[0][0]->state, quint8(1));
    QCOMPARE(r.macros[9][0]->hValue, quint8(2));
    for (int m = 1; m < 9; ++m) QVERIFY(r.macros[m].isEmpty());
    QCOMPARE(r.triggers.value(2)->trigger, quint16(65535));
    QCOMPARE(r.triggers.value(2)->model, true);
    QCOMPARE(r.triggers.value(2)->resetTrigger, quint16(400));
}

void TestConfigFileFormat::emptyMacroTableGivesTenEmptyMacros() {
    PlainDb p;
    QVERIFY(p.ok);
    Format::Content c = sampleContent();
    for (MacroEventList& m : c.macros) m.clear();
    QString error;
    QVERIFY(Format::writeAll(p.db, c, &error));
    Format::Content r;
    r.macros[4].append(MacroEventPtr::create());
    QCOMPARE(Format::readAll(p.db, &r), Format::TableCount);
    for (const MacroEventList& m : r.macros) QVERIFY(m.isEmpty());
    // Rows are read in item order, whatever order they were stored in.
    QVERIFY(
        p.exec(QStringLiteral("INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,"
                              "hValue,time) VALUES (2,1,0,0,0,0,20), (2,0,0,0,0,0,10)")));
    MacroEventList events;
    QCOMPARE(Format::readMacro(p.db, 2, &events), Format::ReadOk);
    QCOMPARE(events.size(), 2);
    QCOMPARE(events[0]->time, quint16(10));
    // Without the table every macro reads as empty.
    QVERIFY(p.exec(QStringLiteral("DROP TABLE key_macro_table")));
    QCOMPARE(Format::readAll(p.db, &r), Format::TableCount);
    for (const MacroEventList& m : r.macros) QVERIFY(m.isEmpty());
}

void TestConfigFileFormat::missingOrEmptyTablesFailWhereRequired() {
    for (int t = 0; t < Format::TableCount; ++t) {
        PlainDb p;
        QVERIFY(p.ok);
        QString error;
        QVERIFY(Format::writeAll(p.db, sampleContent(), &error));
        const QString name = Format::tableName(Format::Table(t));
        // Emptied: only the single-row tables fail.
        QVERIFY(p.exec(QStringLiteral("DELETE FROM ") + name));
        Format::Content r;
        QCOMPARE(Format::readAll(p.db, &r),
                 t <= Format::ParamsTable ? Format::Table(t) : Format::TableCount);
        // Dropped: everything but the macros fails.
        QVERIFY(p.exec(QStringLiteral("DROP TABLE ") + name));
        Format::ReadResult result = Format::ReadOk;
        QCOMPARE(Format::readAll(p.db, &r, &result),
                 t == Format::KeyMacroTable ? Format::TableCount : Format::Table(t));
        if (t != Format::KeyMacroTable) QCOMPARE(result, Format::QueryFailed);
    }
}

void TestConfigFileFormat::valuesOutsideTheirFieldAreRefused_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("table");
    QTest::addColumn<bool>("accepted");
    auto row = [](const char* name, const char* sql, Format::Table t, bool ok) {
        QTest::newRow(name) << QString::fromUtf8(sql) << int(t) << ok;
    };
    row("serial above i16", "UPDATE product_table SET serialNumber = 40000", Format::ProductTable,
        false);
    row("version as text", "UPDATE product_table SET version = 'v1'", Format::ProductTable, false);
    row("version numeric text", "UPDATE product_table SET version = ' 12'", Format::ProductTable,
        true);
    row("config name as number", "UPDATE config_table SET configName = 12", Format::ConfigTable,
        true);
    row("deadDown below i16", "UPDATE params_table SET deadDown = -32769", Format::ParamsTable,
        false);
    row("pollingRate above i8", "UPDATE params_table SET pollingRate = 128", Format::ParamsTable,
        false);
    row("reserve at i8 minimum", "UPDATE params_table SET reserve = -128", Format::ParamsTable,
        true);
    row("boolean as 2", "UPDATE params_table SET sportsMode = 2", Format::ParamsTable, true);
    row("boolean as text", "UPDATE params_table SET sportsMode = 'yes'", Format::ParamsTable,
        false);
    row("light 256", "UPDATE custom_light_table SET light = 256 WHERE keyItem = 1",
        Format::CustomLightTable, false);
    row("colour negative", "UPDATE custom_light_table SET colorB = -1", Format::CustomLightTable,
        false);
    row("whole real", "UPDATE custom_light_table SET colorB = 4.0", Format::CustomLightTable, true);
    row("fraction", "UPDATE custom_light_table SET colorB = 4.5", Format::CustomLightTable, false);
    row("effect as blob", "UPDATE effect_light_table SET speed = x'01'", Format::EffectLightTable,
        false);
    row("key 256", "UPDATE keyboard_fn_table SET keyItem = 256 WHERE keyItem = 4",
        Format::KeyboardFnTable, false);
    row("fn1 huge", "UPDATE keyboard_fn1_table SET type = 9223372036854775807",
        Format::KeyboardFn1Table, false);
    row("slot item 300", "UPDATE high_key_table SET item = 300", Format::HighKeyTable, false);
    row("slot kind 200", "UPDATE high_key_table SET attribute = 200", Format::HighKeyTable, true);
    row("slot data text", "UPDATE high_key_table SET data = 'abc'", Format::HighKeyTable, true);
    row("slot data 1 MiB", "UPDATE high_key_table SET data = zeroblob(1048576)",
        Format::HighKeyTable, true);
    row("macro time 65536", "UPDATE key_macro_table SET time = 65536", Format::KeyMacroTable,
        false);
    row("trigger negative", "UPDATE key_trigger_table SET quickTrigger = -5",
        Format::KeyTriggerTable, false);
    row("trigger NULL", "UPDATE key_trigger_table SET trigger = NULL", Format::KeyTriggerTable,
        false);
}

void TestConfigFileFormat::valuesOutsideTheirFieldAreRefused() {
    QFETCH(QString, sql);
    QFETCH(int, table);
    QFETCH(bool, accepted);
    PlainDb p;
    QVERIFY(p.ok);
    // Tables without NOT NULL, so that NULL can be stored.
    QString error;
    QVERIFY(Format::writeAll(p.db, sampleContent(), &error));
    if (sql.contains(QLatin1String("NULL"))) {
        QVERIFY(p.exec(QStringLiteral("ALTER TABLE key_trigger_table RENAME TO old")));
        QVERIFY(p.exec(QStringLiteral("CREATE TABLE key_trigger_table AS SELECT * FROM old")));
    }
    QVERIFY(p.exec(sql));
    Format::Content r;
    Format::ReadResult result = Format::ReadOk;
    QCOMPARE(Format::readAll(p.db, &r, &result),
             accepted ? Format::TableCount : Format::Table(table));
    if (!accepted) QCOMPARE(result, Format::BadValue);
}

void TestConfigFileFormat::tooManySlotsOrEventsAreRefused() {
    PlainDb p;
    QVERIFY(p.ok);
    Format::Content c = sampleContent();
    for (int i = 0; i < Format::MaxItems; ++i) c.macros[3].append(MacroEventPtr::create());
    for (int i = c.highKeys.size(); i < Format::MaxItems; ++i)
        c.highKeys.append(HighKeyPtr::create());
    QString error;
    QVERIFY(Format::writeAll(p.db, c, &error));
    Format::Content r;
    QCOMPARE(Format::readAll(p.db, &r), Format::TableCount);
    QCOMPARE(r.macros[3].size(), Format::MaxItems);
    QCOMPARE(r.highKeys.size(), Format::MaxItems);
    QVERIFY(
        p.exec(QStringLiteral("INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,"
                              "hValue,time) VALUES (3,999,0,0,0,0,0)")));
    QCOMPARE(Format::readAll(p.db, &r), Format::KeyMacroTable);
    QVERIFY(p.exec(
        QStringLiteral("INSERT INTO high_key_table (item,attribute,data) VALUES (255,0,x'')")));
    QCOMPARE(Format::readAll(p.db, &r), Format::HighKeyTable);
}

void TestConfigFileFormat::cipherLayer() {
    QCOMPARE(Format::key(),
             QCryptographicHash::hash("HarborLantern4817#", QCryptographicHash::Sha256));
    QCOMPARE(Format::initVector(), QByteArray(16, '\0'));
    // A database image is whole blocks and is not padded.
    const QByteArray page(4096, '\x11');
    const QByteArray cipher = Format::encrypt(page);
    QCOMPARE(cipher.size(), page.size());
    QCOMPARE(Format::decrypt(cipher), page);
    // Anything else gets 0x80 and zeros, which decryption leaves in place.
    QCOMPARE(Format::decrypt(Format::encrypt(QByteArray("abc"))),
             QByteArray("abc\x80", 4) + QByteArray(12, '\0'));
    QVERIFY(!Format::plausibleCipherLength(0));
    QVERIFY(!Format::plausibleCipherLength(17));
    QVERIFY(Format::plausibleCipherLength(32));
}

QTEST_GUILESS_MAIN(TestConfigFileFormat)
#include "tst_configfileformat.moc"
