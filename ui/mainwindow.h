#pragma once
// The application's only top-level window. For now a frame: title, tray
// icon, the receiving end of the single-instance hand-over and the device
// watcher; the pages and the navigation come later.

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <memory>

class HidWatcher;
class QLocalServer;
class QMenu;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    HidWatcher* hidWatcher() const { return mHidWatcher.get(); }
    QSystemTrayIcon* trayIcon() const { return mTrayIcon; }
    QLocalServer* localServer() const { return mLocalServer; }

    // Listens for the hand-over message of a second copy on `serverName`.
    // A socket file left behind by a crashed copy is removed first; a live
    // server of that name is left alone.
    bool listen(const QString& serverName);

    // Texts of the tray balloon, in the current language.
    static QString trayTitle();
    static QString trayMessage();

signals:
    // A second copy asked this one to come to the front.
    void activatedByAnotherCopy();

public slots:
    void onTrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void onNewConnection();

private:
    void createTrayIcon();
    void bringToFront();

    std::shared_ptr<HidWatcher> mHidWatcher;
    QSystemTrayIcon* mTrayIcon = nullptr;
    QMenu* mTrayMenu = nullptr;
    QLocalServer* mLocalServer = nullptr;
};
