#include "update/downloadfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
QString gOverride;

bool makePrivate(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) return false;
    if (!info.exists() && !QDir().mkpath(path)) return false;
    const QFileInfo made(path);
    if (!made.isDir() || made.isSymLink()) return false;
#ifdef Q_OS_UNIX
    // A folder someone else made for us is not private.
    if (made.ownerId() != ::geteuid()) return false;
#endif
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
}  // namespace

QString DownloadFolder::path() {
    QString folder = gOverride;
    if (folder.isEmpty()) {
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        if (cache.isEmpty()) return QString();
        folder = cache + QStringLiteral("/downloads");
    }
    return makePrivate(folder) ? QDir::cleanPath(folder) : QString();
}

QString DownloadFolder::filePath(const QString& fileName) {
    const QString folder = path();
    QString name =
        QFileInfo(QString(fileName).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    if (folder.isEmpty() || name.isEmpty() || name == QLatin1String("..") ||
        name == QLatin1String("."))
        return QString();
    return folder + QLatin1Char('/') + name;
}

void DownloadFolder::setPath(const QString& path) {
    gOverride = path;
}
