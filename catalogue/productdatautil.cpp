#include "catalogue/productdatautil.h"

#include <unistd.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <cstdio>

#include "common/applog.h"
#include "common/apppaths.h"

namespace {

QList<ProductDataUtil*>& liveInstances() {
    static QList<ProductDataUtil*> instances;
    return instances;
}

const char* const kCreateStatements[][2] = {
    {"product_table",
     "CREATE TABLE IF NOT EXISTS product_table (serialNumber INT PRIMARY KEY NOT NULL UNIQUE, "
     "vendorId INT NOT NULL, productId INT NOT NULL, interface INT NOT NULL, productName "
     "VARCHAR(60) NOT NULL, productData VARCHAR(60) NOT NULL, triggerMin INT NOT NULL, "
     "triggerMax INT NOT NULL, qttMin INT NOT NULL, qttMax INT NOT NULL, qrtMin INT NOT NULL, "
     "qrtMax INT NOT NULL, width INT NOT NULL, height INT NOT NULL, strCol VARCHAR(60) NOT "
     "NULL);"},
    {"device_table",
     "CREATE TABLE IF NOT EXISTS device_table (serialNumber INT PRIMARY KEY NOT NULL UNIQUE, "
     "vendorId INT NOT NULL, productId INT NOT NULL, interface INT NOT NULL, version INT NOT "
     "NULL, manufacturer VARCHAR(60) NOT NULL, productStr TEXT(60) NOT NULL, path VARCHAR(100) "
     "NOT NULL);"},
    {"key_position_table",
     "CREATE TABLE IF NOT EXISTS key_position_table (id INTEGER PRIMARY KEY, serialNumber INT "
     "NOT NULL, keyItem INT NOT NULL, posItem INT NOT NULL, flag BOOL NOT NULL, row INT NOT "
     "NULL, col INT NOT NULL, left INT NOT NULL, top INT NOT NULL, width INT NOT NULL, height "
     "INT NOT NULL);"},
    {"keyboard_default_table",
     "CREATE TABLE IF NOT EXISTS keyboard_default_table (id INTEGER PRIMARY KEY, serialNumber "
     "INT NOT NULL, keyItem INT NOT NULL, type INT NOT NULL, hValue INT NOT NULL, lValue INT "
     "NOT NULL, label VARCHAR(20) NOT NULL);"},
};

// strCol holds integers separated by commas; anything else reads as no list.
QList<qint32> parseIntList(const QVariant& value) {
    QList<qint32> result;
    const QString text = value.toString().trimmed();
    if (text.isEmpty()) return result;
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString& part : parts) {
        bool ok = false;
        const qint32 number = part.trimmed().toInt(&ok);
        if (!ok) return {};
        result.append(number);
    }
    return result;
}

ProductRecordPtr productFromQuery(const QSqlQuery& query) {
    auto record = ProductRecordPtr::create();
    record->serialNumber = static_cast<qint16>(query.value(0).toInt());
    record->vendorId = static_cast<quint16>(query.value(1).toUInt());
    record->productId = static_cast<quint16>(query.value(2).toUInt());
    record->interface = query.value(3).toInt();
    record->productName = query.value(4).toString();
    record->productData = query.value(5).toString();
    record->triggerMin = static_cast<quint16>(query.value(6).toUInt());
    record->triggerMax = static_cast<quint16>(query.value(7).toUInt());
    record->qttMin = static_cast<quint16>(query.value(8).toUInt());
    record->qttMax = static_cast<quint16>(query.value(9).toUInt());
    record->qrtMin = static_cast<quint16>(query.value(10).toUInt());
    record->qrtMax = static_cast<quint16>(query.value(11).toUInt());
    record->width = query.value(12).toInt();
    record->height = query.value(13).toInt();
    record->strCol = parseIntList(query.value(14));
    return record;
}

// -1 when the file is no catalogue, else the version it carries (0: none).
qint64 inspectCatalogue(const QString& path) {
    const QFileInfo info(path);
    // SQLite would create a missing file, and a directory never is a catalogue.
    if (!info.isFile()) return -1;
    static int checkCounter = 0;
    const QString connection = QStringLiteral("connect_product_check_%1").arg(++checkCounter);
    qint64 version = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(info.absoluteFilePath());
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            // An HTML error page opens fine; only reading the schema shows it is no database.
            QSqlQuery query(db);
            // A damaged file (an index that disagrees with its table) answers
            // lookups inconsistently: it is no catalogue either.
            const bool whole = query.exec(QStringLiteral("PRAGMA quick_check")) && query.next() &&
                               query.value(0).toString() == QLatin1String("ok");
            const bool found =
                whole &&
                query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = "
                                          "'table' AND name = 'product_table'")) &&
                query.next() && query.exec(QStringLiteral("SELECT COUNT(*) FROM product_table"));
            if (found) {
                version = 0;
                if (query.exec(QStringLiteral("SELECT MAX(version) FROM version_table")) &&
                    query.next())
                    version = qMax<qint64>(0, query.value(0).toLongLong());
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return version;
}

enum class CopyResult { Done, CopyFailed, ReplaceFailed };

// Writes the copy next to the target, flushes it to disk and renames it over
// the target, so that the target is always one whole file: the old one until
// the rename, the new one after it.
CopyResult copyIntoPlace(const QString& from, const QString& to) {
    const QString staging = to + QStringLiteral(".new");
    if (QFileInfo::exists(staging)) QFile::remove(staging);
    QFile source(from);
    QFile copy(staging);
    bool ok = source.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly);
    while (ok && !source.atEnd()) {
        const QByteArray chunk = source.read(1 << 16);
        ok = !chunk.isEmpty() && copy.write(chunk) == chunk.size();
    }
    ok = ok && copy.flush() && ::fsync(copy.handle()) == 0;
    copy.close();
    if (!ok) {
        QFile::remove(staging);
        return CopyResult::CopyFailed;
    }
    // rename(2) replaces the target in one step; QFile::rename refuses an
    // existing target.
    if (std::rename(QFile::encodeName(staging).constData(), QFile::encodeName(to).constData()) !=
        0) {
        QFile::remove(staging);
        return CopyResult::ReplaceFailed;
    }
    return CopyResult::Done;
}

QString versionText(qint64 version) {
    return version < 0 ? QStringLiteral("无") : QString::number(version);
}

}  // namespace

ProductDataUtil::ProductDataUtil(QObject* parent)
    : ProductDataUtil(AppPaths::dataFolder(), AppPaths::writableDataFolder(), parent) {}

ProductDataUtil::ProductDataUtil(const QString& dataFolder, QObject* parent)
    : ProductDataUtil(dataFolder, dataFolder, parent) {}

ProductDataUtil::ProductDataUtil(const QString& installedFolder, const QString& writableFolder,
                                 QObject* parent)
    : QObject(parent),
      mWritableFolder(QDir::cleanPath(writableFolder)),
      mConnectionName(ConnectionName) {
    static int sequence = 0;
    if (QSqlDatabase::contains(mConnectionName))
        mConnectionName = ConnectionName + QStringLiteral("_%1").arg(++sequence);
    liveInstances().append(this);
    AppLog::line(QStringLiteral("=== ProductDataUtil 打开数据库 ==="));
    mDataFolder = newerFolder(QDir::cleanPath(installedFolder), mWritableFolder);
    openDatabase(true);
}

QString ProductDataUtil::newerFolder(const QString& installedFolder,
                                     const QString& writableFolder) {
    if (installedFolder == writableFolder) return writableFolder;
    const QString installedFile = installedFolder + QLatin1Char('/') + FileName;
    const QString userFile = writableFolder + QLatin1Char('/') + FileName;
    // Neither: the user's folder, where a download will go.
    if (!QFileInfo::exists(installedFile)) return writableFolder;
    const qint64 installed = catalogueVersion(installedFile);
    const qint64 user = QFileInfo::exists(userFile) ? catalogueVersion(userFile) : -1;
    // A download stays in use until a package brings a newer catalogue; on a
    // tie the user's copy wins, since it holds the user's own changes.
    const bool userWins = user >= 0 && user >= installed;
    AppLog::line(QStringLiteral("=== ProductDataUtil 产品数据库版本 安装:{ ") +
                 versionText(installed) + QStringLiteral(" } 下载:{ ") + versionText(user) +
                 QStringLiteral(" } 使用:{ ") + (userWins ? userFile : installedFile) +
                 QStringLiteral(" } ==="));
    return userWins ? writableFolder : installedFolder;
}

ProductDataUtil::~ProductDataUtil() {
    closeDatabase();
    AppLog::line(QStringLiteral("=== ProductDataUtil 关闭数据库 ==="));
    liveInstances().removeAll(this);
}

ProductDataUtil* ProductDataUtil::instance() {
    return liveInstances().isEmpty() ? nullptr : liveInstances().constLast();
}

QString ProductDataUtil::databasePath() const {
    return mDataFolder + QLatin1Char('/') + FileName;
}

bool ProductDataUtil::isOpen() const {
    return QSqlDatabase::contains(mConnectionName) &&
           QSqlDatabase::database(mConnectionName, false).isOpen();
}

void ProductDataUtil::openDatabase(bool createTables) {
    // The installed catalogue belongs to the package: opened read-only even
    // for root, so that nothing run by hand changes the packaged file.
    const bool readOnly = isReadOnly();
    if (!readOnly) QDir().mkpath(mDataFolder);
    AppLog::line(QStringLiteral("=== ProductDataUtil 数据库文件:{ ") + databasePath() +
                 (readOnly ? QStringLiteral(" } 只读 ===") : QStringLiteral(" } ===")));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), mConnectionName);
        db.setDatabaseName(databasePath());
        if (readOnly) db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.open();  // a catalogue that does not open simply makes every lookup fail
    }
    if (!createTables) return;
    const QSqlDatabase db = QSqlDatabase::database(mConnectionName, false);
    for (const auto& statement : kCreateStatements) {
        QSqlQuery query(db);
        const bool ok = query.exec(QString::fromUtf8(statement[1]));
        AppLog::line(QStringLiteral("=== 初始化 ") + QString::fromUtf8(statement[0]) +
                     (ok ? QStringLiteral(" 成功 ===") : QStringLiteral(" 失败 ===")));
    }
}

void ProductDataUtil::closeDatabase() {
    if (!QSqlDatabase::contains(mConnectionName)) return;
    {
        QSqlDatabase db = QSqlDatabase::database(mConnectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(mConnectionName);
}

ProductRecordPtr ProductDataUtil::findProduct(qint16 serialNumber) const {
    QSqlQuery query(QSqlDatabase::database(mConnectionName, false));
    query.prepare(QStringLiteral("SELECT * FROM product_table WHERE serialNumber = :serialNumber"));
    query.bindValue(QStringLiteral(":serialNumber"), static_cast<int>(serialNumber));
    if (query.exec() && query.next()) return productFromQuery(query);
    return {};
}

ProductRecordPtr ProductDataUtil::findProductByName(const QString& productName) const {
    QSqlQuery query(QSqlDatabase::database(mConnectionName, false));
    query.prepare(QStringLiteral("SELECT * FROM product_table WHERE productName = :productName"));
    query.bindValue(QStringLiteral(":productName"), productName);
    if (query.exec() && query.next()) return productFromQuery(query);
    return {};
}

QList<ProductRecordPtr> ProductDataUtil::allProducts() const {
    QList<ProductRecordPtr> products;
    QSqlQuery query(QSqlDatabase::database(mConnectionName, false));
    if (!query.exec(QStringLiteral("SELECT * FROM product_table"))) return products;
    while (query.next()) products.append(productFromQuery(query));
    return products;
}

void ProductDataUtil::loadKeyPositions(qint16 serialNumber, KeyPositionMap& map) const {
    QSqlQuery query(QSqlDatabase::database(mConnectionName, false));
    query.prepare(
        QStringLiteral("SELECT * FROM key_position_table WHERE serialNumber = :serialNumber"));
    query.bindValue(QStringLiteral(":serialNumber"), static_cast<int>(serialNumber));
    if (!query.exec()) return;
    while (query.next()) {
        auto record = KeyPositionPtr::create();
        record->keyItem = static_cast<quint8>(query.value(2).toUInt());
        record->posItem = static_cast<quint8>(query.value(3).toUInt());
        record->flag = query.value(4).toBool();
        record->row = static_cast<quint8>(query.value(5).toUInt());
        record->col = static_cast<quint8>(query.value(6).toUInt());
        record->left = query.value(7).toInt();
        record->top = query.value(8).toInt();
        record->width = query.value(9).toInt();
        record->height = query.value(10).toInt();
        map.insert(record->keyItem, record);
    }
}

void ProductDataUtil::loadDefaultKeys(qint16 serialNumber, DefaultKeyList& list) const {
    loadDefaultTable(QStringLiteral("keyboard_default_table"), serialNumber, list);
}

void ProductDataUtil::loadDefaultFn1Keys(qint16 serialNumber, DefaultKeyList& list) const {
    loadDefaultTable(QStringLiteral("keyboard_default_fn1_table"), serialNumber, list);
}

void ProductDataUtil::loadDefaultTable(const QString& table, qint16 serialNumber,
                                       DefaultKeyList& list) const {
    QSqlQuery query(QSqlDatabase::database(mConnectionName, false));
    query.prepare(QStringLiteral("SELECT * FROM ") + table +
                  QStringLiteral(" WHERE serialNumber = :serialNumber"));
    query.bindValue(QStringLiteral(":serialNumber"), static_cast<int>(serialNumber));
    if (!query.exec()) return;
    while (query.next()) {
        auto record = DefaultKeyPtr::create();
        record->keyItem = static_cast<quint8>(query.value(2).toUInt());
        record->type = static_cast<quint8>(query.value(3).toUInt());
        record->hValue = static_cast<quint8>(query.value(4).toUInt());
        record->lValue = static_cast<quint8>(query.value(5).toUInt());
        record->label = query.value(6).toString();
        list.append(record);
    }
}

DeviceRecordPtr ProductDataUtil::findDevice(const QString& productStr) const {
    QSqlQuery query(QSqlDatabase::database(mConnectionName, false));
    query.prepare(QStringLiteral("SELECT * FROM device_table WHERE productStr = :productStr"));
    query.bindValue(QStringLiteral(":productStr"), productStr);
    if (!query.exec() || !query.next()) return {};
    auto record = DeviceRecordPtr::create();
    record->serialNumber = static_cast<qint16>(query.value(0).toInt());
    record->vendorId = static_cast<quint16>(query.value(1).toUInt());
    record->productId = static_cast<quint16>(query.value(2).toUInt());
    record->interface = query.value(3).toInt();
    record->version = query.value(4).toInt();
    record->manufacturer = query.value(5).toString();
    record->productStr = query.value(6).toString();
    record->path = query.value(7).toString();
    return record;
}

bool ProductDataUtil::deleteDevice(qint16 serialNumber) {
    // The one write: the user gets a copy of the installed catalogue first.
    if (isReadOnly() && !moveToWritableFolder()) return false;
    QSqlQuery query(QSqlDatabase::database(mConnectionName, false));
    query.prepare(QStringLiteral("DELETE FROM device_table WHERE serialNumber = :serialNumber"));
    query.bindValue(QStringLiteral(":serialNumber"), static_cast<int>(serialNumber));
    return query.exec();
}

bool ProductDataUtil::moveToWritableFolder() {
    const QString target = mWritableFolder + QLatin1Char('/') + FileName;
    closeDatabase();
    QDir().mkpath(mWritableFolder);
    // A copy the user already has is theirs and is used, unless it is older
    // than the catalogue in use (a package upgrade brought a newer one).
    if (!QFileInfo::exists(target) || catalogueVersion(target) < catalogueVersion(databasePath())) {
        if (copyIntoPlace(databasePath(), target) != CopyResult::Done) {
            AppLog::line(QStringLiteral("文件拷贝失败:") + databasePath() + QStringLiteral("->") +
                         target);
            openDatabase(false);
            return false;
        }
        // A copy of a read-only file is read-only too.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    mDataFolder = mWritableFolder;
    openDatabase(false);
    return true;
}

bool ProductDataUtil::isCatalogueFile(const QString& path) {
    return inspectCatalogue(path) >= 0;
}

qint64 ProductDataUtil::catalogueVersion(const QString& path) {
    return inspectCatalogue(path);
}

bool ProductDataUtil::replaceDatabase(const QString& downloadedFile) {
    if (!isCatalogueFile(downloadedFile)) {
        // Typically a server error page saved under the catalogue's name: keep the
        // working catalogue and drop the download so it is not picked up again.
        AppLog::line(QStringLiteral("=== ProductDataUtil 下载的文件不是产品数据库:") +
                     downloadedFile + QStringLiteral(" ==="));
        if (QFileInfo(downloadedFile).isFile()) QFile::remove(downloadedFile);
        return false;
    }

    // A new catalogue always goes to the user's folder, never over the
    // installed one.
    const QString target = mWritableFolder + QLatin1Char('/') + FileName;
    // Replacing the catalogue by itself would end with deleting it.
    if (QFileInfo(downloadedFile).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return true;

    closeDatabase();
    QDir().mkpath(mWritableFolder);

    // The old catalogue stays whole in its place until the new one is
    // complete on disk, whatever fails or wherever the program is stopped.
    switch (copyIntoPlace(downloadedFile, target)) {
        case CopyResult::CopyFailed:
            AppLog::line(QStringLiteral("文件拷贝失败:") + downloadedFile + QStringLiteral("->") +
                         target);
            openDatabase(false);
            return false;
        case CopyResult::ReplaceFailed:
            AppLog::line(QStringLiteral("无法替换目标文件:") + target);
            openDatabase(false);
            return false;
        case CopyResult::Done:
            break;
    }

    // The file is used as downloaded: no CREATE statements this time.
    mDataFolder = mWritableFolder;
    openDatabase(false);

    // The catalogue has been replaced either way; a leftover download only costs
    // disk space in the temporary folder.
    if (!QFile::remove(downloadedFile))
        AppLog::line(QStringLiteral("警告: 文件拷贝成功但无法删除原始文件:") + downloadedFile);
    return true;
}
