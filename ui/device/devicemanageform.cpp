#include "ui/device/devicemanageform.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include "bluetooth/bluetoothmanager.h"
#include "catalogue/productdatautil.h"
#include "common/apppaths.h"
#include "jobs/syncconfigutil.h"
#include "link/linkerrors.h"
#include "link/usbhidutil.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "services/systemconfigutil.h"
#include "ui/device/qdeviceaddwidget.h"
#include "ui/device/udevruleinstaller.h"
#include "ui/pageindex.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "ui_devicemanageform.h"
#include "update/downloadfolder.h"
#include "update/filedownloadutil.h"
#include "update/packageunpacker.h"
#include "update/updateserver.h"

namespace {
bool gFirmwareMode = false;

SystemConfigUtil* settings() {
    return SystemConfigUtil::instance();
}

bool isPlainFolderName(const QString& name) {
    return !name.trimmed().isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           AppPaths::isSafeDataName(name);
}
}  // namespace

DeviceManageForm::DeviceManageForm(QWidget* parent)
    : BasePage(0, parent),
      ui(std::make_unique<Ui::DeviceManageForm>()),
      mDownloader(std::make_shared<FileDownloadUtil>()) {
    ui->setupUi(this);
    ui->permissionLabel->hide();
    ui->fixPermissionButton->hide();
    mRuleInstaller = new UdevRuleInstaller(this);
    connect(ui->fixPermissionButton, &QPushButton::clicked, this, &DeviceManageForm::fixPermission);
    connect(mRuleInstaller, &UdevRuleInstaller::finished, this,
            &DeviceManageForm::permissionFixFinished);

    mSyncWatchdog = new QTimer(this);
    mSyncWatchdog->setSingleShot(true);
    mSyncWatchdog->setInterval(kSyncSilenceMs);
    connect(mSyncWatchdog, &QTimer::timeout, this, &DeviceManageForm::onSyncSilent);
    mSyncDialogDelay = new QTimer(this);
    mSyncDialogDelay->setSingleShot(true);
    mSyncDialogDelay->setInterval(kSyncDialogDelayMs);
    connect(mSyncDialogDelay, &QTimer::timeout, this, [this] {
        if (mSync && mSyncValue > 9) openSyncDialog();
    });

    connectDownloader();
    if (BluetoothManager* bluetooth = BluetoothManager::instance())
        connect(bluetooth, &BluetoothManager::ble_discovery_finished, this,
                &DeviceManageForm::ble_discovery_finished);
    if (UsbCommunicateUtil* e = engine()) {
        connect(e, &UsbCommunicateUtil::protocol_device_connected, this,
                &DeviceManageForm::protocol_device_connected);
        connect(e, &UsbCommunicateUtil::usb_communicate_error, this,
                &DeviceManageForm::usb_communicate_error);
        connect(e, &UsbCommunicateUtil::usb_receive_connect_wireless_device, this,
                &DeviceManageForm::usb_receive_connect_wireless_device);
        connect(e, &UsbCommunicateUtil::protocol_device_disconnected, this,
                &DeviceManageForm::protocol_device_disconnected);
    }
    // The grid holds the same tile whatever is plugged in: built once.
    buildGrid();
    logLine(QStringLiteral("设备管理页面初始化"));
}

DeviceManageForm::~DeviceManageForm() {
    stopSync();
    discardDialog();
    mDownloader->disconnect(this);
    logLine(QStringLiteral("设备管理页面销毁"));
}

void DeviceManageForm::connectDownloader() {
    connect(mDownloader.get(), &FileDownloadUtil::download_progress, this,
            &DeviceManageForm::onDownloadProgress);
    connect(mDownloader.get(), &FileDownloadUtil::download_finished, this,
            &DeviceManageForm::onDownloadFinished);
    connect(mDownloader.get(), &FileDownloadUtil::download_error, this,
            &DeviceManageForm::onUpdateError);
}

void DeviceManageForm::cancelDownload() {
    qInfo().noquote() << QStringLiteral("=== DeviceManageForm 取消下载 ===");
    discardDialog();
    mPackageFolder.clear();
    // The downloader goes with its transfer: it aborts the reply, drops the
    // unfinished file and reports nothing, so nothing is unpacked and the
    // page stays where it is. The next download gets a fresh one.
    mDownloader->disconnect(this);
    mDownloader = std::make_shared<FileDownloadUtil>();
    connectDownloader();
}

void DeviceManageForm::setFirmwareMode(bool on) {
    gFirmwareMode = on;
}

bool DeviceManageForm::firmwareMode() {
    return gFirmwareMode;
}

QString DeviceManageForm::dataFolderName() {
    KeyboardConfigUtil* m = model();
    if (!m || !m->keyboardProduct) return QString();
    const QString reported =
        m->keyboardProductInfo ? m->keyboardProductInfo->productName.trimmed() : QString();
    if (isPlainFolderName(reported)) return reported;
    const QString data = m->keyboardProduct->productData.trimmed();
    return isPlainFolderName(data) ? data : QString();
}

QString DeviceManageForm::permissionText() const {
    return ui->permissionLabel->isHidden() ? QString() : ui->permissionLabel->text();
}

void DeviceManageForm::enter() {
    if (UsbCommunicateUtil* e = UsbCommunicateUtil::instance()) e->closeCommunicate();
    if (KeyboardConfigUtil* m = KeyboardConfigUtil::instance()) m->resetData();
    refresh(true);
}

void DeviceManageForm::leave() {
    discardDialog();
}

void DeviceManageForm::refreshLanguageUi() {
    BasePage::refreshLanguageUi();
    const bool hint = !ui->permissionLabel->isHidden();
    ui->retranslateUi(this);
    showPermissionHint(hint);
    mTile->refreshLanguageUi();
}

void DeviceManageForm::refresh(bool autoOpen) {
    if (autoOpen && !gFirmwareMode) openDevice(false);
}

void DeviceManageForm::buildGrid() {
    mTile = new QDeviceAddWidget(0, 0, ui->device_scroll_area_widget_contents);
    mTile->setObjectName(QStringLiteral("deviceAddWidget"));
    connect(mTile, &QDeviceAddWidget::device_clicked, this, &DeviceManageForm::grid_Layout_Clicked);
    ui->gridLayout->addWidget(mTile, 0, 0, Qt::AlignCenter);
    for (int col = 1; col < 3; ++col) {
        auto* filler = new QWidget(ui->device_scroll_area_widget_contents);
        filler->setMinimumSize(mTile->minimumSize());
        ui->gridLayout->addWidget(filler, 0, col, Qt::AlignCenter);
    }
    for (int col = 0; col < 3; ++col) ui->gridLayout->setColumnStretch(col, 1);
}

void DeviceManageForm::grid_Layout_Clicked(int flag, int row, int col) {
    qInfo().noquote() << QStringLiteral("grid_Layout_Clicked flag:{ %1 }; row:{ %2 }; col:{ %3 }")
                             .arg(flag)
                             .arg(row)
                             .arg(col);
    if (flag == 0) openDevice(true);
}

void DeviceManageForm::openDevice(bool fromClick) {
    if (gFirmwareMode) return;
    UsbCommunicateUtil* e = engine();
    if (!e) return;
    if (fromClick) e->closeCommunicate();
    showPermissionHint(false);
    const int type = settings() ? settings()->commType() : 0;
    if (type == 1) {
        BluetoothManager* bluetooth = BluetoothManager::instance();
        if (!bluetooth) {
            toast(tr("未搜索到蓝牙"));
            return;
        }
        openProgressDialog(tr("正在搜索蓝牙，请稍候..."), false);
        mDialog->setRange(0, 0);
        connect(mDialog, &QProgressDialog::canceled, this, [this] {
            if (BluetoothManager* b = BluetoothManager::instance()) b->stopDeviceDiscovery();
            discardDialog();
        });
        // A search that cannot start reports ble_discovery_finished(false)
        // from the event loop; the busy dialog must not wait for it.
        if (!bluetooth->startDeviceDiscovery()) discardDialog();
        return;
    }
    UsbHidUtil* hid = UsbHidUtil::instance();
    if (hid && hid->connectedCount() > 0) e->openCommunicate(0);
}

void DeviceManageForm::ble_discovery_finished(bool flag) {
    discardDialog();
    if (flag) {
        if (UsbCommunicateUtil* e = engine()) e->openCommunicate(1);
        return;
    }
    BluetoothManager* bluetooth = BluetoothManager::instance();
    const auto failure =
        bluetooth ? bluetooth->discoveryFailure() : BluetoothManager::DiscoveryFailure::NoAdapter;
    switch (failure) {
        case BluetoothManager::DiscoveryFailure::NoAdapter:
            toast(tr("未找到可用的蓝牙适配器"));
            break;
        case BluetoothManager::DiscoveryFailure::PoweredOff:
            toast(tr("蓝牙未开启"));
            break;
        default:
            toast(tr("未搜索到蓝牙"));
            break;
    }
}

void DeviceManageForm::protocol_device_connected() {
    if (UsbCommunicateUtil* e = engine()) e->communicateDevice();
    startSync();
}

void DeviceManageForm::usb_receive_connect_wireless_device(uchar state) {
    if (state == 1) {
        startSync();
        return;
    }
    emit navigateRequested(PageDevice);
}

void DeviceManageForm::startSync() {
    stopSync();
    showPermissionHint(false);
    mSyncDialogDismissed = false;
    mSyncValue = 0;
    mSync = new SyncConfigUtil(1, 0, 0, QString());
    connect(mSync, &SyncConfigUtil::sync_config_result, this,
            &DeviceManageForm::sync_config_result);
    mSyncWatchdog->start();
    mSyncDialogDelay->start();
}

void DeviceManageForm::stopSync() {
    mSyncWatchdog->stop();
    mSyncDialogDelay->stop();
    if (!mSync) return;
    mSync->disconnect(this);
    mSync->deleteLater();
    mSync = nullptr;
}

void DeviceManageForm::onSyncSilent() {
    if (!mSync) return;
    qInfo().noquote() << QStringLiteral("=== DeviceManageForm 同步超时 ===");
    sync_config_result(false, 0);
}

void DeviceManageForm::openSyncDialog() {
    // Once the user has put the dialog away it stays away for this read.
    if (mDialog || mSyncDialogDismissed) return;
    openProgressDialog(tr("键盘数据同步中"), true);
    connect(mDialog, &QProgressDialog::canceled, this, [this] {
        mSyncDialogDismissed = true;
        discardDialog();
    });
    mDialog->setProgressValue(mSyncValue);
}

void DeviceManageForm::sync_config_result(bool status, int value) {
    if (status && value < 100) {
        if (mSync) mSyncWatchdog->start();
        mSyncValue = value;
        if (value > 9 && !mDialog && !mSyncDialogDelay->isActive()) openSyncDialog();
        if (mDialog) mDialog->setProgressValue(value);
        return;
    }
    stopSync();
    discardDialog();
    if (!status) {
        toast(tr("读取配置失败"));
        return;
    }
    continueWithProduct(false);
}

void DeviceManageForm::continueWithProduct(bool catalogueJustReplaced) {
    KeyboardConfigUtil* m = model();
    if (!m || !m->keyboardProductInfo) return;
    if (m->loadProduct(m->keyboardProductInfo->serialNumber)) {
        const QString folder = dataFolderName();
        const QString path = AppPaths::readableDataFile(folder);
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            emit navigateRequested(PageKey);
            return;
        }
        downloadPackage();
        return;
    }
    if (!catalogueJustReplaced && settings() && settings()->isCatalogueCheckDue()) {
        downloadCatalogue();
        return;
    }
    noMatchingProduct();
}

void DeviceManageForm::downloadPackage() {
    KeyboardConfigUtil* m = model();
    mPackageFolder = dataFolderName();
    const QString name = m->keyboardProduct->productData.toLower();
    openProgressDialog(tr("键盘数据同步中"), true);
    connect(mDialog, &QProgressDialog::canceled, this, &DeviceManageForm::cancelDownload);
    mDownloader->download(
        FileDownloadUtil::Package, UpdateServer::url(UpdateServer::packagePath(name)),
        DownloadFolder::filePath(QFileInfo(name).fileName() + QStringLiteral(".zip")));
}

void DeviceManageForm::downloadCatalogue() {
    openProgressDialog(tr("键盘数据同步中"), true);
    connect(mDialog, &QProgressDialog::canceled, this, &DeviceManageForm::cancelDownload);
    mDownloader->download(FileDownloadUtil::Catalogue,
                          UpdateServer::url(UpdateServer::cataloguePath()),
                          DownloadFolder::filePath(QStringLiteral("velmora.db3")));
}

void DeviceManageForm::noMatchingProduct() {
    if (UsbCommunicateUtil* e = engine()) e->closeCommunicate();
    if (KeyboardConfigUtil* m = model()) m->resetData();
    toast(tr("没有匹配的产品，请联系厂家同步更新"));
}

void DeviceManageForm::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal) {
    if (!mDialog) return;
    if (bytesTotal > 0) {
        // The bar counts in kilobytes, so large files stay within an int.
        mDialog->setMaximum(int(qMin<qlonglong>(bytesTotal / 1024 + 1, INT_MAX)));
        mDialog->setProgressValue(int(qMin<qlonglong>(bytesReceived / 1024, INT_MAX)));
    }
}

void DeviceManageForm::onDownloadFinished(int type, QString filePath) {
    discardDialog();
    if (type == FileDownloadUtil::Catalogue) {
        if (settings()) settings()->markCatalogueChecked();
        ProductDataUtil* catalogue = ProductDataUtil::instance();
        if (!catalogue || !catalogue->replaceDatabase(filePath)) {
            QFile::remove(filePath);
            toast(tr("更新错误") + QStringLiteral("Cannot replace the catalogue"));
            return;
        }
        continueWithProduct(true);
        return;
    }
    if (type != FileDownloadUtil::Package) return;
    // Into the folder the page looks for (see dataFolderName): the archive's
    // own name is the product word in lower case, which on a case-sensitive
    // file system would be another folder.
    QString folder = mPackageFolder;
    if (folder.isEmpty()) folder = QFileInfo(filePath).fileName().section(QLatin1Char('.'), 0, 0);
    const QString target = AppPaths::writableDataFile(folder);
    QString error;
    const bool unpacked = !target.isEmpty() && PackageUnpacker::unpack(filePath, target, &error);
    QFile::remove(filePath);
    mPackageFolder.clear();
    if (!unpacked) {
        toast(tr("更新错误") + (error.isEmpty() ? QStringLiteral("Cannot unpack package") : error));
        return;
    }
    UsbCommunicateUtil* e = engine();
    if (e && e->isConnected() && model() && model()->keyboardProduct)
        emit navigateRequested(PageKey);
}

void DeviceManageForm::onUpdateError(int type, QString error) {
    Q_UNUSED(type);
    // The road ends here: nothing will move the dialog on any more.
    discardDialog();
    mPackageFolder.clear();
    toast(tr("更新错误") + error);
}

void DeviceManageForm::usb_communicate_error(uchar source, uchar order, int error) {
    if (source != 0 && source != 11) return;
    logUsbError(source, order, error);
    discardDialog();
    if (error != LinkError::OpenFailed && error != LinkError::NotConnected) return;
    const bool denied = UsbHidUtil::lastOpenDenied();
    toast(tr("打开设备失败"));
    if (UsbCommunicateUtil* e = engine()) e->closeCommunicate();
    if (settings()) settings()->setCommType(0);
    emit navigateRequested(PageDevice);
    showPermissionHint(denied);
}

void DeviceManageForm::protocol_device_disconnected() {
    qInfo().noquote() << QStringLiteral("=== protocol_device_disconnected 关闭蓝牙设备 ===");
    stopSync();
    discardDialog();
    if (UsbCommunicateUtil* e = engine()) e->closeCommunicate();
    if (settings()) settings()->setCommType(0);
    emit navigateRequested(PageDevice);
}

void DeviceManageForm::openProgressDialog(const QString& label, bool showBar) {
    discardDialog();
    mDialog = QCustomProgressDialog::open(this, label, QString(), 0, 100, showBar);
}

void DeviceManageForm::discardDialog() {
    if (!mDialog) return;
    QCustomProgressDialog* dialog = mDialog;
    mDialog = nullptr;
    dialog->disconnect(this);
    dialog->close();
    dialog->deleteLater();
}

void DeviceManageForm::showPermissionHint(bool show) {
    if (!show) {
        ui->permissionLabel->hide();
        ui->fixPermissionButton->hide();
        return;
    }
    ui->permissionLabel->setText(tr("这台电脑不允许当前用户打开键盘（缺少 udev "
                                    "规则）。请在终端运行下面的命令安装规则，然后重新插拔键盘：") +
                                 QStringLiteral("\n") +
                                 UdevRuleInstaller::manualCommand(UdevRuleInstaller::ruleFile()));
    ui->permissionLabel->show();
    // Without pkexec (or without the rule file) the command is all we offer.
    ui->fixPermissionButton->setVisible(UdevRuleInstaller::available());
    ui->fixPermissionButton->setEnabled(!mRuleInstaller->isRunning());
}

bool DeviceManageForm::canFixPermission() const {
    return !ui->fixPermissionButton->isHidden() && ui->fixPermissionButton->isEnabled();
}

void DeviceManageForm::fixPermission() {
    if (!mRuleInstaller->start()) {
        toast(tr("无法安装 udev 规则"));
        return;
    }
    ui->fixPermissionButton->setEnabled(false);
}

void DeviceManageForm::permissionFixFinished(bool ok, const QString& error) {
    ui->fixPermissionButton->setEnabled(true);
    if (!ok) {
        toast(tr("修复失败：%1").arg(error));
        return;
    }
    toast(tr("udev 规则已安装，正在重新打开键盘"));
    openDevice(true);
}
