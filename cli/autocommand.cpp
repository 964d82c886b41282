// auto list | add | remove | move | default | match | run: the rules that
// switch the keyboard's profile by the programs that run, stored per product
// in config.ini as the window stores them, and a foreground switcher for
// people who do not run the window.
#include <fcntl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QSettings>
#include <QSocketNotifier>
#include <csignal>
#include <memory>

#include "cli/clicommand.h"
#include "cli/clisession.h"
#include "common/apppaths.h"
#include "jobs/autoswitcher.h"
#include "jobs/focussource.h"
#include "jobs/procprocesssource.h"
#include "model/keyboardconfigutil.h"

namespace {

constexpr uchar kSource = 2;  // the table list's source, as `profile switch`

int gSignalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    // Nothing else is safe in a signal handler; the event loop reads it.
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

qint16 productOf(CliSession& s) {
    return s.model().keyboardProductInfo ? s.model().keyboardProductInfo->serialNumber : 0;
}

AutoSwitchRules loadRules(CliSession& s) {
    QSettings settings(AppPaths::configFile(), QSettings::IniFormat);
    AutoSwitchRules rules;
    rules.load(settings, productOf(s));
    return rules;
}

int saveRules(CliSession& s, const AutoSwitchRules& rules) {
    QSettings settings(AppPaths::configFile(), QSettings::IniFormat);
    rules.save(settings, productOf(s));
    if (settings.status() != QSettings::NoError)
        return s.fail(QStringLiteral("cannot write %1").arg(AppPaths::configFile()));
    return 0;
}

bool hasProfile(const KeyboardConfigUtil& m, const QString& name) {
    for (const ConfigTableEntryPtr& t : m.keyboardConfigList)
        if (t && t->configName == name) return true;
    return false;
}

// A profile name, or a table number as `profile list` prints it; the name is
// what is stored.
bool profileArg(const KeyboardConfigUtil& m, const QString& text, QString* name, QString* why) {
    if (hasProfile(m, text)) {
        *name = text;
        return true;
    }
    bool number = false;
    const int table = text.toInt(&number);
    for (const ConfigTableEntryPtr& t : m.keyboardConfigList) {
        if (number && t && t->index == table && !t->configName.isEmpty()) {
            *name = t->configName;
            return true;
        }
    }
    QStringList have;
    for (const ConfigTableEntryPtr& t : m.keyboardConfigList)
        if (t) have << QStringLiteral("%1 \"%2\"").arg(t->index).arg(t->configName);
    *why = QStringLiteral("the keyboard has no profile \"%1\" (it has %2)")
               .arg(text, have.join(QStringLiteral(", ")));
    return false;
}

QString describe(const AutoSwitchRule& rule) {
    const QString what = rule.kind == AutoSwitchRule::Process       ? QStringLiteral("process")
                         : rule.kind == AutoSwitchRule::WindowClass ? QStringLiteral("window class")
                                                                    : QStringLiteral("title");
    return QStringLiteral("%1 %2 -> %3 (%4)")
        .arg(what, rule.pattern, rule.profile,
             rule.needsFocus() ? QStringLiteral("while it has the focus")
                               : QStringLiteral("while it runs"));
}

int list(CliSession& s, const AutoSwitchRules& rules) {
    for (int i = 0; i < rules.rules.size(); ++i) {
        const AutoSwitchRule& rule = rules.rules.at(i);
        s.say(QStringLiteral("%1 %2%3")
                  .arg(i + 1)
                  .arg(describe(rule))
                  .arg(hasProfile(s.model(), rule.profile)
                           ? QString()
                           : QStringLiteral(" [the keyboard has no such profile]")));
    }
    s.say(QStringLiteral("default: %1")
              .arg(rules.defaultProfile.isEmpty() ? QStringLiteral("none (leave as it is)")
                                                  : rules.defaultProfile));
    return 0;
}

int add(CliSession& s, AutoSwitchRules rules, const QStringList& args) {
    AutoSwitchRule rule;
    QString profile;
    bool haveKind = false;
    for (int i = 2; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--focus")) {
            rule.focus = true;
            continue;
        }
        AutoSwitchRule::Kind kind;
        if (a == QLatin1String("--process"))
            kind = AutoSwitchRule::Process;
        else if (a == QLatin1String("--window-class"))
            kind = AutoSwitchRule::WindowClass;
        else if (a == QLatin1String("--title"))
            kind = AutoSwitchRule::Title;
        else
            return s.refuse(QStringLiteral("auto add: unknown argument \"%1\"").arg(a));
        if (haveKind)
            return s.refuse(
                QStringLiteral("auto add: give one of --process, --window-class, --title"));
        if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
            return s.refuse(QStringLiteral("auto add: %1 needs a value").arg(a));
        haveKind = true;
        rule.kind = kind;
        rule.pattern = args.at(++i);
    }
    if (!haveKind)
        return s.refuse(QStringLiteral("auto add: give one of --process, --window-class, --title"));
    QString why;
    if (!profileArg(s.model(), args.at(1), &profile, &why)) return s.refuse(why);
    rule.profile = profile;
    rule.focus = rule.needsFocus();
    rules.rules.append(rule);
    if (const int code = saveRules(s, rules)) return code;
    s.say(QStringLiteral("added rule %1: %2").arg(rules.rules.size()).arg(describe(rule)));
    if (rule.needsFocus() && FocusSource::isWayland())
        s.say(
            QStringLiteral("note: a Wayland session does not tell which window has the focus; "
                           "only \"while it runs\" rules work there"));
    return 0;
}

bool ruleNumber(const AutoSwitchRules& rules, const QString& text, int* index, QString* why) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (ok && n >= 1 && n <= rules.rules.size()) {
        *index = n - 1;
        return true;
    }
    *why = rules.rules.isEmpty()
               ? QStringLiteral("there are no rules")
               : QStringLiteral("no rule \"%1\" (rules 1 to %2)").arg(text).arg(rules.rules.size());
    return false;
}

int match(CliSession& s, const AutoSwitchRules& rules) {
    ProcProcessSource processes;
    QString why;
    std::unique_ptr<FocusSource> focus(FocusSource::forSession(nullptr, &why));
    AutoSwitcher switcher(&processes, focus.get());
    switcher.setModel([&s] { return &s.model(); });
    switcher.setRules(rules);
    const AutoSwitcher::Choice c = switcher.evaluateNow();
    if (c.rule >= 0)
        s.say(
            QStringLiteral("rule %1 matches: %2 for %3").arg(c.rule + 1).arg(c.profile, c.program));
    else if (c.profile.isEmpty())
        s.say(QStringLiteral("no rule matches: the profile is left as it is"));
    else
        s.say(QStringLiteral("no rule matches: default %1").arg(c.profile));
    if (!c.profile.isEmpty() && switcher.tableOf(c.profile) < 0)
        s.say(QStringLiteral("the keyboard has no profile \"%1\": nothing would switch")
                  .arg(c.profile));
    if (!focus && rules.needsFocus())
        s.say(QStringLiteral("focus rules do not work here: %1").arg(why));
    return 0;
}

int run(CliSession& s, const AutoSwitchRules& rules) {
    if (rules.rules.isEmpty() && rules.defaultProfile.isEmpty())
        return s.refuse(QStringLiteral("auto run: there are no rules (auto add)"));
    if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return s.fail(QStringLiteral("cannot watch for signals"));
    QEventLoop loop;
    QSocketNotifier stop(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    ProcProcessSource processes;
    QString why;
    std::unique_ptr<FocusSource> focus(FocusSource::forSession(nullptr, &why));
    if (!focus && rules.needsFocus())
        s.say(QStringLiteral("focus rules do not work here: %1").arg(why));
    AutoSwitcher switcher(&processes, focus.get());
    bool switching = false;
    switcher.setModel([&s] { return &s.model(); });
    switcher.setBusy([&switching] { return switching; });
    switcher.setConnected([&s] { return s.engine().isConnected(); });
    QObject::connect(&switcher, &AutoSwitcher::problem, &s,
                     [&s](const QString& text) { s.say(text); });
    QObject::connect(&switcher, &AutoSwitcher::missingProfile, &s, [&s](const QString& p) {
        s.say(QStringLiteral("the keyboard has no profile \"%1\": nothing switched").arg(p));
    });
    QObject::connect(
        &switcher, &AutoSwitcher::switchRequested, &s,
        [&](int table, const QString& profile, const QString& program) {
            switching = true;
            const int error =
                s.exchange(kSource, &UsbCommunicateUtil::usb_receive_switch_config_table,
                           [&] { s.engine().switchConfigTable(kSource, true, uchar(table)); });
            // The table list as the keyboard holds it now.
            const bool reread = !error && s.sync(1);
            switching = false;
            if (error || !reread) {
                // An unplugged keyboard: dropped, the loop runs on.
                s.say(QStringLiteral("switch to %1 dropped (error %2)")
                          .arg(profile)
                          .arg(error ? error : -2));
                return;
            }
            s.say(program.isEmpty() ? QStringLiteral("%1 profile").arg(profile)
                                    : QStringLiteral("%1 profile for %2").arg(profile, program));
        });
    switcher.setRules(rules);
    s.say(QStringLiteral("switching automatically; Ctrl+C stops"));
    loop.exec();
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    ::close(gSignalPipe[0]);
    ::close(gSignalPipe[1]);
    s.say(QStringLiteral("stopped; the keyboard stays on its profile"));
    return 0;
}

int runAuto(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    static const QStringList verbs = {QStringLiteral("list"),    QStringLiteral("add"),
                                      QStringLiteral("remove"),  QStringLiteral("move"),
                                      QStringLiteral("default"), QStringLiteral("match"),
                                      QStringLiteral("run")};
    if (!verbs.contains(verb))
        return s.refuse(QStringLiteral(
            "auto: say list, add, remove, move, default, match or run (zentaro-cli auto --help)"));
    const int wanted = verb == QLatin1String("remove") || verb == QLatin1String("default") ? 2
                       : verb == QLatin1String("move")                                     ? 3
                       : verb == QLatin1String("add")                                      ? -1
                                                                                           : 1;
    if (wanted > 0 && args.size() != wanted)
        return s.refuse(QStringLiteral("auto %1: %2")
                            .arg(verb, args.size() > wanted ? QStringLiteral("too many arguments")
                                                            : QStringLiteral("missing arguments")));
    if (verb == QLatin1String("add") && args.size() < 3)
        return s.refuse(QStringLiteral("auto add: missing arguments"));
    // Rules belong to the product: the keyboard says which one it is.
    if (!s.readKeyboard()) return 1;
    AutoSwitchRules rules = loadRules(s);
    if (verb == QLatin1String("list")) return list(s, rules);
    if (verb == QLatin1String("add")) return add(s, rules, args);
    if (verb == QLatin1String("match")) return match(s, rules);
    if (verb == QLatin1String("run")) return run(s, rules);
    QString why;
    if (verb == QLatin1String("default")) {
        QString profile;
        if (args.at(1) != QLatin1String("none") &&
            !profileArg(s.model(), args.at(1), &profile, &why))
            return s.refuse(why);
        rules.defaultProfile = profile;
        if (const int code = saveRules(s, rules)) return code;
        s.say(profile.isEmpty() ? QStringLiteral("default: none (leave as it is)")
                                : QStringLiteral("default: %1").arg(profile));
        return 0;
    }
    int index = 0;
    if (!ruleNumber(rules, args.at(1), &index, &why)) return s.refuse(why);
    if (verb == QLatin1String("remove")) {
        const AutoSwitchRule gone = rules.rules.takeAt(index);
        if (const int code = saveRules(s, rules)) return code;
        s.say(QStringLiteral("removed rule %1: %2").arg(index + 1).arg(describe(gone)));
        return 0;
    }
    int to = 0;
    if (!ruleNumber(rules, args.at(2), &to, &why)) return s.refuse(why);
    rules.move(index, to);
    if (const int code = saveRules(s, rules)) return code;
    s.say(QStringLiteral("moved rule %1 to %2").arg(index + 1).arg(to + 1));
    return list(s, rules);
}

}  // namespace

static CliCommand::Registrar registerAuto(
    "auto", "auto list|add|remove|move|default|match|run  switch profiles by the programs that run",
    runAuto,
    "auto list                    the rules in order (the first that matches wins)\n"
    "auto add PROFILE (--process NAME | --window-class CLASS | --title TEXT) [--focus]\n"
    "                             add a rule at the end; --focus: only while the\n"
    "                             program has the focus (window rules always)\n"
    "auto remove N                remove rule N\n"
    "auto move N POS              move rule N to position POS\n"
    "auto default PROFILE|none    the profile when no rule matches (none: leave it)\n"
    "auto match                   which rule applies now\n"
    "auto run                     switch in the foreground until Ctrl+C or SIGTERM\n"
    "PROFILE is a profile's name or its number as \"profile list\" prints it; rules\n"
    "are kept per keyboard product in data/config.ini, shared with the window.\n"
    "A process NAME holding a '/' is matched against the executable's path. Focus\n"
    "rules need X11; a Wayland session does not tell which window has the focus.");
