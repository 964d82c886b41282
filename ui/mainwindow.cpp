#include "ui/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QPixmap>
#include <QTimer>

#include "jobs/importconfigutil.h"
#include "model/keyboardconfigutil.h"
#include "services/customtooltip.h"
#include "services/qtoastbox.h"
#include "services/services.h"
#include "services/systemconfigutil.h"
#include "services/tooltiputil.h"
#include "ui/accessibility/accessibilityfactory.h"
#include "ui/accessibility/keyboardaccess.h"
#include "ui/autoswitch/autoswitchcontroller.h"
#include "ui/configfileactions.h"
#include "ui/configtablepanel.h"
#include "ui/handoverreceiver.h"
#include "ui/hotplugfollower.h"
#include "ui/jobrunner.h"
#include "ui/pages/basepage.h"
#include "ui/pagetable.h"
#include "ui/qconfiglistdelegate.h"
#include "ui/pages/system/trayavailability.h"
#include "ui/titlebargrip.h"
#include "ui/traymenu.h"
#include "ui_mainwindow.h"

namespace {
bool gFirewareUnlocked = false;
}  // namespace

MainWindow::MainWindow(const QString& serverName, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()) {
    // Before the first widget: Qt keeps the first interface it made for one.
    AccessibilityFactory::install();
    ui->setupUi(this);
    KeyboardAccess::makeReachable(this);
    // The title bar's buttons show only an icon.
    ui->minButton->setAccessibleName(tr("最小化"));
    ui->maxButton->setAccessibleName(tr("最大化"));
    ui->exitButton->setAccessibleName(tr("关闭"));
    KeyboardAccess::addPageShortcuts(this, [this](int index) { showPage(index); });
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    new TitleBarGrip(ui->titleWidget, this);

    mPages = new PageTable(ui->stackedWidget, this);
    connect(mPages, &PageTable::pageBuilt, this, &MainWindow::adoptPage);
    connect(mPages, &PageTable::firewarePageUnlocked, this, [] { setFirewarePageUnlocked(true); });
    // Only the first page is built now; the rest are built when first shown or
    // when the event loop is idle after the first paint (paintEvent).
    mPages->page(PageDevice);
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this,
            &MainWindow::stackedWidgetChange);
    if (SystemConfigUtil* config = SystemConfigUtil::instance())
        connect(config, &SystemConfigUtil::languageChanged, this, &MainWindow::refreshLanguageUi);

    ui->configListView->setItemDelegate(new QConfigListDelegate(ui->configListView));
    mJobs = new JobRunner(this);
    connect(mJobs, &JobRunner::syncEnded, this, &MainWindow::onSyncEnded);
    connect(mJobs, &JobRunner::exportEnded, this, &MainWindow::onExportEnded);
    connect(mJobs, &JobRunner::importEnded, this, &MainWindow::onImportEnded);
    mTables = new ConfigTablePanel(
        ui->configListView, ui->optWidget, ui->deButton, mJobs,
        [this](std::function<void()> then) { afterLeavingCalibration(std::move(then)); }, this);
    connect(mTables, &ConfigTablePanel::toastRequested, this, &MainWindow::toast);
    mFiles = std::make_unique<ConfigFileActions>(this, mJobs, [this](std::function<void()> start) {
        mTables->setBlocked(true);
        afterLeavingCalibration(std::move(start));
    });

    mHotplug = new HotplugFollower(this);
    connect(mHotplug, &HotplugFollower::devicesChanged, this, &MainWindow::devicesChanged);
    connect(mHotplug, &HotplugFollower::unplugged, this, &MainWindow::onUnplugged);
    connect(mHotplug, &HotplugFollower::linkLost, this, &MainWindow::onLinkLost);

    ui->stackedWidget->setCurrentIndex(PageDevice);
    mShownIndex = PageDevice;
    devicesChanged(true);
    mPreviousPageIndex = PageNone;
    applyLeftColumn(PageDevice);
    applyToolTips();

    mTray = new TrayMenu(this);
    connect(mTray, &TrayMenu::restoreRequested, this, &MainWindow::bringToFront);
    new AutoSwitchController(mTables, mJobs, mTray, this);
    mHandOver = new HandOverReceiver(this);
    connect(mHandOver, &HandOverReceiver::activationRequested, this, [this] {
        bringToFront();
        emit activatedByAnotherCopy();
    });
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
}

void MainWindow::adoptPage(BasePage* page) {
    KeyboardAccess::makeReachable(page);
    connect(page, &BasePage::navigateRequested, this, &MainWindow::showPage);
    if (SystemConfigUtil* config = SystemConfigUtil::instance())
        connect(config, &SystemConfigUtil::languageChanged, page, &BasePage::refreshLanguageUi);
}

BasePage* MainWindow::page(int index) const {
    return mPages->page(index);
}

int MainWindow::currentPageIndex() const {
    return ui->stackedWidget->currentIndex();
}

void MainWindow::showPage(int index) {
    if (index < 0 || index >= PageCount || index == ui->stackedWidget->currentIndex()) return;
    // Built before it becomes current, so that it is entered like any page.
    mPages->page(index);
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
    if (BasePage* left = mPages->builtPage(mShownIndex)) left->leave();
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
          static_cast<QWidget*>(ui->exportButton), static_cast<QWidget*>(ui->copyCodeButton),
          static_cast<QWidget*>(ui->pasteCodeButton), static_cast<QWidget*>(ui->useTitleLabel),
          static_cast<QWidget*>(ui->productNameLabel), static_cast<QWidget*>(ui->configListView),
          static_cast<QWidget*>(ui->optWidget)})
        w->setVisible(setting);
    ui->deButton->setVisible(false);
    mTables->setPlace(setting, index != PageDevice && index != PageFireware);
    if (!setting) return;
    showProductName();
    mTables->rebuild();
}

void MainWindow::showProductName() {
    const KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    ui->productNameLabel->setText(m && m->keyboardProduct ? m->keyboardProduct->productName
                                                          : QString());
}

// ------------------------------------------------------------ title bar

void MainWindow::on_minButton_clicked() {
    showMinimized();
}

void MainWindow::on_maxButton_clicked() {
    TitleBarGrip::toggleMaximized(this);
}

void MainWindow::on_exitButton_clicked() {
    close();
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

void MainWindow::devicesChanged(bool autoOpen) {
    for (BasePage* built : mPages->builtPages()) built->devicesChanged(autoOpen);
}

// ------------------------------------------------------------ configuration tables

void MainWindow::afterLeavingCalibration(std::function<void()> then) {
    for (BasePage* built : mPages->builtPages()) built->stopKeyboardMode(true);
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

// ------------------------------------------------------------ sync, export, import

void MainWindow::onSyncEnded(bool ok, int error) {
    mTables->setBlocked(false);
    if (!ok) {
        toast(JobRunner::failureText(tr("读取配置失败"), error));
        mTables->rebuild();
    } else {
        for (BasePage* built : mPages->builtPages()) built->update();
        refreshAfterSync();
    }
    mTables->runDeferredSwitch();
}

void MainWindow::refreshAfterSync() {
    mTables->rebuild();
    showProductName();
    const int shown = currentPageIndex();
    if (shown >= PageKey && shown <= PageOther) page(shown)->enter();
    for (BasePage* built : mPages->builtPages()) built->configurationReloaded();
}

void MainWindow::on_exportButton_clicked() {
    mFiles->exportFile();
}

void MainWindow::onExportEnded(bool ok, int error) {
    mTables->setBlocked(false);
    mFiles->exportEnded(ok, error);
    mTables->runDeferredSwitch();
}

void MainWindow::on_copyCodeButton_clicked() {
    mFiles->copyShareCode();
}

void MainWindow::on_pasteCodeButton_clicked() {
    mFiles->pasteShareCode();
}

void MainWindow::on_importButton_clicked() {
    mFiles->importFile();
}

void MainWindow::onImportEnded(bool ok, int error, const ImportConfigUtil::KeyMismatch& mismatch) {
    mTables->setBlocked(false);
    const bool reloaded = mFiles->importEnded(ok, error, mismatch);
    if (!ok) mTables->rebuild();
    if (reloaded) refreshAfterSync();
    mTables->runDeferredSwitch();
}

void MainWindow::toast(const QString& text) {
    QToastBox::showToast(this, text);
}

// ------------------------------------------------------------ communication type and plugging

void MainWindow::on_main_ble_radio_clicked() {
    mHotplug->chooseCommType(1);
}

void MainWindow::on_main_usb_radio_clicked() {
    mHotplug->chooseCommType(0);
}

void MainWindow::onLinkLost() {
    ui->main_usb_radio->setChecked(true);
    ui->main_ble_radio->setChecked(false);
    showPage(PageDevice);
    update();
}

void MainWindow::onUnplugged() {
    for (BasePage* built : mPages->builtPages()) built->stopKeyboardMode(false);
    if (mPreviousPageIndex != PageDevice && mPreviousPageIndex != PageNone) {
        if (currentPageIndex() == PageDevice)
            stackedWidgetChange(PageDevice);
        else
            showPage(PageDevice);
    } else {
        devicesChanged(false);
    }
}

// ------------------------------------------------------------ window state

void MainWindow::bringToFront() {
    showNormal();
    activateWindow();
    setWindowState(Qt::WindowMaximized);
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (mPainted) return;
    mPainted = true;
    mPages->buildRestWhenIdle();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    qInfo().noquote() << QStringLiteral("MainWindow closeEvent");
    // Without a tray the hidden window could not be brought back.
    if (TrayAvailability::available() && mTray->hideToTray())
        event->ignore();
    else
        event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    // The custom tool tip follows the window: placed again when it is
    // restored, maximised or activated, put away while it is minimised or
    // inactive.
    const char* line = nullptr;
    bool resized = false, shown = true;
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        const Qt::WindowStates now = windowState();
        const auto changed = [&](Qt::WindowState state, bool on) {
            return bool(old & state) != on && bool(now & state) == on;
        };
        if (changed(Qt::WindowMaximized, false))
            line = "Window restored from maximized state", resized = true;
        else if (changed(Qt::WindowMaximized, true))
            line = "Window maximized", resized = true;
        else if (changed(Qt::WindowMinimized, false))
            line = "Window restored from minimized state";
        else if (changed(Qt::WindowMinimized, true))
            line = "Window minimized", shown = false;
    } else if (event->type() == QEvent::ActivationChange) {
        shown = isActiveWindow();
        line = shown ? "Window is now active" : "Window is now inactive";
    }
    if (line) {
        CustomToolTip* tip = CustomToolTip::instance();
        if (tip && shown) tip->updatePlacement(resized);
        if (tip && !shown) tip->suspendTip();
        qInfo().noquote() << QString::fromLatin1(line);
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::refreshLanguageUi() {
    ui->retranslateUi(this);
    if (Services* services = Services::instance()) services->replaceToolTips();
    applyToolTips();
}

void MainWindow::applyToolTips() {
    ToolTipUtil* tips = ToolTipUtil::instance();
    if (!tips) return;
    for (QWidget* button :
         {static_cast<QWidget*>(ui->deviceButton), static_cast<QWidget*>(ui->firewareButton),
          static_cast<QWidget*>(ui->settingButton), static_cast<QWidget*>(ui->addButton),
          static_cast<QWidget*>(ui->deButton), static_cast<QWidget*>(ui->exportButton),
          static_cast<QWidget*>(ui->importButton), static_cast<QWidget*>(ui->copyCodeButton),
          static_cast<QWidget*>(ui->pasteCodeButton)})
        tips->setToolTip(button, QStringLiteral("MainWindow/") + button->objectName());
}
