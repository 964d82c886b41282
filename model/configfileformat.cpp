#include "model/configfileformat.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <cmath>
#include <limits>

#include "model/keyboardconfigutil.h"
#include "model/qaesencryption.h"

const QString ConfigFileFormat::ConnectionName = QStringLiteral("connect_config");
const QString ConfigFileFormat::PassPhrase = QStringLiteral("HarborLantern4817#");
const QString ConfigFileFormat::WorkingCopyName = QStringLiteral("data_XXXXXX.db3");

namespace {

struct Column {
    const char* name;
    const char* declaration;
};

struct TableDefinition {
    const char* name;
    QList<Column> columns;
};

const TableDefinition& definition(ConfigFileFormat::Table table) {
    static const TableDefinition tables[ConfigFileFormat::TableCount] = {
        {"product_table",
         {{"serialNumber", "INT PRIMARY KEY NOT NULL UNIQUE"},
          {"version", "INT NOT NULL"},
          {"customerName", "VARCHAR(40) NOT NULL"},
          {"productName", "VARCHAR(30) NOT NULL"},
          {"logoName", "VARCHAR(10) NOT NULL"}}},
        {"config_table",
         {{"id", "INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE"},
          {"configName", "VARCHAR(40) NOT NULL"}}},
        {"params_table",
         {{"id", "INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE"},
          {"reserve", "INT NOT NULL"},
          {"touchOptimize", "BOOL NOT NULL"},
          {"deadDown", "INT NOT NULL"},
          {"deadUp", "INT NOT NULL"},
          {"pollingRate", "INT NOT NULL"},
          {"shakeLevel", "INT NOT NULL"},
          {"calibration", "BOOL NOT NULL"},
          {"sportsMode", "BOOL NOT NULL"},
          {"currentLayer", "INT NOT NULL"}}},
        {"custom_light_table",
         {{"keyItem", "INT PRIMARY KEY NOT NULL UNIQUE"},
          {"light", "INT NOT NULL"},
          {"colorR", "INT NOT NULL"},
          {"colorG", "INT NOT NULL"},
          {"colorB", "INT NOT NULL"}}},
        {"effect_light_table",
         {{"item", "INT PRIMARY KEY NOT NULL UNIQUE"},
          {"functionFlag", "INT NOT NULL"},
          {"light", "INT NOT NULL"},
          {"speed", "INT NOT NULL"},
          {"fullColor", "INT NOT NULL"},
          {"colorR", "INT NOT NULL"},
          {"colorG", "INT NOT NULL"},
          {"colorB", "INT NOT NULL"}}},
        {"keyboard_fn_table",
         {{"keyItem", "INT PRIMARY KEY NOT NULL UNIQUE"},
          {"type", "INT NOT NULL"},
          {"hValue", "INT NOT NULL"},
          {"lValue", "INT NOT NULL"}}},
        {"keyboard_fn1_table",
         {{"keyItem", "INT PRIMARY KEY NOT NULL UNIQUE"},
          {"type", "INT NOT NULL"},
          {"hValue", "INT NOT NULL"},
          {"lValue", "INT NOT NULL"}}},
        {"high_key_table",
         {{"id", "INTEGER PRIMARY KEY NOT NULL UNIQUE"},
          {"item", "INT NOT NULL"},
          {"attribute", "INT NOT NULL"},
          {"data", "BLOB(40) NOT NULL"}}},
        {"key_macro_table",
         {{"id", "INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL UNIQUE"},
          {"macroIndex", "INT NOT NULL"},
          {"item", "INT NOT NULL"},
          {"type", "INT NOT NULL"},
          {"state", "INT NOT NULL"},
          {"lValue", "INT NOT NULL"},
          {"hValue", "INT NOT NULL"},
          {"time", "INT NOT NULL"}}},
        {"key_trigger_table",
         {{"keyItem", "INT PRIMARY KEY NOT NULL UNIQUE"},
          {"trigger", "INT NOT NULL"},
          {"model", "BOOL NOT NULL"},
          {"quick", "BOOL NOT NULL"},
          {"quickTrigger", "INT NOT NULL"},
          {"resetTrigger", "INT NOT NULL"}}},
    };
    return tables[table];
}

// A stored value as an integer of [min, max]. Files are outside input: a
// value of another type or outside the field's range is refused rather than
// wrapped into the field.
bool integer(const QVariant& value, qint64 min, qint64 max, qint64* out) {
    if (!value.isValid() || value.isNull()) return false;
    qint64 v = 0;
    bool ok = false;
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Bool:
            v = value.toLongLong(&ok);
            break;
        case QMetaType::ULongLong: {
            const qulonglong u = value.toULongLong(&ok);
            ok = ok && u <= qulonglong(std::numeric_limits<qint64>::max());
            v = qint64(u);
            break;
        }
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = value.toDouble();
            ok = std::isfinite(d) && d == std::floor(d) && d >= double(min) && d <= double(max);
            v = ok ? qint64(d) : 0;
            break;
        }
        case QMetaType::QString:
            v = value.toString().trimmed().toLongLong(&ok);
            break;
        default:
            return false;
    }
    if (!ok || v < min || v > max) return false;
    *out = v;
    return true;
}

// Reads fields of one row by position, remembering whether any failed.
class RowReader {
public:
    explicit RowReader(const QSqlQuery& query) : mQuery(query) {}
    quint8 u8(int column) { return quint8(number(column, 0, 255)); }
    qint8 i8(int column) { return qint8(number(column, -128, 127)); }
    quint16 u16(int column) { return quint16(number(column, 0, 65535)); }
    qint16 i16(int column) { return qint16(number(column, -32768, 32767)); }
    // Booleans are stored as numbers; any non-zero number is true.
    bool boolean(int column) {
        return number(column, std::numeric_limits<qint64>::min(),
                      std::numeric_limits<qint64>::max()) != 0;
    }
    QString text(int column) {
        const QVariant v = mQuery.value(column);
        if (!v.isValid()) mOk = false;
        return v.toString();
    }
    QByteArray bytes(int column) {
        const QVariant v = mQuery.value(column);
        if (!v.isValid()) mOk = false;
        return v.toByteArray();
    }
    bool ok() const { return mOk; }

private:
    qint64 number(int column, qint64 min, qint64 max) {
        qint64 v = 0;
        if (!integer(mQuery.value(column), min, max, &v)) {
            mOk = false;
            return 0;
        }
        return v;
    }
    const QSqlQuery& mQuery;
    bool mOk = true;
};

// One prepared INSERT executed once per row; failures only skip the row.
template <typename Container, typename Bind>
int insertRows(QSqlDatabase& db, const QString& statement, const Container& rows, Bind bind) {
    QSqlQuery query(db);
    if (!query.prepare(statement)) return 0;
    int written = 0;
    for (const auto& row : rows) {
        bind(query, row);
        if (query.exec()) ++written;
    }
    return written;
}

// The text columns are NOT NULL: a text never set is stored empty.
QString text(const QString& value) {
    return value.isNull() ? QStringLiteral("") : value;
}

QString errorOf(const QSqlQuery& query) {
    return query.lastError().text();
}

KeyBindingMap copyOf(const KeyBindingMap& map) {
    KeyBindingMap copy;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (it.value()) copy.insert(it.key(), KeyBindingPtr::create(*it.value()));
    return copy;
}

}  // namespace

// ---------------------------------------------------------------------------
// Content

ConfigFileFormat::Content ConfigFileFormat::Content::fromModel(const KeyboardConfigUtil& model) {
    Content c;
    if (model.keyboardProductInfo) c.productInfo = *model.keyboardProductInfo;
    const int index = model.keyboardConfigIndex;
    if (index < model.keyboardConfigList.size() && model.keyboardConfigList.at(index))
        c.configName = model.keyboardConfigList.at(index)->configName;
    if (model.keyboardWholeParam) c.wholeParam = *model.keyboardWholeParam;
    for (auto it = model.keyboardCustomLightMap.cbegin(); it != model.keyboardCustomLightMap.cend();
         ++it)
        if (it.value()) c.customLights.insert(it.key(), CustomLightPtr::create(*it.value()));
    for (auto it = model.keyboardEffectLightMap.cbegin(); it != model.keyboardEffectLightMap.cend();
         ++it)
        if (it.value()) c.effectLights.insert(it.key(), EffectLightPtr::create(*it.value()));
    c.keyMaps[0] = copyOf(model.keyboardFnMap);
    c.keyMaps[1] = copyOf(model.keyboardFn1Map);
    for (const HighKeyPtr& slot : model.keyboardHighKeyList)
        if (slot) c.highKeys.append(HighKeyPtr::create(*slot));
    for (int m = 0; m < MacroCount; ++m)
        for (const MacroEventPtr& e : model.keyboardMacroList[m])
            if (e) c.macros[m].append(MacroEventPtr::create(*e));
    for (auto it = model.keyboardTriggerMap.cbegin(); it != model.keyboardTriggerMap.cend(); ++it)
        if (it.value()) c.triggers.insert(it.key(), TriggerSettingPtr::create(*it.value()));
    return c;
}

// ---------------------------------------------------------------------------
// Statements

QString ConfigFileFormat::tableName(Table table) {
    return QLatin1String(definition(table).name);
}

QString ConfigFileFormat::createStatement(Table table) {
    const TableDefinition& d = definition(table);
    QStringList columns;
    for (const Column& c : d.columns)
        columns.append(QLatin1String(c.name) + QLatin1Char(' ') + QLatin1String(c.declaration));
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2);")
        .arg(QLatin1String(d.name), columns.join(QStringLiteral(", ")));
}

QString ConfigFileFormat::selectStatement(Table table) {
    if (table == KeyMacroTable)
        return QStringLiteral(
            "SELECT * FROM key_macro_table WHERE macroIndex = :macroIndex ORDER BY item ASC");
    return QStringLiteral("SELECT * FROM ") + tableName(table);
}

// ---------------------------------------------------------------------------
// Cipher

QByteArray ConfigFileFormat::key() {
    return QCryptographicHash::hash(PassPhrase.toLatin1(), QCryptographicHash::Sha256);
}

QByteArray ConfigFileFormat::initVector() {
    return QByteArray(16, '\0');
}

QByteArray ConfigFileFormat::encrypt(const QByteArray& plain) {
    return QAESEncryption::encryptData(QAESEncryption::AES_256, QAESEncryption::CBC, plain, key(),
                                       initVector(), QAESEncryption::ISO);
}

QByteArray ConfigFileFormat::decrypt(const QByteArray& cipher) {
    return QAESEncryption::decryptData(QAESEncryption::AES_256, QAESEncryption::CBC, cipher, key(),
                                       initVector(), QAESEncryption::ISO);
}

bool ConfigFileFormat::plausibleCipherLength(qint64 length) {
    return length > 0 && length % QAESEncryption::kBlockSize == 0;
}

// ---------------------------------------------------------------------------
// Advanced-key blob

QByteArray ConfigFileFormat::highKeyBlob(const HIGH_KEY_INFO& entry) {
    QByteArray blob(BlobSize, '\0');
    auto copy = [&](int first, int last) {
        for (int i = first; i <= last; ++i) blob[i] = char(entry.data[i]);
    };
    switch (entry.attribute) {
        case 0:  // TGL
            copy(0, 3);
            break;
        case 1:  // MT: number high byte first, tap function in wire order
            blob[0] = char(entry.data[0]);
            blob[1] = char(entry.data[1]);
            blob[2] = char(entry.data[3]);
            blob[3] = char(entry.data[2]);
            blob[4] = char(entry.data[4]);
            blob[5] = char(entry.data[6]);
            blob[6] = char(entry.data[5]);
            blob[7] = char(entry.data[7]);
            blob[8] = char(entry.data[8]);
            blob[9] = char(entry.data[9]);
            break;
        case 2:  // DKS
            copy(0, 16);
            break;
        case 3:  // RS
        case 4:  // OKS
            copy(0, 1);
            break;
        case 5:  // SOCD
            copy(0, 2);
            break;
        default:
            break;
    }
    return blob;
}

HIGH_KEY_INFO ConfigFileFormat::highKeyFromBlob(quint8 item, quint8 attribute,
                                                const QByteArray& blob) {
    HIGH_KEY_INFO entry;
    entry.item = item;
    entry.attribute = attribute;
    auto b = [&](int i) { return i < blob.size() ? quint8(blob.at(i)) : quint8(0); };
    auto copy = [&](int first, int last) {
        for (int i = first; i <= last; ++i) entry.data[i] = b(i);
    };
    switch (attribute) {
        case 0:
            copy(0, 3);
            break;
        case 1:
            entry.data[0] = b(0);
            entry.data[1] = b(1);
            entry.data[3] = b(2);
            entry.data[2] = b(3);
            entry.data[4] = b(4);
            entry.data[6] = b(5);
            entry.data[5] = b(6);
            entry.data[7] = b(7);
            entry.data[8] = b(8);
            entry.data[9] = b(9);
            break;
        case 2:
            copy(0, 16);
            break;
        case 3:
        case 4:
            copy(0, 1);
            break;
        case 5:
            copy(0, 2);
            break;
        default:
            break;
    }
    return entry;
}

// ---------------------------------------------------------------------------
// Working copy

std::unique_ptr<QTemporaryFile> ConfigFileFormat::createWorkingCopy() {
    // An unusable TMPDIR gives an empty path: never fall back to the root.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return nullptr;
    auto file = std::make_unique<QTemporaryFile>(folder + QLatin1Char('/') + WorkingCopyName);
    file->setAutoRemove(true);
    if (!file->open()) return nullptr;
    file->close();
    return file;
}

QSqlDatabase ConfigFileFormat::openDatabase(const QString& path, bool readOnly, bool* opened) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ConnectionName);
    db.setDatabaseName(path);
    if (readOnly) db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    *opened = db.open();
    if (*opened && !readOnly) {
        // A scratch file in the temporary folder: no need to wait for the
        // disk after every row. Neither setting changes the file format.
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        pragma.exec(QStringLiteral("PRAGMA journal_mode = MEMORY"));
    }
    return db;
}

// ---------------------------------------------------------------------------
// Writing

bool ConfigFileFormat::createTable(QSqlDatabase& db, Table table, QString* error) {
    QSqlQuery query(db);
    if (query.exec(createStatement(table))) return true;
    if (error) *error = errorOf(query);
    return false;
}

bool ConfigFileFormat::writeProduct(QSqlDatabase& db, const KeyboardProductInfo& info,
                                    QString* error) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO product_table (serialNumber,version,customerName,productName,logoName) "
        "VALUES (:serialNumber, :version,:customerName,:productName,:logoName)"));
    query.bindValue(QStringLiteral(":serialNumber"), int(info.serialNumber));
    query.bindValue(QStringLiteral(":version"), int(info.version));
    query.bindValue(QStringLiteral(":customerName"), text(info.customerName));
    query.bindValue(QStringLiteral(":productName"), text(info.productName));
    query.bindValue(QStringLiteral(":logoName"), text(info.logoName));
    if (query.exec()) return true;
    if (error) *error = errorOf(query);
    return false;
}

bool ConfigFileFormat::writeConfigName(QSqlDatabase& db, const QString& name, QString* error) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO config_table (configName) VALUES (:configName)"));
    query.bindValue(QStringLiteral(":configName"), text(name));
    if (query.exec()) return true;
    if (error) *error = errorOf(query);
    return false;
}

bool ConfigFileFormat::writeParams(QSqlDatabase& db, const WholeParam& p, QString* error) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO params_table "
        "(reserve,touchOptimize,deadDown,deadUp,pollingRate,shakeLevel,calibration,sportsMode,"
        "currentLayer) VALUES (:reserve,:touchOptimize,:deadDown,:deadUp,:pollingRate,:shakeLevel,"
        ":calibration,:sportsMode,:currentLayer)"));
    query.bindValue(QStringLiteral(":reserve"), int(p.reserve));
    query.bindValue(QStringLiteral(":touchOptimize"), p.touchOptimize);
    query.bindValue(QStringLiteral(":deadDown"), int(p.deadDown));
    query.bindValue(QStringLiteral(":deadUp"), int(p.deadUp));
    query.bindValue(QStringLiteral(":pollingRate"), int(p.pollingRate));
    query.bindValue(QStringLiteral(":shakeLevel"), int(p.shakeLevel));
    query.bindValue(QStringLiteral(":calibration"), p.calibration);
    query.bindValue(QStringLiteral(":sportsMode"), p.sportsMode);
    query.bindValue(QStringLiteral(":currentLayer"), int(p.currentLayer));
    if (query.exec()) return true;
    if (error) *error = errorOf(query);
    return false;
}

int ConfigFileFormat::writeCustomLights(QSqlDatabase& db, const CustomLightMap& map) {
    return insertRows(db,
                      QStringLiteral("INSERT INTO custom_light_table (keyItem,light,colorR,colorG,"
                                     "colorB) VALUES (:keyItem,:light,:colorR,:colorG,:colorB)"),
                      map, [](QSqlQuery& q, const CustomLightPtr& e) {
                          q.bindValue(QStringLiteral(":keyItem"), int(e->keyItem));
                          q.bindValue(QStringLiteral(":light"), int(e->light));
                          q.bindValue(QStringLiteral(":colorR"), int(e->colorR));
                          q.bindValue(QStringLiteral(":colorG"), int(e->colorG));
                          q.bindValue(QStringLiteral(":colorB"), int(e->colorB));
                      });
}

int ConfigFileFormat::writeEffectLights(QSqlDatabase& db, const EffectLightMap& map) {
    return insertRows(
        db,
        QStringLiteral("INSERT INTO effect_light_table "
                       "(item,functionFlag,light,speed,fullColor,colorR,colorG,colorB) VALUES "
                       "(:item,:functionFlag,:light,:speed,:fullColor,:colorR,:colorG,:colorB)"),
        map, [](QSqlQuery& q, const EffectLightPtr& e) {
            q.bindValue(QStringLiteral(":item"), int(e->item));
            q.bindValue(QStringLiteral(":functionFlag"), int(e->functionFlag));
            q.bindValue(QStringLiteral(":light"), int(e->light));
            q.bindValue(QStringLiteral(":speed"), int(e->speed));
            q.bindValue(QStringLiteral(":fullColor"), int(e->fullColor));
            q.bindValue(QStringLiteral(":colorR"), int(e->colorR));
            q.bindValue(QStringLiteral(":colorG"), int(e->colorG));
            q.bindValue(QStringLiteral(":colorB"), int(e->colorB));
        });
}

int ConfigFileFormat::writeKeyMap(QSqlDatabase& db, Table table, const KeyBindingMap& map) {
    return insertRows(db,
                      QStringLiteral("INSERT INTO %1 (keyItem,type,hValue,lValue) VALUES "
                                     "(:keyItem,:type,:hValue,:lValue)")
                          .arg(tableName(table)),
                      map, [](QSqlQuery& q, const KeyBindingPtr& k) {
                          q.bindValue(QStringLiteral(":keyItem"), int(k->keyItem));
                          q.bindValue(QStringLiteral(":type"), int(k->type));
                          q.bindValue(QStringLiteral(":hValue"), int(k->hValue));
                          q.bindValue(QStringLiteral(":lValue"), int(k->lValue));
                      });
}

int ConfigFileFormat::writeHighKeys(QSqlDatabase& db, const HighKeyList& list) {
    return insertRows(db,
                      QStringLiteral("INSERT INTO high_key_table (item,attribute,data) VALUES "
                                     "(:item,:attribute,:data)"),
                      list, [](QSqlQuery& q, const HighKeyPtr& k) {
                          q.bindValue(QStringLiteral(":item"), int(k->item));
                          q.bindValue(QStringLiteral(":attribute"), int(k->attribute));
                          q.bindValue(QStringLiteral(":data"), highKeyBlob(*k));
                      });
}

int ConfigFileFormat::writeMacros(QSqlDatabase& db,
                                  const std::array<MacroEventList, MacroCount>& macros) {
    struct Row {
        int macroIndex;
        int item;
        MacroEventPtr event;
    };
    QList<Row> rows;
    for (int m = 0; m < MacroCount; ++m)
        for (int i = 0; i < macros[m].size(); ++i) rows.append({m, i, macros[m].at(i)});
    return insertRows(
        db,
        QStringLiteral(
            "INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,hValue,time) "
            "VALUES (:macroIndex,:item,:type,:state,:lValue,:hValue,:time)"),
        rows, [](QSqlQuery& q, const Row& r) {
            q.bindValue(QStringLiteral(":macroIndex"), r.macroIndex);
            q.bindValue(QStringLiteral(":item"), r.item);
            q.bindValue(QStringLiteral(":type"), int(r.event->type));
            q.bindValue(QStringLiteral(":state"), int(r.event->state));
            q.bindValue(QStringLiteral(":lValue"), int(r.event->lValue));
            q.bindValue(QStringLiteral(":hValue"), int(r.event->hValue));
            q.bindValue(QStringLiteral(":time"), int(r.event->time));
        });
}

int ConfigFileFormat::writeTriggers(QSqlDatabase& db, const TriggerMap& map) {
    return insertRows(
        db,
        QStringLiteral("INSERT INTO key_trigger_table "
                       "(keyItem,trigger,model,quick,quickTrigger,resetTrigger) VALUES "
                       "(:keyItem,:trigger,:model,:quick,:quickTrigger,:resetTrigger)"),
        map, [](QSqlQuery& q, const TriggerSettingPtr& t) {
            q.bindValue(QStringLiteral(":keyItem"), int(t->keyItem));
            q.bindValue(QStringLiteral(":trigger"), int(t->trigger));
            q.bindValue(QStringLiteral(":model"), t->model);
            q.bindValue(QStringLiteral(":quick"), t->quick);
            q.bindValue(QStringLiteral(":quickTrigger"), int(t->quickTrigger));
            q.bindValue(QStringLiteral(":resetTrigger"), int(t->resetTrigger));
        });
}

bool ConfigFileFormat::writeAll(QSqlDatabase& db, const Content& c, QString* error) {
    for (int t = 0; t < TableCount; ++t)
        if (!createTable(db, Table(t), error)) return false;
    if (!writeProduct(db, c.productInfo, error) || !writeConfigName(db, c.configName, error) ||
        !writeParams(db, c.wholeParam, error))
        return false;
    writeCustomLights(db, c.customLights);
    writeEffectLights(db, c.effectLights);
    writeKeyMap(db, KeyboardFnTable, c.keyMaps[0]);
    writeKeyMap(db, KeyboardFn1Table, c.keyMaps[1]);
    writeHighKeys(db, c.highKeys);
    writeMacros(db, c.macros);
    writeTriggers(db, c.triggers);
    return true;
}

// ---------------------------------------------------------------------------
// Reading

ConfigFileFormat::ReadResult ConfigFileFormat::readProduct(QSqlDatabase& db,
                                                           KeyboardProductInfo* info) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(ProductTable)) || !query.next()) return QueryFailed;
    RowReader row(query);
    KeyboardProductInfo read;
    read.serialNumber = row.i16(0);
    read.version = row.i16(1);
    read.customerName = row.text(2);
    read.productName = row.text(3);
    read.logoName = row.text(4);
    if (!row.ok()) return BadValue;
    *info = read;
    return ReadOk;
}

ConfigFileFormat::ReadResult ConfigFileFormat::readConfigName(QSqlDatabase& db, QString* name) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(ConfigTable)) || !query.next()) return QueryFailed;
    RowReader row(query);
    const QString read = row.text(1);
    if (!row.ok()) return BadValue;
    *name = read;
    return ReadOk;
}

ConfigFileFormat::ReadResult ConfigFileFormat::readParams(QSqlDatabase& db, WholeParam* param) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(ParamsTable)) || !query.next()) return QueryFailed;
    RowReader row(query);
    WholeParam p;
    p.reserve = row.i8(1);
    p.touchOptimize = row.boolean(2);
    p.deadDown = row.i16(3);
    p.deadUp = row.i16(4);
    p.pollingRate = row.i8(5);
    p.shakeLevel = row.i8(6);
    p.calibration = row.boolean(7);
    p.sportsMode = row.boolean(8);
    p.currentLayer = row.i8(9);
    if (!row.ok()) return BadValue;
    *param = p;
    return ReadOk;
}

ConfigFileFormat::ReadResult ConfigFileFormat::readCustomLights(QSqlDatabase& db,
                                                                CustomLightMap* map) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(CustomLightTable))) return QueryFailed;
    CustomLightMap read;
    while (query.next()) {
        RowReader row(query);
        auto e = CustomLightPtr::create();
        e->keyItem = row.u8(0);
        e->light = row.u8(1);
        e->colorR = row.u8(2);
        e->colorG = row.u8(3);
        e->colorB = row.u8(4);
        if (!row.ok()) return BadValue;
        read.insert(e->keyItem, e);
    }
    *map = read;
    return ReadOk;
}

ConfigFileFormat::ReadResult ConfigFileFormat::readEffectLights(QSqlDatabase& db,
                                                                EffectLightMap* map) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(EffectLightTable))) return QueryFailed;
    EffectLightMap read;
    while (query.next()) {
        RowReader row(query);
        auto e = EffectLightPtr::create();
        e->item = row.u8(0);
        e->functionFlag = row.u8(1);
        e->light = row.u8(2);
        e->speed = row.u8(3);
        e->fullColor = row.u8(4);
        e->colorR = row.u8(5);
        e->colorG = row.u8(6);
        e->colorB = row.u8(7);
        if (!row.ok()) return BadValue;
        read.insert(e->item, e);
    }
    *map = read;
    return ReadOk;
}

ConfigFileFormat::ReadResult ConfigFileFormat::readKeyMap(QSqlDatabase& db, Table table,
                                                          KeyBindingMap* map) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(table))) return QueryFailed;
    KeyBindingMap read;
    while (query.next()) {
        RowReader row(query);
        auto k = KeyBindingPtr::create();
        k->keyItem = row.u8(0);
        k->type = row.u8(1);
        k->hValue = row.u8(2);
        k->lValue = row.u8(3);
        if (!row.ok()) return BadValue;
        read.insert(k->keyItem, k);
    }
    *map = read;
    return ReadOk;
}

ConfigFileFormat::ReadResult ConfigFileFormat::readHighKeys(QSqlDatabase& db, HighKeyList* list) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(HighKeyTable))) return QueryFailed;
    HighKeyList read;
    while (query.next()) {
        RowReader row(query);
        const quint8 item = row.u8(1);
        const quint8 attribute = row.u8(2);
        const QByteArray blob = row.bytes(3);
        if (!row.ok() || read.size() >= MaxItems) return BadValue;
        read.append(HighKeyPtr::create(highKeyFromBlob(item, attribute, blob)));
    }
    *list = read;
    return ReadOk;
}

ConfigFileFormat::ReadResult ConfigFileFormat::readMacro(QSqlDatabase& db, int macroIndex,
                                                         MacroEventList* events) {
    events->clear();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(selectStatement(KeyMacroTable))) return ReadOk;
    query.bindValue(QStringLiteral(":macroIndex"), macroIndex);
    if (!query.exec()) return ReadOk;
    MacroEventList read;
    while (query.next()) {
        RowReader row(query);
        auto e = MacroEventPtr::create();
        e->type = row.u8(3);
        e->state = row.u8(4);
        e->lValue = row.u8(5);
        e->hValue = row.u8(6);
        e->time = row.u16(7);
        if (!row.ok() || read.size() >= MaxItems) return BadValue;
        read.append(e);
    }
    *events = read;
    return ReadOk;
}

ConfigFileFormat::ReadResult ConfigFileFormat::readTriggers(QSqlDatabase& db, TriggerMap* map) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(selectStatement(KeyTriggerTable))) return QueryFailed;
    TriggerMap read;
    while (query.next()) {
        RowReader row(query);
        auto t = TriggerSettingPtr::create();
        t->keyItem = row.u8(0);
        t->trigger = row.u16(1);
        t->model = row.boolean(2);
        t->quick = row.boolean(3);
        t->quickTrigger = row.u16(4);
        t->resetTrigger = row.u16(5);
        if (!row.ok()) return BadValue;
        read.insert(t->keyItem, t);
    }
    *map = read;
    return ReadOk;
}

ConfigFileFormat::Table ConfigFileFormat::readAll(QSqlDatabase& db, Content* c,
                                                  ReadResult* result) {
    ReadResult r = ReadOk;
    auto failed = [&](ReadResult got) {
        r = got;
        return got != ReadOk;
    };
    Table failedTable = TableCount;
    if (failed(readProduct(db, &c->productInfo)))
        failedTable = ProductTable;
    else if (failed(readConfigName(db, &c->configName)))
        failedTable = ConfigTable;
    else if (failed(readParams(db, &c->wholeParam)))
        failedTable = ParamsTable;
    else if (failed(readCustomLights(db, &c->customLights)))
        failedTable = CustomLightTable;
    else if (failed(readEffectLights(db, &c->effectLights)))
        failedTable = EffectLightTable;
    else if (failed(readKeyMap(db, KeyboardFnTable, &c->keyMaps[0])))
        failedTable = KeyboardFnTable;
    else if (failed(readKeyMap(db, KeyboardFn1Table, &c->keyMaps[1])))
        failedTable = KeyboardFn1Table;
    else if (failed(readHighKeys(db, &c->highKeys)))
        failedTable = HighKeyTable;
    if (failedTable == TableCount) {
        for (int m = 0; m < MacroCount && failedTable == TableCount; ++m)
            if (failed(readMacro(db, m, &c->macros[m]))) failedTable = KeyMacroTable;
    }
    if (failedTable == TableCount && failed(readTriggers(db, &c->triggers)))
        failedTable = KeyTriggerTable;
    if (result) *result = r;
    return failedTable;
}
