#include "ui/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTimer>

// Complete before the page headers that hold pointers to it.
#include "app/customtooltip.h"
#include "app/hidwatcher.h"
#include "app/qtoastbox.h"
#include "app/services.h"
#include "app/singleinstance.h"
#include "app/systemconfigutil.h"
#include "app/tooltiputil.h"
#include "link/usbhidutil.h"
#include "link/usbprotocol.h"
#include "model/configwritedatabase.h"
#include "model/importconfigutil.h"
#include "model/keyboardconfigutil.h"
#include "model/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"
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
#include "ui/widgets/filedialog.h"
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
        {PageDevice, make<DeviceManageForm>, Enter::Device, Leave::Plain},
        {PageFireware, make<FirewareManageForm>, Enter::Fireware, Leave::Plain},
        {PageSystem, make<SystemSetForm>, Enter::System, Leave::Nothing},
        {PageKey, make<KeySetForm>, Enter::Plain, Leave::Plain},
        {PageLight, make<LightSetForm>, Enter::Plain, Leave::Nothing},
        {PageHighKey, make<HighKeyForm>, Enter::Plain, Leave::Nothing},
        {PageMacro, make<MacroSetForm>, Enter::Plain, Leave::Nothing},
        {PagePerformance, make<PerformanceSetForm>, Enter::Plain, Leave::Nothing},
        {PageAlign, make<AlignSetForm>, Enter::Plain, Leave::Plain},
        {PageOther, make<OtherSetForm>, Enter::Plain, Leave::Nothing},
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

    mConfigModel = new QStandardItemModel(this);
    ui->configListView->setModel(mConfigModel);
    connect(ui->configListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::onSelectionChanged);
    ui->configListView->setItemDelegate(new QConfigListDelegate(ui->configListView));
    ui->configListView->setEditTriggers(QAbstractItemView::DoubleClicked |
                                        QAbstractItemView::EditKeyPressed);
    ui->configListView->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(mConfigModel, &QStandardItemModel::dataChanged, this, &MainWindow::onConfigItemChanged);

    mJobs = new JobRunner(this);
    connect(mJobs, &JobRunner::syncEnded, this, &MainWindow::onSyncEnded);
    connect(mJobs, &JobRunner::exportEnded, this, &MainWindow::onExportEnded);
    connect(mJobs, &JobRunner::importEnded, this, &MainWindow::onImportEnded);
    mTableWatchdog = new QTimer(this);
    mTableWatchdog->setSingleShot(true);
    mTableWatchdog->setInterval(kJobSilenceMs);
    connect(mTableWatchdog, &QTimer::timeout, this, [this] {
        // No answer at all to a command sent without the engine's time-out.
        usb_communicate_error(kSource, mTableOrder, UsbProtocol::ErrorNoAnswer);
    });

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
        connect(e, &UsbCommunicateUtil::usb_communicate_error, this,
                &MainWindow::usb_communicate_error);
        connect(e, &UsbCommunicateUtil::usb_receive_switch_config_table, this,
                &MainWindow::usb_receive_switch_config_table);
        connect(e, &UsbCommunicateUtil::usb_receive_add_config_table, this,
                &MainWindow::usb_receive_add_config_table);
        connect(e, &UsbCommunicateUtil::usb_receive_del_config_table, this,
                &MainWindow::usb_receive_del_config_table);
        connect(e, &UsbCommunicateUtil::usb_receive_set_config_info, this,
                &MainWindow::usb_receive_set_config_info);
        connect(e, &UsbCommunicateUtil::usb_receive_config_change, this,
                &MainWindow::usb_receive_config_change);
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
    mTableWatchdog->stop();
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
    return mListBlocked;
}

QProgressDialog* MainWindow::progressDialog() const {
    return mJobs->progressDialog();
}

void MainWindow::setJobSilenceMs(int ms) {
    mJobs->setSilenceMs(ms);
    mTableWatchdog->setInterval(ms);
}

// ------------------------------------------------------------ page change

void MainWindow::stackedWidgetChange(int index) {
    if (const PageRow* left = rowOf(mShownIndex)) {
        if (left->leave == Leave::Plain) mPages[size_t(left->index)]->leave();
    }
    mShownIndex = index;

    const PageRow* row = rowOf(index);
    if (row) {
        switch (row->enter) {
            case Enter::Device:
                if (UsbCommunicateUtil* e = engine()) e->closeCommunicate();
                if (KeyboardConfigUtil* m = model()) m->resetData();
                refreshDevicePage(true);
                break;
            case Enter::System:
                if (auto* system = qobject_cast<SystemSetForm*>(page(index)))
                    system->enter(mPreviousPageIndex);
                break;
            case Enter::Fireware:
                if (UsbCommunicateUtil* e = engine()) e->closeCommunicate();
                if (KeyboardConfigUtil* m = model()) m->resetData();
                page(index)->enter();
                break;
            case Enter::Plain:
                page(index)->enter();
                break;
        }
    }
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

int MainWindow::rowOfTable(int tableIndex) const {
    KeyboardConfigUtil* m = model();
    if (!m) return -1;
    for (int row = 0; row < m->keyboardConfigList.size(); ++row)
        if (m->keyboardConfigList.at(row) && m->keyboardConfigList.at(row)->index == tableIndex)
            return row;
    return -1;
}

int MainWindow::tableAt(int row) const {
    KeyboardConfigUtil* m = model();
    if (!m || row < 0 || row >= m->keyboardConfigList.size() || !m->keyboardConfigList.at(row))
        return row;
    return m->keyboardConfigList.at(row)->index;
}

int MainWindow::freeTableIndex() const {
    KeyboardConfigUtil* m = model();
    int index = 0;
    if (!m) return index;
    while (rowOfTable(index) >= 0) ++index;
    return index;
}

void MainWindow::rebuildConfigList() {
    KeyboardConfigUtil* m = model();
    mRebuilding = true;
    const int active = m ? rowOfTable(m->keyboardConfigIndex) : -1;
    mSelectedRow = active >= 0 ? active : 0;
    mConfigModel->clear();
    if (m) {
        for (const ConfigTableEntryPtr& entry : m->keyboardConfigList) {
            auto* item = new QStandardItem(entry ? entry->configName : QString());
            item->setEditable(true);
            mConfigModel->appendRow(item);
        }
    }
    if (!mListBlocked) ui->configListView->setSelectionMode(QAbstractItemView::SingleSelection);
    selectRow(mSelectedRow);
    mRebuilding = false;
    const bool setting = currentPageIndex() >= PageKey && currentPageIndex() <= PageOther;
    ui->deButton->setVisible(setting && m && m->keyboardConfigList.size() > 1);
}

void MainWindow::selectRow(int row) {
    if (row < 0 || row >= mConfigModel->rowCount()) return;
    const bool rebuilding = mRebuilding;
    mRebuilding = true;
    const QAbstractItemView::SelectionMode mode = ui->configListView->selectionMode();
    if (mode == QAbstractItemView::NoSelection)
        ui->configListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ui->configListView->selectionModel()->setCurrentIndex(mConfigModel->index(row, 0),
                                                          QItemSelectionModel::ClearAndSelect);
    ui->configListView->setSelectionMode(mode);
    mRebuilding = rebuilding;
}

void MainWindow::setListBlocked(bool blocked) {
    mListBlocked = blocked;
    ui->configListView->setSelectionMode(blocked ? QAbstractItemView::NoSelection
                                                 : QAbstractItemView::SingleSelection);
    ui->configListView->setEditTriggers(blocked ? QAbstractItemView::NoEditTriggers
                                                : QAbstractItemView::DoubleClicked |
                                                      QAbstractItemView::EditKeyPressed);
    ui->optWidget->setEnabled(!blocked);
}

void MainWindow::afterLeavingCalibration(std::function<void()> then) {
    leaveCalibration(true);
    // Gives the keyboard time to end calibration before the next command;
    // the list is already blocked, so nothing else starts meanwhile.
    QTimer::singleShot(100, this, [then = std::move(then)] { then(); });
}

void MainWindow::onSelectionChanged(const QItemSelection& selected, const QItemSelection&) {
    if (mRebuilding || mListBlocked || selected.indexes().isEmpty()) return;
    const int row = selected.indexes().first().row();
    mSelectedRow = row;
    KeyboardConfigUtil* m = model();
    if (!m) return;
    const int table = tableAt(row);
    if (table == m->keyboardConfigIndex) return;
    logLine(QStringLiteral("=== MainWindow onSelectionChanged item:{ %1 };configIndex:{ %2 } ===")
                .arg(row)
                .arg(m->keyboardConfigIndex));
    setListBlocked(true);
    afterLeavingCalibration([this, table] {
        mTableOrder = UsbProtocol::answerOf(UsbProtocol::SwitchConfigTable);
        mTablePending = true;
        if (UsbCommunicateUtil* e = engine()) e->switchConfigTable(kSource, true, uchar(table));
    });
}

void MainWindow::on_addButton_clicked() {
    if (mListBlocked) return;
    KeyboardConfigUtil* m = model();
    // A new table gets a number no table has yet; naming an existing one
    // would leave the keyboard unchanged.
    const int table = freeTableIndex();
    if (!m || table > 255) return;
    setListBlocked(true);
    afterLeavingCalibration([this, table] {
        if (UsbCommunicateUtil* e = engine()) e->addConfigTable(kSource, false, uchar(table));
        armTableWatchdog(UsbProtocol::answerOf(UsbProtocol::AddConfigTable));
    });
}

void MainWindow::on_deButton_clicked() {
    KeyboardConfigUtil* m = model();
    if (mListBlocked || !m || m->keyboardConfigList.size() < 2) return;
    const int table = tableAt(mSelectedRow);
    setListBlocked(true);
    afterLeavingCalibration([this, table] {
        if (UsbCommunicateUtil* e = engine()) e->delConfigTable(kSource, false, uchar(table));
        armTableWatchdog(UsbProtocol::answerOf(UsbProtocol::DelConfigTable));
    });
}

void MainWindow::onConfigItemChanged(const QModelIndex& topLeft, const QModelIndex&) {
    if (mRebuilding || mListBlocked || !topLeft.isValid()) return;
    mPendingName = topLeft.data(Qt::DisplayRole).toString();
    // The table that was edited is renamed, whatever row it sits in.
    const int table = tableAt(topLeft.row());
    setListBlocked(true);
    afterLeavingCalibration([this, table] {
        if (UsbCommunicateUtil* e = engine())
            e->setConfigInfo(kSource, false, uchar(table), mPendingName);
        armTableWatchdog(UsbProtocol::answerOf(UsbProtocol::SetConfigInfo));
    });
}

void MainWindow::armTableWatchdog(uchar order) {
    mTableOrder = order;
    mTablePending = true;
    mTableWatchdog->start();
}

bool MainWindow::acceptSource(uchar source, const char* slot) const {
    if (source == kSource) return true;
    logLine(QStringLiteral("=== MainWindow %1 数据来源不匹配 source:{ %2 } ===")
                .arg(QString::fromLatin1(slot))
                .arg(source));
    return false;
}

void MainWindow::usb_receive_switch_config_table(uchar source, int, int) {
    if (!acceptSource(source, "usb_receive_switch_config_table")) return;
    mTablePending = false;
    startFullSync();
}

void MainWindow::usb_receive_add_config_table(uchar source, int, int) {
    if (!acceptSource(source, "usb_receive_add_config_table")) return;
    mTablePending = false;
    mTableWatchdog->stop();
    startFullSync();
}

void MainWindow::usb_receive_del_config_table(uchar source, int, int) {
    if (!acceptSource(source, "usb_receive_del_config_table")) return;
    mTablePending = false;
    mTableWatchdog->stop();
    startFullSync();
}

void MainWindow::usb_receive_set_config_info(uchar source, int, int) {
    if (!acceptSource(source, "usb_receive_set_config_info")) return;
    mTablePending = false;
    mTableWatchdog->stop();
    startFullSync();
}

void MainWindow::usb_receive_config_change(uchar source, uchar type, uchar item) {
    if (!acceptSource(source, "usb_receive_config_change")) return;
    KeyboardConfigUtil* m = model();
    UsbCommunicateUtil* e = engine();
    if (type != 0 || !m || !e || !e->isConnected()) return;
    if (item == m->keyboardConfigIndex && !jobRunning()) return;
    // A sync started now would replace the command of the job that runs, and
    // an import would stay half written: the switch waits for the job's end.
    const int row = rowOfTable(item);
    if (row >= 0) mSelectedRow = row;
    mSwitchWaiting = true;
    logLine(QStringLiteral("=== MainWindow 键盘切换配置表 item:{ %1 };busy:{ %2 } ===")
                .arg(item)
                .arg(jobRunning() ? 1 : 0));
    runDeferredSwitch();
}

bool MainWindow::jobRunning() const {
    return mListBlocked || mJobs->isRunning();
}

void MainWindow::runDeferredSwitch() {
    if (!mSwitchWaiting || jobRunning()) return;
    const int shown = currentPageIndex();
    // The device and firmware pages close the link and read everything anew.
    if (shown == PageDevice || shown == PageFireware) {
        mSwitchWaiting = false;
        return;
    }
    UsbCommunicateUtil* e = engine();
    if (!e || !e->isConnected() || !model()) {
        mSwitchWaiting = false;
        return;
    }
    mSwitchWaiting = false;
    setListBlocked(true);
    afterLeavingCalibration([this] { startFullSync(); });
}

QString MainWindow::failureText(const QString& text, int error) {
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

void MainWindow::usb_communicate_error(uchar source, uchar order, int error) {
    logLine(QStringLiteral("=== MainWindow usb错误 source={%1};order={0x%2};error={%3}===")
                .arg(source)
                .arg(QString::number(order, 16).rightJustified(2, QLatin1Char('0')).toUpper())
                .arg(error));
    if (source != kSource) {
        logLine(
            QStringLiteral("=== MainWindow usb_communicate_error 数据来源不匹配 source:{ %1 } ===")
                .arg(source));
        return;
    }
    // Only the command this window waits for: one it gave up on (its
    // watchdog ended it) may still end later, when a job replaces it.
    if (!mTablePending || order != mTableOrder) return;
    mTablePending = false;
    mTableWatchdog->stop();
    KeyboardConfigUtil* m = model();
    if (order == UsbProtocol::answerOf(UsbProtocol::SwitchConfigTable)) {
        // Stays on the table the keyboard uses.
        if (error == UsbProtocol::ErrorLinkClosed || error == UsbProtocol::ErrorNoAnswer)
            toast(failureText(tr("切换配置表失败"), error));
    } else if (order == UsbProtocol::answerOf(UsbProtocol::SetConfigInfo)) {
        toast(failureText(tr("设置配置表信息失败！"), error));
    } else if (order == UsbProtocol::answerOf(UsbProtocol::AddConfigTable)) {
        toast(failureText(tr("增加配置表失败！"), error));
    } else if (order == UsbProtocol::answerOf(UsbProtocol::DelConfigTable)) {
        toast(failureText(tr("删除配置表失败！"), error));
    }
    setListBlocked(false);
    // The list shows what the keyboard holds again (an edited name included).
    rebuildConfigList();
    if (m) selectRow(rowOfTable(m->keyboardConfigIndex));
    runDeferredSwitch();
}

// ------------------------------------------------------------ sync, export, import

void MainWindow::startFullSync() {
    setListBlocked(true);
    mJobs->startSync();
}

void MainWindow::onSyncEnded(bool ok, int error) {
    setListBlocked(false);
    if (!ok) {
        toast(failureText(tr("读取配置失败"), error));
        rebuildConfigList();
    } else {
        if (BasePage* light = page(PageLight)) light->update();
        refreshAfterSync();
    }
    runDeferredSwitch();
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
    const QString path = FileDialog::getSaveFileName(this, tr("保存文件"), QString(),
                                                     tr("配置文件 (*.aaa);; 所有文件 (*.*)"));
    if (path.isEmpty()) return;
    setListBlocked(true);
    afterLeavingCalibration([this, path] { mJobs->startExport(path); });
}

void MainWindow::onExportEnded(bool ok, int error) {
    setListBlocked(false);
    toast(ok ? tr("写入配置成功") : failureText(tr("写入配置失败"), error));
    runDeferredSwitch();
}

void MainWindow::on_importButton_clicked() {
    const QString path = FileDialog::getOpenFileName(this, tr("选择配置文件"), QString(),
                                                     tr("配置文件(*.aaa);;所有文件(*)"));
    if (path.isEmpty()) return;
    setListBlocked(true);
    afterLeavingCalibration([this, path] { mJobs->startImport(path); });
}

void MainWindow::onImportEnded(bool ok, int error, const ImportConfigUtil::KeyMismatch& mismatch) {
    setListBlocked(false);
    if (!ok) {
        if (error == ImportConfigUtil::ErrorKeySet && mismatch.key >= 0)
            toast(keyMismatchText(mismatch));
        else if (error == ImportConfigUtil::ErrorHighKeySlots)
            toast(tr("导入配置失败：此文件的高级键多于本键盘能保存的数量"));
        else
            toast(failureText(tr("导入配置失败"), error));
        rebuildConfigList();
    } else {
        toast(tr("导入配置成功"));
        refreshAfterSync();
    }
    runDeferredSwitch();
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
