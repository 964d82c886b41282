#pragma once
// The rules that pick an on-keyboard profile from what runs on the desktop:
// an ordered list (the first rule that matches wins) and a default profile for
// when none does (empty: leave the keyboard as it is). Profiles are named by
// their table name, so a renamed or deleted table is noticed, never guessed.
// Stored per keyboard product in the user's settings (config.ini).

#include <QList>
#include <QString>

class QSettings;

struct RunningProcess {
    qint64 pid = 0;
    QString name;  // executable name: argv[0]'s last part, else the kernel's name
    QString path;  // the executable's path when it could be read, else empty
};

struct FocusedWindow {
    bool known = false;  // false: the desktop does not tell which window has the focus
    qint64 pid = 0;      // 0 when the window does not say
    QString instance;    // the two parts of the window's class
    QString windowClass;
    QString title;
};

struct AutoSwitchRule {
    enum Kind { Process, WindowClass, Title };
    Kind kind = Process;
    // Process: an executable name, or a path when it holds a '/'. Window
    // class: either part of the class. Title: a part of the title.
    QString pattern;
    QString profile;
    // Only while the program has the focus (window rules always do).
    bool focus = false;

    bool needsFocus() const { return focus || kind != Process; }
    bool operator==(const AutoSwitchRule& o) const {
        return kind == o.kind && pattern == o.pattern && profile == o.profile && focus == o.focus;
    }
    // The words of the CLI and the dialog's list: "process", "class", "title".
    static QString kindName(Kind kind);
    static bool kindFromName(const QString& name, Kind* kind);
};

class AutoSwitchRules {
public:
    QList<AutoSwitchRule> rules;
    // The profile when no rule matches; empty: leave the keyboard as it is.
    QString defaultProfile;

    // The settings group of a product's rules.
    static QString group(qint16 product);
    void load(QSettings& settings, qint16 product);
    void save(QSettings& settings, qint16 product) const;

    // Whether some rule needs the list of running programs (a /proc scan).
    bool needsProcesses() const;
    bool needsFocus() const;

    // The first rule that matches, or -1. `focusedProcess` is the focused
    // window's program (pid 0 when unknown).
    int match(const QList<RunningProcess>& processes, const FocusedWindow& focus,
              const RunningProcess& focusedProcess) const;
    static bool matches(const AutoSwitchRule& rule, const RunningProcess& process);
    static bool matches(const AutoSwitchRule& rule, const FocusedWindow& focus);

    // Moves rule `from` to `to` (both 0-based); false when either is out of range.
    bool move(int from, int to);
};
