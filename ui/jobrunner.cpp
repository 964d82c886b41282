#include "ui/jobrunner.h"

#include <QDebug>
#include <QPushButton>
#include <QTimer>

#include "link/usbprotocol.h"
#include "jobs/configwritedatabase.h"
#include "model/keyboardconfigutil.h"
#include "jobs/profileapply.h"
#include "jobs/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"
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
    delete mApply.data();
}

bool JobRunner::isRunning() const {
    return mSync || mImporter || mExporter || mApply;
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
    } else if (mApply) {
        onApplyEnded(false, UsbProtocol::ErrorNoAnswer);
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
    // Written is not yet kept: success only once the keyboard reads back so.
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    if (status && value == 100 && mImporter && model) {
        const ProfilePlan plan = ProfilePlan::fromContent(mImporter->content(), *model);
        finishStep(mImporter, status, value);
        startReadBack(plan, false);
        return;
    }
    if (!finishStep(mImporter, status, value)) return;
    emit importEnded(status, status ? 0 : value, mismatch);
}

void JobRunner::startProfileImport(const ProfilePlan& plan) {
    startReadBack(plan, true);
}

void JobRunner::startReadBack(const ProfilePlan& plan, bool write) {
    delete mApply.data();
    mDifferences.clear();
    mApply = new ProfileApply(UsbCommunicateUtil::instance(), KeyboardConfigUtil::instance(), plan,
                              this);
    connect(mApply.data(), &ProfileApply::finished, this, &JobRunner::onApplyEnded);
    connect(mApply.data(), &ProfileApply::progress, this, [this](int done, int total) {
        if (mProgress && total > 0) mProgress->setValue(done * 90 / total);
        mWatchdog->start();
    });
    connect(mApply.data(), &ProfileApply::readProgress, this, [this](int value) {
        if (mProgress) mProgress->setValue(qMax(mProgress->value(), 90 + value / 10));
        mWatchdog->start();
    });
    if (write) {
        QCustomProgressDialog* dialog =
            QCustomProgressDialog::open(mWindow, tr("导入配置中......"), tr("取消"), 0, 100, true);
        dialog->setObjectName(QStringLiteral("progressDialog"));
        closeProgress();
        mProgress = dialog;
        connect(dialog->cancelButton(), &QPushButton::clicked, mApply.data(),
                &ProfileApply::cancel);
        mApply->start();
    } else {
        openProgress(tr("校验键盘中的配置......"));
        mApply->verify();
    }
    mWatchdog->start();
}

void JobRunner::onApplyEnded(bool ok, int error) {
    if (mApply) mDifferences = mApply->differences();
    finishStep(mApply, ok, ok ? 100 : error);
    emit importEnded(ok, ok ? 0 : error, ImportConfigUtil::KeyMismatch());
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
