// Hostile configuration files: truncated, bit-flipped, garbage, the wrong
// key, databases with tables missing, values of the wrong type or range,
// oversized rows. None may crash or hang the import; each is refused with a
// reading-phase code before anything reaches the keyboard, or imported with
// every stored value inside its field's range.
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>

#include "jobs/configwritedatabase.h"
#include "jobs/importconfigutil.h"
#include "model/qaesencryption.h"
#include "support/configfilerig.h"
#include "support/testsupport.h"

using testsupport::KeyboardRig;

namespace {

struct Variant {
    QString name;
    QByteArray file;
};

// Deterministic pseudo-random numbers (64-bit LCG, high bits).
struct Lcg {
    quint64 state;
    quint32 next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return quint32(state >> 33);
    }
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Ranges of every number field, by table and column position, as the file
// format defines them; booleans may be any integer.
struct Field {
    const char* table;
    int column;
    qint64 min, max;
};
const qint64 kAny = std::numeric_limits<qint64>::max();
const QList<Field>& fields() {
    static const QList<Field> f = [] {
        QList<Field> l;
        auto add = [&](const char* t, std::initializer_list<int> cols, qint64 lo, qint64 hi) {
            for (int c : cols) l.append({t, c, lo, hi});
        };
        add("product_table", {0, 1}, -32768, 32767);
        add("params_table", {1, 5, 6, 9}, -128, 127);
        add("params_table", {3, 4}, -32768, 32767);
        add("params_table", {2, 7, 8}, -kAny, kAny);
        add("custom_light_table", {0, 1, 2, 3, 4}, 0, 255);
        add("effect_light_table", {0, 1, 2, 3, 4, 5, 6, 7}, 0, 255);
        add("keyboard_fn_table", {0, 1, 2, 3}, 0, 255);
        add("keyboard_fn1_table", {0, 1, 2, 3}, 0, 255);
        add("high_key_table", {1, 2}, 0, 255);
        add("key_macro_table", {3, 4, 5, 6}, 0, 255);
        add("key_macro_table", {7}, 0, 65535);
        add("key_trigger_table", {0}, 0, 255);
        add("key_trigger_table", {1, 4, 5}, 0, 65535);
        add("key_trigger_table", {2, 3}, -kAny, kAny);
        return l;
    }();
    return f;
}

bool inRange(const QVariant& v, qint64 lo, qint64 hi) {
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        return std::isfinite(d) && d == std::floor(d) && d >= double(lo) && d <= double(hi);
    }
    bool ok = false;
    const qint64 n = v.typeId() == QMetaType::QString ? v.toString().trimmed().toLongLong(&ok)
                                                      : v.toLongLong(&ok);
    return !v.isNull() && ok && n >= lo && n <= hi;
}

// The first stored value of an accepted file that lies outside its field's
// range (only rows the import reads), or an empty text.
QString valueOutOfRange(const QString& plainFile) {
    QString found;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(plainFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) return QStringLiteral("accepted a file that does not open");
        for (const Field& f : fields()) {
            QSqlQuery q(db);
            const bool singleRow =
                QByteArray(f.table) == "product_table" || QByteArray(f.table) == "params_table";
            QString sql = QStringLiteral("SELECT * FROM ") + QLatin1String(f.table);
            if (QByteArray(f.table) == "key_macro_table")
                sql += QStringLiteral(" WHERE macroIndex IN (0,1,2,3,4,5,6,7,8,9)");
            if (!q.exec(sql)) continue;
            while (q.next()) {
                if (!inRange(q.value(f.column), f.min, f.max)) {
                    found = QStringLiteral("%1 column %2 = %3")
                                .arg(QLatin1String(f.table))
                                .arg(f.column)
                                .arg(q.value(f.column).toString().left(40));
                    break;
                }
                if (singleRow) break;
            }
            if (!found.isEmpty()) break;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return found;
}

}  // namespace

class TestImportHostile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void hostileFiles();
    void keyRowMissingOrExtra_data();
    void keyRowMissingOrExtra();

private:
    // Exports the rig's keyboard into m_cipher and m_plain.
    bool exportBase(KeyboardRig& rig);
    QByteArray databaseVariant(const QStringList& sql);
    QList<Variant> variants();

    QTemporaryDir m_dir;
    QByteArray m_cipher;  // a valid export of the keyboard below
    QByteArray m_plain;
};

void TestImportHostile::initTestCase() {
    QVERIFY(m_dir.isValid());
    // A thousand imports log every frame: keep only warnings.
    if (!qEnvironmentVariableIsSet("HOSTILE_LOG"))
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
    qputenv("TMPDIR", m_dir.path().toUtf8());
}

QByteArray TestImportHostile::databaseVariant(const QStringList& sql) {
    const QString path = m_dir.filePath(QStringLiteral("variant.db3"));
    if (!writeAll(path, m_plain)) return {};
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("variant"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA synchronous = OFF"));
            for (const QString& s : sql) q.exec(s);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("variant"));
    return ConfigFileFormat::encrypt(readAll(path));
}

QList<Variant> TestImportHostile::variants() {
    QList<Variant> v;
    const int size = int(m_cipher.size());
    Lcg rng{0x5EED};

    // Truncated: block-aligned and not.
    for (int i = 0; i < 150; ++i) {
        const int length = i < 20 ? i * 7 : int(rng.next() % quint32(size));
        v.append({QStringLiteral("truncated to %1").arg(length), m_cipher.left(length)});
    }
    // Bit flips in the ciphertext (one block garbled, one bit in the next).
    for (int i = 0; i < 400; ++i) {
        const int bit = int(rng.next() % quint32(size * 8));
        QByteArray f = m_cipher;
        f[bit / 8] = char(f[bit / 8] ^ (1 << (bit % 8)));
        v.append({QStringLiteral("cipher bit %1 flipped").arg(bit), f});
    }
    // Bit flips in the database itself, concentrated on the first pages
    // where the schema and most rows live.
    for (int i = 0; i < 200; ++i) {
        const int span = qMin(int(m_plain.size()), 6 * 4096);
        const int bit = int(rng.next() % quint32(span * 8));
        QByteArray p = m_plain;
        p[bit / 8] = char(p[bit / 8] ^ (1 << (bit % 8)));
        v.append(
            {QStringLiteral("database bit %1 flipped").arg(bit), ConfigFileFormat::encrypt(p)});
    }
    // Garbage of assorted lengths, some whole blocks.
    for (int i = 0; i < 100; ++i) {
        const int length = i % 2 ? int(rng.next() % 70000) : 16 * int(1 + rng.next() % 4096);
        QByteArray g(length, Qt::Uninitialized);
        for (char& c : g) c = char(rng.next());
        v.append({QStringLiteral("garbage of %1 bytes").arg(length), g});
    }
    // The right database under another key.
    for (int i = 0; i < 20; ++i) {
        const QByteArray key = QCryptographicHash::hash(
            QByteArray("not the pass phrase ") + QByteArray::number(i), QCryptographicHash::Sha256);
        v.append({QStringLiteral("wrong key %1").arg(i),
                  QAESEncryption::encryptData(QAESEncryption::AES_256, QAESEncryption::CBC, m_plain,
                                              key, QByteArray(16, '\0'))});
    }
    // Valid databases: a table missing, or a column holding the wrong thing.
    for (int t = 0; t < ConfigFileFormat::TableCount; ++t) {
        const QString table = ConfigFileFormat::tableName(ConfigFileFormat::Table(t));
        v.append({table + QStringLiteral(" missing"), databaseVariant({"DROP TABLE " + table})});
        v.append({table + QStringLiteral(" empty"), databaseVariant({"DELETE FROM " + table})});
        QStringList columns;
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cols"));
            const QString path = m_dir.filePath(QStringLiteral("cols.db3"));
            writeAll(path, m_plain);
            db.setDatabaseName(path);
            if (db.open()) {
                QSqlQuery q(db);
                q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table));
                while (q.next()) columns << q.value(1).toString();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("cols"));
        // Without the NOT NULL constraints, so that NULL can be stored too.
        const QStringList loose{"CREATE TABLE loose AS SELECT * FROM " + table,
                                "DROP TABLE " + table, "ALTER TABLE loose RENAME TO " + table};
        for (const QString& c : columns)
            for (const char* value : {"'text'", "10000000000", "-1", "3.5", "x'0102'", "NULL",
                                      "256", "65536", "-129", "''"})
                v.append({QStringLiteral("%1.%2 = %3").arg(table, c, QLatin1String(value)),
                          databaseVariant(loose +
                                          QStringList{QStringLiteral("UPDATE %1 SET \"%2\" = %3")
                                                          .arg(table, c, QLatin1String(value))})});
    }
    // Oversized rows and tables.
    v.append({"config name of 1 MiB",
              databaseVariant({"UPDATE config_table SET configName = hex(zeroblob(524288))"})});
    v.append({"slot blob of 1 MiB",
              databaseVariant({"UPDATE high_key_table SET data = zeroblob(1048576)"})});
    v.append({"300 slots",
              databaseVariant(
                  {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 300) "
                   "INSERT INTO high_key_table (item,attribute,data) SELECT 255,0,zeroblob(40) "
                   "FROM n"})});
    v.append({"300 events in one macro",
              databaseVariant(
                  {"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 300) "
                   "INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,hValue,time) "
                   "SELECT 1,i,1,i%2,4,0,10 FROM n"})});
    v.append(
        {"10000 keys",
         databaseVariant(
             {"WITH RECURSIVE n(i) AS (SELECT 300 UNION ALL SELECT i+1 FROM n WHERE i < 10300) "
              "INSERT INTO keyboard_fn_table (keyItem,type,hValue,lValue) SELECT i,1,0,4 FROM "
              "n"})});
    v.append({"macro of another index",
              databaseVariant({"UPDATE key_macro_table SET macroIndex = 12"})});
    return v;
}

bool TestImportHostile::exportBase(KeyboardRig& rig) {
    const QString base = m_dir.filePath(QStringLiteral("base.aaa"));
    ConfigWriteDatabase job(rig.model.data(), base);
    const testsupport::Results r =
        testsupport::collect(&job, &ConfigWriteDatabase::config_write_result);
    if (r.isEmpty() || r.constLast() != qMakePair(true, 100)) return false;
    m_cipher = readAll(base);
    m_plain = ConfigFileFormat::decrypt(m_cipher);
    return m_plain.startsWith("SQLite format 3");
}

void TestImportHostile::hostileFiles() {
    QElapsedTimer clock;
    clock.start();
    KeyboardRig rig;
    QVERIFY(rig.openSyncAndLoad());
    QVERIFY(exportBase(rig));

    const QList<Variant> all = variants();
    QVERIFY(all.size() >= 1000);
    const QString file = m_dir.filePath(QStringLiteral("hostile.aaa"));
    const QString plain = m_dir.filePath(QStringLiteral("hostile.db3"));
    int accepted = 0;
    QMap<int, int> refused;
    for (const Variant& variant : all) {
        QVERIFY(writeAll(file, variant.file));
        const int written = rig.sim.writeCount();
        ImportConfigUtil job(rig.engine.data(), rig.model.data(), file);
        const testsupport::Results r =
            testsupport::collect(&job, &ImportConfigUtil::import_config_result);
        QVERIFY2(testsupport::ended(r), qPrintable(variant.name + QStringLiteral(": no result")));
        const bool ok = r.constLast().first;
        const int value = r.constLast().second;
        for (int i = 0; i + 1 < r.size(); ++i)
            QVERIFY2(r[i].first && r[i].second < 100, qPrintable(variant.name));
        if (!ok) {
            QVERIFY2(value <= -21 && value >= ImportConfigUtil::ErrorHighKeySlots,
                     qPrintable(variant.name + QStringLiteral(": code %1").arg(value)));
            QVERIFY2(rig.sim.writeCount() == written,
                     qPrintable(variant.name + QStringLiteral(": sent commands before refusing")));
            ++refused[value];
            continue;
        }
        QCOMPARE(value, 100);
        ++accepted;
        QVERIFY(writeAll(plain, ConfigFileFormat::decrypt(variant.file)));
        const QString bad = valueOutOfRange(plain);
        QVERIFY2(bad.isEmpty(), qPrintable(variant.name + QStringLiteral(": accepted ") + bad));
    }
    QVERIFY(QDir(m_dir.path()).entryList({QStringLiteral("data_*.db3")}, QDir::Files).isEmpty());
    QStringList summary;
    for (auto it = refused.cbegin(); it != refused.cend(); ++it)
        summary << QStringLiteral("%1: %2").arg(it.key()).arg(it.value());
    std::fprintf(stderr, "%s\n",
                 qPrintable(QStringLiteral("%1 variants: %2 imported, refused %3 (%4 ms)")
                                .arg(all.size())
                                .arg(accepted)
                                .arg(summary.join(QStringLiteral(", ")))
                                .arg(clock.elapsed())));
    // Both outcomes were exercised.
    QVERIFY(accepted > 0);
    QVERIFY(refused.value(-21) > 0 && refused.value(-22) > 0);
}

void TestImportHostile::keyRowMissingOrExtra_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("missing");
    for (const char* table :
         {"custom_light_table", "keyboard_fn_table", "keyboard_fn1_table", "key_trigger_table"}) {
        QTest::addRow("%s: row of key 10 deleted", table) << QString::fromLatin1(table) << true;
        QTest::addRow("%s: key beyond the product", table) << QString::fromLatin1(table) << false;
    }
}

// Every frame of a bulk write names its first key and stores the entries
// after it under the following keys: a file whose per-key table lacks a key
// or names one the keyboard does not have is refused before anything is
// sent, and neither keyboard nor model changes.
void TestImportHostile::keyRowMissingOrExtra() {
    QFETCH(QString, table);
    QFETCH(bool, missing);
    KeyboardRig rig;
    QVERIFY(rig.openSyncAndLoad());
    QVERIFY(exportBase(rig));
    const int keys = rig.state().keyCount;
    QVERIFY(keys > 10 && keys < 255);
    const QStringList sql =
        missing ? QStringList{QStringLiteral("DELETE FROM %1 WHERE keyItem = 10").arg(table)}
                : QStringList{QStringLiteral("CREATE TABLE extra AS SELECT * FROM %1 WHERE "
                                             "keyItem = 0")
                                  .arg(table),
                              QStringLiteral("UPDATE extra SET keyItem = %1").arg(keys),
                              QStringLiteral("INSERT INTO %1 SELECT * FROM extra").arg(table)};
    const QString file = m_dir.filePath(QStringLiteral("keys.aaa"));
    QVERIFY(writeAll(file, databaseVariant(sql)));
    // The variant really differs from the export in that one row.
    QVERIFY(ConfigFileFormat::decrypt(readAll(file)) != m_plain);

    // What the model holds, value by value.
    auto modelText = [&rig] { return testsupport::keyTablesText(*rig.model); };
    const QStringList modelBefore = modelText();
    const int written = rig.sim.writeCount();

    ImportConfigUtil job(rig.engine.data(), rig.model.data(), file);
    const testsupport::Results r =
        testsupport::collect(&job, &ImportConfigUtil::import_config_result);
    QVERIFY(testsupport::ended(r));
    QCOMPARE(r.constLast(), qMakePair(false, int(ImportConfigUtil::ErrorKeySet)));
    QCOMPARE(job.keyMismatch().table, table);
    QCOMPARE(job.keyMismatch().key, missing ? 10 : keys);
    QCOMPARE(job.keyMismatch().missing, missing);
    QCOMPARE(rig.sim.writeCount(), written);
    QCOMPARE(modelText(), modelBefore);

    // The untouched export goes in whole.
    QVERIFY(writeAll(file, m_cipher));
    ImportConfigUtil whole(rig.engine.data(), rig.model.data(), file);
    QCOMPARE(testsupport::collect(&whole, &ImportConfigUtil::import_config_result).constLast(),
             qMakePair(true, 100));
}

QTEST_GUILESS_MAIN(TestImportHostile)
#include "tst_importhostile.moc"
