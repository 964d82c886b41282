#include "jobs/autoswitchrules.h"

#include <QSettings>

QString AutoSwitchRule::kindName(Kind kind) {
    switch (kind) {
        case Process:
            return QStringLiteral("process");
        case WindowClass:
            return QStringLiteral("class");
        case Title:
            return QStringLiteral("title");
    }
    return QString();
}

bool AutoSwitchRule::kindFromName(const QString& name, Kind* kind) {
    for (Kind k : {Process, WindowClass, Title}) {
        if (kindName(k) == name) {
            *kind = k;
            return true;
        }
    }
    return false;
}

QString AutoSwitchRules::group(qint16 product) {
    return QStringLiteral("AutoSwitch/Product%1").arg(product);
}

void AutoSwitchRules::load(QSettings& settings, qint16 product) {
    rules.clear();
    settings.beginGroup(group(product));
    defaultProfile = settings.value(QStringLiteral("Default")).toString();
    const int n = settings.beginReadArray(QStringLiteral("Rules"));
    for (int i = 0; i < n; ++i) {
        settings.setArrayIndex(i);
        AutoSwitchRule rule;
        // A rule of a kind this copy does not know, or without a pattern or
        // profile, could only ever match wrongly: it is left out.
        if (!AutoSwitchRule::kindFromName(settings.value(QStringLiteral("Kind")).toString(),
                                          &rule.kind))
            continue;
        rule.pattern = settings.value(QStringLiteral("Pattern")).toString();
        rule.profile = settings.value(QStringLiteral("Profile")).toString();
        rule.focus = settings.value(QStringLiteral("Focus")).toBool();
        if (rule.pattern.isEmpty() || rule.profile.isEmpty()) continue;
        rules.append(rule);
    }
    settings.endArray();
    settings.endGroup();
}

void AutoSwitchRules::save(QSettings& settings, qint16 product) const {
    settings.beginGroup(group(product));
    // A shorter list would leave the old tail behind otherwise.
    settings.remove(QString());
    settings.setValue(QStringLiteral("Default"), defaultProfile);
    settings.beginWriteArray(QStringLiteral("Rules"), int(rules.size()));
    for (int i = 0; i < rules.size(); ++i) {
        settings.setArrayIndex(i);
        const AutoSwitchRule& rule = rules.at(i);
        settings.setValue(QStringLiteral("Kind"), AutoSwitchRule::kindName(rule.kind));
        settings.setValue(QStringLiteral("Pattern"), rule.pattern);
        settings.setValue(QStringLiteral("Profile"), rule.profile);
        settings.setValue(QStringLiteral("Focus"), rule.focus);
    }
    settings.endArray();
    settings.endGroup();
    settings.sync();
}

bool AutoSwitchRules::needsProcesses() const {
    for (const AutoSwitchRule& rule : rules)
        if (rule.kind == AutoSwitchRule::Process && !rule.focus) return true;
    return false;
}

bool AutoSwitchRules::needsFocus() const {
    for (const AutoSwitchRule& rule : rules)
        if (rule.needsFocus()) return true;
    return false;
}

bool AutoSwitchRules::matches(const AutoSwitchRule& rule, const RunningProcess& process) {
    if (rule.kind != AutoSwitchRule::Process || process.pid == 0) return false;
    if (rule.pattern.contains(QLatin1Char('/'))) return process.path == rule.pattern;
    // Names as the user types them: "cs2" also finds a Windows game's "CS2.exe".
    if (process.name.compare(rule.pattern, Qt::CaseInsensitive) == 0) return true;
    return process.name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) &&
           process.name.chopped(4).compare(rule.pattern, Qt::CaseInsensitive) == 0;
}

bool AutoSwitchRules::matches(const AutoSwitchRule& rule, const FocusedWindow& focus) {
    if (!focus.known) return false;
    switch (rule.kind) {
        case AutoSwitchRule::WindowClass:
            return focus.windowClass.compare(rule.pattern, Qt::CaseInsensitive) == 0 ||
                   focus.instance.compare(rule.pattern, Qt::CaseInsensitive) == 0;
        case AutoSwitchRule::Title:
            return focus.title.contains(rule.pattern, Qt::CaseInsensitive);
        case AutoSwitchRule::Process:
            return false;
    }
    return false;
}

int AutoSwitchRules::match(const QList<RunningProcess>& processes, const FocusedWindow& focus,
                           const RunningProcess& focusedProcess) const {
    for (int i = 0; i < rules.size(); ++i) {
        const AutoSwitchRule& rule = rules.at(i);
        if (rule.kind != AutoSwitchRule::Process) {
            if (matches(rule, focus)) return i;
        } else if (rule.focus) {
            if (focus.known && matches(rule, focusedProcess)) return i;
        } else {
            for (const RunningProcess& p : processes)
                if (matches(rule, p)) return i;
        }
    }
    return -1;
}

bool AutoSwitchRules::move(int from, int to) {
    if (from < 0 || to < 0 || from >= rules.size() || to >= rules.size()) return false;
    rules.move(from, to);
    return true;
}
