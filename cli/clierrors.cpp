#include "cli/clierrors.h"

#include <QFileInfo>

#include "jobs/configwritedatabase.h"
#include "jobs/importconfigutil.h"

QString CliErrors::engine(int code) {
    switch (code) {
        case -1:
            return QStringLiteral("writing to the keyboard failed");
        case -2:
            return QStringLiteral("the keyboard did not answer");
        case -3:
            return QStringLiteral("the keyboard answered for another layer");
        case -4:
            return QStringLiteral("the keyboard answered for another macro");
        case -5:
            return QStringLiteral("too many items for one command; nothing was sent");
        case -6:
            return QStringLiteral("another command replaced this one before it was answered");
        case -7:
            return QStringLiteral("the connection to the keyboard was closed");
        case -200:
            return QStringLiteral(
                "no keyboard found (is it plugged in, and does the udev rule give you access?)");
        case -201:
            return QStringLiteral("the keyboard is not connected");
        case -202:
            return QStringLiteral("the keyboard could not be written over Bluetooth");
        default:
            return QStringLiteral("the keyboard refused the command");
    }
}

QString CliErrors::unreadable(const QString& path) {
    const QFileInfo info(path);
    const QString name = QFileInfo(path).fileName();
    if (!info.exists()) return QStringLiteral("cannot read %1: no such file").arg(name);
    if (info.isDir()) return QStringLiteral("cannot read %1: it is a folder").arg(name);
    if (!info.isReadable()) return QStringLiteral("cannot read %1: permission denied").arg(name);
    return QString();
}

QString CliErrors::unwritable(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    if (info.isDir()) return QStringLiteral("cannot write %1: it is a folder").arg(name);
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists())
        return QStringLiteral("cannot write %1: folder %2 does not exist")
            .arg(name, folder.filePath());
    if (!folder.isDir())
        return QStringLiteral("cannot write %1: %2 is not a folder").arg(name, folder.filePath());
    if (!folder.isWritable() || (info.exists() && !info.isWritable()))
        return QStringLiteral("cannot write %1: permission denied").arg(name);
    return QString();
}

QString CliErrors::exportFailure(const QString& path, int code) {
    switch (code) {
        case ConfigWriteDatabase::ErrorWorkingCopy:
            return QStringLiteral("cannot create a working copy in the temporary folder");
        case ConfigWriteDatabase::ErrorPlainUnreadable:
            return QStringLiteral("the working copy could not be read back");
        case ConfigWriteDatabase::ErrorTargetUnwritable: {
            const QString why = unwritable(path);
            return why.isEmpty() ? QStringLiteral("cannot write %1").arg(QFileInfo(path).fileName())
                                 : why;
        }
        default:
            if (code <= -33 && code >= -51)
                return QStringLiteral("the working copy could not be filled (disk full?)");
            return engine(code);
    }
}

QString CliErrors::importFailure(const QString& path, int code) {
    const QString name = QFileInfo(path).fileName();
    switch (code) {
        case ImportConfigUtil::ErrorOpen: {
            const QString why = unreadable(path);
            return why.isEmpty()
                       ? QStringLiteral("%1 is not a configuration file of this program").arg(name)
                       : why;
        }
        case ImportConfigUtil::ErrorProduct:
            return QStringLiteral("%1 is not a configuration file of this program").arg(name);
        case ImportConfigUtil::ErrorOtherProduct:
            return QStringLiteral("%1 was made for another keyboard model").arg(name);
        case ImportConfigUtil::ErrorConfig:
        case ImportConfigUtil::ErrorParams:
        case ImportConfigUtil::ErrorCustomLight:
        case ImportConfigUtil::ErrorEffectLight:
        case ImportConfigUtil::ErrorKeyboardFn:
        case ImportConfigUtil::ErrorKeyboardFn1:
        case ImportConfigUtil::ErrorHighKey:
        case ImportConfigUtil::ErrorTrigger:
            return QStringLiteral("%1 is damaged: a table cannot be read").arg(name);
        case ImportConfigUtil::ErrorMacro:
            return QStringLiteral("%1 is damaged: a macro holds values out of range").arg(name);
        case ImportConfigUtil::ErrorKeySet:
            return QStringLiteral("%1 holds other keys than this keyboard").arg(name);
        case ImportConfigUtil::ErrorHighKeySlots:
            return QStringLiteral("%1 holds more advanced keys than this keyboard has slots")
                .arg(name);
        default:
            return QStringLiteral("cannot write %1 into the keyboard: %2").arg(name, engine(code));
    }
}
