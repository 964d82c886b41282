// Picture packages (zip) from the download server, unpacked all or nothing
// into a product's data folder. Every input is unpacked into a folder below
// a scratch folder that is emptied first and holds an older package's folder.
//
// Checks: nothing is written outside the scratch folder (the temporary
// folder and the scratch folder's other entries stay as they were); no
// symbolic link is made; a refused package leaves the old folder exactly as
// it was and no staging folder behind; an accepted one leaves only the new
// folder.

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "fuzz/fuzzsupport.h"
#include "update/packageunpacker.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    const QString root = FuzzSupport::scratch() + QStringLiteral("/package");
    QDir().mkpath(root);
    FuzzSupport::emptyFolder(root);
    const QString zip = root + QStringLiteral("/package.zip");
    const QString target = root + QStringLiteral("/data/Lusk75");
    QDir().mkpath(target);
    const QByteArray oldPicture("an older package's picture");
    FuzzSupport::require(
        FuzzSupport::save(target + QStringLiteral("/keyboard.png"), oldPicture) &&
            FuzzSupport::save(zip, QByteArray(reinterpret_cast<const char*>(data), int(size))),
        "cannot set up the scratch folder");
    const QList<QString> outside =
        FuzzSupport::filesBelow(FuzzSupport::scratch() + QStringLiteral("/tmp"));
    const QStringList scratchTop =
        QDir(FuzzSupport::scratch())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    QString error;
    const bool ok = PackageUnpacker::unpack(zip, target, &error);

    const QList<QString> files = FuzzSupport::filesBelow(root);
    for (const QString& f : files) {
        FuzzSupport::require(!QFileInfo(root + QLatin1Char('/') + f).isSymLink(),
                             "a symbolic link was made");
        FuzzSupport::require(
            f == QLatin1String("package.zip") || f == QLatin1String("data") ||
                f == QLatin1String("data/Lusk75") || f.startsWith(QLatin1String("data/Lusk75/")),
            "a file outside the product's folder, or a staging folder left behind");
    }
    if (!ok) {
        FuzzSupport::require(!error.isEmpty(), "refused without a reason");
        FuzzSupport::require(
            files == QList<QString>({QStringLiteral("data"), QStringLiteral("data/Lusk75"),
                                     QStringLiteral("data/Lusk75/keyboard.png"),
                                     QStringLiteral("package.zip")}) &&
                readAll(target + QStringLiteral("/keyboard.png")) == oldPicture,
            "a refused package changed the product's folder");
    } else {
        FuzzSupport::require(QFileInfo(target).isDir(), "an accepted package left no folder");
    }
    FuzzSupport::require(
        FuzzSupport::filesBelow(FuzzSupport::scratch() + QStringLiteral("/tmp")) == outside,
        "the temporary folder changed");
    FuzzSupport::require(
        QDir(FuzzSupport::scratch())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) == scratchTop,
        "something was written beside the scratch folder's package area");
    return 0;
}
