#include "ui/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QFile>
#include <QSaveFile>
#include <QStandardItemModel>
#include <QTimer>

// Complete before the page headers that hold pointers to it.
#include "services/customtooltip.h"
#include "services/hidwatcher.h"
#include "services/qtoastbox.h"
#include "services/services.h"
#include "services/singleinstance.h"
#include "services/systemconfigutil.h"
#include "services/tooltiputil.h"
#include "link/usbhidutil.h"
#include "link/usbprotocol.h"
#include "jobs/configwritedatabase.h"
#include "jobs/importconfigutil.h"
#include "model/keyboardconfigutil.h"
#include "jobs/profileapply.h"
#include "model/profilejson.h"
#include "jobs/profileplan.h"
#include "jobs/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/configtablepanel.h"
#include "ui/device/devicemanageform.h"
#include "ui/jobrunner.h"
#include "ui/pages/align/alignsetform.h"
#include "ui/pages/firmware/firewaremanageform.h"
#include "ui/pages/highkey/highkeyform.h"
#include "ui/pages/key/keysetform.h"
#include "ui/pages/light/lightsetform.h"
#include "ui/pages/macro/macrosetform.h"
#include "ui/pages/other/othersetform.h"
#include "ui/pages/performance/performancesetform.h"
#include "ui/pages/system/systemsetform.h"
#include "ui/qconfiglistdelegate.h"
#include "ui/importpreview/importpreviewdialog.h"
#include "ui/widgets/filedialog.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "ui_mainwindow.h"

namespace {
bool gFirewareUnlocked = false;

template <class T>
BasePage* make(QWidget* parent) {
    return new T(parent);
}

void logLine(const QString& text) {
    qInfo().noquote() << text;
}

UsbCommunicateUtil* engine() {
    return UsbCommunicateUtil::instance();
}

KeyboardConfigUtil* model() {
    return KeyboardConfigUtil::instance();
}

// Why an import was refused, when the file's per-key tables name other keys
// than the keyboard holds: the key by its factory label where it has one.
QString keyMismatchText(const ImportConfigUtil::KeyMismatch& mismatch) {
    QString key = QString::number(mismatch.key);
    if (KeyboardConfigUtil* m = model()) {
        const DefaultKeyPtr factory = m->defaultKey(quint8(mismatch.key), 0);
        if (factory && !factory->label.isEmpty()) key = factory->label;
    }
    return mismatch.missing
               ? MainWindow::tr("导入配置失败：此文件来自按键布局不同的键盘，缺少按键 %1").arg(key)
               : MainWindow::tr(
                     "导入配置失败：此文件来自按键布局不同的键盘，含有本键盘没有的按键 %1")
                     .arg(key);
}
}  // namespace

// The one list of pages, in the order they are created; `index` is the
// place in the page stack.
const std::vector<MainWindow::PageRow>& MainWindow::pageTable() {
    static const std::vector<PageRow> rows = {
        {PageDevice, make<DeviceManageForm>}, {PageFireware, make<FirewareManageForm>},
        {PageSystem, make<SystemSetForm>},    {PageKey, make<KeySetForm>},
        {PageLight, make<LightSetForm>},      {PageHighKey, make<HighKeyForm>},
        {PageMacro, make<MacroSetForm>},      {PagePerformance, make<PerformanceSetForm>},
        {PageAlign, make<AlignSetForm>},      {PageOther, make<OtherSetForm>},
    };
    return rows;
}

const MainWindow::PageRow* MainWindow::rowOf(int index) const {
    for (const PageRow& row : pageTable())
        if (row.index == index) return &row;
    return nullptr;
}

MainWindow::MainWindow(const QString& serverName, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()) {
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);

    createPages();
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this,
            &MainWindow::stackedWidgetChange);
    if (SystemConfigUtil* config = SystemConfigUtil::instance()) {
        connect(config, &SystemConfigUtil::languageChanged, this, &MainWindow::refreshLanguageUi);
        for (BasePage* page : mPages)
            connect(config, &SystemConfigUtil::languageChanged, page, &BasePage::refreshLanguageUi);
    }

    ui->configListView->setItemDelegate(new QConfigListDelegate(ui->configListView));
    mJobs = new JobRunner(this);
    connect(mJobs, &JobRunner::syncEnded, this, &MainWindow::onSyncEnded);
    connect(mJobs, &JobRunner::exportEnded, this, &MainWindow::onExportEnded);
    connect(mJobs, &JobRunner::importEnded, this, &MainWindow::onImportEnded);
    mTables = new ConfigTablePanel(
        ui->configListView, ui->optWidget, ui->deButton, mJobs,
        [this](std::function<void()> then) { afterLeavingCalibration(std::move(then)); }, this);
    connect(mTables, &ConfigTablePanel::toastRequested, this, &MainWindow::toast);

    mHidWatcher = std::make_shared<HidWatcher>();
    connect(mHidWatcher.get(), &HidWatcher::deviceConnected, this, &MainWindow::deviceConnected);
    connect(mHidWatcher.get(), &HidWatcher::deviceDisconnected, this,
            &MainWindow::deviceDisconnected);

    ui->stackedWidget->setCurrentIndex(PageDevice);
    mShownIndex = PageDevice;
    if (UsbHidUtil* hid = UsbHidUtil::instance()) mUsbPresent = hid->connectedCount() > 0;
    refreshDevicePage(true);
    mPreviousPageIndex = PageNone;
    applyLeftColumn(PageDevice);

    if (ToolTipUtil* tips = ToolTipUtil::instance()) {
        tips->setToolTip(ui->deviceButton, QStringLiteral("MainWindow/deviceButton"));
        tips->setToolTip(ui->firewareButton, QStringLiteral("MainWindow/firewareButton"));
        tips->setToolTip(ui->settingButton, QStringLiteral("MainWindow/settingButton"));
        tips->setToolTip(ui->addButton, QStringLiteral("MainWindow/addButton"));
        tips->setToolTip(ui->deButton, QStringLiteral("MainWindow/deButton"));
        tips->setToolTip(ui->exportButton, QStringLiteral("MainWindow/exportButton"));
        tips->setToolTip(ui->importButton, QStringLiteral("MainWindow/importButton"));
    }

    if (UsbCommunicateUtil* e = engine()) {
        connect(e, &UsbCommunicateUtil::protocol_device_disconnected, this,
                &MainWindow::protocol_device_disconnected);
    }

    createTrayIcon();

    mLocalServer = new QLocalServer(this);
    connect(mLocalServer, &QLocalServer::newConnection, this, &MainWindow::onNewConnection);
    if (!serverName.isEmpty()) listen(serverName);

    QPixmap logo(QCoreApplication::applicationDirPath() + QStringLiteral("/data/logo-plus.png"));
    if (!logo.isNull()) {
        const qreal ratio = devicePixelRatioF();
        logo = logo.scaled((QSizeF(ui->logoLabel->size()) * ratio).toSize(), Qt::KeepAspectRatio,
                           Qt::SmoothTransformation);
        logo.setDevicePixelRatio(ratio);
        ui->logoLabel->setScaledContents(false);
        ui->logoLabel->setPixmap(logo);
        ui->logoLabel->setAlignment(Qt::AlignCenter);
    }

    const bool bluetooth =
        SystemConfigUtil::instance() && SystemConfigUtil::instance()->commType() == 1;
    ui->main_ble_radio->setChecked(bluetooth);
    ui->main_usb_radio->setChecked(!bluetooth);
}

MainWindow::~MainWindow() {
    // Jobs report into this window; they go before it.
    delete mJobs;
    if (mTrayIcon) mTrayIcon->hide();
    delete mTrayMenu;
}

void MainWindow::createPages() {
    mPages.assign(PageCount, nullptr);
    for (const PageRow& row : pageTable()) mPages[size_t(row.index)] = row.create(this);
    for (int index = 0; index < PageCount; ++index) {
        BasePage* page = mPages[size_t(index)];
        ui->stackedWidget->insertWidget(index, page);
        connect(page, &BasePage::navigateRequested, this, &MainWindow::showPage);
        if (auto* system = qobject_cast<SystemSetForm*>(page))
            connect(system, &SystemSetForm::firewarePageUnlocked, this,
                    [] { setFirewarePageUnlocked(true); });
    }
}

BasePage* MainWindow::page(int index) const {
    return index >= 0 && index < int(mPages.size()) ? mPages[size_t(index)] : nullptr;
}

int MainWindow::currentPageIndex() const {
    return ui->stackedWidget->currentIndex();
}

void MainWindow::showPage(int index) {
    if (index < 0 || index >= PageCount || index == ui->stackedWidget->currentIndex()) return;
    ui->stackedWidget->setCurrentIndex(index);
}

bool MainWindow::isFirewarePageUnlocked() {
    return gFirewareUnlocked;
}

void MainWindow::setFirewarePageUnlocked(bool unlocked) {
    gFirewareUnlocked = unlocked;
}

bool MainWindow::isListBlocked() const {
    return mTables->isBlocked();
}

QProgressDialog* MainWindow::progressDialog() const {
    return mJobs->progressDialog();
}

void MainWindow::setJobSilenceMs(int ms) {
    mJobs->setSilenceMs(ms);
    mTables->setSilenceMs(ms);
}

// ------------------------------------------------------------ page change

void MainWindow::stackedWidgetChange(int index) {
    if (BasePage* left = page(mShownIndex)) left->leave();
    mShownIndex = index;
    // Each page keeps its own rules of entry; it learns where the user came from.
    if (BasePage* entered = page(index)) entered->enterFrom(mPreviousPageIndex);
    mPreviousPageIndex = index;
    applyLeftColumn(index);
}

void MainWindow::applyLeftColumn(int index) {
    const bool device = index == PageDevice;
    const bool setting = index >= PageKey && index <= PageOther;
    ui->deviceButton->setVisible(device);
    ui->main_group_box->setVisible(device);
    ui->firewareButton->setVisible(!setting && gFirewareUnlocked);
    ui->deviceButton->setChecked(device);
    ui->settingButton->setChecked(index == PageSystem);
    ui->firewareButton->setChecked(index == PageFireware);
    for (QWidget* w :
         {static_cast<QWidget*>(ui->addButton), static_cast<QWidget*>(ui->importButton),
          static_cast<QWidget*>(ui->exportButton), static_cast<QWidget*>(ui->useTitleLabel),
          static_cast<QWidget*>(ui->productNameLabel), static_cast<QWidget*>(ui->configListView),
          static_cast<QWidget*>(ui->optWidget)})
        w->setVisible(setting);
    ui->deButton->setVisible(false);
    mTables->setPlace(setting, index != PageDevice && index != PageFireware);
    if (!setting) return;
    KeyboardConfigUtil* m = model();
    ui->productNameLabel->setText(m && m->keyboardProduct ? m->keyboardProduct->productName
                                                          : QString());
    rebuildConfigList();
}

// ------------------------------------------------------------ title bar

void MainWindow::on_minButton_clicked() {
    showMinimized();
}

void MainWindow::on_maxButton_clicked() {
    if (isMaximized()) {
        setWindowState(windowState() & ~Qt::WindowMaximized);
        showNormal();
        logLine(QStringLiteral("Window restored to normal size."));
    } else {
        setWindowState(windowState() | Qt::WindowMaximized);
        logLine(QStringLiteral("Window maximized."));
    }
    update();
}

void MainWindow::on_exitButton_clicked() {
    close();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton &&
        ui->titleWidget->geometry().contains(
            ui->titleWidget->parentWidget()->mapFrom(this, event->position().toPoint()))) {
        mDragging = true;
        mDragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (mDragging && (event->buttons() & Qt::LeftButton) && !isMaximized())
        move(event->globalPosition().toPoint() - mDragOffset);
    QMainWindow::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    mDragging = false;
    QMainWindow::mouseReleaseEvent(event);
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (ui->titleWidget->geometry().contains(
            ui->titleWidget->parentWidget()->mapFrom(this, event->position().toPoint())))
        on_maxButton_clicked();
    QMainWindow::mouseDoubleClickEvent(event);
}

// ------------------------------------------------------------ navigation

void MainWindow::on_deviceButton_clicked() {
    showPage(PageDevice);
    applyLeftColumn(currentPageIndex());
}

void MainWindow::on_settingButton_clicked() {
    showPage(PageSystem);
    applyLeftColumn(currentPageIndex());
}

void MainWindow::on_firewareButton_clicked() {
    showPage(PageFireware);
    applyLeftColumn(currentPageIndex());
}

void MainWindow::refreshDevicePage(bool autoOpen) {
    if (auto* device = qobject_cast<DeviceManageForm*>(page(PageDevice))) device->refresh(autoOpen);
}

void MainWindow::leaveCalibration(bool tellKeyboard) {
    if (auto* align = qobject_cast<AlignSetForm*>(page(PageAlign)))
        align->leaveCalibration(tellKeyboard);
}

// ------------------------------------------------------------ configuration tables

void MainWindow::afterLeavingCalibration(std::function<void()> then) {
    leaveCalibration(true);
    // Gives the keyboard time to end calibration before the next command;
    // the list is already blocked, so nothing else starts meanwhile.
    QTimer::singleShot(100, this, [then = std::move(then)] { then(); });
}

void MainWindow::on_addButton_clicked() {
    mTables->add();
}

void MainWindow::on_deButton_clicked() {
    mTables->removeSelected();
}

void MainWindow::setListBlocked(bool blocked) {
    mTables->setBlocked(blocked);
}

void MainWindow::rebuildConfigList() {
    mTables->rebuild();
}

// ------------------------------------------------------------ sync, export, import

void MainWindow::onSyncEnded(bool ok, int error) {
    setListBlocked(false);
    if (!ok) {
        toast(JobRunner::failureText(tr("读取配置失败"), error));
        rebuildConfigList();
    } else {
        if (BasePage* light = page(PageLight)) light->update();
        refreshAfterSync();
    }
    mTables->runDeferredSwitch();
}

void MainWindow::refreshAfterSync() {
    rebuildConfigList();
    ui->productNameLabel->setText(
        model() && model()->keyboardProduct ? model()->keyboardProduct->productName : QString());
    const int shown = currentPageIndex();
    if (shown >= PageKey && shown <= PageOther) page(shown)->enter();
    emit configurationRefreshed();
}

void MainWindow::on_exportButton_clicked() {
    const QString path = FileDialog::getSaveFileName(
        this, tr("保存文件"), QString(),
        tr("配置文件 (*.aaa);; 可读配置 (*.json);; 所有文件 (*.*)"));
    if (path.isEmpty()) return;
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
        // A few kilobytes from the model: written at once, replaced whole.
        QSaveFile file(path);
        const QByteArray bytes = model() ? ProfileJson::write(*model()) : QByteArray();
        const bool ok = !bytes.isEmpty() && file.open(QIODevice::WriteOnly) &&
                        file.write(bytes) == bytes.size() && file.commit();
        toast(ok ? tr("写入配置成功") : tr("写入配置失败"));
        return;
    }
    setListBlocked(true);
    afterLeavingCalibration([this, path] { mJobs->startExport(path); });
}

void MainWindow::onExportEnded(bool ok, int error) {
    setListBlocked(false);
    toast(ok ? tr("写入配置成功") : JobRunner::failureText(tr("写入配置失败"), error));
    mTables->runDeferredSwitch();
}

void MainWindow::on_importButton_clicked() {
    const QString path = FileDialog::getOpenFileName(
        this, tr("选择配置文件"), QString(),
        tr("配置文件(*.aaa *.json);;可读配置(*.json);;所有文件(*)"));
    if (path.isEmpty()) return;
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive)) {
        QFile file(path);
        const QByteArray bytes =
            file.open(QIODevice::ReadOnly) ? file.read(ProfileJson::MaxBytes + 1) : QByteArray();
        importProfile(bytes);
        return;
    }
    setListBlocked(true);
    afterLeavingCalibration([this, path] { mJobs->startImport(path); });
}

// A readable profile: checked whole, previewed, then only the chosen
// sections are written.
void MainWindow::importProfile(const QByteArray& bytes) {
    Profile profile;
    ProfileJson::Error error;
    if (!ProfileJson::read(bytes, &profile, &error)) {
        MessageBox::warning(this, tr("导入配置失败"), ImportPreviewDialog::errorText(error));
        return;
    }
    KeyboardConfigUtil* m = model();
    if (!m) return;
    ProfilePlan plan;
    if (!ProfilePlan::build(profile, *m, Profile::AllSections, &plan, &error)) {
        MessageBox::warning(this, tr("导入配置失败"), ImportPreviewDialog::errorText(error));
        return;
    }
    auto* preview = new ImportPreviewDialog(profile, *m, this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    // The preview cannot outlive the keyboard it compares with.
    if (UsbCommunicateUtil* e = engine())
        connect(e, &UsbCommunicateUtil::protocol_device_disconnected, preview, &QDialog::reject);
    connect(preview, &QDialog::accepted, this, [this, preview, profile] {
        KeyboardConfigUtil* now = model();
        ProfilePlan chosen;
        ProfileJson::Error why;
        if (!now || !ProfilePlan::build(profile, *now, preview->chosenSections(), &chosen, &why))
            return;
        setListBlocked(true);
        afterLeavingCalibration([this, chosen] { mJobs->startProfileImport(chosen); });
    });
    preview->open();
}

void MainWindow::onImportEnded(bool ok, int error, const ImportConfigUtil::KeyMismatch& mismatch) {
    setListBlocked(false);
    if (!ok) {
        if (error == ImportConfigUtil::ErrorKeySet && mismatch.key >= 0)
            toast(keyMismatchText(mismatch));
        else if (error == ImportConfigUtil::ErrorHighKeySlots)
            toast(tr("导入配置失败：此文件的高级键多于本键盘能保存的数量"));
        else if (error == ProfileApply::ErrorCancelled)
            toast(tr("导入已取消，已写入的部分保留在键盘中"));
        else if (error == ProfileApply::ErrorMismatch)
            showReadBackDifferences();
        else
            toast(JobRunner::failureText(tr("导入配置失败"), error));
        rebuildConfigList();
        // The read-back left the model as the keyboard holds it.
        if (error == ProfileApply::ErrorMismatch) refreshAfterSync();
    } else {
        toast(tr("导入配置成功"));
        refreshAfterSync();
    }
    mTables->runDeferredSwitch();
}

void MainWindow::showReadBackDifferences() {
    QStringList lines;
    for (const ProfilePlan::Difference& d : mJobs->lastDifferences())
        lines << ImportPreviewDialog::differenceText(d);
    const int shown = 12;
    if (lines.size() > shown) {
        const int more = int(lines.size()) - shown;
        lines = lines.mid(0, shown);
        lines << tr("还有 %1 处").arg(more);
    }
    MessageBox::warning(this, tr("导入配置失败"),
                        tr("键盘中的值与写入的不一致：\n%1").arg(lines.join(QLatin1Char('\n'))));
}

void MainWindow::toast(const QString& text) {
    QToastBox::showToast(this, text);
}

// ------------------------------------------------------------ communication type and plugging

void MainWindow::on_main_ble_radio_clicked() {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config || config->commType() == 1) return;
    if (UsbCommunicateUtil* e = engine()) e->closeCommunicate();
    config->setCommType(1);
    refreshDevicePage(true);
}

void MainWindow::on_main_usb_radio_clicked() {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config || config->commType() == 0) return;
    if (UsbCommunicateUtil* e = engine()) e->closeCommunicate();
    config->setCommType(0);
    refreshDevicePage(true);
}

void MainWindow::protocol_device_disconnected() {
    if (UsbCommunicateUtil* e = engine()) e->closeCommunicate();
    if (SystemConfigUtil* config = SystemConfigUtil::instance()) config->setCommType(0);
    ui->main_usb_radio->setChecked(true);
    ui->main_ble_radio->setChecked(false);
    showPage(PageDevice);
    update();
}

void MainWindow::deviceConnected(QString) {
    UsbCommunicateUtil* e = engine();
    if (e && e->isBluetoothConnected()) {
        logLine(QStringLiteral("=== USB插入是，蓝牙设备已经在通讯 ==="));
        return;
    }
    if (mUsbPresent) {
        logLine(QStringLiteral("=== USB设备已检测过插入 ==="));
        return;
    }
    logLine(QStringLiteral("=== USB设备已插入 ==="));
    mUsbPresent = true;
    // The other interfaces of the same keyboard arrive meanwhile.
    QTimer::singleShot(100, this, [this] { refreshDevicePage(true); });
}

void MainWindow::deviceDisconnected(QString) {
    UsbCommunicateUtil* e = engine();
    if (e && e->isBluetoothConnected()) {
        logLine(QStringLiteral("=== USB拔出，蓝牙设备已经在通讯 ==="));
        return;
    }
    if (!mUsbPresent) {
        logLine(QStringLiteral("=== USB设备已检测过拔出 ==="));
        return;
    }
    logLine(QStringLiteral("=== USB设备已拔出 ==="));
    mUsbPresent = false;
    QTimer::singleShot(100, this, [this] {
        leaveCalibration(false);
        if (mPreviousPageIndex != PageDevice && mPreviousPageIndex != PageNone) {
            if (currentPageIndex() == PageDevice)
                stackedWidgetChange(PageDevice);
            else
                showPage(PageDevice);
        } else {
            refreshDevicePage(false);
        }
    });
}

// ------------------------------------------------------------ tray, hand-over, window state

QString MainWindow::trayTitle() {
    return tr("磁性键盘");
}

QString MainWindow::trayMessage() {
    return tr("点击恢复显示");
}

void MainWindow::createTrayIcon() {
    mTrayIcon = new QSystemTrayIcon(this);
    mTrayIcon->setIcon(
        QIcon(SystemConfigUtil::imageFolder(0) + QStringLiteral("game_keyboard.png")));
    mTrayIcon->setToolTip(QCoreApplication::applicationName());
    mTrayIcon->showMessage(trayTitle(), trayMessage(), QSystemTrayIcon::Information, 3000);

    // These four texts stay untranslated.
    mTrayMenu = new QMenu();
    mTrayMenu->addAction(QStringLiteral("窗口最小化"), this, &QWidget::hide);
    mTrayMenu->addAction(QStringLiteral("窗口最大化"), this, &QWidget::showMaximized);
    mTrayMenu->addAction(QStringLiteral("恢复原始大小"), this, &QWidget::showNormal);
    mTrayMenu->addSeparator();
    mTrayMenu->addAction(QStringLiteral("退出"), qApp, &QCoreApplication::quit);
    mTrayIcon->setContextMenu(mTrayMenu);

    connect(mTrayIcon, &QSystemTrayIcon::activated, this, &MainWindow::onTrayIconActivated);
    mTrayIcon->show();
}

bool MainWindow::listen(const QString& serverName) {
    mLocalServer->close();
    if (mLocalServer->listen(serverName)) return true;
    if (mLocalServer->serverError() == QAbstractSocket::AddressInUseError) {
        // Only a socket file that nobody answers on is stale.
        QLocalSocket probe;
        probe.connectToServer(serverName);
        const bool alive = probe.waitForConnected(1000);
        probe.abort();
        if (!alive) {
            QLocalServer::removeServer(serverName);
            if (mLocalServer->listen(serverName)) return true;
        }
    }
    qWarning().noquote() << QStringLiteral("=== MainWindow 本地服务监听失败:{ ") + serverName +
                                QStringLiteral(" },error:{ ") + mLocalServer->errorString() +
                                QStringLiteral(" } ===");
    return false;
}

void MainWindow::stopListening() {
    mLocalServer->close();
}

void MainWindow::bringToFront() {
    showNormal();
    activateWindow();
    setWindowState(Qt::WindowMaximized);
}

void MainWindow::onTrayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
        bringToFront();
    }
}

void MainWindow::onNewConnection() {
    while (QLocalSocket* socket = mLocalServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll() == SingleInstance::kActivateMessage) {
                bringToFront();
                emit activatedByAnotherCopy();
            }
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    logLine(QStringLiteral("MainWindow closeEvent"));
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (config && config->closeMin() && mTrayIcon && mTrayIcon->isVisible()) {
        hide();
        // These two texts stay untranslated.
        mTrayIcon->showMessage(QStringLiteral("提示"), QStringLiteral("程序已最小化到托盘"),
                               QSystemTrayIcon::Information, 2000);
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    CustomToolTip* tip = CustomToolTip::instance();
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        const Qt::WindowStates now = windowState();
        if ((old & Qt::WindowMaximized) && !(now & Qt::WindowMaximized)) {
            if (tip) tip->updatePlacement(true);
            logLine(QStringLiteral("Window restored from maximized state"));
        } else if (!(old & Qt::WindowMaximized) && (now & Qt::WindowMaximized)) {
            if (tip) tip->updatePlacement(true);
            logLine(QStringLiteral("Window maximized"));
        } else if ((old & Qt::WindowMinimized) && !(now & Qt::WindowMinimized)) {
            if (tip) tip->updatePlacement(false);
            logLine(QStringLiteral("Window restored from minimized state"));
        } else if (!(old & Qt::WindowMinimized) && (now & Qt::WindowMinimized)) {
            if (tip) tip->suspendTip();
            logLine(QStringLiteral("Window minimized"));
        }
    } else if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            if (tip) tip->updatePlacement(false);
            logLine(QStringLiteral("Window is now active"));
        } else {
            if (tip) tip->suspendTip();
            logLine(QStringLiteral("Window is now inactive"));
        }
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::refreshLanguageUi() {
    ui->retranslateUi(this);
    if (Services* services = Services::instance()) services->replaceToolTips();
    if (ToolTipUtil* tips = ToolTipUtil::instance()) {
        tips->setToolTip(ui->deviceButton, QStringLiteral("MainWindow/deviceButton"));
        tips->setToolTip(ui->firewareButton, QStringLiteral("MainWindow/firewareButton"));
        tips->setToolTip(ui->settingButton, QStringLiteral("MainWindow/settingButton"));
        tips->setToolTip(ui->addButton, QStringLiteral("MainWindow/addButton"));
        tips->setToolTip(ui->deButton, QStringLiteral("MainWindow/deButton"));
        tips->setToolTip(ui->exportButton, QStringLiteral("MainWindow/exportButton"));
        tips->setToolTip(ui->importButton, QStringLiteral("MainWindow/importButton"));
    }
}
