#pragma once
// Test access to the sample catalogue that the build generates
// (catalogue/generator, target zentaro_catalogue_db). CTest runs every test
// with ZENTARO_BIN_DIR=<build>/bin; the catalogue is <build>/bin/data/velmora.db3.
// Include as "catalogue/samplecatalogue.h".

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

namespace samplecatalogue {

// Serial numbers of the sample products.
constexpr qint16 FullSize = 257;
constexpr qint16 SeventyFive = 258;
constexpr qint16 Compact = 259;

inline QString path() {
    QString bin = qEnvironmentVariable("ZENTARO_BIN_DIR");
    if (bin.isEmpty())  // run by hand from <build>/tests/bin
        bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../../bin");
    return QDir::cleanPath(bin + QStringLiteral("/data/velmora.db3"));
}

// Copies the sample catalogue to <dataFolder>/velmora.db3, so that a test can
// change it without disturbing tests running beside it.
inline bool copyTo(const QString& dataFolder) {
    QDir().mkpath(dataFolder);
    const QString target = dataFolder + QStringLiteral("/velmora.db3");
    QFile::remove(target);
    return QFile::copy(path(), target) &&
           QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace samplecatalogue
