#include "ui/pages/other/othersetform.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/jobrunner.h"
#include "ui/pageindex.h"
#include "ui/widgets/filedialog.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "ui_othersetform.h"
#include "update/downloadfolder.h"
#include "update/downloadmanager.h"
#include "update/updatechecker.h"
#include "update/updateserver.h"

namespace {

UsbCommunicateUtil* engine() {
    return UsbCommunicateUtil::instance();
}

}  // namespace

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
    refreshVersion();
}

void OtherSetForm::enter() {
    if (QPushButton* own = navigationBar()->button(PageOther)) own->setChecked(true);
    refreshVersion();
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
    if (job == Job::Firmware)
        toast(error == 0 ? tr("固件升级成功，如果没连上设备，请重新拔插USB线！")
                         : JobRunner::failureText(tr("下载固件失败！"), error));
    else if (job == Job::Data)
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
    const auto answer =
        MessageBox::question(window(), tr("恢复出厂设置"), tr("你确定要恢复出厂设置吗？"),
                             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
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
