#include "ui/pages/other/othersetform.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include "jobs/backuprestore.h"
#include "jobs/firmwarebackup.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/jobrunner.h"
#include "ui/pageindex.h"
#include "ui/pages/other/backuplistform.h"
#include "ui/widgets/filedialog.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "ui_othersetform.h"
#include "update/downloadfolder.h"
#include "update/downloadmanager.h"
#include "update/updatechecker.h"
#include "update/updateserver.h"

OtherSetForm::OtherSetForm(QWidget* parent)
    : SettingPage(PageOther, UsbProtocol::SourceOther, parent),
      ui(std::make_unique<Ui::OtherSetForm>()) {
    ui->setupUi(content());
    ui->newFireWidget->hide();
    ui->newFireBtn->hide();

    connect(ui->newFireBtn, &QPushButton::clicked, this, &OtherSetForm::on_newFireBtn_clicked);
    connect(ui->syncFireBtn, &QPushButton::clicked, this, &OtherSetForm::on_syncFireBtn_clicked);
    connect(ui->resetBtn, &QPushButton::clicked, this, &OtherSetForm::on_resetBtn_clicked);
    connect(ui->fireDataBtn, &QPushButton::clicked, this, &OtherSetForm::on_fireDataBtn_clicked);
    connect(ui->backupListForm, &BackupListForm::backUpRequested, this, [this] {
        backUp(false, [this](bool ok) { toast(ok ? tr("已备份键盘上的所有配置") : mBackupError); });
    });
    connect(ui->backupListForm, &BackupListForm::restoreRequested, this, &OtherSetForm::askRestore);
    connect(ui->backupListForm, &BackupListForm::deleteRequested, this,
            &OtherSetForm::deleteBackup);

    if (UsbCommunicateUtil* e = engine()) {
        connect(e, &UsbCommunicateUtil::usb_communicate_error, this,
                &OtherSetForm::usb_communicate_error);
        connect(e, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard, this,
                &OtherSetForm::usb_receive_download_fireware_keyboard);
        connect(e, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard_end, this,
                &OtherSetForm::usb_receive_download_fireware_keyboard_end);
        connect(e, &UsbCommunicateUtil::usb_receive_download_fireware_data, this,
                &OtherSetForm::usb_receive_download_fireware_data);
        connect(e, &UsbCommunicateUtil::usb_receive_reset_keyboard, this,
                &OtherSetForm::usb_receive_reset_keyboard);
        connect(e, &UsbCommunicateUtil::protocol_device_disconnected, this, [this] {
            if (mJob == Job::Reset) endReset(UsbProtocol::ErrorLinkClosed);
        });
    }
    // Frames, answers and every way a transfer can end are the transfer's.
    mTransfer = new FirmwareTransfer(engine(), source(), this);
    connect(mTransfer, &FirmwareTransfer::progress, this, [this](int percent) {
        if (mDialog) mDialog->setProgressValue(percent);
    });
    connect(mTransfer, &FirmwareTransfer::finished, this, &OtherSetForm::transferFinished);
    mResetWatchdog = new QTimer(this);
    mResetWatchdog->setSingleShot(true);
    mResetWatchdog->setInterval(kResetSilenceMs);
    connect(mResetWatchdog, &QTimer::timeout, this, [this] {
        qInfo().noquote() << QStringLiteral("=== OtherSetForm 恢复出厂设置无应答 ===");
        endReset(UsbProtocol::ErrorNoAnswer);
    });
    mChecker = new UpdateChecker(this);
    connect(mChecker, &UpdateChecker::updateAvailable, this, &OtherSetForm::onUpdateAvailable);
    connect(mChecker, &UpdateChecker::checkError, this, &OtherSetForm::onUpdateError);
    mDownloader = new DownloadManager(this);
    connect(mDownloader, &DownloadManager::progress, this, &OtherSetForm::onDownloadProgress);
    connect(mDownloader, &DownloadManager::finished, this, &OtherSetForm::onDownloadFinished);
    connect(mDownloader, &DownloadManager::error, this, &OtherSetForm::onUpdateError);
    logLine(QStringLiteral("其他设置页面初始化"));
}

OtherSetForm::~OtherSetForm() {
    mTransfer->disconnect(this);
    closeDialog();
    logLine(QStringLiteral("其他设置页面销毁"));
}

void OtherSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
    ui->backupListForm->retranslate();
    refreshVersion();
}

BackupListForm* OtherSetForm::backupList() const {
    return ui->backupListForm;
}

void OtherSetForm::enter() {
    if (QPushButton* own = navigationBar()->button(PageOther)) own->setChecked(true);
    refreshVersion();
    mStore = BackupStore();
    ui->backupListForm->refresh(productNumber());
    // The keyboard restarted after an update and is back: compare now.
    if (!mPendingCompare.isEmpty() && mJob == Job::None)
        QTimer::singleShot(0, this, [this] { compareAfterTransfer(false); });
}

QString OtherSetForm::versionText(quint16 version) {
    return tr("键盘固件版本：V") + FirmwareFile::formatVersion(version);
}

void OtherSetForm::refreshVersion() {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const quint16 version =
        model && model->keyboardProductInfo ? quint16(model->keyboardProductInfo->version) : 0;
    ui->versionFireLabel->setText(versionText(version));
}

quint16 OtherSetForm::productNumber() const {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    return model && model->keyboardProductInfo ? quint16(model->keyboardProductInfo->serialNumber)
                                               : 0;
}

void OtherSetForm::setSilenceMs(int ms) {
    mTransfer->setSilenceMs(ms);
    mResetWatchdog->setInterval(ms);
}

// ------------------------------------------------------------ dialogs

void OtherSetForm::openDialog(const QString& text, bool cancellable) {
    closeDialog();
    mDialog = QCustomProgressDialog::open(window(), text, QString(), 0, 100, true);
    if (cancellable) {
        connect(mDialog, &QProgressDialog::canceled, this, [this] {
            if (mDownloader->isBusy()) mDownloader->abort();
            closeDialog();
        });
    } else {
        mDialog->cancelButton()->hide();
    }
}

void OtherSetForm::closeDialog() {
    if (!mDialog) return;
    QCustomProgressDialog* dialog = mDialog;
    mDialog = nullptr;
    dialog->disconnect(this);
    dialog->close();
    dialog->deleteLater();
}

// ------------------------------------------------------------ firmware update

void OtherSetForm::on_newFireBtn_clicked() {}

void OtherSetForm::on_syncFireBtn_clicked() {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const QString productData =
        model && model->keyboardProduct ? model->keyboardProduct->productData : QString();
    mChecker->checkPath(UpdateServer::firmwareVersionPath(productData));
}

void OtherSetForm::onUpdateAvailable(VersionInfo info) {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const quint16 version =
        model && model->keyboardProductInfo ? quint16(model->keyboardProductInfo->version) : 0;
    if (!VersionInfo::isNewer(info.version, FirmwareFile::formatVersion(version))) {
        toast(tr("没有新版本"));
        return;
    }
    mOffered = info;
    const auto answer =
        MessageBox::question(window(), tr("发现新版本"),
                             tr("发现新版本 %1\n\n更新内容:\n%2\n\n是否立即下载更新?")
                                 .arg(info.version, info.description));
    if (answer != QMessageBox::Yes) return;
    openDialog(tr("正在下载更新..."), true);
    const QString name = QFileInfo(info.url.path()).completeBaseName() + QStringLiteral(".bin");
    mDownloader->download(info.url, DownloadFolder::filePath(name));
}

void OtherSetForm::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal) {
    if (!mDialog || mJob != Job::None) return;
    if (bytesTotal > 0) {
        // The dialog counts in int: scale large files down to per mille.
        mDialog->setMaximum(1000);
        mDialog->setProgressValue(int(bytesReceived * 1000 / bytesTotal));
    }
}

void OtherSetForm::onUpdateError(QString error) {
    // Only the download's own dialog: a job's dialog ends with the job.
    if (mJob == Job::None) closeDialog();
    toast(tr("更新错误: ") + error);
}

void OtherSetForm::onDownloadFinished(QString filePath) {
    // Read once: what is verified is exactly what will be sent, from memory.
    FirmwareFile firmware;
    firmware.load(filePath, FirmwareFile::KeyboardFirmware);
    QFile::remove(filePath);
    closeDialog();
    switch (FirmwareTransfer::verify(firmware, productNumber(), mOffered.md5)) {
        case FirmwareTransfer::Accepted:
            break;
        case FirmwareTransfer::Unreadable:
        case FirmwareTransfer::WrongMd5:
            toast(tr("下载文件校验失败"));
            return;
        case FirmwareTransfer::OtherProduct:
            qInfo().noquote() << QStringLiteral(
                                     "=== OtherSetForm 固件产品不匹配 file={%1};keyboard={%2} ===")
                                     .arg(firmware.identifier())
                                     .arg(productNumber());
            toast(tr("这个固件不适用于当前键盘，没有发送任何数据"));
            return;
        case FirmwareTransfer::Damaged:
            // No image behind the header: refused before any frame.
            qInfo().noquote() << QStringLiteral("=== OtherSetForm 固件文件无效 size={%1};%2 ===")
                                     .arg(firmware.size())
                                     .arg(FirmwareFile::statusText(firmware.status()));
            MessageBox::information(window(), tr("提示"), tr("下载固件失败！"));
            return;
    }
    const auto answer =
        MessageBox::question(window(), tr("同步"), tr("下载完成，是否同步键盘固件..."));
    if (answer != QMessageBox::Yes) return;
    startTransfer(firmware, Job::Firmware, mOffered.md5);
}

// ------------------------------------------------------------ transfers

void OtherSetForm::startTransfer(const FirmwareFile& file, Job job, const QString& md5) {
    if (mJob != Job::None) return;
    if (job != Job::Firmware) return sendTransfer(file, job, md5);
    // Firmware may reset the profiles: they are backed up first, and without
    // a backup the firmware goes out only when the user says so.
    backUp(true, [this, file, md5](bool ok) {
        if (!ok) {
            const auto answer = MessageBox::question(
                window(), tr("备份失败"),
                tr("无法备份键盘上的配置，固件没有发送。\n\n%1\n\n不备份，直接更新固件吗？")
                    .arg(mBackupError),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes) {
                toast(tr("没有备份，固件没有发送"));
                return;
            }
            mLastBackup = BackupStore::Backup();
        }
        sendTransfer(file, Job::Firmware, md5);
    });
}

void OtherSetForm::sendTransfer(const FirmwareFile& file, Job job, const QString& md5) {
    if (mJob != Job::None) return;
    mJob = job;
    openDialog(job == Job::Firmware ? tr("下载键盘固件中，请不要执行其他操作")
                                    : tr("下载固件数据中，请不要执行其他操作"),
               false);
    // Checked again on the way in; a refusal sends nothing and ends here.
    if (mTransfer->start(file, productNumber(), md5) != FirmwareTransfer::Accepted) {
        mJob = Job::None;
        closeDialog();
        toast(job == Job::Firmware ? tr("下载固件失败！") : tr("下载固件数据失败！"));
    }
}

void OtherSetForm::transferFinished(int error) {
    const Job job = mJob;
    mJob = Job::None;
    if (mDialog && error == 0) mDialog->setProgressValue(100);
    closeDialog();
    if (job == Job::Firmware) {
        const QString backup = mLastBackup.id;
        mLastBackup = BackupStore::Backup();
        if (error == 0 && !backup.isEmpty()) {
            // Compared at once; the success toast comes with the comparison's
            // end, so that the dialogs end before the word.
            mPendingCompare = backup;
            QTimer::singleShot(0, this, [this] { compareAfterTransfer(true); });
        } else {
            toast(error == 0 ? tr("固件升级成功，如果没连上设备，请重新拔插USB线！")
                             : JobRunner::failureText(tr("下载固件失败！"), error));
            // A transfer that broke off may have reset the profiles too:
            // compared once the keyboard is back and the page entered.
            if (!backup.isEmpty()) mPendingCompare = backup;
        }
    } else if (job == Job::Data)
        toast(error == 0 ? tr("固件数据下载成功！")
                         : JobRunner::failureText(tr("下载固件数据失败！"), error));
}

void OtherSetForm::usb_receive_download_fireware_keyboard(uchar source, int current, int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    acceptSource(source, "usb_receive_download_fireware_keyboard");
}

void OtherSetForm::usb_receive_download_fireware_keyboard_end(uchar source, int current,
                                                              int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    acceptSource(source, "usb_receive_download_fireware_keyboard_end");
}

void OtherSetForm::usb_receive_download_fireware_data(uchar source, int current, int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    acceptSource(source, "usb_receive_download_fireware_data");
}

void OtherSetForm::usb_receive_download_fireware_data_end(uchar source, int current, int total) {
    // The data transfer has no end command; kept for answers that carry one.
    Q_UNUSED(current)
    Q_UNUSED(total)
    acceptSource(source, "usb_receive_download_fireware_data_end");
}

// ------------------------------------------------------------ factory reset

void OtherSetForm::on_resetBtn_clicked() {
    if (mJob != Job::None) return;
    const auto answer = MessageBox::confirm(window(), tr("恢复出厂设置"),
                                            tr("你确定要恢复出厂设置吗？"), tr("确认"), tr("取消"));
    if (answer != QMessageBox::Ok) return;
    UsbCommunicateUtil* e = engine();
    if (!e) return;
    openDialog(tr("恢复出厂设置中，请不要执行其他操作"), false);
    mJob = Job::Reset;
    mResetWatchdog->start();
    e->resetKeyboard(source(), true);
}

void OtherSetForm::usb_receive_reset_keyboard(uchar source, int current, int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    if (!acceptSource(source, "usb_receive_reset_keyboard")) return;
    if (mJob != Job::Reset) {
        qInfo().noquote() << QStringLiteral(
            "=== OtherSetForm usb_receive_reset_keyboard 未在恢复出厂设置 ===");
        return;
    }
    endReset(0);
}

void OtherSetForm::endReset(int error) {
    if (mJob != Job::Reset) return;
    mJob = Job::None;
    mResetWatchdog->stop();
    closeDialog();
    if (error != 0) {
        toast(JobRunner::failureText(tr("恢复出厂设置失败！"), error));
        return;
    }
    // Out of the engine's signal: the box runs its own event loop, in which
    // the link may close and open again.
    QTimer::singleShot(0, this, [this] {
        QPointer<OtherSetForm> self(this);
        MessageBox::information(window(), tr("提示"), tr("恢复出厂设置成功！"));
        // The keyboard's configuration is new: back to the device page,
        // which reads it again.
        if (self) emit navigateRequested(PageDevice);
    });
}

// ------------------------------------------------------------ backups

void OtherSetForm::backUp(bool automatic, const std::function<void(bool)>& then) {
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    if (mJob != Job::None) return;
    mJob = Job::Backup;
    mStore = BackupStore();
    ui->backupListForm->setBusy(true);
    openDialog(tr("正在备份键盘上的配置，请不要执行其他操作"), false);
    auto* job = new FirmwareBackup(engine(), model, &mStore, this);
    connect(job, &FirmwareBackup::progress, this, [this](int percent) {
        if (mDialog) mDialog->setProgressValue(percent);
    });
    connect(job, &FirmwareBackup::finished, this, [this, job, then](bool ok, int error) {
        job->deleteLater();
        mJob = Job::None;
        closeDialog();
        ui->backupListForm->setBusy(false);
        if (ok) {
            mLastBackup = job->backup();
            mBackupError.clear();
        } else if (error == FirmwareBackup::ErrorStore) {
            mBackupError = tr("无法写入备份：%1").arg(job->storeError());
        } else {
            mBackupError = JobRunner::failureText(tr("无法读取键盘上的配置"), error);
        }
        ui->backupListForm->refresh(productNumber());
        if (ok) ui->backupListForm->select(mLastBackup.id);
        // Out of the engine's signal: `then` may open a box.
        QTimer::singleShot(0, this, [then, ok] { then(ok); });
    });
    job->backUp(automatic);
}

void OtherSetForm::compareAfterTransfer(bool updated) {
    const QString done = tr("固件升级成功，如果没连上设备，请重新拔插USB线！");
    const QString id = mPendingCompare;
    if (id.isEmpty() || mJob != Job::None) {
        if (updated) toast(done);
        return;
    }
    BackupStore::Backup backup;
    QList<Profile> profiles;
    QString why;
    const UsbCommunicateUtil* e = engine();
    if (!e || !e->isConnected() || !productNumber() ||
        !mStore.load(productNumber(), id, &backup, &profiles, &why)) {
        // Not back yet: compared on the next entry.
        if (updated) toast(done);
        return;
    }
    mPendingCompare.clear();
    mJob = Job::Compare;
    ui->backupListForm->setBusy(true);
    openDialog(tr("正在检查更新后的配置..."), false);
    auto* job = new FirmwareBackup(engine(), KeyboardConfigUtil::instance(), &mStore, this);
    connect(job, &FirmwareBackup::progress, this, [this](int percent) {
        if (mDialog) mDialog->setProgressValue(percent);
    });
    connect(job, &FirmwareBackup::finished, this, [this, job, id, updated, done](bool ok, int) {
        job->deleteLater();
        mJob = Job::None;
        closeDialog();
        ui->backupListForm->setBusy(false);
        if (updated) toast(done);
        const QStringList differing = job->differing();
        if (!ok) {
            mPendingCompare = id;
            toast(tr("无法读取更新后的配置；键盘重新连接后再回到这里比较"));
            return;
        }
        if (differing.isEmpty()) {
            toast(tr("固件更新后，键盘上的配置与备份相同"));
            return;
        }
        QTimer::singleShot(0, this, [this, id, differing] {
            const auto answer = MessageBox::question(
                window(), tr("恢复我的设置"),
                tr("固件更新后，键盘上的这些配置与更新前的备份不同：\n%1\n\n恢复我的设置吗？")
                    .arg(differing.join(QStringLiteral("\n"))),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
            if (answer == QMessageBox::Yes) restore(id);
        });
    });
    job->compare(backup, profiles);
}

void OtherSetForm::askRestore(const QString& id) {
    if (mJob != Job::None) return;
    const auto answer =
        MessageBox::question(window(), tr("恢复备份"), tr("用这个备份覆盖键盘上的配置吗？"),
                             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Ok) restore(id);
}

void OtherSetForm::restore(const QString& id) {
    if (mJob != Job::None) return;
    mStore = BackupStore();
    BackupStore::Backup backup;
    QList<Profile> profiles;
    QString why;
    if (!mStore.load(productNumber(), id, &backup, &profiles, &why)) {
        qInfo().noquote() << QStringLiteral("=== OtherSetForm 备份不能恢复 %1 ===").arg(why);
        MessageBox::information(window(), tr("提示"),
                                tr("这个备份已损坏或不属于这个键盘，不能恢复；没有发送任何数据。"));
        ui->backupListForm->refresh(productNumber());
        return;
    }
    mJob = Job::Restore;
    ui->backupListForm->setBusy(true);
    openDialog(tr("正在恢复配置，请不要执行其他操作"), false);
    auto* job = new BackupRestore(engine(), KeyboardConfigUtil::instance(), backup, profiles, this);
    connect(job, &BackupRestore::progress, this, [this](int percent) {
        if (mDialog) mDialog->setProgressValue(percent);
    });
    connect(job, &BackupRestore::finished, this, [this, job](bool ok, int error) {
        job->deleteLater();
        mJob = Job::None;
        closeDialog();
        ui->backupListForm->setBusy(false);
        QString text;
        const QString none = tr("无");
        if (ok)
            text = tr("配置已恢复，并已从键盘读回核对。");
        else if (error == BackupRestore::ErrorOtherProduct)
            text = tr("这个备份属于另一款键盘，没有发送任何数据。");
        else if (error == BackupRestore::ErrorIncomplete)
            text = tr("以下配置未能恢复：%1\n已恢复：%2")
                       .arg(job->notRestored().join(QStringLiteral(", ")),
                            job->restored().isEmpty() ? none
                                                      : job->restored().join(QStringLiteral(", ")));
        else
            text = tr("恢复在配置“%1”处中断：%2\n已恢复：%3")
                       .arg(job->stoppedAt(), JobRunner::failureText(tr("恢复失败"), error),
                            job->restored().isEmpty() ? none
                                                      : job->restored().join(QStringLiteral(", ")));
        const bool wrote = error != BackupRestore::ErrorOtherProduct;
        QTimer::singleShot(0, this, [this, text, wrote] {
            QPointer<OtherSetForm> self(this);
            MessageBox::information(window(), tr("恢复我的设置"), text);
            // The tables changed: the device page reads the keyboard again.
            if (self && wrote) emit navigateRequested(PageDevice);
        });
    });
    job->start();
}

void OtherSetForm::deleteBackup(const QString& id) {
    if (mJob != Job::None) return;
    const auto answer =
        MessageBox::question(window(), tr("删除备份"), tr("删除这个备份吗？删除后无法找回。"),
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    QString why;
    if (!mStore.remove(productNumber(), id, &why)) {
        qInfo().noquote() << QStringLiteral("=== OtherSetForm 删除备份失败 %1 ===").arg(why);
        toast(tr("无法删除这个备份"));
    } else {
        toast(tr("备份已删除"));
    }
    ui->backupListForm->refresh(productNumber());
}

// ------------------------------------------------------------ firmware data

void OtherSetForm::on_fireDataBtn_clicked() {
    if (mJob != Job::None) return;
    const QString path = FileDialog::getOpenFileName(window(), tr("选择固件数据文件"), QString(),
                                                     tr("固件数据文件(*.bin);;所有文件(*)"));
    if (path.isEmpty()) return;
    FirmwareFile data;
    const FirmwareFile::Status status = data.load(path, FirmwareFile::FirmwareData);
    if (status == FirmwareFile::CannotOpen) {
        MessageBox::information(window(), tr("提示"), tr("打开文件失败！"));
        return;
    }
    if (status != FirmwareFile::Ok) {
        qInfo().noquote() << QStringLiteral("=== OtherSetForm 固件数据不匹配 size={%1};%2 ===")
                                 .arg(data.size())
                                 .arg(FirmwareFile::statusText(status));
        MessageBox::information(window(), tr("提示"), tr("固件数据不匹配！"));
        return;
    }
    startTransfer(data, Job::Data, QString());
}

// ------------------------------------------------------------ errors

void OtherSetForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
    if (source != this->source()) return;
    // Transfer errors end the transfer through its own road.
    if (order == UsbProtocol::answerOf(UsbProtocol::ResetKeyboard)) endReset(error);
}
