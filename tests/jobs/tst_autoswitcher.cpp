// The switcher on made-up programs and a made-up focus: debounce, waiting for
// a job, default and "leave as it is", a profile the keyboard lacks, an
// unplugged keyboard, pause, and no scan without a process rule.
#include <QSignalSpy>
#include <QtTest>

#include "jobs/autoswitcher.h"
#include "model/keyboardconfigutil.h"
#include "support/autoswitchfakes.h"
#include "support/testsupport.h"

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

}  // namespace

class TestAutoSwitcher : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsAndEndsWithDebounce();
    void waitsForJobAndDropsWithoutKeyboard();
    void missingProfileSwitchesNothing();
    void focusAndPause();

private:
    AutoSwitcher* make();
    KeyboardConfigUtil* mModel = nullptr;
    FakeProcesses mProcesses;
    FakeFocus* mFocus = nullptr;
    bool mBusy = false;
    bool mConnected = true;
};

void TestAutoSwitcher::init() {
    mModel = new KeyboardConfigUtil(static_cast<ProductDataUtil*>(nullptr), this);
    const QStringList names = {QStringLiteral("Default"), QStringLiteral("FPS"),
                               QStringLiteral("Typing")};
    for (int i = 0; i < names.size(); ++i) {
        auto entry = ConfigTableEntryPtr::create();
        entry->index = quint8(i);
        entry->configName = names.at(i);
        mModel->keyboardConfigList.append(entry);
    }
    mFocus = new FakeFocus;
    mProcesses.list.clear();
    mProcesses.scans = 0;
    mBusy = false;
    mConnected = true;
}

void TestAutoSwitcher::cleanup() {
    delete mFocus;
    delete mModel;
}

AutoSwitcher* TestAutoSwitcher::make() {
    auto* s = new AutoSwitcher(&mProcesses, mFocus, mFocus);
    s->setModel([this] { return mModel; });
    s->setBusy([this] { return mBusy; });
    s->setConnected([this] { return mConnected; });
    s->setScanInterval(40);
    s->setDebounce(100);
    // The keyboard follows each switch, as the table list's sync makes the model do.
    connect(s, &AutoSwitcher::switchRequested, this,
            [this](int table) { mModel->keyboardConfigIndex = quint8(table); });
    return s;
}

void TestAutoSwitcher::startsAndEndsWithDebounce() {
    AutoSwitcher* s = make();
    QSignalSpy switched(s, &AutoSwitcher::switchRequested);
    AutoSwitchRules rules;
    rules.rules = {rule(AutoSwitchRule::Process, QStringLiteral("cs2"), QStringLiteral("FPS"))};
    rules.defaultProfile = QStringLiteral("Default");
    s->setRules(rules);
    QVERIFY(s->isScanning());
    QTest::qWait(250);
    QCOMPARE(switched.count(), 0);  // the default is active already

    // A program that starts and ends within the debounce switches nothing.
    mProcesses.list = {RunningProcess{42, QStringLiteral("cs2"), QString()}};
    QTest::qWait(45);
    mProcesses.list.clear();
    QTest::qWait(250);
    QCOMPARE(switched.count(), 0);

    mProcesses.list = {RunningProcess{42, QStringLiteral("cs2"), QString()}};
    QVERIFY(testsupport::waitFor(switched, 1, 2000));
    QCOMPARE(switched.at(0).at(0).toInt(), 1);
    QCOMPARE(switched.at(0).at(2).toString(), QStringLiteral("cs2"));
    QTest::qWait(250);
    QCOMPARE(switched.count(), 1);  // one choice, one switch
    mProcesses.list.clear();
    QVERIFY(testsupport::waitFor(switched, 2, 2000));
    QCOMPARE(switched.at(1).at(0).toInt(), 0);  // back to the default

    // "Leave as it is": the game's end switches nothing back.
    rules.defaultProfile.clear();
    s->setRules(rules);
    mProcesses.list = {RunningProcess{42, QStringLiteral("cs2"), QString()}};
    QVERIFY(testsupport::waitFor(switched, 3, 2000));
    mProcesses.list.clear();
    QTest::qWait(300);
    QCOMPARE(switched.count(), 3);
    QCOMPARE(mModel->keyboardConfigIndex, 1);

    // No process rule: no scan, no wake-ups.
    rules.rules = {rule(AutoSwitchRule::WindowClass, QStringLiteral("x"), QStringLiteral("FPS"))};
    s->setRules(rules);
    QVERIFY(!s->isScanning());
    const int scans = mProcesses.scans;
    QTest::qWait(150);
    QCOMPARE(mProcesses.scans, scans);
}

void TestAutoSwitcher::waitsForJobAndDropsWithoutKeyboard() {
    AutoSwitcher* s = make();
    QSignalSpy switched(s, &AutoSwitcher::switchRequested);
    QSignalSpy problems(s, &AutoSwitcher::problem);
    AutoSwitchRules rules;
    rules.rules = {rule(AutoSwitchRule::Process, QStringLiteral("cs2"), QStringLiteral("FPS"))};
    mBusy = true;
    mProcesses.list = {RunningProcess{42, QStringLiteral("cs2"), QString()}};
    s->setRules(rules);
    QTest::qWait(400);
    QCOMPARE(switched.count(), 0);  // a job runs: the switch waits
    mBusy = false;
    QVERIFY(testsupport::waitFor(switched, 1, 2000));

    // Unplugged as the rule fires: dropped with a word, nothing hangs.
    rules.rules = {rule(AutoSwitchRule::Process, QStringLiteral("cs2"), QStringLiteral("Typing"))};
    mConnected = false;
    s->setRules(rules);
    QVERIFY(testsupport::waitFor(problems, 1, 2000));
    QVERIFY(problems.at(0).at(0).toString().contains(QStringLiteral("dropped")));
    QTest::qWait(300);
    QCOMPARE(switched.count(), 1);
}

void TestAutoSwitcher::missingProfileSwitchesNothing() {
    AutoSwitcher* s = make();
    QSignalSpy switched(s, &AutoSwitcher::switchRequested);
    QSignalSpy missing(s, &AutoSwitcher::missingProfile);
    AutoSwitchRules rules;
    rules.rules = {rule(AutoSwitchRule::Process, QStringLiteral("cs2"), QStringLiteral("Gone"))};
    mProcesses.list = {RunningProcess{42, QStringLiteral("cs2"), QString()}};
    s->setRules(rules);
    QVERIFY(testsupport::waitFor(missing, 1, 2000));
    QCOMPARE(missing.at(0).at(0).toString(), QStringLiteral("Gone"));
    QTest::qWait(300);
    QCOMPARE(switched.count(), 0);
    QCOMPARE(missing.count(), 1);  // said once, not every scan
    QCOMPARE(mModel->keyboardConfigIndex, 0);
    QCOMPARE(s->tableOf(QStringLiteral("Typing")), 2);
}

void TestAutoSwitcher::focusAndPause() {
    AutoSwitcher* s = make();
    QSignalSpy switched(s, &AutoSwitcher::switchRequested);
    AutoSwitchRules rules;
    rules.rules = {
        rule(AutoSwitchRule::WindowClass, QStringLiteral("Game"), QStringLiteral("FPS")),
        rule(AutoSwitchRule::Process, QStringLiteral("editor"), QStringLiteral("Typing"), true)};
    rules.defaultProfile = QStringLiteral("Default");
    mProcesses.list = {RunningProcess{7, QStringLiteral("editor"), QString()}};
    s->setRules(rules);
    QVERIFY(!s->isScanning());  // focus rules need no scan
    mFocus->focus(QStringLiteral("Game"));
    QVERIFY(testsupport::waitFor(switched, 1, 2000));
    QCOMPARE(mModel->keyboardConfigIndex, 1);
    mFocus->focus(QStringLiteral("Editor"), 7);
    QVERIFY(testsupport::waitFor(switched, 2, 2000));
    QCOMPARE(mModel->keyboardConfigIndex, 2);

    s->setPaused(true);
    mFocus->focus(QStringLiteral("Game"));
    QTest::qWait(300);
    QCOMPARE(switched.count(), 2);
    s->setPaused(false);  // what has the focus now decides
    QVERIFY(testsupport::waitFor(switched, 3, 2000));
    QCOMPARE(mModel->keyboardConfigIndex, 1);
}

QTEST_GUILESS_MAIN(TestAutoSwitcher)
#include "tst_autoswitcher.moc"
