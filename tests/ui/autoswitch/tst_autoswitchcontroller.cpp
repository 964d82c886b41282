// The automatic profile switch in the real window on the simulated keyboard:
// rules saved from the dialog, a game starting, gaining the focus and ending
// switches the keyboard and back, a profile the keyboard lacks switches
// nothing, the tray switches by hand and pauses, an unplug drops the switch.
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "model/keyboardconfigutil.h"
#include "services/qtoastbox.h"
#include "sim/simkeyboard.h"
#include "support/autoswitchfakes.h"
#include "support/gui/guitestbase.h"
#include "ui/autoswitch/autoswitchcontroller.h"
#include "ui/autoswitch/autoswitchdialog.h"

namespace {

AutoSwitchRule rule(AutoSwitchRule::Kind kind, const QString& pattern, const QString& profile) {
    AutoSwitchRule r;
    r.kind = kind;
    r.pattern = pattern;
    r.profile = profile;
    r.focus = kind != AutoSwitchRule::Process;
    return r;
}

bool toastSays(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<QToastBox*>(w))
            if (t->text() == text) return true;
    return false;
}

}  // namespace

class TestAutoSwitchController : public GuiTestBase {
    Q_OBJECT
    FakeProcesses mProcesses;
    FakeFocus* mFocus = nullptr;

    AutoSwitchController* controller() { return AutoSwitchController::instance(); }
    int table() { return keyboard().state().configIndex; }

private slots:
    void init() {
        QVERIFY(startWindow());
        mProcesses.list.clear();
        mFocus = new FakeFocus;
        QVERIFY(controller());
        controller()->setSources(&mProcesses, mFocus);
        controller()->switcher()->setScanInterval(100);
        QTRY_VERIFY_WITH_TIMEOUT(controller()->product() != 0, 3000);
    }
    void cleanup() {
        stopWindow();
        delete mFocus;
    }

    void gameStartsFocusesAndEnds() {
        showPage(PageSystem);
        click(QStringLiteral("autoSwitchButton"));
        auto* dialog = qobject_cast<AutoSwitchDialog*>(widget(QStringLiteral("autoSwitchDialog")));
        QVERIFY(dialog);
        dialog->addRule(
            rule(AutoSwitchRule::WindowClass, QStringLiteral("Arena"), QStringLiteral("Typing")));
        dialog->addRule(
            rule(AutoSwitchRule::Process, QStringLiteral("cs2"), QStringLiteral("FPS")));
        AutoSwitchRules wanted = dialog->rules();
        wanted.defaultProfile = QStringLiteral("Default");
        // The default through the dialog's own control.
        auto* box = dialog->findChild<QComboBox*>(QStringLiteral("defaultCombo"));
        box->setCurrentIndex(box->findText(QStringLiteral("Default")));
        click(QStringLiteral("saveButton"));
        QTRY_VERIFY(!dialog || !dialog->isVisible());
        QCOMPARE(controller()->switcher()->rules().rules, wanted.rules);
        QCOMPARE(controller()->switcher()->rules().defaultProfile, QStringLiteral("Default"));
        QCOMPARE(table(), 0);

        mProcesses.list = {RunningProcess{4242, QStringLiteral("cs2"), QString()}};
        QTRY_COMPARE_WITH_TIMEOUT(table(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(int(KeyboardConfigUtil::instance()->keyboardConfigIndex), 1,
                                  10000);
        QVERIFY(toastSays(
            AutoSwitchController::switchText(QStringLiteral("FPS"), QStringLiteral("cs2"))));
        QVERIFY(waitForEngineIdle());
        mFocus->focus(QStringLiteral("Arena"));
        QTRY_COMPARE_WITH_TIMEOUT(table(), 2, 10000);
        QVERIFY(waitForEngineIdle());
        mFocus->focus(QStringLiteral("Terminal"));
        mProcesses.list.clear();
        QTRY_COMPARE_WITH_TIMEOUT(table(), 0, 10000);
        QVERIFY(waitForEngineIdle());
        QTRY_VERIFY(!mainWindow()->isListBlocked());

        // Stored per product: a new window reads the same rules back.
        controller()->reload();
        QCOMPARE(controller()->switcher()->rules().rules, wanted.rules);
    }

    void missingProfileTrayAndUnplug() {
        AutoSwitchRules rules;
        rules.rules = {
            rule(AutoSwitchRule::Process, QStringLiteral("krita"), QStringLiteral("Art"))};
        QVERIFY(controller()->saveRules(rules));
        mProcesses.list = {RunningProcess{77, QStringLiteral("krita"), QString()}};
        QTRY_VERIFY_WITH_TIMEOUT(toastSays(QStringLiteral("键盘上没有配置表“Art”，未切换")), 5000);
        QCOMPARE(table(), 0);

        // The tray: a profile by hand, and the pause.
        QMenu* menu = mainWindow()->trayIcon()->contextMenu();
        QMenu* profiles = nullptr;
        QAction* pause = nullptr;
        for (QAction* a : menu->actions()) {
            if (a->menu()) profiles = a->menu();
            if (a->isCheckable()) pause = a;
        }
        QVERIFY(profiles && pause);
        emit profiles->aboutToShow();
        QCOMPARE(profiles->actions().size(), 3);
        profiles->actions().at(2)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(table(), 2, 10000);
        QVERIFY(waitForEngineIdle());
        pause->trigger();
        QVERIFY(controller()->switcher()->isPaused());
        rules.rules = {
            rule(AutoSwitchRule::Process, QStringLiteral("krita"), QStringLiteral("FPS"))};
        QVERIFY(controller()->saveRules(rules));
        QTest::qWait(1000);
        QCOMPARE(table(), 2);  // paused: nothing switches

        // Unplugged as the rule fires: dropped, the window goes on.
        sim().unplug();
        pause->trigger();
        QVERIFY(!controller()->switcher()->isPaused());
        QTest::qWait(1500);
        QCOMPARE(table(), 2);
        QVERIFY(mainWindow()->isVisible());
    }
};

QTEST_MAIN(TestAutoSwitchController)
#include "tst_autoswitchcontroller.moc"
