#pragma once
// The configuration file: an SQLite database of ten tables, encrypted as a
// whole with AES-256-CBC. Files written by other copies of the program must
// keep importing, so the pass phrase, vector, padding, table definitions and
// column order never change.
//
// Export and import never open the .aaa file as a database: they work on a
// plain working copy in the temporary folder (see openWorkingCopy).

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryFile>
#include <array>
#include <memory>

#include "common/keyboardtypes.h"

class KeyboardConfigUtil;

class ConfigFileFormat {
public:
    static constexpr int MacroCount = 10;
    static constexpr int BlobSize = 40;

    // The tables in the order they are written and read.
    enum Table {
        ProductTable,
        ConfigTable,
        ParamsTable,
        CustomLightTable,
        EffectLightTable,
        KeyboardFnTable,
        KeyboardFn1Table,
        HighKeyTable,
        KeyMacroTable,
        KeyTriggerTable,
        TableCount
    };

    // Everything a file carries, detached from the model: the export takes a
    // deep copy on the thread that owns the model, the import fills one from
    // the file.
    struct Content {
        KeyboardProductInfo productInfo;
        QString configName;
        WholeParam wholeParam;
        CustomLightMap customLights;
        EffectLightMap effectLights;
        std::array<KeyBindingMap, 2> keyMaps;
        HighKeyList highKeys;
        std::array<MacroEventList, MacroCount> macros;
        TriggerMap triggers;

        // configName: the active table's name, empty when the list has no
        // entry at the active position.
        static Content fromModel(const KeyboardConfigUtil& model);
    };

    // Outcome of reading one table.
    enum ReadResult {
        ReadOk,
        QueryFailed,  // missing table, not a database, or no row where one is required
        BadValue      // a value that is not a number of its field's range
    };

    static const QString ConnectionName;   // connect_config
    static const QString PassPhrase;       // fixed; every file ever written uses it
    static const QString WorkingCopyName;  // data_XXXXXX.db3

    static QString tableName(Table table);
    static QString createStatement(Table table);
    static QString selectStatement(Table table);

    // SHA-256 of the pass phrase, and the all-zero vector.
    static QByteArray key();
    static QByteArray initVector();
    // AES-256-CBC with ISO padding; decryption keeps any padding.
    static QByteArray encrypt(const QByteArray& plain);
    static QByteArray decrypt(const QByteArray& cipher);
    // A ciphertext this program could have written: not empty, whole blocks.
    static bool plausibleCipherLength(qint64 length);

    // The 40-byte `data` blob of high_key_table, laid out by kind.
    static QByteArray highKeyBlob(const HIGH_KEY_INFO& entry);
    static HIGH_KEY_INFO highKeyFromBlob(quint8 item, quint8 attribute, const QByteArray& blob);

    // Creates an empty file from the working-copy template in the temporary
    // folder; null when it cannot be created. The file is removed when the
    // object is destroyed.
    static std::unique_ptr<QTemporaryFile> createWorkingCopy();
    // Adds the connect_config connection on the file. The caller closes it
    // and removes the connection once every query is gone.
    static QSqlDatabase openDatabase(const QString& path, bool readOnly, bool* opened);

    // --- writing (database open, table not yet created) ---
    static bool createTable(QSqlDatabase& db, Table table, QString* error);
    // The single-row tables: false when the row was not written.
    static bool writeProduct(QSqlDatabase& db, const KeyboardProductInfo& info, QString* error);
    static bool writeConfigName(QSqlDatabase& db, const QString& name, QString* error);
    static bool writeParams(QSqlDatabase& db, const WholeParam& param, QString* error);
    // The multi-row tables: a row that fails is left out, the rest goes on.
    // Returns the number of rows written.
    static int writeCustomLights(QSqlDatabase& db, const CustomLightMap& map);
    static int writeEffectLights(QSqlDatabase& db, const EffectLightMap& map);
    static int writeKeyMap(QSqlDatabase& db, Table table, const KeyBindingMap& map);
    static int writeHighKeys(QSqlDatabase& db, const HighKeyList& list);
    static int writeMacros(QSqlDatabase& db, const std::array<MacroEventList, MacroCount>& macros);
    static int writeTriggers(QSqlDatabase& db, const TriggerMap& map);

    // Creates every table and writes the content (tests, tools).
    static bool writeAll(QSqlDatabase& db, const Content& content, QString* error);

    // --- reading (by column position) ---
    static ReadResult readProduct(QSqlDatabase& db, KeyboardProductInfo* info);
    static ReadResult readConfigName(QSqlDatabase& db, QString* name);
    static ReadResult readParams(QSqlDatabase& db, WholeParam* param);
    static ReadResult readCustomLights(QSqlDatabase& db, CustomLightMap* map);
    static ReadResult readEffectLights(QSqlDatabase& db, EffectLightMap* map);
    static ReadResult readKeyMap(QSqlDatabase& db, Table table, KeyBindingMap* map);
    static ReadResult readHighKeys(QSqlDatabase& db, HighKeyList* list);
    // One macro, in item order. A failing query leaves the macro empty and
    // still counts as read.
    static ReadResult readMacro(QSqlDatabase& db, int macroIndex, MacroEventList* events);
    static ReadResult readTriggers(QSqlDatabase& db, TriggerMap* map);

    // Reads every table into the content (tests, tools); the first table
    // that fails, or TableCount when all were read.
    static Table readAll(QSqlDatabase& db, Content* content, ReadResult* result = nullptr);

    // At most this many events per macro and advanced-key slots: far more
    // than a keyboard holds, and a bound on what a damaged or hostile file
    // can make the import send.
    static constexpr int MaxItems = 255;
};
