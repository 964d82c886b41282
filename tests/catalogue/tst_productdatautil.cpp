#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "catalogue/productdatautil.h"
#include "catalogue/samplecatalogue.h"
#include "common/apppaths.h"

namespace {

// Runs the statements on a fresh SQLite file of our own.
bool writeDatabase(const QString& path, const QStringList& statements) {
    static int counter = 0;
    const QString name = QStringLiteral("tst_write_%1").arg(++counter);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            if (!query.exec(statement)) {
                qWarning() << statement << query.lastError().text();
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

const QString kProductTable = QStringLiteral(
    "CREATE TABLE product_table (serialNumber INT PRIMARY KEY NOT NULL UNIQUE, vendorId INT, "
    "productId INT, interface INT, productName VARCHAR(60), productData VARCHAR(60), triggerMin "
    "INT, triggerMax INT, qttMin INT, qttMax INT, qrtMin INT, qrtMax INT, width INT, height INT, "
    "strCol VARCHAR(60))");
const QString kPositionTable = QStringLiteral(
    "CREATE TABLE key_position_table (id INTEGER PRIMARY KEY, serialNumber INT, keyItem INT, "
    "posItem INT, flag BOOL, row INT, col INT, left INT, top INT, width INT, height INT)");
const QString kDefaultTable = QStringLiteral(
    "CREATE TABLE keyboard_default_table (id INTEGER PRIMARY KEY, serialNumber INT, keyItem INT, "
    "type INT, hValue INT, lValue INT, label VARCHAR(20))");

// A catalogue of one product, `serial`, carrying `version`: 0 writes one
// without a version, as older catalogues are; -1 writes no database at all.
bool writeCatalogue(const QString& path, qint64 version, int serial) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    if (version < 0) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("<html>502</html>") > 0;
    }
    QStringList statements = {
        kProductTable,
        QStringLiteral("CREATE TABLE device_table (serialNumber INT, vendorId INT, "
                       "productId INT, interface INT, version INT, manufacturer "
                       "VARCHAR(60), productStr TEXT(60), path VARCHAR(100))"),
        QStringLiteral("INSERT INTO product_table VALUES (%1, 1, 2, 3, 'P%1', 'p%1', 0, 0, 0, 0, "
                       "0, 0, 0, 0, '')")
            .arg(serial),
        QStringLiteral("INSERT INTO device_table VALUES (%1, 1, 2, 3, 4, 'm', 'BT%1', '')")
            .arg(serial)};
    if (version > 0)
        statements << QStringLiteral("CREATE TABLE version_table (version INT NOT NULL)")
                   << QStringLiteral("INSERT INTO version_table VALUES (%1)").arg(version);
    return writeDatabase(path, statements);
}

QByteArray fileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestProductDataUtil : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void missingCatalogueIsCreatedWithTables();
    void instanceIsLatestAlive();
    void sampleLookups();
    void rowsOfSeveralProductsAndColumnDecoding();
    void replaceWithCatalogue();
    void refuseDownloadThatIsNoCatalogue_data();
    void refuseDownloadThatIsNoCatalogue();
    void failedCopyKeepsOldCatalogue();
    void undeletableTargetKeepsDownload();
    void installedCatalogueIsOnlyRead();
    void downloadOverInstalledCatalogueGoesToUserFolder();
    void newerCatalogueWinsAtStart_data();
    void newerCatalogueWinsAtStart();
    void changeAfterUpgradeCopiesNewerCatalogue();
    void replacementNeverLeavesThePathEmpty();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString dataFolder() const { return m_dir->path() + QStringLiteral("/data"); }
    QString downloadPath() const { return m_dir->path() + QStringLiteral("/download.db3"); }
    QString installedFolder() const { return m_dir->path() + QStringLiteral("/installed"); }
};

void TestProductDataUtil::initTestCase() {
    QVERIFY2(QFileInfo::exists(samplecatalogue::path()),
             qPrintable(samplecatalogue::path() + QStringLiteral(" missing: build "
                                                                 "zentaro_catalogue_db")));
}

void TestProductDataUtil::init() {
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestProductDataUtil::missingCatalogueIsCreatedWithTables() {
    ProductDataUtil util(dataFolder());
    QVERIFY(util.isOpen());
    QVERIFY(QFileInfo::exists(dataFolder() + QStringLiteral("/velmora.db3")));

    QSqlQuery query(QSqlDatabase::database(util.connectionName()));
    QVERIFY(
        query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                  "ORDER BY name")));
    QStringList tables;
    while (query.next()) tables << query.value(0).toString();
    QCOMPARE(tables, QStringList({"device_table", "key_position_table", "keyboard_default_table",
                                  "product_table"}));

    QVERIFY(util.findProduct(samplecatalogue::SeventyFive).isNull());
    QVERIFY(util.allProducts().isEmpty());
    // The Fn-layer table only comes with a downloaded catalogue.
    DefaultKeyList fn1;
    util.loadDefaultFn1Keys(samplecatalogue::SeventyFive, fn1);
    QVERIFY(fn1.isEmpty());
}

void TestProductDataUtil::instanceIsLatestAlive() {
    QVERIFY(ProductDataUtil::instance() == nullptr);
    QVERIFY(samplecatalogue::copyTo(dataFolder()));
    {
        ProductDataUtil first(dataFolder());
        QCOMPARE(first.connectionName(), QStringLiteral("connect_product"));
        QCOMPARE(ProductDataUtil::instance(), &first);
        {
            QTemporaryDir otherFolder;
            ProductDataUtil second(otherFolder.path());
            QCOMPARE(ProductDataUtil::instance(), &second);
            QVERIFY(second.connectionName() != first.connectionName());
            QVERIFY(second.findProduct(samplecatalogue::FullSize).isNull());
        }
        // The second one neither took over nor closed the first one's connection.
        QCOMPARE(ProductDataUtil::instance(), &first);
        QVERIFY(first.findProduct(samplecatalogue::FullSize));
    }
    QVERIFY(ProductDataUtil::instance() == nullptr);
}

void TestProductDataUtil::sampleLookups() {
    QVERIFY(samplecatalogue::copyTo(dataFolder()));
    ProductDataUtil util(dataFolder());

    const ProductRecordPtr product = util.findProduct(samplecatalogue::SeventyFive);
    QVERIFY(product);
    const ProductRecordPtr byName = util.findProductByName(product->productName);
    QVERIFY(byName);
    QCOMPARE(byName->serialNumber, samplecatalogue::SeventyFive);
    QVERIFY(util.findProductByName(QStringLiteral("no such board")).isNull());
    QVERIFY(util.findProduct(1234).isNull());

    const QList<ProductRecordPtr> all = util.allProducts();
    QCOMPARE(all.size(), 3);
    QCOMPARE(all.at(0)->serialNumber, samplecatalogue::FullSize);
    QCOMPARE(all.at(2)->serialNumber, samplecatalogue::Compact);

    const DeviceRecordPtr device = util.findDevice(QStringLiteral("Lusk 75 BT"));
    QVERIFY(device);
    QCOMPARE(device->serialNumber, samplecatalogue::SeventyFive);
    QCOMPARE(device->vendorId, quint16(0x3A7E));
    QCOMPARE(device->version, 0x0102);
    QVERIFY(util.findDevice(QStringLiteral("Unknown BT")).isNull());

    QVERIFY(util.deleteDevice(samplecatalogue::Compact));
    QVERIFY(util.findDevice(QStringLiteral("Pim 65 BT")).isNull());
    QVERIFY(util.findDevice(QStringLiteral("Lusk 75 BT")));
}

void TestProductDataUtil::rowsOfSeveralProductsAndColumnDecoding() {
    const QString file = dataFolder() + QStringLiteral("/velmora.db3");
    QDir().mkpath(dataFolder());
    QVERIFY(writeDatabase(
        file, {kProductTable, kPositionTable, kDefaultTable,
               "INSERT INTO product_table VALUES (7, 65535, 4134, 2, 'Seven', 'seven', 10, 400, 1, "
               "200, 2, 150, 932, 344, '3, 14,15')",
               "INSERT INTO product_table VALUES (-2, 1, 2, 0, 'Minus', 'm', 0, 0, 0, 0, 0, 0, 0, "
               "0, '1,x')",
               "INSERT INTO key_position_table VALUES (1, 7, 0, 0, 1, 0, 0, 10, 20, 36, 36)",
               "INSERT INTO key_position_table VALUES (2, 8, 0, 0, 1, 0, 0, 99, 99, 99, 99)",
               "INSERT INTO key_position_table VALUES (3, 7, 1, 0, 0, 1, 2, 50, 60, 76, 36)",
               // A later row with the same key number wins.
               "INSERT INTO key_position_table VALUES (4, 7, 0, 3, 1, 4, 5, 11, 21, 37, 37)",
               "INSERT INTO keyboard_default_table VALUES (1, 8, 0, 1, 0, 4, 'A')",
               "INSERT INTO keyboard_default_table VALUES (2, 7, 1, 2, 1, 131, 'Player')",
               "INSERT INTO keyboard_default_table VALUES (3, 7, 0, 5, 0, 254, 'Fn')"}));
    ProductDataUtil util(dataFolder());

    const ProductRecordPtr seven = util.findProduct(7);
    QVERIFY(seven);
    QCOMPARE(seven->vendorId, quint16(65535));
    QCOMPARE(seven->interface, 2);
    QCOMPARE(seven->qrtMax, quint16(150));
    QCOMPARE(seven->strCol, QList<qint32>({3, 14, 15}));
    const ProductRecordPtr minus = util.findProduct(-2);
    QVERIFY(minus);
    QCOMPARE(minus->serialNumber, qint16(-2));
    QVERIFY(minus->strCol.isEmpty());

    KeyPositionMap positions;
    util.loadKeyPositions(7, positions);
    QCOMPARE(positions.keys(), QList<quint8>({0, 1}));
    const KeyPositionPtr first = positions.value(0);
    QCOMPARE(first->posItem, quint8(3));
    QCOMPARE(first->row, quint8(4));
    QCOMPARE(first->col, quint8(5));
    QCOMPARE(QRect(first->left, first->top, first->width, first->height), QRect(11, 21, 37, 37));
    QCOMPARE(positions.value(1)->flag, false);

    // Rows are appended to what the list already holds, in storage order.
    DefaultKeyList defaults;
    defaults.append(DefaultKeyPtr::create());
    util.loadDefaultKeys(7, defaults);
    QCOMPARE(defaults.size(), 3);
    QCOMPARE(defaults.at(1)->keyItem, quint8(1));
    QCOMPARE(defaults.at(1)->type, quint8(2));
    QCOMPARE(defaults.at(1)->hValue, quint8(1));
    QCOMPARE(defaults.at(1)->lValue, quint8(131));
    QCOMPARE(defaults.at(1)->label, QStringLiteral("Player"));
    QCOMPARE(defaults.at(2)->lValue, quint8(254));
}

void TestProductDataUtil::replaceWithCatalogue() {
    QVERIFY(samplecatalogue::copyTo(dataFolder()));
    QVERIFY(writeDatabase(
        downloadPath(),
        {kProductTable, kPositionTable, kDefaultTable,
         "INSERT INTO product_table VALUES (300, 14974, 4134, 1, 'Fresh', 'fresh', 10, 400, 1, "
         "200, 1, 200, 932, 344, '')"}));
    ProductDataUtil util(dataFolder());
    QVERIFY(util.findProduct(samplecatalogue::FullSize));

    QVERIFY(util.replaceDatabase(downloadPath()));
    QVERIFY(util.isOpen());
    QVERIFY(!QFileInfo::exists(downloadPath()));
    QVERIFY(util.findProduct(300));
    QVERIFY(util.findProduct(samplecatalogue::FullSize).isNull());
    // Taken as downloaded: the tables it lacks are not added.
    QVERIFY(!util.deleteDevice(300));
    QVERIFY(QDir(dataFolder()).entryList(QDir::Files) == QStringList({"velmora.db3"}));

    // Handing it the catalogue itself leaves it alone.
    QVERIFY(util.replaceDatabase(util.databasePath()));
    QVERIFY(util.findProduct(300));
}

void TestProductDataUtil::refuseDownloadThatIsNoCatalogue_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("schema");
    QTest::addColumn<bool>("exists");
    QTest::newRow("error page") << QByteArray("<html><body>404 Not Found</body></html>\n")
                                << QStringList() << true;
    QTest::newRow("empty file") << QByteArray() << QStringList() << true;
    QTest::newRow("database without products")
        << QByteArray() << QStringList({kPositionTable}) << true;
    QTest::newRow("missing file") << QByteArray() << QStringList() << false;
    // A catalogue whose product index disagrees with its table: listed
    // products were not found by their number.
    const QByteArray damaged = fileContents(qEnvironmentVariable("ZENTARO_SOURCE_DIR") +
                                            "/fuzz/regressions/catalogue/damaged-index.db3");
    QVERIFY(damaged.startsWith("SQLite format 3"));
    QTest::newRow("damaged database") << damaged << QStringList() << true;
}

void TestProductDataUtil::refuseDownloadThatIsNoCatalogue() {
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, schema);
    QFETCH(bool, exists);
    QVERIFY(samplecatalogue::copyTo(dataFolder()));
    const QByteArray before = fileContents(dataFolder() + QStringLiteral("/velmora.db3"));
    if (!schema.isEmpty()) {
        QVERIFY(writeDatabase(downloadPath(), schema));
    } else if (exists) {
        QFile file(downloadPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    ProductDataUtil util(dataFolder());

    QVERIFY(!util.replaceDatabase(downloadPath()));
    QVERIFY(!QFileInfo::exists(downloadPath()));
    QVERIFY(util.isOpen());
    QVERIFY(util.findProduct(samplecatalogue::Compact));
    QCOMPARE(fileContents(dataFolder() + QStringLiteral("/velmora.db3")), before);
}

void TestProductDataUtil::failedCopyKeepsOldCatalogue() {
    QVERIFY(samplecatalogue::copyTo(dataFolder()));
    QVERIFY(writeDatabase(downloadPath(), {kProductTable}));
    // The copy goes through a file next to the catalogue; a directory in its
    // way makes it fail.
    const QString staging = dataFolder() + QStringLiteral("/velmora.db3.new");
    QVERIFY(QDir().mkpath(staging + QStringLiteral("/occupied")));
    ProductDataUtil util(dataFolder());

    QTest::ignoreMessage(QtInfoMsg, qPrintable(QStringLiteral("文件拷贝失败:") + downloadPath() +
                                               QStringLiteral("->") + util.databasePath()));
    QVERIFY(!util.replaceDatabase(downloadPath()));
    QVERIFY(util.isOpen());
    QVERIFY(util.findProduct(samplecatalogue::SeventyFive));
    QVERIFY(QFileInfo::exists(downloadPath()));
}

void TestProductDataUtil::undeletableTargetKeepsDownload() {
    QVERIFY(QDir().mkpath(dataFolder() + QStringLiteral("/velmora.db3/occupied")));
    QVERIFY(writeDatabase(downloadPath(), {kProductTable}));
    ProductDataUtil util(dataFolder());

    QTest::ignoreMessage(QtInfoMsg,
                         qPrintable(QStringLiteral("无法替换目标文件:") + util.databasePath()));
    QVERIFY(!util.replaceDatabase(downloadPath()));
    QVERIFY(QFileInfo::exists(downloadPath()));
    QVERIFY(!QFileInfo::exists(dataFolder() + QStringLiteral("/velmora.db3.new")));
}

void TestProductDataUtil::installedCatalogueIsOnlyRead() {
    QVERIFY(samplecatalogue::copyTo(installedFolder()));
    const QString installed = installedFolder() + QStringLiteral("/velmora.db3");
    const QByteArray before = fileContents(installed);
    const QString user = dataFolder() + QStringLiteral("/velmora.db3");

    ProductDataUtil util(installedFolder(), dataFolder());
    QVERIFY(util.isReadOnly());
    QVERIFY(util.findProduct(samplecatalogue::SeventyFive));
    QVERIFY(util.findDevice(QStringLiteral("Lusk 75 BT")));
    QVERIFY(!QFileInfo::exists(user));

    // Removing a device row works on the user's own copy.
    QVERIFY(util.deleteDevice(samplecatalogue::SeventyFive));
    QVERIFY(!util.isReadOnly());
    QCOMPARE(util.databasePath(), user);
    QVERIFY(!util.findDevice(QStringLiteral("Lusk 75 BT")));
    QVERIFY(util.findDevice(QStringLiteral("Pim 65 BT")));
    QVERIFY(util.findProduct(samplecatalogue::SeventyFive));
    QCOMPARE(fileContents(installed), before);
}

void TestProductDataUtil::downloadOverInstalledCatalogueGoesToUserFolder() {
    QVERIFY(samplecatalogue::copyTo(installedFolder()));
    const QString installed = installedFolder() + QStringLiteral("/velmora.db3");
    const QByteArray before = fileContents(installed);
    QVERIFY(writeDatabase(downloadPath(),
                          {kProductTable, QStringLiteral("INSERT INTO product_table VALUES (900, "
                                                         "1, 2, 3, 'New', 'new', 0, 0, 0, 0, 0, "
                                                         "0, 0, 0, '')")}));

    ProductDataUtil util(installedFolder(), dataFolder());
    QVERIFY(util.replaceDatabase(downloadPath()));
    QCOMPARE(util.databasePath(), dataFolder() + QStringLiteral("/velmora.db3"));
    QVERIFY(util.findProduct(900));
    QVERIFY(!util.findProduct(samplecatalogue::SeventyFive));
    QCOMPARE(fileContents(installed), before);
    QVERIFY(!QFileInfo::exists(downloadPath()));
}

void TestProductDataUtil::newerCatalogueWinsAtStart_data() {
    QTest::addColumn<qint64>("installed");
    QTest::addColumn<qint64>("downloaded");  // -2: the user has downloaded none
    QTest::addColumn<bool>("downloadWins");
    QTest::newRow("package upgrade over an older download") << 20270101LL << 20261201LL << false;
    QTest::newRow("download newer than the package") << 20261201LL << 20270101LL << true;
    QTest::newRow("download without a version") << 20261201LL << 0LL << false;
    QTest::newRow("same version: the user's copy") << 20261201LL << 20261201LL << true;
    QTest::newRow("neither with a version") << 0LL << 0LL << true;
    QTest::newRow("broken download") << 0LL << -1LL << false;
    QTest::newRow("no download") << 20261201LL << -2LL << false;
}

void TestProductDataUtil::newerCatalogueWinsAtStart() {
    QFETCH(qint64, installed);
    QFETCH(qint64, downloaded);
    QFETCH(bool, downloadWins);
    // An installed copy: <prefix>/bin beside <prefix>/share/zentaro/data, and
    // the user's data under XDG_DATA_HOME.
    const QString prefix = m_dir->path() + QStringLiteral("/usr");
    const QString installedData = prefix + QStringLiteral("/share/zentaro/data");
    const QString userData = m_dir->path() + QStringLiteral("/xdg/zentaro/data");
    QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")));
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->path() + QStringLiteral("/xdg")));
    AppPaths::setApplicationFolder(prefix + QStringLiteral("/bin"));
    const auto restore = qScopeGuard([&] {
        AppPaths::setApplicationFolder(QString());
        qputenv("XDG_DATA_HOME", xdg);
    });

    const QString installedFile = installedData + QStringLiteral("/velmora.db3");
    const QString userFile = userData + QStringLiteral("/velmora.db3");
    QVERIFY(writeCatalogue(installedFile, installed, 1));
    if (downloaded > -2) QVERIFY(writeCatalogue(userFile, downloaded, 2));
    const auto text = [](qint64 version) {
        return version < 0 ? QStringLiteral("无") : QString::number(version);
    };
    QTest::ignoreMessage(
        QtInfoMsg,
        qPrintable(QStringLiteral("=== ProductDataUtil 产品数据库版本 安装:{ ") + text(installed) +
                   QStringLiteral(" } 下载:{ ") + text(downloaded) + QStringLiteral(" } 使用:{ ") +
                   (downloadWins ? userFile : installedFile) + QStringLiteral(" } ===")));

    ProductDataUtil util;
    QCOMPARE(util.databasePath(), downloadWins ? userFile : installedFile);
    QCOMPARE(util.isReadOnly(), !downloadWins);
    QVERIFY(util.findProduct(downloadWins ? 2 : 1));
    // The copy not chosen is left as it was.
    if (downloaded > 0) QCOMPARE(ProductDataUtil::catalogueVersion(userFile), downloaded);
}

void TestProductDataUtil::changeAfterUpgradeCopiesNewerCatalogue() {
    // The package brought catalogue 2; the user's folder holds an older download.
    const QString userFile = dataFolder() + QStringLiteral("/velmora.db3");
    QVERIFY(writeCatalogue(installedFolder() + QStringLiteral("/velmora.db3"), 2, 1));
    QVERIFY(writeCatalogue(userFile, 1, 2));
    ProductDataUtil util(installedFolder(), dataFolder());
    QVERIFY(util.isReadOnly());

    // The first change needs a copy of its own: the one in use, not the old download.
    QVERIFY(util.deleteDevice(1));
    QCOMPARE(util.databasePath(), userFile);
    QVERIFY(util.findProduct(1));
    QVERIFY(!util.findProduct(2));
    QVERIFY(!util.findDevice(QStringLiteral("BT1")));
    QCOMPARE(ProductDataUtil::catalogueVersion(userFile), 2);
}

void TestProductDataUtil::replacementNeverLeavesThePathEmpty() {
    QVERIFY(writeCatalogue(dataFolder() + QStringLiteral("/velmora.db3"), 1, 1));
    QVERIFY(writeCatalogue(downloadPath(), 2, 2));
    ProductDataUtil util(dataFolder());

    // Whoever opens the catalogue while it is replaced (another copy of the
    // program, a crash in between) finds the old or the new one, never none.
    const int watch = inotify_init1(IN_NONBLOCK);
    QVERIFY(watch >= 0);
    const auto closeWatch = qScopeGuard([watch] { ::close(watch); });
    QVERIFY(inotify_add_watch(watch, QFile::encodeName(dataFolder()).constData(),
                              IN_DELETE | IN_MOVED_FROM) >= 0);
    QVERIFY(util.replaceDatabase(downloadPath()));
    QVERIFY(util.findProduct(2));
    QCOMPARE(ProductDataUtil::catalogueVersion(util.databasePath()), 2);

    alignas(inotify_event) char buffer[4096];
    const ssize_t length = ::read(watch, buffer, sizeof buffer);
    for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        QVERIFY2(event->len == 0 || QByteArray(event->name) != "velmora.db3",
                 "the catalogue was removed before its replacement was in place");
        at += ssize_t(sizeof(inotify_event)) + event->len;
    }
}

QTEST_GUILESS_MAIN(TestProductDataUtil)
#include "tst_productdatautil.moc"
