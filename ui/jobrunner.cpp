#include "ui/jobrunner.h"

#include <QDebug>
#include <QTimer>

#include "link/usbprotocol.h"
#include "model/configwritedatabase.h"
#include "model/syncconfigutil.h"
#include "ui/widgets/qcustomprogressdialog.h"

JobRunner::JobRunner(QWidget* window) : QObject(window), mWindow(window) {
    mWatchdog = new QTimer(this);
    mWatchdog->setSingleShot(true);
    mWatchdog->setInterval(kSilenceMs);
    connect(mWatchdog, &QTimer::timeout, this, &JobRunner::onSilent);
}

JobRunner::~JobRunner() {
    mWatchdog->stop();
    // Jobs report into this runner; they go before it.
    delete mSync.data();
    delete mImporter.data();
    delete mExporter.data();
}

bool JobRunner::isRunning() const {
    return mSync || mImporter || mExporter;
}

void JobRunner::setSilenceMs(int ms) {
    mWatchdog->setInterval(ms);
}

void JobRunner::openProgress(const QString& label) {
    closeProgress();
    QCustomProgressDialog* dialog =
        QCustomProgressDialog::open(mWindow, label, QString(), 0, 100, true);
    dialog->setObjectName(QStringLiteral("progressDialog"));
    dialog->setValue(0);
    mProgress = dialog;
}

void JobRunner::closeProgress() {
    if (mProgress) {
        mProgress->close();
        mProgress->deleteLater();
    }
    mProgress = nullptr;
}

void JobRunner::onSilent() {
    qInfo().noquote() << QStringLiteral("=== MainWindow 任务无应答超时 ===");
    if (mSync) {
        onSyncResult(false, UsbProtocol::ErrorNoAnswer);
    } else if (mImporter) {
        onImportResult(false, UsbProtocol::ErrorNoAnswer);
    } else if (mExporter) {
        onExportResult(false, UsbProtocol::ErrorNoAnswer);
    }
}

template <class Job>
bool JobRunner::finishStep(QPointer<Job>& job, bool status, int value) {
    if (status && value < 100) {
        if (mProgress) mProgress->setValue(value);
        mWatchdog->start();
        return false;
    }
    mWatchdog->stop();
    if (job) {
        disconnect(job.data(), nullptr, this, nullptr);
        job->deleteLater();
        job = nullptr;
    }
    closeProgress();
    return true;
}

void JobRunner::startSync() {
    openProgress(tr("键盘数据同步中"));
    delete mSync.data();
    mSync = new SyncConfigUtil(1, 1, 0, QString(), this);
    connect(mSync.data(), &SyncConfigUtil::sync_config_result, this, &JobRunner::onSyncResult);
    mWatchdog->start();
}

void JobRunner::onSyncResult(bool status, int value) {
    if (!finishStep(mSync, status, value)) return;
    emit syncEnded(status, status ? 0 : value);
}

void JobRunner::startExport(const QString& path) {
    delete mExporter.data();
    mExporter = new ConfigWriteDatabase(path, this);
    connect(mExporter.data(), &ConfigWriteDatabase::config_write_result, this,
            &JobRunner::onExportResult);
    openProgress(tr("导出配置中......"));
    mWatchdog->start();
}

void JobRunner::onExportResult(bool status, int value) {
    if (!finishStep(mExporter, status, value)) return;
    emit exportEnded(status, status ? 0 : value);
}

void JobRunner::startImport(const QString& path) {
    delete mImporter.data();
    mImporter = new ImportConfigUtil(path, this);
    connect(mImporter.data(), &ImportConfigUtil::import_config_result, this,
            &JobRunner::onImportResult);
    openProgress(tr("导入配置中......"));
    mWatchdog->start();
}

void JobRunner::onImportResult(bool status, int value) {
    // The importer goes with the end of the job: keep why it refused the file.
    const ImportConfigUtil::KeyMismatch mismatch =
        !status && mImporter ? mImporter->keyMismatch() : ImportConfigUtil::KeyMismatch();
    if (!finishStep(mImporter, status, value)) return;
    emit importEnded(status, status ? 0 : value, mismatch);
}

QString JobRunner::failureText(const QString& text, int error) {
    QString reason;
    switch (error) {
        case UsbProtocol::ErrorLinkClosed:
            reason = tr("键盘连接已断开");
            break;
        case UsbProtocol::ErrorNoAnswer:
            reason = tr("键盘没有应答");
            break;
        case UsbProtocol::ErrorSuperseded:
            reason = tr("被另一个操作打断");
            break;
        case UsbProtocol::ErrorWrite:
            reason = tr("无法写入键盘");
            break;
        default:
            return text;
    }
    QString what = text;
    if (what.endsWith(QChar(0xFF01)) || what.endsWith(QLatin1Char('!'))) what.chop(1);
    return tr("%1：%2").arg(what, reason);
}
