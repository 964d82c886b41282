#include "common/apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef ZENTARO_INSTALLED_DATA_FROM_BIN
// The installed data seen from the installed executables' folder.
#define ZENTARO_INSTALLED_DATA_FROM_BIN "../share/zentaro/data"
#endif

namespace {
QString& applicationFolderOverride() {
    static QString folder;
    return folder;
}

QString installedDataFolder() {
    return QDir::cleanPath(AppPaths::applicationFolder() + QLatin1Char('/') +
                           QStringLiteral(ZENTARO_INSTALLED_DATA_FROM_BIN));
}
}  // namespace

AppPaths::Layout AppPaths::layout() {
    return QFileInfo(installedDataFolder()).isDir() ? Layout::Installed : Layout::BuildFolder;
}

QString AppPaths::applicationFolder() {
    const QString& folder = applicationFolderOverride();
    if (!folder.isEmpty()) return folder;
    return QCoreApplication::applicationDirPath();
}

void AppPaths::setApplicationFolder(const QString& folder) {
    applicationFolderOverride() = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

QString AppPaths::userFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/zentaro"));
}

QString AppPaths::workingFolder() {
    return isInstalled() ? userFolder() : QDir::currentPath();
}

bool AppPaths::enterWorkingFolder() {
    if (!isInstalled()) return true;
    const QString folder = userFolder();
    return QDir().mkpath(folder) && QDir::setCurrent(folder);
}

QString AppPaths::configFile() {
    return workingFolder() + QStringLiteral("/data/config.ini");
}

QString AppPaths::logFile() {
    return workingFolder() + QStringLiteral("/app.log");
}

QString AppPaths::dataFolder() {
    return isInstalled() ? installedDataFolder() : applicationFolder() + QStringLiteral("/data");
}

QString AppPaths::writableDataFolder() {
    return isInstalled() ? userFolder() + QStringLiteral("/data")
                         : applicationFolder() + QStringLiteral("/data");
}

bool AppPaths::isSafeDataName(const QString& name) {
    if (name.isEmpty() || QDir::isAbsolutePath(name)) return false;
    const QString clean = QDir::cleanPath(name);
    return clean != QStringLiteral(".") && clean != QStringLiteral("..") &&
           !clean.startsWith(QStringLiteral("../"));
}

QString AppPaths::readableDataFile(const QString& name) {
    const QString writable = writableDataFile(name);
    if (writable.isEmpty() || QFileInfo::exists(writable)) return writable;
    const QString installed = QDir::cleanPath(dataFolder() + QLatin1Char('/') + name);
    return QFileInfo::exists(installed) ? installed : writable;
}

QString AppPaths::writableDataFile(const QString& name) {
    if (!isSafeDataName(name)) return QString();
    return QDir::cleanPath(writableDataFolder() + QLatin1Char('/') + name);
}
