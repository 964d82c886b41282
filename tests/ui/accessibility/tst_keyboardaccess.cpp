// Keyboard use of the real main window on the simulated keyboard: the arrow
// keys on the picture, a remap of W to F1 with the keyboard alone (checked
// on the keyboard), the Tab chain, redo, and Ctrl+1 to Ctrl+7.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QtTest>

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "ui/pageindex.h"
#include "ui/pages/key/keysetform.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui/widgets/qkeykeyboardwidget.h"

class TestKeyboardAccess : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { stopWindow(); }

    void arrowsMoveToTheNearestKey();
    void remapWToF1WithTheKeyboardAlone();
    void tabReachesTabsPicturePickerAndList();
    void redoSendsAgainWhatUndoTookBack();
    void ctrlNumbersOpenTheSettingPages();

private:
    KeySetForm* form() { return page<KeySetForm>(); }
    SimKey held(int layer, quint8 key) {
        return keyboard().state().activeProfile()->layers[layer].value(key);
    }
    quint8 keyOf(quint8 usage);
    // A key press where the keyboard's focus is.
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static QWidget* focused() { return QApplication::focusWidget(); }
    quint8 cursorKey() { return form()->picture()->keyItemOf(form()->picture()->focusKey()); }
};

void TestKeyboardAccess::init() {
    QVERIFY(startWindow());
    QVERIFY(waitForPage(PageKey));
    QVERIFY(form()->picture());
    mainWindow()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
    QTRY_COMPARE(focused(), static_cast<QWidget*>(form()->picture()));
}

quint8 TestKeyboardAccess::keyOf(quint8 usage) {
    const QVector<SimKey>& factory = keyboard().state().factoryLayers[0];
    for (int key = 0; key < factory.size(); ++key)
        if (factory[key].type == KeyCatalogue::TypeKey && factory[key].lValue == usage)
            return quint8(key);
    return 255;
}

void TestKeyboardAccess::press(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

void TestKeyboardAccess::arrowsMoveToTheNearestKey() {
    const quint8 w = keyOf(0x1A), q = keyOf(0x14), e = keyOf(0x08), s = keyOf(0x16),
                 two = keyOf(0x1F);
    form()->picture()->setFocusKey(w);
    press(Qt::Key_Right);
    QCOMPARE(cursorKey(), e);
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    QCOMPARE(cursorKey(), q);
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    QCOMPARE(cursorKey(), s);
    press(Qt::Key_Up);
    QCOMPARE(cursorKey(), w);
    press(Qt::Key_Up);  // the digit row: 2 or 3, whichever stands nearer
    QLabel* above = form()->picture()->focusKey();
    QVERIFY(above);
    QVERIFY2(above->geometry().bottom() < form()->picture()->labelOf(w)->geometry().top(),
             qPrintable(form()->picture()->keyName(above)));
    QVERIFY(qAbs(above->geometry().center().x() -
                 form()->picture()->labelOf(two)->geometry().center().x()) <= above->width());
    // The arrows only move: nothing is selected, nothing sent.
    QVERIFY(!form()->picture()->isKeySelected());
    // Space selects the key under the cursor and lets go of it again.
    press(Qt::Key_Space);
    QCOMPARE(form()->picture()->selectedKeyItem(), cursorKey());
    press(Qt::Key_Space);
    QVERIFY(!form()->picture()->isKeySelected());
}

void TestKeyboardAccess::remapWToF1WithTheKeyboardAlone() {
    const quint8 w = keyOf(0x1A);
    press(Qt::Key_W);  // typing a key on the picture selects it
    QCOMPARE(form()->picture()->selectedKeyItem(), w);
    // On to the search field with Tab, F1 has many matches: Enter goes to
    // them, Down walks them, Enter takes the one named F1.
    for (int i = 0; i < 40 && focused()->objectName() != QLatin1String("searchEdit"); ++i)
        press(Qt::Key_Tab);
    QCOMPARE(focused()->objectName(), QStringLiteral("searchEdit"));
    QTest::keyClicks(focused(), QStringLiteral("F1"));
    QVERIFY(form()->picker()->buttons().size() > 1);
    press(Qt::Key_Return);
    QCOMPARE(focused(), static_cast<QWidget*>(form()->picker()));
    QInputKeyboardWidget* picker = form()->picker();
    for (int i = 0; i < 20 && picker->keyName(picker->focusKey()) != QLatin1String("F1"); ++i)
        press(Qt::Key_Down);
    QCOMPARE(picker->keyName(picker->focusKey()), QStringLiteral("F1"));
    press(Qt::Key_Return);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held(0, w).lValue), 0x3A);
    QCOMPARE(int(held(0, w).type), int(KeyCatalogue::TypeKey));
    QCOMPARE(int(KeyboardConfigUtil::instance()->keyConfig(0, w)->lValue), 0x3A);
}

void TestKeyboardAccess::tabReachesTabsPicturePickerAndList() {
    QSet<QWidget*> reached;
    for (int i = 0; i < 80; ++i) {
        press(Qt::Key_Tab);
        reached.insert(focused());
        // Tab never selects a key, wherever it starts from.
        QVERIFY(!form()->picture()->isKeySelected());
    }
    NavigationBar* bar = form()->navigationBar();
    for (int index = PageKey; index <= PageOther; ++index)
        QVERIFY2(reached.contains(bar->button(index)), qPrintable(QString::number(index)));
    QVERIFY(reached.contains(form()->picture()));
    QVERIFY(reached.contains(form()->picker()));
    QVERIFY(reached.contains(widget(QStringLiteral("searchEdit"))));
    QVERIFY(reached.contains(widget(QStringLiteral("configListView"))));
    QVERIFY(reached.contains(widget(QStringLiteral("undoButton"))) ||
            !widget(QStringLiteral("undoButton"))->isEnabled());
    // The picture comes right after the page tabs, the picker right after it.
    form()->picture()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Backtab);
    QCOMPARE(focused(), static_cast<QWidget*>(bar->button(PageOther)));
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    QCOMPARE(focused(), static_cast<QWidget*>(form()->picker()));
    // A page tab is opened with Space, as a button.
    bar->button(PageLight)->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Space);
    QVERIFY(waitForPage(PageLight));
}

void TestKeyboardAccess::redoSendsAgainWhatUndoTookBack() {
    const quint8 a = keyOf(0x04);
    press(Qt::Key_A);
    QCOMPARE(form()->picture()->selectedKeyItem(), a);
    form()->input_keyboard_select(1, 0, 0x05);  // B, as the picker reports it
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held(0, a).lValue), 0x05);
    QCOMPARE(form()->redoDepth(0), 0);

    press(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held(0, a).lValue), 0x04);
    QCOMPARE(form()->redoDepth(0), 1);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held(0, a).lValue), 0x05);
    QCOMPARE(form()->redoDepth(0), 0);
    QCOMPARE(form()->undoDepth(0), 1);
    QVERIFY(!form()->redo());  // nothing left to redo

    press(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held(0, a).lValue), 0x04);
    press(Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held(0, a).lValue), 0x05);
    // Letting go of Ctrl after the shortcuts selected nothing.
    QVERIFY(!form()->picture()->isKeySelected());

    // A new change ends what could be redone.
    press(Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(form()->redoDepth(0), 1);
    QVERIFY(form()->picture()->selectKey(a));
    form()->input_keyboard_select(1, 0, 0x06);
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held(0, a).lValue), 0x06);
    QCOMPARE(form()->redoDepth(0), 0);
}

void TestKeyboardAccess::ctrlNumbersOpenTheSettingPages() {
    const int pages[] = {PageKey,         PageLight, PageHighKey, PageMacro,
                         PagePerformance, PageAlign, PageOther};
    for (int i = 6; i >= 0; --i) {
        press(Qt::Key_1 + i, Qt::ControlModifier);
        QVERIFY2(waitForPage(pages[i]), qPrintable(QString::number(i + 1)));
    }
    // Back on the key page the picture has the focus again, and the Ctrl of
    // Ctrl+1 selected no key.
    QTRY_COMPARE(focused(), static_cast<QWidget*>(form()->picture()));
    QVERIFY(!form()->picture()->isKeySelected());
}

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboardaccess.moc"
