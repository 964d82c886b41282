#pragma once
// The keyboard's configuration tables (profiles) in the main window's left
// column: switching, adding, deleting and renaming them, each blocking the
// list until the keyboard answered and the sync after it ran (or the command
// failed: then the list shows what the keyboard holds again). A table switch
// made on the keyboard itself waits for a running job, then syncs.

#include <QObject>
#include <QString>
#include <functional>

class JobRunner;
class QItemSelection;
class QListView;
class QModelIndex;
class QStandardItemModel;
class QTimer;
class QWidget;

class ConfigTablePanel : public QObject {
    Q_OBJECT
public:
    // The requester code of the table commands (the main window's).
    static constexpr uchar kSource = 2;
    // Runs a command once the keyboard has left calibration.
    using Deferred = std::function<void(std::function<void()>)>;

    // `controls` (add, delete, import, export) are blocked with the list;
    // `deleteButton` shows only on setting pages with two tables or more.
    ConfigTablePanel(QListView* view, QWidget* controls, QWidget* deleteButton, JobRunner* jobs,
                     Deferred beforeCommand, QObject* parent = nullptr);
    ~ConfigTablePanel() override;

    bool isBlocked() const { return mBlocked; }
    void setBlocked(bool blocked);
    // Shows the model's tables with the active one selected.
    void rebuild();
    void setSilenceMs(int ms);
    // Where the window is: a setting page, and whether the keyboard is open
    // there (not on the device and firmware pages, which read it anew).
    void setPlace(bool settingPage, bool keyboardOpen);

    void add();
    void removeSelected();
    // Makes `table` the active one as a click in the list does (the sync
    // follows); false when the list is blocked or holds no such table.
    bool switchTo(int table);
    // A full sync with the list blocked.
    void startSync();
    // After a job ended: a switch the keyboard made meanwhile syncs now.
    void runDeferredSwitch();
    // A sync, import, export or table command runs.
    bool jobRunning() const;

signals:
    void toastRequested(const QString& text);

private:
    void onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void onConfigItemChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_switch_config_table(uchar source, int current, int total);
    void usb_receive_add_config_table(uchar source, int current, int total);
    void usb_receive_del_config_table(uchar source, int current, int total);
    void usb_receive_set_config_info(uchar source, int current, int total);
    void usb_receive_config_change(uchar source, uchar type, uchar item);
    bool acceptSource(uchar source, const char* slot) const;
    void armTableWatchdog(uchar order);
    void sendSwitch(int table);
    void selectRow(int row);
    int rowOfTable(int tableIndex) const;
    int tableAt(int row) const;
    int freeTableIndex() const;

    QListView* mView;
    QWidget* mControls;
    QWidget* mDeleteButton;
    JobRunner* mJobs;
    Deferred mBeforeCommand;
    QStandardItemModel* mModel = nullptr;
    QTimer* mTableWatchdog = nullptr;
    int mSelectedRow = 0;
    bool mRebuilding = false;
    bool mBlocked = false;
    bool mSettingPage = false;
    bool mKeyboardOpen = false;
    QString mPendingName;
    uchar mTableOrder = 0;
    // A table command waits for its answer (mTableOrder).
    bool mTablePending = false;
    // The keyboard switched its table while a job ran: a sync follows it.
    bool mSwitchWaiting = false;
};
