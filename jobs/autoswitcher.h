#pragma once
// Decides when the automatic profile switch acts: it watches the running
// programs (a /proc scan every 2 s, only while a "while it runs" rule exists)
// and the focused window (events, no polling), picks the first matching rule
// or the default, and after 500 ms of the same choice asks for the switch.
// While a job runs the switch waits for its end; a profile a rule names that
// the keyboard no longer holds switches nothing and is reported. Who sends
// the command (the window's table list, zentaro-cli) connects switchRequested.

#include <QObject>
#include <QPointer>
#include <functional>

#include "jobs/autoswitchrules.h"
#include "jobs/focussource.h"

class KeyboardConfigUtil;
class ProcessSource;
class QTimer;

class AutoSwitcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kScanMs = 2000;
    static constexpr int kDebounceMs = 500;

    // `processes` stays the caller's; `focus` may be null (focus unknown).
    AutoSwitcher(ProcessSource* processes, FocusSource* focus, QObject* parent = nullptr);
    ~AutoSwitcher() override;

    // The model whose tables the profile names are looked up in.
    void setModel(std::function<KeyboardConfigUtil*()> model) { mModel = std::move(model); }
    // True while a job runs or the keyboard is not ready for a command.
    void setBusy(std::function<bool()> busy) { mBusy = std::move(busy); }
    // True while a keyboard is open; else a due switch is dropped.
    void setConnected(std::function<bool()> connected) { mConnected = std::move(connected); }
    void setScanInterval(int ms);
    void setDebounce(int ms);

    void setRules(const AutoSwitchRules& rules);
    const AutoSwitchRules& rules() const { return mRules; }
    // Paused: nothing is scanned or switched until resumed.
    void setPaused(bool paused);
    bool isPaused() const { return mPaused; }
    bool focusKnown() const { return mFocus != nullptr; }
    bool isScanning() const;

    // What would apply now: the rule's index (-1: none, the default applies),
    // its profile and the program it matched for. Scans when needed.
    struct Choice {
        int rule = -1;
        QString profile;  // empty: leave the keyboard as it is
        QString program;
    };
    Choice evaluateNow() { return choose(mRules); }
    // The same for other rules (the dialog tries rules before they are saved).
    Choice choose(const AutoSwitchRules& rules) const;
    // The table holding `profile` in the model, or -1.
    int tableOf(const QString& profile) const;
    // Forgets the last choice, so the next evaluation switches again (a
    // keyboard was opened).
    void reset();

signals:
    void switchRequested(int table, const QString& profile, const QString& program);
    // A rule names a profile the keyboard does not hold, or a switch was dropped.
    void problem(const QString& text);
    // A profile the keyboard lacks: said once per name until the rules change.
    void missingProfile(const QString& profile);

private:
    void evaluate();
    void fire();
    void updateScanning();
    QString programOf(const AutoSwitchRule& rule, const QList<RunningProcess>& processes,
                      const FocusedWindow& focus, const RunningProcess& focused) const;

    ProcessSource* mProcesses;
    QPointer<FocusSource> mFocus;
    AutoSwitchRules mRules;
    std::function<KeyboardConfigUtil*()> mModel;
    std::function<bool()> mBusy;
    std::function<bool()> mConnected;
    QTimer* mScan = nullptr;
    QTimer* mDebounce = nullptr;
    bool mPaused = false;
    bool mHaveChoice = false;
    Choice mChoice;
    // The profile last switched to (or found active), so that one choice
    // switches once.
    QString mApplied;
    QStringList mReportedMissing;
};
