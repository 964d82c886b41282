// The product catalogue as downloaded: a hostile SQLite file offered as the
// new catalogue. The installed sample catalogue and an empty user folder are
// set up for every input, the input replaces the catalogue, and every lookup
// the program makes is run on whatever is in use afterwards.
//
// Checks: the installed catalogue is never written; a refused download
// leaves the sample catalogue in use and the download deleted; records keep
// the fields they were filed under (key maps by key number, products by
// number and name).

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include "catalogue/productdatautil.h"
#include "catalogue/samplecatalogue.h"
#include "fuzz/fuzzsupport.h"

namespace {

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void lookAtEverything(ProductDataUtil& catalogue) {
    const QList<ProductRecordPtr> products = catalogue.allProducts();
    int checked = 0;
    for (const ProductRecordPtr& p : products) {
        FuzzSupport::require(!p.isNull(), "a null product record");
        if (++checked > 8) break;  // a catalogue of thousands says nothing more
        const ProductRecordPtr again = catalogue.findProduct(p->serialNumber);
        FuzzSupport::require(again && again->serialNumber == p->serialNumber,
                             "a listed product is not found by its number");
        const ProductRecordPtr named = catalogue.findProductByName(p->productName);
        FuzzSupport::require(named && named->productName == p->productName,
                             "a listed product is not found by its name");
        KeyPositionMap positions;
        catalogue.loadKeyPositions(p->serialNumber, positions);
        for (auto it = positions.cbegin(); it != positions.cend(); ++it)
            FuzzSupport::require(it.value() && it.value()->keyItem == it.key(),
                                 "a key position filed under another key");
        DefaultKeyList defaults;
        catalogue.loadDefaultKeys(p->serialNumber, defaults);
        catalogue.loadDefaultFn1Keys(p->serialNumber, defaults);
        for (const DefaultKeyPtr& d : defaults)
            FuzzSupport::require(!d.isNull(), "a null default key");
    }
    const DeviceRecordPtr device = catalogue.findDevice(QStringLiteral("Lusk 75 BT"));
    FuzzSupport::require(!device || device->productStr == QStringLiteral("Lusk 75 BT"),
                         "a device found under another name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    const QString root = FuzzSupport::scratch() + QStringLiteral("/catalogue");
    const QString installed = root + QStringLiteral("/installed");
    const QString user = root + QStringLiteral("/user");
    static const bool copied = samplecatalogue::copyTo(installed);
    FuzzSupport::require(copied, "the sample catalogue was not found");
    static const QByteArray installedDigest =
        digest(installed + QLatin1Char('/') + ProductDataUtil::FileName);
    QDir(user).removeRecursively();
    QDir().mkpath(user);
    const QString download = root + QStringLiteral("/download.db3");
    FuzzSupport::require(
        FuzzSupport::save(download, QByteArray(reinterpret_cast<const char*>(data), int(size))),
        "cannot write the download");

    {
        ProductDataUtil catalogue(installed, user);
        const ProductRecordPtr before = catalogue.findProduct(258);
        const bool replaced = catalogue.replaceDatabase(download);
        FuzzSupport::require(!QFile::exists(download), "the download was kept");
        if (!replaced) {
            const ProductRecordPtr after = catalogue.findProduct(258);
            FuzzSupport::require(bool(before) == bool(after),
                                 "a refused download changed the catalogue in use");
        } else {
            FuzzSupport::require(ProductDataUtil::isCatalogueFile(catalogue.databasePath()),
                                 "a download that is no catalogue became the catalogue");
        }
        lookAtEverything(catalogue);
        ProductDataUtil::catalogueVersion(catalogue.databasePath());
    }
    FuzzSupport::require(
        digest(installed + QLatin1Char('/') + ProductDataUtil::FileName) == installedDigest,
        "the installed catalogue was written");
    return 0;
}
