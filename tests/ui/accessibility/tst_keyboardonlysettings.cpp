// Keyboard-only use of the lighting, performance and advanced-key pages in
// the real main window: only key presses where the focus is (Ctrl+<n>, Tab,
// arrows, Space, Enter, Escape), checked on the simulated keyboard.

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

#include "catalogue/keycatalogue.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "ui/pageindex.h"
#include "ui/pages/highkey/highkeyform.h"
#include "ui/pages/highkey/qhighkeydialog.h"
#include "ui/pages/highkey/qmtadddialog.h"
#include "ui/pages/light/lightsetform.h"
#include "ui/pages/performance/performancesetform.h"
#include "ui/widgets/qcolorslider.h"
#include "ui/widgets/qhighkeyboardwidget.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui/widgets/qnaturekeyboardwidget.h"

class TestKeyboardOnlySettings : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { stopWindow(); }

    void recolourKeysAndBrightness();
    void setActuationAndRapidTrigger();
    void advancedKeyDialogByKeys();

private:
    SimProfile& profile() { return *keyboard().state().activeProfile(); }
    static QWidget* focused() { return QApplication::focusWidget(); }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    // Tab (or Shift+Tab) until the focus is on the widget; false when a
    // whole round does not reach it.
    static bool tabTo(const QWidget* target, bool back = false);
    // Arrows onto a key of the picture and Space on it; its number.
    static quint8 tickAKey(QKeyboardWidget* picture);
    void openPage(int ctrlDigit, int page);
};

void TestKeyboardOnlySettings::init() {
    QVERIFY(startWindow());
    mainWindow()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
    QTRY_VERIFY(focused());
}

bool TestKeyboardOnlySettings::tabTo(const QWidget* target, bool back) {
    for (int i = 0; i < 120 && focused() != target; ++i)
        QTest::keyClick(focused(), back ? Qt::Key_Backtab : Qt::Key_Tab);
    return focused() == target;
}

quint8 TestKeyboardOnlySettings::tickAKey(QKeyboardWidget* picture) {
    // Two keys in from where the cursor starts: a letter of the main block.
    QTest::keyClick(picture, Qt::Key_Down);
    QTest::keyClick(picture, Qt::Key_Down);
    QTest::keyClick(picture, Qt::Key_Right);
    QTest::keyClick(picture, Qt::Key_Right);
    const quint8 key = picture->keyItemOf(picture->focusKey());
    QTest::keyClick(picture, Qt::Key_Space);
    return key;
}

void TestKeyboardOnlySettings::openPage(int ctrlDigit, int page) {
    press(Qt::Key_0 + ctrlDigit, Qt::ControlModifier);
    QVERIFY(waitForPage(page));
    QVERIFY(waitForEngineIdle());
}

void TestKeyboardOnlySettings::recolourKeysAndBrightness() {
    openPage(2, PageLight);
    auto* form = page<LightSetForm>();
    QVERIFY(tabTo(form->effectButton(LightSetForm::EffectCustom)));
    press(Qt::Key_Space);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(form->currentEffect(), int(LightSetForm::EffectCustom));

    QLightKeyboardWidget* picture = form->keyboardWidget();
    QVERIFY(tabTo(picture, true));
    const quint8 key = tickAKey(picture);
    QVERIFY(key != 255);
    QCOMPARE(picture->selectedKeys(), QByteArray(1, char(key)));
    auto held = [&] { return profile().lights.value(key); };

    // A swatch, named for readers, taken with Space.
    auto* green = widget(QStringLiteral("greenColorBtn"));
    QVERIFY(!QAccessible::queryAccessibleInterface(green)->text(QAccessible::Name).isEmpty());
    QVERIFY(tabTo(green));
    press(Qt::Key_Space);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held().g), 255);
    QCOMPARE(int(held().r) + int(held().b), 0);

    // The wheel turns the hue by 10 degrees a press (green is 120).
    QWidget* wheel = widget(QStringLiteral("colorPalette"));
    QVERIFY(tabTo(wheel, true));
    QVERIFY(!QAccessible::queryAccessibleInterface(wheel)->text(QAccessible::Name).isEmpty());
    press(Qt::Key_Right);
    QVERIFY(waitForEngineIdle());
    const QColor turned = QColor::fromHsv(130, 255, 255);
    QTRY_COMPARE(QColor(held().r, held().g, held().b).rgb(), turned.rgb());

    // The shade slider fades it towards white.
    auto* shade = qobject_cast<QColorSlider*>(widget(QStringLiteral("colorSlider")));
    QVERIFY(tabTo(shade));
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    QVERIFY(waitForEngineIdle());
    const QColor faded = QColorSlider::colorAt(Qt::white, turned, 0.9);
    QCOMPARE(shade->color().rgb(), faded.rgb());
    QTRY_COMPARE(QColor(held().r, held().g, held().b).rgb(), faded.rgb());

    // Brightness to the top with End; the colour stays.
    QWidget* light = widget(QStringLiteral("lightSlider"));
    QVERIFY(tabTo(light, true));
    press(Qt::Key_End);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held().light), 100);
    QCOMPARE(QColor(held().r, held().g, held().b).rgb(), faded.rgb());
    QCOMPARE(form->pageLight(), 100);
}

void TestKeyboardOnlySettings::setActuationAndRapidTrigger() {
    openPage(5, PagePerformance);
    auto* form = page<PerformanceSetForm>();
    QNatureKeyboardWidget* picture = form->keyboardWidget();
    QVERIFY(tabTo(picture));
    const quint8 key = tickAKey(picture);
    QCOMPARE(picture->selectedKeys(), QByteArray(1, char(key)));
    auto held = [&] { return profile().triggers.value(key); };

    auto* trigger = qobject_cast<QSlider*>(widget(QStringLiteral("triggerSlider")));
    QVERIFY(trigger->isEnabled());
    const int start = trigger->value();
    QVERIFY(tabTo(trigger));
    press(Qt::Key_PageUp);
    QVERIFY(waitForEngineIdle());
    // The step button after it, named for readers.
    QWidget* add = widget(QStringLiteral("triggerAddBtn"));
    QVERIFY(!QAccessible::queryAccessibleInterface(add)->text(QAccessible::Name).isEmpty());
    QVERIFY(tabTo(add));
    press(Qt::Key_Space);
    QVERIFY(waitForEngineIdle());
    const int expected = qMin(trigger->maximum(), start + trigger->pageStep() + 1);
    QCOMPARE(trigger->value(), expected);
    QTRY_COMPARE(int(held().trigger), expected);

    // Rapid trigger on, press sensitivity to its top, release one step down.
    QVERIFY(tabTo(widget(QStringLiteral("quickCheckBox"))));
    press(Qt::Key_Space);
    QVERIFY(waitForEngineIdle());
    QTRY_VERIFY(held().model);
    auto* quick = qobject_cast<QSlider*>(widget(QStringLiteral("quickSlider")));
    QVERIFY(tabTo(quick));
    press(Qt::Key_End);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held().quickTrigger), quick->maximum());
    auto* reset = qobject_cast<QSlider*>(widget(QStringLiteral("resetSlider")));
    const int release = reset->value();
    QVERIFY(tabTo(widget(QStringLiteral("resetDecBtn"))));
    press(Qt::Key_Space);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held().resetTrigger), qMax(reset->minimum(), release - 1));
    QVERIFY(held().model);
    QCOMPARE(int(held().trigger), expected);
}

void TestKeyboardOnlySettings::advancedKeyDialogByKeys() {
    openPage(3, PageHighKey);
    auto* form = page<HighKeyForm>();
    QVERIFY(tabTo(widget(QStringLiteral("mtBtn"))));
    press(Qt::Key_Space);
    QVERIFY(tabTo(form->picture()));
    const quint8 key = tickAKey(form->picture());
    QCOMPARE(form->selectedKey(), key);
    QVERIFY(tabTo(widget(QStringLiteral("QHighKeyAddWidget"))));
    press(Qt::Key_Return);
    auto* dialog = qobject_cast<QMtAddDialog*>(form->dialog());
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isAncestorOf(focused()));

    // Every stop of the dialog is named, the picker follows the slots and
    // the buttons come last.
    QList<QWidget*> stops;
    for (int i = 0; i < 12 && !stops.contains(focused()); ++i) {
        stops << focused();
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(focused());
        QVERIFY2(face && !face->text(QAccessible::Name).isEmpty(),
                 qPrintable(focused()->objectName()));
        press(Qt::Key_Tab);
    }
    QWidget* tap = widget(QStringLiteral("clickLabel"));
    QWidget* hold = widget(QStringLiteral("pressLabel"));
    QCOMPARE(stops.value(0), tap);
    QVERIFY(stops.indexOf(dialog->picker()) > stops.indexOf(hold));
    QCOMPARE(stops.last(), widget(QStringLiteral("saveBtn")));

    // Tap: Space on its slot, then the picker; hold likewise, one key on.
    QInputKeyboardWidget* picker = dialog->picker();
    auto assign = [&](QWidget* slot, int rights) {
        QVERIFY(tabTo(slot, true));
        press(Qt::Key_Space);
        QVERIFY(dialog->selectedSlot() >= 0);
        QVERIFY(tabTo(picker));
        for (int i = 0; i < rights; ++i) press(Qt::Key_Right);
        press(Qt::Key_Return);
        QCOMPARE(dialog->selectedSlot(), -1);
    };
    assign(tap, 2);
    assign(hold, 3);
    const QHighKeyDialog::Function tapped = dialog->function(0), held = dialog->function(1);
    QVERIFY(!tapped.isNone() && !held.isNone());
    QVERIFY(tapped.lValue != held.lValue || tapped.type != held.type);
    QVERIFY(tabTo(widget(QStringLiteral("saveBtn"))));
    press(Qt::Key_Space);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(profile().layers[0].value(key).type), int(KeyCatalogue::TypeAdvanced));
    const QByteArray record = profile().highKeys.value(profile().layers[0].value(key).lValue);
    QCOMPARE(int(quint8(record[1])), 1);  // MT
    QCOMPARE(int(quint8(record[6])), int(tapped.type));
    QCOMPARE(int(quint8(record[8])), int(tapped.lValue));
    QCOMPARE(int(quint8(record[9])), int(held.type));
    QCOMPARE(int(quint8(record[10])), int(held.lValue));

    // Space on the bound key opens its record; Escape leaves it as it was.
    // The focus comes back to the picture once the window is active again
    // (a window manager's part; none runs here).
    QTRY_VERIFY(!form->dialog());
    mainWindow()->activateWindow();
    QTRY_COMPARE(focused(), static_cast<QWidget*>(form->picture()));
    press(Qt::Key_Space);
    QTRY_VERIFY(form->dialog());
    QTRY_VERIFY(form->dialog()->isAncestorOf(focused()));
    press(Qt::Key_Space);  // the tap slot
    QVERIFY(tabTo(form->dialog()->picker()));
    press(Qt::Key_Right);
    press(Qt::Key_Return);
    press(Qt::Key_Escape);
    QTRY_VERIFY(!form->dialog());
    QVERIFY(waitForEngineIdle());
    QCOMPARE(profile().highKeys.value(quint8(record[0])), record);
}

QTEST_MAIN(TestKeyboardOnlySettings)
#include "tst_keyboardonlysettings.moc"
