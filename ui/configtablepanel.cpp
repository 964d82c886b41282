#include "ui/configtablepanel.h"

#include <QDebug>
#include <QListView>
#include <QProgressDialog>
#include <QStandardItemModel>
#include <QTimer>

#include "common/applog.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestersource.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/jobrunner.h"

ConfigTablePanel::ConfigTablePanel(QListView* view, QWidget* controls, QWidget* deleteButton,
                                   JobRunner* jobs, Deferred beforeCommand, QObject* parent)
    : QObject(parent),
      mView(view),
      mControls(controls),
      mDeleteButton(deleteButton),
      mJobs(jobs),
      mBeforeCommand(std::move(beforeCommand)) {
    mModel = new QStandardItemModel(this);
    mView->setModel(mModel);
    connect(mView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ConfigTablePanel::onSelectionChanged);
    mView->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    mView->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(mModel, &QStandardItemModel::dataChanged, this, &ConfigTablePanel::onConfigItemChanged);

    mTableWatchdog = new QTimer(this);
    mTableWatchdog->setSingleShot(true);
    mTableWatchdog->setInterval(JobRunner::kSilenceMs);
    connect(mTableWatchdog, &QTimer::timeout, this, [this] {
        // No answer at all to a command sent without the engine's time-out.
        usb_communicate_error(kSource, mTableOrder, UsbProtocol::ErrorNoAnswer);
    });

    if (UsbCommunicateUtil* e = UsbCommunicateUtil::instance()) {
        connect(e, &UsbCommunicateUtil::usb_communicate_error, this,
                &ConfigTablePanel::usb_communicate_error);
        connect(e, &UsbCommunicateUtil::usb_receive_switch_config_table, this,
                &ConfigTablePanel::usb_receive_switch_config_table);
        connect(e, &UsbCommunicateUtil::usb_receive_add_config_table, this,
                &ConfigTablePanel::usb_receive_add_config_table);
        connect(e, &UsbCommunicateUtil::usb_receive_del_config_table, this,
                &ConfigTablePanel::usb_receive_del_config_table);
        connect(e, &UsbCommunicateUtil::usb_receive_set_config_info, this,
                &ConfigTablePanel::usb_receive_set_config_info);
        connect(e, &UsbCommunicateUtil::usb_receive_config_change, this,
                &ConfigTablePanel::usb_receive_config_change);
    }
}

ConfigTablePanel::~ConfigTablePanel() {
    mTableWatchdog->stop();
}

void ConfigTablePanel::setSilenceMs(int ms) {
    mTableWatchdog->setInterval(ms);
}

int ConfigTablePanel::rowOfTable(int tableIndex) const {
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    if (!m) return -1;
    for (int row = 0; row < m->keyboardConfigList.size(); ++row)
        if (m->keyboardConfigList.at(row) && m->keyboardConfigList.at(row)->index == tableIndex)
            return row;
    return -1;
}

int ConfigTablePanel::tableAt(int row) const {
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    if (!m || row < 0 || row >= m->keyboardConfigList.size() || !m->keyboardConfigList.at(row))
        return row;
    return m->keyboardConfigList.at(row)->index;
}

int ConfigTablePanel::freeTableIndex() const {
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    int index = 0;
    if (!m) return index;
    while (rowOfTable(index) >= 0) ++index;
    return index;
}

void ConfigTablePanel::rebuild() {
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    mRebuilding = true;
    const int active = m ? rowOfTable(m->keyboardConfigIndex) : -1;
    mSelectedRow = active >= 0 ? active : 0;
    mModel->clear();
    if (m) {
        for (const ConfigTableEntryPtr& entry : m->keyboardConfigList) {
            auto* item = new QStandardItem(entry ? entry->configName : QString());
            item->setEditable(true);
            mModel->appendRow(item);
        }
    }
    if (!mBlocked) mView->setSelectionMode(QAbstractItemView::SingleSelection);
    selectRow(mSelectedRow);
    mRebuilding = false;
    mDeleteButton->setVisible(mSettingPage && m && m->keyboardConfigList.size() > 1);
}

void ConfigTablePanel::selectRow(int row) {
    if (row < 0 || row >= mModel->rowCount()) return;
    const bool rebuilding = mRebuilding;
    mRebuilding = true;
    const QAbstractItemView::SelectionMode mode = mView->selectionMode();
    if (mode == QAbstractItemView::NoSelection)
        mView->setSelectionMode(QAbstractItemView::SingleSelection);
    mView->selectionModel()->setCurrentIndex(mModel->index(row, 0),
                                             QItemSelectionModel::ClearAndSelect);
    mView->setSelectionMode(mode);
    mRebuilding = rebuilding;
}

void ConfigTablePanel::setBlocked(bool blocked) {
    mBlocked = blocked;
    mView->setSelectionMode(blocked ? QAbstractItemView::NoSelection
                                    : QAbstractItemView::SingleSelection);
    mView->setEditTriggers(blocked ? QAbstractItemView::NoEditTriggers
                                   : QAbstractItemView::DoubleClicked |
                                         QAbstractItemView::EditKeyPressed);
    mControls->setEnabled(!blocked);
}

void ConfigTablePanel::onSelectionChanged(const QItemSelection& selected, const QItemSelection&) {
    if (mRebuilding || mBlocked || selected.indexes().isEmpty()) return;
    const int row = selected.indexes().first().row();
    mSelectedRow = row;
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    if (!m) return;
    const int table = tableAt(row);
    if (table == m->keyboardConfigIndex) return;
    AppLog::line(
        QStringLiteral("=== ConfigTablePanel onSelectionChanged item:{ %1 };configIndex:{ %2 } ===")
            .arg(row)
            .arg(m->keyboardConfigIndex));
    sendSwitch(table);
}

bool ConfigTablePanel::switchTo(int table) {
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    const int row = rowOfTable(table);
    if (mBlocked || !m || row < 0) return false;
    if (table == m->keyboardConfigIndex) return true;
    mSelectedRow = row;
    selectRow(row);
    sendSwitch(table);
    return true;
}

void ConfigTablePanel::sendSwitch(int table) {
    setBlocked(true);
    mBeforeCommand([this, table] {
        mTableOrder = UsbProtocol::answerOf(UsbProtocol::SwitchConfigTable);
        mTablePending = true;
        if (UsbCommunicateUtil* e = UsbCommunicateUtil::instance())
            e->switchConfigTable(kSource, true, uchar(table));
    });
}

void ConfigTablePanel::add() {
    if (mBlocked) return;
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    // A new table gets a number no table has yet; naming an existing one
    // would leave the keyboard unchanged.
    const int table = freeTableIndex();
    if (!m || table > 255) return;
    setBlocked(true);
    mBeforeCommand([this, table] {
        if (UsbCommunicateUtil* e = UsbCommunicateUtil::instance())
            e->addConfigTable(kSource, false, uchar(table));
        armTableWatchdog(UsbProtocol::answerOf(UsbProtocol::AddConfigTable));
    });
}

void ConfigTablePanel::removeSelected() {
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    if (mBlocked || !m || m->keyboardConfigList.size() < 2) return;
    const int table = tableAt(mSelectedRow);
    setBlocked(true);
    mBeforeCommand([this, table] {
        if (UsbCommunicateUtil* e = UsbCommunicateUtil::instance())
            e->delConfigTable(kSource, false, uchar(table));
        armTableWatchdog(UsbProtocol::answerOf(UsbProtocol::DelConfigTable));
    });
}

void ConfigTablePanel::onConfigItemChanged(const QModelIndex& topLeft, const QModelIndex&) {
    if (mRebuilding || mBlocked || !topLeft.isValid()) return;
    mPendingName = topLeft.data(Qt::DisplayRole).toString();
    // The table that was edited is renamed, whatever row it sits in.
    const int table = tableAt(topLeft.row());
    setBlocked(true);
    mBeforeCommand([this, table] {
        if (UsbCommunicateUtil* e = UsbCommunicateUtil::instance())
            e->setConfigInfo(kSource, false, uchar(table), mPendingName);
        armTableWatchdog(UsbProtocol::answerOf(UsbProtocol::SetConfigInfo));
    });
}

void ConfigTablePanel::armTableWatchdog(uchar order) {
    mTableOrder = order;
    mTablePending = true;
    mTableWatchdog->start();
}

bool ConfigTablePanel::acceptSource(uchar source, const char* slot) const {
    return RequesterSource::accept(this, kSource, source, slot);
}

void ConfigTablePanel::usb_receive_switch_config_table(uchar source, int, int) {
    if (!acceptSource(source, "usb_receive_switch_config_table")) return;
    mTablePending = false;
    startSync();
}

void ConfigTablePanel::usb_receive_add_config_table(uchar source, int, int) {
    if (!acceptSource(source, "usb_receive_add_config_table")) return;
    mTablePending = false;
    mTableWatchdog->stop();
    startSync();
}

void ConfigTablePanel::usb_receive_del_config_table(uchar source, int, int) {
    if (!acceptSource(source, "usb_receive_del_config_table")) return;
    mTablePending = false;
    mTableWatchdog->stop();
    startSync();
}

void ConfigTablePanel::usb_receive_set_config_info(uchar source, int, int) {
    if (!acceptSource(source, "usb_receive_set_config_info")) return;
    mTablePending = false;
    mTableWatchdog->stop();
    startSync();
}

void ConfigTablePanel::usb_receive_config_change(uchar source, uchar type, uchar item) {
    if (!acceptSource(source, "usb_receive_config_change")) return;
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    UsbCommunicateUtil* e = UsbCommunicateUtil::instance();
    if (type != 0 || !m || !e || !e->isConnected()) return;
    if (item == m->keyboardConfigIndex && !jobRunning()) return;
    // A sync started now would replace the command of the job that runs, and
    // an import would stay half written: the switch waits for the job's end.
    const int row = rowOfTable(item);
    if (row >= 0) mSelectedRow = row;
    mSwitchWaiting = true;
    AppLog::line(QStringLiteral("=== ConfigTablePanel 键盘切换配置表 item:{ %1 };busy:{ %2 } ===")
                     .arg(item)
                     .arg(jobRunning() ? 1 : 0));
    runDeferredSwitch();
}

bool ConfigTablePanel::jobRunning() const {
    return mBlocked || mJobs->isRunning();
}

void ConfigTablePanel::startSync() {
    setBlocked(true);
    mJobs->startSync();
}

void ConfigTablePanel::setPlace(bool settingPage, bool keyboardOpen) {
    mSettingPage = settingPage;
    mKeyboardOpen = keyboardOpen;
}

void ConfigTablePanel::runDeferredSwitch() {
    if (!mSwitchWaiting || jobRunning()) return;
    // The device and firmware pages close the link and read everything anew.
    if (!mKeyboardOpen) {
        mSwitchWaiting = false;
        return;
    }
    UsbCommunicateUtil* e = UsbCommunicateUtil::instance();
    if (!e || !e->isConnected() || !KeyboardConfigUtil::instance()) {
        mSwitchWaiting = false;
        return;
    }
    mSwitchWaiting = false;
    setBlocked(true);
    mBeforeCommand([this] { startSync(); });
}

void ConfigTablePanel::usb_communicate_error(uchar source, uchar order, int error) {
    RequesterSource::logError(this, source, order, error);
    if (!acceptSource(source, "usb_communicate_error")) return;
    // Only the command this window waits for: one it gave up on (its
    // watchdog ended it) may still end later, when a job replaces it.
    if (!mTablePending || order != mTableOrder) return;
    mTablePending = false;
    mTableWatchdog->stop();
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    if (order == UsbProtocol::answerOf(UsbProtocol::SwitchConfigTable)) {
        // Stays on the table the keyboard uses.
        if (error == UsbProtocol::ErrorLinkClosed || error == UsbProtocol::ErrorNoAnswer)
            emit toastRequested(JobRunner::failureText(tr("切换配置表失败"), error));
    } else if (order == UsbProtocol::answerOf(UsbProtocol::SetConfigInfo)) {
        emit toastRequested(JobRunner::failureText(tr("设置配置表信息失败！"), error));
    } else if (order == UsbProtocol::answerOf(UsbProtocol::AddConfigTable)) {
        emit toastRequested(JobRunner::failureText(tr("增加配置表失败！"), error));
    } else if (order == UsbProtocol::answerOf(UsbProtocol::DelConfigTable)) {
        emit toastRequested(JobRunner::failureText(tr("删除配置表失败！"), error));
    }
    setBlocked(false);
    // The list shows what the keyboard holds again (an edited name included).
    rebuild();
    if (m) selectRow(rowOfTable(m->keyboardConfigIndex));
    runDeferredSwitch();
}
