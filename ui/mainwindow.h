#pragma once
// The application's only top-level window: its own title bar, the
// navigation column (device, firmware, settings, communication type and the
// keyboard's configuration tables), the page stack with the ten pages, the
// progress of a sync, export or import, the tray icon, the receiving end of
// the single-instance hand-over and the reaction to plugging the keyboard.

#include <QItemSelection>
#include <QMainWindow>
#include <QPointer>
#include <QProgressDialog>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <vector>

#include "ui/jobrunner.h"
#include "ui/pageindex.h"

class BasePage;
class HidWatcher;
class QLocalServer;
class QMenu;

class ConfigTablePanel;
class QTimer;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The requester code of the window's own commands (the table list's).
    static constexpr uchar kSource = 2;
    // A sync, export or import that hears nothing for this long has failed.
    static constexpr int kJobSilenceMs = JobRunner::kSilenceMs;

    // Listens for the hand-over of a second copy on `serverName`; an empty
    // name listens on nothing (tests, pictures).
    explicit MainWindow(const QString& serverName = QString(), QWidget* parent = nullptr);
    ~MainWindow() override;

    HidWatcher* hidWatcher() const { return mHidWatcher.get(); }
    QSystemTrayIcon* trayIcon() const { return mTrayIcon; }
    QLocalServer* localServer() const { return mLocalServer; }

    // Listens for the hand-over message of a second copy on `serverName`.
    // A socket file left behind by a crashed copy is removed first; a live
    // server of that name is left alone.
    bool listen(const QString& serverName);
    // Stops listening, so that a new copy started now becomes the first one.
    void stopListening();

    // Texts of the tray balloon, in the current language.
    static QString trayTitle();
    static QString trayMessage();

    // The page at a PageIndex, and the one shown.
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
    // The list and the shown page were refreshed from a finished sync or
    // import.
    void configurationRefreshed();

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
    void on_firewareButton_clicked();
    void onTrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void onNewConnection();
    void deviceConnected(QString deviceInfo);
    void deviceDisconnected(QString deviceInfo);
    void protocol_device_disconnected();
    void on_main_ble_radio_clicked();
    void on_main_usb_radio_clicked();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The pages, one row each; every page enters and leaves by the page
    // contract (BasePage), with its own rules inside.
    struct PageRow {
        int index;
        std::function<BasePage*(QWidget*)> create;
    };
    static const std::vector<PageRow>& pageTable();
    const PageRow* rowOf(int index) const;

    void createPages();
    void createTrayIcon();
    void bringToFront();
    void applyLeftColumn(int index);
    void rebuildConfigList();
    void setListBlocked(bool blocked);
    // Leaves calibration (telling the keyboard) and runs `then` 100 ms later.
    void afterLeavingCalibration(std::function<void()> then);
    void leaveCalibration(bool tellKeyboard);
    void refreshDevicePage(bool autoOpen);
    void refreshAfterSync();
    void onSyncEnded(bool ok, int error);
    void onExportEnded(bool ok, int error);
    void onImportEnded(bool ok, int error, const ImportConfigUtil::KeyMismatch& mismatch);
    // A readable profile's bytes: checked, previewed, then written.
    void importProfile(const QByteArray& bytes);
    void showReadBackDifferences();
    void toast(const QString& text);

    std::unique_ptr<Ui::MainWindow> ui;
    std::vector<BasePage*> mPages;
    std::shared_ptr<HidWatcher> mHidWatcher;
    QSystemTrayIcon* mTrayIcon = nullptr;
    QMenu* mTrayMenu = nullptr;
    QLocalServer* mLocalServer = nullptr;

    int mShownIndex = PageDevice;
    int mPreviousPageIndex = PageNone;
    bool mUsbPresent = false;

    JobRunner* mJobs = nullptr;
    ConfigTablePanel* mTables = nullptr;

    // Dragging the frameless window by its title bar.
    bool mDragging = false;
    QPoint mDragOffset;
};
