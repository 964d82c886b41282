#include "jobs/configwritedatabase.h"

#include <QDebug>
#include <QFile>
#include <QSaveFile>

#include "common/applog.h"
#include "model/keyboardconfigutil.h"

namespace {

using Format = ConfigFileFormat;

}  // namespace

ConfigWriteDatabase::ConfigWriteDatabase(const QString& fileName, QObject* parent)
    : ConfigWriteDatabase(KeyboardConfigUtil::instance(), fileName, parent) {}

ConfigWriteDatabase::ConfigWriteDatabase(KeyboardConfigUtil* model, const QString& fileName,
                                         QObject* parent)
    : QThread(parent), mFileName(fileName) {
    AppLog::line(QStringLiteral("=== ConfigWriteDatabase 配置写入数据库开始 fileName:{ %1 }===")
                     .arg(fileName));
    if (model) mContent = Format::Content::fromModel(*model);
    // Started from the event loop, so that whoever created the export has
    // connected to its signals before the first one is emitted.
    QMetaObject::invokeMethod(
        this, [this] { start(); }, Qt::QueuedConnection);
}

ConfigWriteDatabase::~ConfigWriteDatabase() {
    wait();
    AppLog::line(QStringLiteral("=== ConfigWriteDatabase 配置写入数据库结束 ==="));
}

void ConfigWriteDatabase::progress(int step) {
    mProgress = qBound(0, mProgress + step, 99);
    emit config_write_result(true, mProgress);
}

int ConfigWriteDatabase::encryptToTarget(const QString& plainFile, const QString& target) {
    QFile plain(plainFile);
    if (!plain.open(QIODevice::ReadOnly)) return ErrorPlainUnreadable;
    const QByteArray image = plain.readAll();
    plain.close();
    if (image.isEmpty()) return ErrorPlainUnreadable;
    const QByteArray cipher = Format::encrypt(image);
    if (cipher.isEmpty()) return ErrorPlainUnreadable;
    // The user's existing file is replaced only by a complete new one.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return ErrorTargetUnwritable;
    if (out.write(cipher) != cipher.size()) {
        out.cancelWriting();
        return ErrorTargetUnwritable;
    }
    return out.commit() ? 0 : ErrorTargetUnwritable;
}

int ConfigWriteDatabase::writeTables(QSqlDatabase& db) {
    const QString cw = QStringLiteral("=== ConfigWriteDatabase 初始化");
    const QString dc = QStringLiteral("=== DatabaseConfigureUtil 初始化");
    QString error;
    auto ok = [&](Format::Table t, const QString& prefix) {
        AppLog::line(prefix + Format::tableName(t) + QStringLiteral("成功 ==="));
    };
    auto failed = [&](Format::Table t, const char* separator) {
        AppLog::line(cw + Format::tableName(t) + QLatin1String(separator) +
                     QStringLiteral("error:{ ") + error + QStringLiteral(" } ==="));
    };

    // Single-row tables: creating and writing the row must both succeed.
    struct Single {
        Format::Table table;
        int createCode;
        int insertCode;
        int step;
    };
    const Single singles[] = {{Format::ProductTable, -33, -34, 5},
                              {Format::ConfigTable, -35, -36, 5},
                              {Format::ParamsTable, -37, -38, 10}};
    for (const Single& s : singles) {
        if (!Format::createTable(db, s.table, &error)) {
            failed(s.table, "失败 , ");
            return s.createCode;
        }
        bool written = false;
        switch (s.table) {
            case Format::ProductTable:
                written = Format::writeProduct(db, mContent.productInfo, &error);
                break;
            case Format::ConfigTable:
                written = Format::writeConfigName(db, mContent.configName, &error);
                break;
            default:
                written = Format::writeParams(db, mContent.wholeParam, &error);
                break;
        }
        if (!written) {
            failed(s.table, "失败 , ");
            return s.insertCode;
        }
        ok(s.table, cw);
        progress(s.step);
    }

    // Multi-row tables: a row that fails is left out and the export goes on.
    if (!Format::createTable(db, Format::CustomLightTable, &error)) {
        failed(Format::CustomLightTable, "失败 , ");
        return -39;
    }
    Format::writeCustomLights(db, mContent.customLights);
    ok(Format::CustomLightTable, cw);
    progress(10);

    if (!Format::createTable(db, Format::EffectLightTable, &error)) {
        failed(Format::EffectLightTable, "失败 , ");
        return -41;
    }
    Format::writeEffectLights(db, mContent.effectLights);
    ok(Format::EffectLightTable, cw);
    progress(10);

    if (!Format::createTable(db, Format::KeyboardFnTable, &error)) {
        failed(Format::KeyboardFnTable, "失败 , ");
        return -43;
    }
    Format::writeKeyMap(db, Format::KeyboardFnTable, mContent.keyMaps[0]);
    ok(Format::KeyboardFnTable, cw);
    progress(10);

    if (!Format::createTable(db, Format::KeyboardFn1Table, &error)) {
        failed(Format::KeyboardFn1Table, "失败, ");
        return -45;
    }
    Format::writeKeyMap(db, Format::KeyboardFn1Table, mContent.keyMaps[1]);
    ok(Format::KeyboardFn1Table, cw);
    progress(10);

    if (!Format::createTable(db, Format::HighKeyTable, &error)) {
        AppLog::line(dc + Format::tableName(Format::HighKeyTable) + QStringLiteral("失败 ==="));
        return -47;
    }
    Format::writeHighKeys(db, mContent.highKeys);
    ok(Format::HighKeyTable, dc);
    progress(10);

    if (!Format::createTable(db, Format::KeyMacroTable, &error)) {
        AppLog::line(QStringLiteral("=== DatabaseConfigureUtil 初始化key_macro_table失败 ==="));
        AppLog::line(QStringLiteral("init 初始化key_macro_table失败 error ") + error);
        return -49;
    }
    Format::writeMacros(db, mContent.macros);
    AppLog::line(QStringLiteral("=== DatabaseConfigureUtil 初始化key_macro_table成功 ==="));
    progress(10);

    if (!Format::createTable(db, Format::KeyTriggerTable, &error)) {
        AppLog::line(dc + Format::tableName(Format::KeyTriggerTable) + QStringLiteral("失败 ==="));
        return -51;
    }
    Format::writeTriggers(db, mContent.triggers);
    ok(Format::KeyTriggerTable, dc);
    progress(10);
    return 0;
}

void ConfigWriteDatabase::run() {
    AppLog::line(QStringLiteral("=== ConfigWriteDatabase 线程启动 ==="));
    mProgress = 0;

    std::unique_ptr<QTemporaryFile> workingCopy = Format::createWorkingCopy();
    if (!workingCopy) {
        emit config_write_result(false, ErrorWorkingCopy);
        return;
    }
    int code = 0;
    {
        bool opened = false;
        QSqlDatabase db = Format::openDatabase(workingCopy->fileName(), false, &opened);
        if (!opened) {
            code = ErrorWorkingCopy;
        } else {
            progress(5);
            code = writeTables(db);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(Format::ConnectionName);
    if (code == 0) code = encryptToTarget(workingCopy->fileName(), mFileName);
    workingCopy.reset();
    if (code != 0) {
        emit config_write_result(false, code);
        return;
    }
    emit config_write_result(true, 100);
    AppLog::line(QStringLiteral("=== ConfigWriteDatabase 线程结束 ==="));
}
