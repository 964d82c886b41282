#pragma once
// The application's only top-level window: its own title bar, the
// navigation column (device, firmware, settings, communication type and the
// keyboard's configuration tables) and the page stack. The pages (PageTable),
// the tables (ConfigTablePanel), sync, export and import (JobRunner), the tray
// (TrayMenu), the single-instance hand-over (HandOverReceiver) and plugging
// (HotplugFollower) live in classes of their own.

#include <QItemSelection>
#include <QMainWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <vector>

#include "ui/configtablepanel.h"
#include "ui/handoverreceiver.h"
#include "ui/hotplugfollower.h"
#include "ui/jobrunner.h"
#include "ui/pageindex.h"
#include "ui/traymenu.h"

class BasePage;
class ConfigFileActions;
class HidWatcher;
class PageTable;
class QLocalServer;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The requester code of the window's own commands (the table list's).
    static constexpr uchar kSource = ConfigTablePanel::kSource;
    // A sync, export or import that hears nothing for this long has failed.
    static constexpr int kJobSilenceMs = JobRunner::kSilenceMs;

    // Listens for the hand-over of a second copy on `serverName`; an empty
    // name listens on nothing (tests, pictures).
    explicit MainWindow(const QString& serverName = QString(), QWidget* parent = nullptr);
    ~MainWindow() override;

    HidWatcher* hidWatcher() const { return mHotplug->watcher(); }
    QSystemTrayIcon* trayIcon() const { return mTray->icon(); }
    QLocalServer* localServer() const { return mHandOver->server(); }

    // Listens for the hand-over message of a second copy (HandOverReceiver).
    bool listen(const QString& serverName) { return mHandOver->listen(serverName); }
    // Stops listening, so that a new copy started now becomes the first one.
    void stopListening() { mHandOver->stopListening(); }

    // The page at a PageIndex (built if it was not yet), and the one shown.
    BasePage* page(int index) const;
    int currentPageIndex() const;
    // The page that was entered last; PageNone before the first.
    int previousPageIndex() const { return mPreviousPageIndex; }
    // Shows a page (nothing when it is already shown).
    void showPage(int index);

    // The progress dialog of the sync, export or import running now, if any.
    QProgressDialog* progressDialog() const;
    // True while a configuration-table command waits for its answer or the
    // sync after it runs.
    bool isListBlocked() const;
    void setJobSilenceMs(int ms);

    // Set by the system page's service key; shows the firmware button.
    static bool isFirewarePageUnlocked();
    static void setFirewarePageUnlocked(bool unlocked);

signals:
    // A second copy asked this one to come to the front.
    void activatedByAnotherCopy();

public slots:
    void refreshLanguageUi();
    void stackedWidgetChange(int index);
    void on_minButton_clicked();
    void on_maxButton_clicked();
    void on_exitButton_clicked();
    void on_deviceButton_clicked();
    void on_settingButton_clicked();
    void on_addButton_clicked();
    void on_deButton_clicked();
    void on_importButton_clicked();
    void on_exportButton_clicked();
    void on_copyCodeButton_clicked();
    void on_pasteCodeButton_clicked();
    void on_firewareButton_clicked();
    void on_main_ble_radio_clicked();
    void on_main_usb_radio_clicked();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The first paint lets the pages not shown yet be built while idle.
    void paintEvent(QPaintEvent* event) override;

private:
    // Wires a page as it is built: navigation and language.
    void adoptPage(BasePage* page);
    void applyToolTips();
    void bringToFront();
    void applyLeftColumn(int index);
    void showProductName();
    // Ends calibration (telling the keyboard) and runs `then` 100 ms later.
    void afterLeavingCalibration(std::function<void()> then);
    void devicesChanged(bool autoOpen);
    void onUnplugged();
    void onLinkLost();
    void refreshAfterSync();
    void onSyncEnded(bool ok, int error);
    void onExportEnded(bool ok, int error);
    void onImportEnded(bool ok, int error, const ImportConfigUtil::KeyMismatch& mismatch);
    void toast(const QString& text);

    std::unique_ptr<Ui::MainWindow> ui;
    PageTable* mPages = nullptr;
    HotplugFollower* mHotplug = nullptr;
    TrayMenu* mTray = nullptr;
    HandOverReceiver* mHandOver = nullptr;

    int mShownIndex = PageDevice;
    int mPreviousPageIndex = PageNone;
    bool mPainted = false;

    JobRunner* mJobs = nullptr;
    ConfigTablePanel* mTables = nullptr;
    std::unique_ptr<ConfigFileActions> mFiles;
};
