#pragma once
// The automatic profile switch in the window: loads the open keyboard's rules
// after each sync, switches through the table list (so the list follows and a
// sync reads the new table), waits while a job runs, says what it did in a
// toast (a tray balloon while the window is hidden) and serves the tray's
// profile menu and pause.

#include <QObject>
#include <memory>

#include "jobs/autoswitcher.h"

class ConfigTablePanel;
class FocusSource;
class JobRunner;
class ProcessSource;
class TrayMenu;
class QWidget;

class AutoSwitchController : public QObject {
    Q_OBJECT
public:
    // `tray` may be null (tests, pictures).
    AutoSwitchController(ConfigTablePanel* tables, JobRunner* jobs, TrayMenu* tray,
                         QWidget* window);
    ~AutoSwitchController() override;

    // The controller of the main window, if there is one.
    static AutoSwitchController* instance();

    AutoSwitcher* switcher() const { return mSwitcher; }
    // Empty when focus rules work here; else why not, in words for the user.
    QString focusNote() const;
    // The product whose rules are loaded (0: no keyboard read yet).
    qint16 product() const { return mProduct; }
    // Saves the open product's rules and applies them.
    bool saveRules(const AutoSwitchRules& rules);
    // Reads the open keyboard's product and its rules (after a sync).
    void reload();
    // Test seams: other sources than /proc and the desktop's focus.
    void setSources(ProcessSource* processes, FocusSource* focus);

    // "FPS profile for cs2".
    static QString switchText(const QString& profile, const QString& program);

signals:
    void rulesChanged();

private:
    void build(ProcessSource* processes, FocusSource* focus);
    void say(const QString& text);

    ConfigTablePanel* mTables;
    JobRunner* mJobs;
    TrayMenu* mTray;
    QWidget* mWindow;
    std::unique_ptr<ProcessSource> mOwnProcesses;
    FocusSource* mFocus = nullptr;
    QString mFocusWhy;
    AutoSwitcher* mSwitcher = nullptr;
    qint16 mProduct = 0;
};
