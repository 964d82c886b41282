#pragma once
// The product catalogue: an SQLite file of products, key positions and the
// factory key maps of both layers. Read-only apart from removing a device row
// and replacing the whole file with a freshly downloaded one.

#include <QList>
#include <QObject>
#include <QString>

#include "common/keyboardtypes.h"

class ProductDataUtil : public QObject {
    Q_OBJECT
public:
    // Opens the newer of the user's catalogue and the one installed with the
    // program (AppPaths::dataFolder, AppPaths::writableDataFolder).
    explicit ProductDataUtil(QObject* parent = nullptr);
    // Opens <dataFolder>/velmora.db3; the folder is created when missing.
    explicit ProductDataUtil(const QString& dataFolder, QObject* parent = nullptr);
    // Two folders: opens the newer of <installedFolder>/velmora.db3 and
    // <writableFolder>/velmora.db3 (catalogueVersion; the writable one on a
    // tie) and logs which. The installed one is never written; a replacement,
    // and a copy made for the first change, land in <writableFolder>.
    ProductDataUtil(const QString& installedFolder, const QString& writableFolder,
                    QObject* parent = nullptr);
    ~ProductDataUtil() override;

    // The most recently constructed catalogue that is still alive.
    static ProductDataUtil* instance();

    static inline const QString ConnectionName = QStringLiteral("connect_product");
    static inline const QString FileName = QStringLiteral("velmora.db3");

    // connect_product; a second catalogue alive at the same time (tests) gets
    // a name of its own so that it does not take over the first one's.
    QString connectionName() const { return mConnectionName; }
    QString dataFolder() const { return mDataFolder; }
    QString writableFolder() const { return mWritableFolder; }
    QString databasePath() const;
    bool isOpen() const;
    // True while the catalogue in use is the read-only installed one.
    bool isReadOnly() const { return mDataFolder != mWritableFolder; }

    ProductRecordPtr findProduct(qint16 serialNumber) const;
    ProductRecordPtr findProductByName(const QString& productName) const;
    QList<ProductRecordPtr> allProducts() const;
    void loadKeyPositions(qint16 serialNumber, KeyPositionMap& map) const;
    void loadDefaultKeys(qint16 serialNumber, DefaultKeyList& list) const;
    void loadDefaultFn1Keys(qint16 serialNumber, DefaultKeyList& list) const;
    DeviceRecordPtr findDevice(const QString& productStr) const;
    bool deleteDevice(qint16 serialNumber);

    // Makes the downloaded file the catalogue and deletes the download; true
    // when the file has become the catalogue. A file that is not a catalogue is
    // refused (and deleted) without touching the one in use; after any other
    // failure the previous catalogue is open again.
    bool replaceDatabase(const QString& downloadedFile);

    // True when the file is an SQLite database that holds product_table.
    static bool isCatalogueFile(const QString& path);
    // The version a catalogue carries in version_table; 0 for one without
    // (older catalogues), -1 for a file that is no catalogue.
    static qint64 catalogueVersion(const QString& path);

private:
    void openDatabase(bool createTables);
    void closeDatabase();
    bool moveToWritableFolder();
    static QString newerFolder(const QString& installedFolder, const QString& writableFolder);
    void loadDefaultTable(const QString& table, qint16 serialNumber, DefaultKeyList& list) const;

    QString mDataFolder;
    QString mWritableFolder;
    QString mConnectionName;
};
