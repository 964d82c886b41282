#include "jobs/autoswitcher.h"

#include <QTimer>

#include "common/applog.h"
#include "jobs/focussource.h"
#include "jobs/processsource.h"
#include "model/keyboardconfigutil.h"

AutoSwitcher::AutoSwitcher(ProcessSource* processes, FocusSource* focus, QObject* parent)
    : QObject(parent), mProcesses(processes), mFocus(focus) {
    mScan = new QTimer(this);
    mScan->setInterval(kScanMs);
    connect(mScan, &QTimer::timeout, this, &AutoSwitcher::evaluate);
    mDebounce = new QTimer(this);
    mDebounce->setSingleShot(true);
    mDebounce->setInterval(kDebounceMs);
    connect(mDebounce, &QTimer::timeout, this, &AutoSwitcher::fire);
    if (mFocus) connect(mFocus, &FocusSource::changed, this, &AutoSwitcher::evaluate);
}

AutoSwitcher::~AutoSwitcher() = default;

void AutoSwitcher::setScanInterval(int ms) {
    mScan->setInterval(ms);
}

void AutoSwitcher::setDebounce(int ms) {
    mDebounce->setInterval(ms);
}

void AutoSwitcher::setRules(const AutoSwitchRules& rules) {
    mRules = rules;
    mReportedMissing.clear();
    mHaveChoice = false;
    updateScanning();
    evaluate();
}

void AutoSwitcher::setPaused(bool paused) {
    if (mPaused == paused) return;
    mPaused = paused;
    AppLog::line(QStringLiteral("=== AutoSwitcher paused:{ %1 } ===").arg(paused ? 1 : 0));
    if (paused) mDebounce->stop();
    // After a pause the programs that run now decide again.
    mHaveChoice = false;
    updateScanning();
    evaluate();
}

void AutoSwitcher::reset() {
    mHaveChoice = false;
    mApplied.clear();
    evaluate();
}

bool AutoSwitcher::isScanning() const {
    return mScan->isActive();
}

void AutoSwitcher::updateScanning() {
    // No process rule, no scan: the idle program keeps its wake-ups.
    if (!mPaused && mProcesses && mRules.needsProcesses())
        mScan->start();
    else
        mScan->stop();
}

QString AutoSwitcher::programOf(const AutoSwitchRule& rule, const QList<RunningProcess>& processes,
                                const FocusedWindow& focus, const RunningProcess& focused) const {
    switch (rule.kind) {
        case AutoSwitchRule::WindowClass:
            return focus.windowClass.isEmpty() ? focus.instance : focus.windowClass;
        case AutoSwitchRule::Title:
            return focus.title;
        case AutoSwitchRule::Process:
            if (rule.focus) return focused.name;
            for (const RunningProcess& p : processes)
                if (AutoSwitchRules::matches(rule, p)) return p.name;
    }
    return rule.pattern;
}

AutoSwitcher::Choice AutoSwitcher::choose(const AutoSwitchRules& rules) const {
    const bool paths = [&rules] {
        for (const AutoSwitchRule& r : rules.rules)
            if (r.kind == AutoSwitchRule::Process && r.pattern.contains(QLatin1Char('/')))
                return true;
        return false;
    }();
    QList<RunningProcess> processes;
    if (mProcesses && rules.needsProcesses()) processes = mProcesses->processes(paths);
    FocusedWindow focus = mFocus ? mFocus->current() : FocusedWindow();
    RunningProcess focused;
    if (focus.known && focus.pid > 0 && mProcesses) focused = mProcesses->process(focus.pid);
    Choice choice;
    choice.rule = rules.match(processes, focus, focused);
    if (choice.rule >= 0) {
        const AutoSwitchRule& rule = rules.rules.at(choice.rule);
        choice.profile = rule.profile;
        choice.program = programOf(rule, processes, focus, focused);
    } else {
        choice.profile = rules.defaultProfile;
    }
    return choice;
}

void AutoSwitcher::evaluate() {
    if (mPaused || (mRules.rules.isEmpty() && mRules.defaultProfile.isEmpty())) return;
    const Choice choice = evaluateNow();
    if (mHaveChoice && choice.rule == mChoice.rule && choice.profile == mChoice.profile) return;
    mHaveChoice = true;
    mChoice = choice;
    // Debounced: a program that starts and ends at once, or a focus that
    // passes over windows, switches nothing.
    mDebounce->start();
}

int AutoSwitcher::tableOf(const QString& profile) const {
    const KeyboardConfigUtil* m = mModel ? mModel() : KeyboardConfigUtil::instance();
    if (!m || profile.isEmpty()) return -1;
    for (const ConfigTableEntryPtr& t : m->keyboardConfigList)
        if (t && t->configName == profile) return t->index;
    return -1;
}

void AutoSwitcher::fire() {
    if (mPaused || !mHaveChoice) return;
    const Choice choice = mChoice;
    // "Leave as it is": nothing to do once no rule matches.
    if (choice.profile.isEmpty()) return;
    if (mConnected && !mConnected()) {
        const QString text =
            QStringLiteral("automatic switch to \"%1\" dropped: no keyboard").arg(choice.profile);
        AppLog::line(QStringLiteral("=== AutoSwitcher %1 ===").arg(text));
        emit problem(text);
        return;
    }
    if (mBusy && mBusy()) {
        // A switch now would cut into the job; it waits for the job's end.
        mDebounce->start();
        return;
    }
    const int table = tableOf(choice.profile);
    if (table < 0) {
        if (!mReportedMissing.contains(choice.profile)) {
            mReportedMissing.append(choice.profile);
            AppLog::line(QStringLiteral("=== AutoSwitcher the keyboard has no profile \"%1\" ===")
                             .arg(choice.profile));
            emit missingProfile(choice.profile);
        }
        return;
    }
    const KeyboardConfigUtil* m = mModel ? mModel() : KeyboardConfigUtil::instance();
    if (m && m->keyboardConfigIndex == table) {
        mApplied = choice.profile;
        return;
    }
    mApplied = choice.profile;
    AppLog::line(QStringLiteral("=== AutoSwitcher switch to { %1 } for { %2 } ===")
                     .arg(choice.profile, choice.program));
    emit switchRequested(table, choice.profile, choice.program);
}
