// Rule matching on made-up programs and windows, storage per product, and the
// /proc reader on a made-up tree.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "jobs/autoswitchrules.h"
#include "jobs/procprocesssource.h"

namespace {

AutoSwitchRule rule(AutoSwitchRule::Kind kind, const QString& pattern, const QString& profile,
                    bool focus = false) {
    AutoSwitchRule r;
    r.kind = kind;
    r.pattern = pattern;
    r.profile = profile;
    r.focus = focus;
    return r;
}

RunningProcess proc(qint64 pid, const QString& name, const QString& path = QString()) {
    return RunningProcess{pid, name, path};
}

FocusedWindow window(const QString& cls, const QString& title, qint64 pid = 0) {
    FocusedWindow w;
    w.known = true;
    w.pid = pid;
    w.instance = cls.toLower();
    w.windowClass = cls;
    w.title = title;
    return w;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestAutoSwitchRules : public QObject {
    Q_OBJECT
private slots:
    void firstMatchWinsAndModesHold();
    void namesPathsAndWindows();
    void storedPerProductAndReloaded();
    void laterScansFollowExecAndExit();
    void procTreeIsRead();
};

void TestAutoSwitchRules::firstMatchWinsAndModesHold() {
    AutoSwitchRules rules;
    rules.rules = {
        rule(AutoSwitchRule::Process, QStringLiteral("cs2"), QStringLiteral("FPS")),
        rule(AutoSwitchRule::Process, QStringLiteral("code"), QStringLiteral("Typing")),
        rule(AutoSwitchRule::Process, QStringLiteral("gimp"), QStringLiteral("Art"), true)};
    const QList<RunningProcess> both = {proc(10, QStringLiteral("code")),
                                        proc(11, QStringLiteral("cs2"))};
    // Order is the rules', not the processes'.
    QCOMPARE(rules.match(both, FocusedWindow(), RunningProcess()), 0);
    QCOMPARE(rules.match({proc(10, QStringLiteral("code"))}, FocusedWindow(), RunningProcess()), 1);
    QVERIFY(rules.move(1, 0));
    QCOMPARE(rules.match(both, FocusedWindow(), RunningProcess()), 0);
    QCOMPARE(rules.rules.at(0).profile, QStringLiteral("Typing"));
    QVERIFY(!rules.move(0, 3));

    // A focus rule: running is not enough, the focused window's program is.
    const QList<RunningProcess> gimp = {proc(20, QStringLiteral("gimp"))};
    QCOMPARE(rules.match(gimp, FocusedWindow(), RunningProcess()), -1);
    QCOMPARE(rules.match(gimp, window(QStringLiteral("Gimp"), QString(), 20), gimp.first()), 2);
    // Without a known focus (Wayland) a focus rule never matches.
    FocusedWindow unknown = window(QStringLiteral("Gimp"), QString(), 20);
    unknown.known = false;
    QCOMPARE(rules.match(gimp, unknown, gimp.first()), -1);
    QVERIFY(rules.needsProcesses());
    QVERIFY(rules.needsFocus());
    rules.rules = {rules.rules.at(2)};
    QVERIFY(!rules.needsProcesses());  // no scan for focus-only rules
}

void TestAutoSwitchRules::namesPathsAndWindows() {
    const AutoSwitchRule byName =
        rule(AutoSwitchRule::Process, QStringLiteral("cs2"), QStringLiteral("FPS"));
    QVERIFY(AutoSwitchRules::matches(byName, proc(1, QStringLiteral("CS2.exe"))));
    QVERIFY(AutoSwitchRules::matches(byName, proc(1, QStringLiteral("cs2"))));
    QVERIFY(!AutoSwitchRules::matches(byName, proc(1, QStringLiteral("cs2-launcher"))));
    QVERIFY(!AutoSwitchRules::matches(byName, proc(0, QStringLiteral("cs2"))));  // gone
    const AutoSwitchRule byPath =
        rule(AutoSwitchRule::Process, QStringLiteral("/opt/game/bin/run"), QStringLiteral("FPS"));
    QVERIFY(AutoSwitchRules::matches(
        byPath, proc(1, QStringLiteral("run"), QStringLiteral("/opt/game/bin/run"))));
    QVERIFY(!AutoSwitchRules::matches(
        byPath, proc(1, QStringLiteral("run"), QStringLiteral("/usr/bin/run"))));

    const AutoSwitchRule byClass =
        rule(AutoSwitchRule::WindowClass, QStringLiteral("steam_app_730"), QStringLiteral("FPS"));
    QVERIFY(byClass.needsFocus());
    QVERIFY(AutoSwitchRules::matches(byClass, window(QStringLiteral("Steam_App_730"), QString())));
    QVERIFY(!AutoSwitchRules::matches(byClass, window(QStringLiteral("steam"), QString())));
    const AutoSwitchRule byTitle =
        rule(AutoSwitchRule::Title, QStringLiteral("figma"), QStringLiteral("Art"));
    QVERIFY(AutoSwitchRules::matches(
        byTitle, window(QStringLiteral("firefox"), QStringLiteral("Board – Figma"))));
    QVERIFY(!AutoSwitchRules::matches(byTitle,
                                      window(QStringLiteral("firefox"), QStringLiteral("Mail"))));
}

void TestAutoSwitchRules::storedPerProductAndReloaded() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("config.ini"));
    AutoSwitchRules a;
    a.rules = {rule(AutoSwitchRule::Process, QStringLiteral("cs2"), QStringLiteral("FPS")),
               rule(AutoSwitchRule::Title, QStringLiteral("Docs"), QStringLiteral("Typing"), true)};
    a.defaultProfile = QStringLiteral("Default");
    {
        QSettings s(file, QSettings::IniFormat);
        a.save(s, 258);
        AutoSwitchRules other;
        other.rules = {rule(AutoSwitchRule::WindowClass, QStringLiteral("x"), QStringLiteral("P"))};
        other.save(s, 259);
    }
    QSettings s(file, QSettings::IniFormat);
    AutoSwitchRules b;
    b.load(s, 258);
    QCOMPARE(b.rules, a.rules);
    QCOMPARE(b.defaultProfile, a.defaultProfile);
    b.load(s, 259);
    QCOMPARE(b.rules.size(), 1);
    QVERIFY(b.defaultProfile.isEmpty());

    // A shorter list leaves no old rules behind; a broken entry is left out.
    a.rules.removeLast();
    a.save(s, 258);
    s.setValue(AutoSwitchRules::group(258) + QStringLiteral("/Rules/2/Kind"), QStringLiteral("x"));
    s.setValue(AutoSwitchRules::group(258) + QStringLiteral("/Rules/size"), 2);
    b.load(s, 258);
    QCOMPARE(b.rules, a.rules);
}

void TestAutoSwitchRules::procTreeIsRead() {
    QTemporaryDir dir;
    const QDir root(dir.path());
    // A program, one that rewrote its command line into one string, a
    // Windows program, a kernel thread (empty command line) and a non-pid.
    const QList<QPair<QString, QByteArray>> entries = {
        {QStringLiteral("100"), QByteArray("/usr/bin/cs2\0-novid\0", 20)},
        {QStringLiteral("101"), QByteArray("chrome --type=renderer --lang=en\0", 33)},
        {QStringLiteral("102"), QByteArray("C:\\Games\\Game.exe\0", 18)},
        {QStringLiteral("2"), QByteArray()},
        {QStringLiteral("self"), QByteArray("x\0", 2)}};
    for (const auto& e : entries) {
        QVERIFY(root.mkpath(e.first));
        QVERIFY(writeFile(root.filePath(e.first + QStringLiteral("/cmdline")), e.second));
    }
    QVERIFY(QFile::link(QStringLiteral("/usr/bin/true"), root.filePath(QStringLiteral("100/exe"))));
    ProcProcessSource source(dir.path());
    QList<RunningProcess> list = source.processes(true);
    std::sort(list.begin(), list.end(),
              [](const RunningProcess& a, const RunningProcess& b) { return a.pid < b.pid; });
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.at(0).pid, 100);
    QCOMPARE(list.at(0).name, QStringLiteral("cs2"));
    QCOMPARE(list.at(0).path, QStringLiteral("/usr/bin/true"));
    QCOMPARE(list.at(1).name, QStringLiteral("chrome"));
    QCOMPARE(list.at(2).name, QStringLiteral("Game.exe"));
    QVERIFY(source.processes(false).at(0).path.isEmpty());
    QCOMPARE(source.process(101).name, QStringLiteral("chrome"));
    QCOMPARE(source.process(2).pid, 0);
    QCOMPARE(source.process(999).pid, 0);

    // The real /proc holds this test.
    ProcProcessSource real;
    const RunningProcess self = real.process(QCoreApplication::applicationPid());
    QCOMPARE(self.name, QStringLiteral("tst_autoswitchrules"));
}

// Later scans read the files the first one opened: they must still see a
// process that exec'd another program, forget one that went, and find a new
// process under a number that was used before.
void TestAutoSwitchRules::laterScansFollowExecAndExit() {
    QTemporaryDir dir;
    const QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("300")));
    QVERIFY(writeFile(root.filePath(QStringLiteral("300/cmdline")), QByteArray("launcher\0", 9)));
    ProcProcessSource fake(dir.path());
    QCOMPARE(fake.processes(false).at(0).name, QStringLiteral("launcher"));
    QCOMPARE(fake.openFiles(), 1);
    QVERIFY(writeFile(root.filePath(QStringLiteral("300/cmdline")),
                      QByteArray("/games/cs2\0-novid\0", 18)));
    QCOMPARE(fake.processes(false).at(0).name, QStringLiteral("cs2"));
    QVERIFY(QDir(root.filePath(QStringLiteral("300"))).removeRecursively());
    QVERIFY(fake.processes(false).isEmpty());
    QCOMPARE(fake.openFiles(), 0);

    // The real /proc: a child appears, then goes and is forgotten.
    ProcProcessSource real;
    QProcess child;
    child.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(child.waitForStarted());
    const qint64 pid = child.processId();
    auto has = [&real](qint64 wanted) {
        for (const RunningProcess& p : real.processes(false))
            if (p.pid == wanted) return p.name == QStringLiteral("sleep");
        return false;
    };
    QVERIFY(has(pid));
    QVERIFY(real.openFiles() > 0);
    QVERIFY(real.lastScanEntries() >= real.openFiles());
    child.kill();
    QVERIFY(child.waitForFinished());
    QVERIFY(!has(pid));
}

QTEST_GUILESS_MAIN(TestAutoSwitchRules)
#include "tst_autoswitchrules.moc"
