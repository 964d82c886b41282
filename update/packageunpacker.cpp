#include "update/packageunpacker.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
void setError(QString* error, const QString& text) {
    if (error) *error = text;
    qWarning().noquote() << QStringLiteral("=== PackageUnpacker 解压失败:{ ") + text +
                                QStringLiteral(" } ===");
}

// Unix file type bits of an entry made on a Unix system; 0 elsewhere.
quint32 unixType(const QuaZipFileInfo64& info) {
    return (info.externalAttr >> 16) & 0170000;
}

// `budget` is what the package may still unpack to; the bytes really
// written count, not what the entry claims.
bool extractEntry(QuaZip& zip, const QString& target, qint64* budget, QString* why) {
    QuaZipFile in(&zip);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = QCoreApplication::translate("PackageUnpacker", "无法读取条目");
        return false;
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *why = QCoreApplication::translate("PackageUnpacker", "无法写入 %1").arg(target);
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            *why = QCoreApplication::translate("PackageUnpacker", "条目已损坏");
            return false;
        }
        if (n == 0) break;
        *budget -= n;
        if (*budget < 0) {
            *why = QCoreApplication::translate("PackageUnpacker", "解压后超过 %1 MB")
                       .arg(PackageUnpacker::kMaxUnpackedBytes / (1024 * 1024));
            return false;
        }
        if (out.write(buffer, n) != n) {
            *why = QCoreApplication::translate("PackageUnpacker", "无法写入 %1").arg(target);
            return false;
        }
    }
    // Closing checks the entry's CRC: a cut or altered entry fails here.
    in.close();
    if (in.getZipError() != UNZ_OK) {
        *why = QCoreApplication::translate("PackageUnpacker", "条目已损坏");
        return false;
    }
    if (!out.flush()) {
        *why = QCoreApplication::translate("PackageUnpacker", "无法写入 %1").arg(target);
        return false;
    }
    return true;
}
}  // namespace

bool PackageUnpacker::isSafeEntryName(const QString& entryName) {
    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('/'))) return false;
    // "C:x" and "C:/x" are absolute or drive-relative on Windows.
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':')) return false;
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        if (part == QLatin1String("..")) return false;
    for (QChar c : name)
        if (c.unicode() < 0x20) return false;
    return !name.split(QLatin1Char('/'), Qt::SkipEmptyParts).isEmpty();
}

bool PackageUnpacker::unpack(const QString& zipPath, const QString& targetDir, QString* error) {
    const QFileInfo targetInfo(targetDir);
    const QString target = targetInfo.absoluteFilePath();
    const QString parent = targetInfo.absolutePath();
    if (!QDir().mkpath(parent)) {
        setError(error, tr("无法创建文件夹 %1").arg(parent));
        return false;
    }

    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdUnzip)) {
        setError(error, tr("软件包 %1 已损坏").arg(QFileInfo(zipPath).fileName()));
        return false;
    }

    // Check every entry before anything is written: one bad name refuses
    // the whole package.
    QList<QuaZipFileInfo64> entries;
    qint64 claimed = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info)) {
            setError(error, tr("软件包 %1 已损坏").arg(QFileInfo(zipPath).fileName()));
            return false;
        }
        const quint32 type = unixType(info);
        if (!isSafeEntryName(info.name) || info.isSymbolicLink() ||
            (type != 0 && type != 0100000 && type != 0040000)) {
            setError(error, tr("软件包中有不安全的条目：%1").arg(info.name));
            return false;
        }
        claimed += qint64(qMin<quint64>(info.uncompressedSize, quint64(kMaxUnpackedBytes) + 1));
        if (claimed > kMaxUnpackedBytes) {
            setError(error, tr("软件包 %1 解压后超过 %2 MB")
                                .arg(QFileInfo(zipPath).fileName())
                                .arg(kMaxUnpackedBytes / (1024 * 1024)));
            return false;
        }
        entries.append(info);
    }
    if (zip.getZipError() != UNZ_OK || entries.isEmpty()) {
        setError(error, tr("软件包 %1 已损坏").arg(QFileInfo(zipPath).fileName()));
        return false;
    }

    QTemporaryDir staging(parent + QStringLiteral("/.") + targetInfo.fileName() +
                          QStringLiteral("-unpack-XXXXXX"));
    if (!staging.isValid()) {
        setError(error, tr("无法在 %1 中创建文件夹").arg(parent));
        return false;
    }
    const QDir root(staging.path());
    qint64 budget = kMaxUnpackedBytes;
    int index = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile(), ++index) {
        const QuaZipFileInfo64& info = entries.at(index);
        QString name = info.name;
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString path = QDir::cleanPath(root.absoluteFilePath(name));
        if (!path.startsWith(root.absolutePath() + QLatin1Char('/'))) {
            setError(error, tr("软件包中有不安全的条目：%1").arg(info.name));
            return false;
        }
        if (name.endsWith(QLatin1Char('/')) || unixType(info) == 0040000) {
            if (!QDir().mkpath(path)) {
                setError(error, tr("无法创建文件夹 %1").arg(name));
                return false;
            }
            continue;
        }
        QString why;
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
            !extractEntry(zip, path, &budget, &why)) {
            setError(error, why.isEmpty() ? tr("无法为 %1 创建文件夹").arg(name)
                                          : tr("%1：%2").arg(why, info.name));
            return false;
        }
    }
    if (zip.getZipError() != UNZ_OK || index != entries.size()) {
        setError(error, tr("软件包 %1 已损坏").arg(QFileInfo(zipPath).fileName()));
        return false;
    }
    zip.close();

    // Everything is out: put the new folder in place of the old one.
    QString aside;
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        aside = parent + QStringLiteral("/.") + targetInfo.fileName() + QStringLiteral("-old-") +
                QFileInfo(staging.path()).fileName().section(QLatin1Char('-'), -1);
        if (!QDir().rename(target, aside)) {
            setError(error, tr("无法替换文件夹 %1").arg(target));
            return false;
        }
    }
    if (!QDir().rename(staging.path(), target)) {
        if (!aside.isEmpty()) QDir().rename(aside, target);
        setError(error, tr("无法把文件夹放到 %1").arg(target));
        return false;
    }
    staging.setAutoRemove(false);
    if (!aside.isEmpty()) {
        if (QFileInfo(aside).isSymLink())
            QFile::remove(aside);
        else
            QDir(aside).removeRecursively();
    }
    qInfo().noquote() << QStringLiteral("=== PackageUnpacker 解压完成:{ ") + target +
                             QStringLiteral(" } ===");
    return true;
}
