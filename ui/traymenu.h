#pragma once
// The window's tray icon and its menu: minimise, maximise, restore and quit,
// the keyboard's profiles for a switch by hand, pausing the automatic switch,
// and the balloon that says the window went to the tray.

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class QMenu;
class QWidget;

class TrayMenu : public QObject {
    Q_OBJECT
public:
    // Acts on `window`, which also owns this object.
    explicit TrayMenu(QWidget* window);
    ~TrayMenu() override;

    QSystemTrayIcon* icon() const { return mIcon; }

    // Texts of the start-up balloon, in the current language.
    static QString title();
    static QString message();

    // When the settings close to the tray and the icon is shown: hides the
    // window and says so. False when the window should really close.
    bool hideToTray();

    // Shows whether the automatic profile switch is paused.
    void setAutoSwitchPaused(bool paused);

signals:
    // A click or double click on the icon.
    void restoreRequested();
    // A profile chosen in the menu (its table number).
    void profileChosen(int table);
    void autoSwitchPauseToggled(bool paused);

private:
    QWidget* mWindow;
    QSystemTrayIcon* mIcon = nullptr;
    // A menu has no parent widget here; it goes with this object.
    std::unique_ptr<QMenu> mMenu;
    QMenu* mProfiles = nullptr;
    class QAction* mPause = nullptr;

    // The profiles the keyboard holds, read when the menu opens.
    void fillProfiles();
    void retranslate();
};
