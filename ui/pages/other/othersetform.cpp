#include "ui/pages/other/othersetform.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QStackedWidget>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
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

int percent(qint64 done, qint64 whole) {
    if (whole <= 0) return 0;
    return int(qMin<qint64>(99, done * 100 / whole));
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
    }
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

// ------------------------------------------------------------ dialogs

void OtherSetForm::openDialog(const QString& text, bool cancellable) {
    closeDialog();
    mDialog = QCustomProgressDialog::open(window(), text, QString(), 0, 100, true);
    if (cancellable) {
        // Only a download can be given up: nothing has reached the keyboard.
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
    if (!mDialog) return;
    if (bytesTotal > 0) {
        // The dialog counts in int: scale large files down to per mille.
        mDialog->setMaximum(1000);
        mDialog->setProgressValue(int(bytesReceived * 1000 / bytesTotal));
    }
}

void OtherSetForm::onUpdateError(QString error) {
    closeDialog();
    toast(tr("更新错误: ") + error);
}

void OtherSetForm::onDownloadFinished(QString filePath) {
    // What was verified is exactly what will be sent: the file is read once,
    // hashed from memory and transferred from memory. A file that cannot be
    // read fails the check like a wrong checksum.
    FirmwareFile firmware;
    const FirmwareFile::Status status = firmware.load(filePath, FirmwareFile::KeyboardFirmware);
    const QString md5 = QString::fromLatin1(
        QCryptographicHash::hash(firmware.bytes(), QCryptographicHash::Md5).toHex().toUpper());
    if (status == FirmwareFile::CannotOpen || md5 != mOffered.md5.toUpper()) {
        closeDialog();
        toast(tr("下载文件校验失败"));
        QFile::remove(filePath);
        return;
    }
    closeDialog();
    QFile::remove(filePath);  // verified and held in memory from here on
    UsbCommunicateUtil* e = engine();
    if (!firmware.isValid() || !e || !e->isConnected()) {
        // No image behind the header (or no keyboard): refused before any frame.
        qInfo().noquote() << QStringLiteral("=== OtherSetForm 固件文件无效 size={%1};%2 ===")
                                 .arg(firmware.size())
                                 .arg(FirmwareFile::statusText(status));
        MessageBox::information(window(), tr("提示"), tr("下载固件失败！"));
        return;
    }
    const auto answer =
        MessageBox::question(window(), tr("同步"), tr("下载完成，是否同步键盘固件..."));
    if (answer != QMessageBox::Yes) return;
    mFirmware = firmware;
    mFirmwarePayload = gUsbDataMaxsize;
    mFirmwareTotal = quint16(mFirmware.frameCount(mFirmwarePayload));
    mFirmwareFrame = 1;
    mFirmwareOpen = true;
    openDialog(tr("下载键盘固件中，请不要执行其他操作"), false);
    sendFirmwareFrame();
}

void OtherSetForm::sendFirmwareFrame() {
    const QByteArray block = mFirmware.frame(mFirmwareFrame, mFirmwarePayload);
    if (UsbCommunicateUtil* e = engine())
        e->downloadFirewareKeyboard(source(), true, mFirmwareFrame, int(block.size()), block);
}

void OtherSetForm::usb_receive_download_fireware_keyboard(uchar source, int current, int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    if (!acceptSource(source, "usb_receive_download_fireware_keyboard")) return;
    if (!mFirmwareOpen) return;
    if (mDialog)
        mDialog->setProgressValue(percent(
            mFirmware.bytesSentAfter(mFirmwareFrame, mFirmwarePayload), mFirmware.imageSize()));
    ++mFirmwareFrame;
    if (mFirmwareFrame <= mFirmwareTotal) {
        sendFirmwareFrame();
        return;
    }
    // The engine puts its second argument on the wire first: the header
    // value at offset 4 leads, as the keyboard expects.
    if (UsbCommunicateUtil* e = engine())
        e->downloadFirewareKeyboardEnd(this->source(), true, mFirmware.secondEndValue(),
                                       mFirmware.firstEndValue());
}

void OtherSetForm::usb_receive_download_fireware_keyboard_end(uchar source, int current,
                                                              int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    if (!acceptSource(source, "usb_receive_download_fireware_keyboard_end")) return;
    if (!mFirmwareOpen) return;
    if (mDialog) mDialog->setProgressValue(100);
    closeDialog();
    releaseFirmware();
    toast(tr("固件升级成功，如果没连上设备，请重新拔插USB线！"));
}

void OtherSetForm::releaseFirmware() {
    mFirmwareOpen = false;
    mFirmware = FirmwareFile();
    mFirmwareFrame = 1;
    mFirmwareTotal = 0;
}

// ------------------------------------------------------------ factory reset

void OtherSetForm::on_resetBtn_clicked() {
    const auto answer =
        MessageBox::question(window(), tr("恢复出厂设置"), tr("你确定要恢复出厂设置吗？"),
                             QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer != QMessageBox::Ok) return;
    UsbCommunicateUtil* e = engine();
    if (!e) return;
    openDialog(tr("恢复出厂设置中，请不要执行其他操作"), false);
    mResetting = true;
    e->resetKeyboard(source(), true);
}

void OtherSetForm::usb_receive_reset_keyboard(uchar source, int current, int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    if (!acceptSource(source, "usb_receive_reset_keyboard")) return;
    if (!mResetting) {
        qInfo().noquote() << QStringLiteral(
            "=== OtherSetForm usb_receive_reset_keyboard 未在恢复出厂设置 ===");
        return;
    }
    closeDialog();
    mResetting = false;
    MessageBox::information(window(), tr("提示"), tr("恢复出厂设置成功！"));
    // The keyboard's configuration is new: go back to the device page, which
    // reads it again.
    emit navigateRequested(PageDevice);
}

// ------------------------------------------------------------ firmware data

void OtherSetForm::on_fireDataBtn_clicked() {
    const QString path = FileDialog::getOpenFileName(window(), tr("选择固件数据文件"), QString(),
                                                     tr("固件数据文件(*.bin);;所有文件(*)"));
    if (path.isEmpty()) return;
    FirmwareFile data;
    const FirmwareFile::Status status = data.load(path, FirmwareFile::FirmwareData);
    if (status == FirmwareFile::CannotOpen) {
        MessageBox::information(window(), tr("提示"), tr("打开文件失败！"));
        return;
    }
    UsbCommunicateUtil* e = engine();
    if (status != FirmwareFile::Ok || !e) {
        qInfo().noquote() << QStringLiteral("=== OtherSetForm 固件数据不匹配 size={%1};%2 ===")
                                 .arg(data.size())
                                 .arg(FirmwareFile::statusText(status));
        MessageBox::information(window(), tr("提示"), tr("固件数据不匹配！"));
        return;
    }
    mData = data;
    mDataPayload = gUsbDataMaxsize;
    mDataTotal = quint16(mData.frameCount(mDataPayload));
    mDataFrame = 1;
    mDataOpen = true;
    openDialog(tr("下载固件数据中，请不要执行其他操作"), false);
    sendDataFrame();
}

void OtherSetForm::sendDataFrame() {
    const QByteArray block = mData.frame(mDataFrame, mDataPayload);
    if (UsbCommunicateUtil* e = engine())
        e->downloadFirewareData(source(), true, mDataFrame, int(block.size()), block);
}

void OtherSetForm::usb_receive_download_fireware_data(uchar source, int current, int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    if (!acceptSource(source, "usb_receive_download_fireware_data")) return;
    if (!mDataOpen) return;
    if (mDialog)
        mDialog->setProgressValue(
            percent(mData.bytesSentAfter(mDataFrame, mDataPayload), mData.size()));
    ++mDataFrame;
    if (mDataFrame <= mDataTotal) {
        sendDataFrame();
        return;
    }
    if (mDialog) mDialog->setProgressValue(100);
    closeDialog();
    releaseData();
    toast(tr("固件数据下载成功！"));
}

void OtherSetForm::usb_receive_download_fireware_data_end(uchar source, int current, int total) {
    // The data transfer has no end command; kept for answers that carry one.
    Q_UNUSED(current)
    Q_UNUSED(total)
    acceptSource(source, "usb_receive_download_fireware_data_end");
}

void OtherSetForm::releaseData() {
    mDataOpen = false;
    mData = FirmwareFile();
    mDataFrame = 1;
    mDataTotal = 0;
}

// ------------------------------------------------------------ errors

void OtherSetForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
    if (source != this->source()) return;
    closeDialog();
    switch (order) {
        case UsbProtocol::answerOf(UsbProtocol::ResetKeyboard):
            mResetting = false;
            MessageBox::information(window(), tr("提示"), tr("恢复出厂设置失败！"));
            break;
        case UsbProtocol::answerOf(UsbProtocol::DownloadFirewareKeyboard):
        case UsbProtocol::answerOf(UsbProtocol::DownloadFirewareKeyboardEnd):
            if (!mFirmwareOpen) break;
            releaseFirmware();
            MessageBox::information(window(), tr("提示"), tr("下载固件失败！"));
            break;
        case UsbProtocol::answerOf(UsbProtocol::DownloadFirewareData):
            if (!mDataOpen) break;
            releaseData();
            MessageBox::information(window(), tr("提示"), tr("下载固件数据失败！"));
            break;
        default:
            break;
    }
}
