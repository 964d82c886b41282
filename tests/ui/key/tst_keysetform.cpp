// The key page through the real main window on the simulated keyboard:
// what the keyboard holds after remapping in both layers, "no function",
// resets, remapping advanced keys, press to select, search and undo.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "catalogue/keycatalogue.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "services/qtoastbox.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/pageindex.h"
#include "ui/pages/key/keysetform.h"
#include "ui/widgets/qcustomlabel.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui/widgets/qkeykeyboardwidget.h"

class TestKeySetForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { stopWindow(); }

    void remapInBothLayers();
    void noFunctionAndResets();
    void resetLayerWithoutSelection();
    void resetLayerFreesTheAdvancedKeysOnlyThatLayerCarries();
    void remapFreesTheAdvancedKeyAndPairKeysStayLocked();
    void twoKeyNumbersDrawnAsOneKeyChangeTogether();
    void pressToSelectSearchAndUndo();
    void editsWhileOneIsOnItsWayAndAfterAFailure();

private:
    KeySetForm* form() { return page<KeySetForm>(); }
    KeyboardConfigUtil* model() { return KeyboardConfigUtil::instance(); }
    SimProfile& profile() { return *keyboard().state().activeProfile(); }
    SimKey held(int layer, quint8 key) { return profile().layers[layer].value(key); }
    quint8 keyOf(quint8 usage);
    void selectOnPicture(quint8 key);
    void pick(quint8 type, quint8 hValue, quint8 lValue);
    void clickPickerButton(const char* name);
    int requestCount(uchar request) {
        return testsupport::requests(sim().writtenReports(), request).size();
    }
    static int toastsShown(const QString& text) {
        int shown = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* toast = qobject_cast<QToastBox*>(w);
            shown += toast && toast->isVisible() && toast->text() == text;
        }
        return shown;
    }
};

#define COMPARE_HELD(layer, key, t, h, l)                              \
    do {                                                               \
        QVERIFY(waitForEngineIdle());                                  \
        QTRY_COMPARE(int(held(layer, key).type), int(t));              \
        QCOMPARE(int(held(layer, key).hValue), int(h));                \
        QCOMPARE(int(held(layer, key).lValue), int(l));                \
        QCOMPARE(int(model()->keyConfig(layer, key)->type), int(t));   \
        QCOMPARE(int(model()->keyConfig(layer, key)->lValue), int(l)); \
    } while (0)

void TestKeySetForm::init() {
    QVERIFY(startWindow());
    QVERIFY(form());
    QVERIFY(waitForPage(PageKey));
    QVERIFY(form()->picture());
}

quint8 TestKeySetForm::keyOf(quint8 usage) {
    const QVector<SimKey>& factory = keyboard().state().factoryLayers[0];
    for (int key = 0; key < factory.size(); ++key)
        if (factory[key].type == KeyCatalogue::TypeKey && factory[key].lValue == usage)
            return quint8(key);
    return 255;
}

void TestKeySetForm::selectOnPicture(quint8 key) {
    QLabel* label = form()->picture()->labelOf(key);
    QVERIFY2(label, qPrintable(QStringLiteral("key %1 not drawn").arg(key)));
    // Where a user clicks: on the picture, which finds the key.
    QTest::mouseClick(form()->picture(), Qt::LeftButton, {}, label->geometry().center());
    QCOMPARE(form()->picture()->selectedKeyItem(), key);
}

void TestKeySetForm::pick(quint8 type, quint8 hValue, quint8 lValue) {
    QCustomLabel* button = form()->picker()->buttonOf(type, hValue, lValue);
    QVERIFY(button);
    QTest::mouseClick(form()->picker(), Qt::LeftButton, {}, button->geometry().center());
}

void TestKeySetForm::clickPickerButton(const char* name) {
    auto* button = form()->picker()->findChild<QPushButton*>(QLatin1String(name));
    QVERIFY(button && button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestKeySetForm::remapInBothLayers() {
    const quint8 a = keyOf(0x04), s = keyOf(0x16);
    // A picker click without a selected key sends nothing.
    const int before = requestCount(UsbProtocol::SetKeyboardConfig);
    pick(1, 0, 0x05);
    QVERIFY(waitForEngineIdle());
    QCOMPARE(requestCount(UsbProtocol::SetKeyboardConfig), before);

    selectOnPicture(a);
    pick(1, 0, 0x05);  // B
    COMPARE_HELD(0, a, 1, 0, 0x05);
    QTRY_COMPARE(form()->picture()->labelOf(a)->text(), QStringLiteral("B"));
    QVERIFY(!form()->picture()->isKeySelected());

    // Fn layer: its own bindings, a macro key from the macro tab.
    click("fn1LayerButton");
    QCOMPARE(form()->layer(), 1);
    QCOMPARE(form()->picture()->layer(), 1);
    selectOnPicture(s);
    click("macroBtn");
    QCOMPARE(form()->pickerTab(), int(KeyCatalogue::TabMacro));
    pick(3, 0, 2);
    COMPARE_HELD(1, s, 3, 0, 2);
    QCOMPARE(form()->picture()->labelOf(s)->text(), QStringLiteral("M3"));
    QCOMPARE(int(held(0, s).type), 1);  // layer 0 untouched

    // Back on the normal layer: its bindings and picker tab 0 again.
    click("systemBtn");
    click("normalLayerButton");
    QCOMPARE(form()->pickerTab(), int(KeyCatalogue::TabKeyboard));
    QCOMPARE(form()->picture()->labelOf(s)->text(), QStringLiteral("S"));
}

void TestKeySetForm::noFunctionAndResets() {
    const quint8 d = keyOf(0x07);
    selectOnPicture(d);
    clickPickerButton("mNullButton");
    COMPARE_HELD(0, d, 0xFF, 0xFF, 0xFF);
    QVERIFY(form()->picture()->labelOf(d)->text().isEmpty());

    selectOnPicture(d);
    clickPickerButton("mResetButton");
    COMPARE_HELD(0, d, 1, 0, 0x07);
    QVERIFY(!form()->isBusy());
    const QList<QByteArray> restores =
        testsupport::requests(sim().writtenReports(), UsbProtocol::SetKeyboardDefault);
    QCOMPARE(restores.size(), 1);
    QCOMPARE(restores[0].mid(7, 3), QByteArray(1, 0) + char(d) + char(0xFF));
    QCOMPARE(form()->picture()->labelOf(d)->text(), QStringLiteral("D"));
}

void TestKeySetForm::resetLayerWithoutSelection() {
    const quint8 a = keyOf(0x04);
    selectOnPicture(a);
    pick(1, 0, 0x29);
    COMPARE_HELD(0, a, 1, 0, 0x29);
    QVERIFY(!form()->picture()->isKeySelected());
    clickPickerButton("mResetLayerButton");
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(held(0, a).lValue), 0x04);
    const QList<QByteArray> restores =
        testsupport::requests(sim().writtenReports(), UsbProtocol::SetKeyboardDefault);
    QCOMPARE(restores.size(), 1);
    QCOMPARE(restores[0].mid(7, 3), QByteArray(1, 0) + char(0xFF) + char(0xFF));
    // The window goes back to the device page, which reads the keyboard anew
    // and returns to this page with the restored layer.
    QTRY_VERIFY_WITH_TIMEOUT(model()->keyConfig(0, a) && model()->keyConfig(0, a)->lValue == 0x04,
                             20000);
    QVERIFY(waitForPage(PageKey));
}

void TestKeySetForm::resetLayerFreesTheAdvancedKeysOnlyThatLayerCarries() {
    // Layer 0 carries DKS item 0 and MT item 1; the Fn layer carries item 1 too.
    QCOMPARE(int(model()->highKeyAttribute(0)), 2);
    QCOMPARE(int(model()->highKeyAttribute(1)), 1);
    const quint8 x = keyOf(0x1B);
    profile().layers[1][x] = {4, 0, 1};
    model()->keyConfig(1, x)->type = 4;
    model()->keyConfig(1, x)->hValue = 0;
    model()->keyConfig(1, x)->lValue = 1;
    const int before = model()->highKeyCount();

    clickPickerButton("mResetLayerButton");
    QVERIFY(waitForEngineIdle());
    const QList<QByteArray> freed =
        testsupport::requests(sim().writtenReports(), UsbProtocol::DelHighKey);
    QCOMPARE(freed.size(), 1);
    QCOMPARE(int(uchar(freed[0].at(7))), 0);
    QCOMPARE(uchar(profile().highKeys[0].at(0)), uchar(0xFF));
    QCOMPARE(uchar(profile().highKeys[1].at(0)), uchar(1));
    // Read again from the keyboard: one slot fewer, the Fn layer's MT intact.
    QTRY_VERIFY_WITH_TIMEOUT(model()->highKeyCount() == before - 1, 20000);
    QVERIFY(waitForPage(PageKey));
    QCOMPARE(int(model()->highKeyAttribute(0)), 255);
    QCOMPARE(int(model()->highKeyAttribute(1)), 1);
    QCOMPARE(int(model()->keyConfig(1, x)->type), 4);
}

void TestKeySetForm::remapFreesTheAdvancedKeyAndPairKeysStayLocked() {
    // The simulated keyboard's first table puts a DKS record (item 0) on a key.
    quint8 dksKey = 255;
    for (const KeyBindingPtr& b : std::as_const(model()->keyboardFnMap))
        if (b->type == 4 && model()->highKeyAttribute(b->lValue) == 2) dksKey = b->keyItem;
    QVERIFY(dksKey != 255);
    const quint8 item = model()->keyConfig(0, dksKey)->lValue;
    const int before = model()->highKeyCount();

    selectOnPicture(dksKey);
    pick(1, 0, 0x06);
    COMPARE_HELD(0, dksKey, 1, 0, 0x06);
    QTRY_COMPARE(model()->highKeyAttribute(item), quint8(255));
    QCOMPARE(model()->highKeyCount(), before - 1);
    bool held = false;
    for (const QByteArray& slot : profile().highKeys) held |= quint8(slot[0]) == item;
    QVERIFY2(!held, "the keyboard still holds the advanced key");
    // The freed record cannot come back, so there is nothing to undo.
    QCOMPARE(form()->undoDepth(0), 0);

    // A key of an RS pair cannot be remapped, selected or not.
    int rsItem = -1;
    for (const HighKeyPtr& slot : std::as_const(model()->keyboardHighKeyList))
        if (slot->item != 255 && slot->attribute == 3) rsItem = slot->item;
    QVERIFY(rsItem >= 0);
    const quint8 x = keyOf(0x1B);
    model()->keyConfig(0, x)->type = 4;
    model()->keyConfig(0, x)->lValue = quint8(rsItem);
    form()->enter();
    QLabel* label = form()->picture()->labelOf(x);
    QVERIFY(!label->isEnabled());
    QTest::mouseClick(form()->picture(), Qt::LeftButton, {}, label->geometry().center());
    QVERIFY(!form()->picture()->isKeySelected());
    selectOnPicture(keyOf(0x04));
    QTest::mouseClick(form()->picture(), Qt::LeftButton, {},
                      form()->picture()->labelOf(keyOf(0x04))->geometry().center());  // deselect
    QVERIFY(!form()->picture()->isKeySelected());
    QVERIFY(!form()->picture()->labelOf(x)->isEnabled());
}

void TestKeySetForm::twoKeyNumbersDrawnAsOneKeyChangeTogether() {
    // The sample product draws a second key number on the backslash position.
    quint8 drawn = 255, partner = 255;
    for (const KeyPositionPtr& p : std::as_const(model()->keyboardPositionMap)) {
        for (const KeyPositionPtr& q : std::as_const(model()->keyboardPositionMap)) {
            if (p->keyItem != q->keyItem && p->posItem == q->posItem &&
                form()->picture()->labelOf(p->keyItem) && drawn == 255) {
                drawn = p->keyItem;
                partner = q->keyItem;
            }
        }
    }
    QVERIFY(drawn != 255);
    const SimKey factoryPartner = keyboard().state().factoryLayers[0][partner];
    QVERIFY(factoryPartner.lValue != keyboard().state().factoryLayers[0][drawn].lValue);

    selectOnPicture(drawn);
    pick(1, 0, 0x05);  // B
    COMPARE_HELD(0, drawn, 1, 0, 0x05);
    COMPARE_HELD(0, partner, 1, 0, 0x05);

    // Restored together, each key number to its own factory binding.
    selectOnPicture(drawn);
    clickPickerButton("mResetButton");
    COMPARE_HELD(0, drawn, 1, 0, keyboard().state().factoryLayers[0][drawn].lValue);
    COMPARE_HELD(0, partner, factoryPartner.type, factoryPartner.hValue, factoryPartner.lValue);
    const QList<QByteArray> restores =
        testsupport::requests(sim().writtenReports(), UsbProtocol::SetKeyboardDefault);
    QCOMPARE(restores.last().mid(7, 3), QByteArray(1, 0) + char(drawn) + char(partner));
}

void TestKeySetForm::pressToSelectSearchAndUndo() {
    const quint8 a = keyOf(0x04), esc = keyOf(0x29);
    KeySetForm* page = form();
    // Keys typed on the picture select; Escape and Tab stay keys that move
    // around, the Esc and Tab keys are reached with the arrows.
    QWidget* picture = page->picture();
    QTest::keyClick(picture, Qt::Key_A);
    QCOMPARE(page->picture()->selectedKeyItem(), a);
    QTest::keyClick(picture, Qt::Key_B);  // armed: other keys do nothing
    QCOMPARE(page->picture()->selectedKeyItem(), a);
    QTest::keyClick(picture, Qt::Key_Escape);
    QVERIFY(!page->picture()->isKeySelected());
    QTest::keyClick(picture, Qt::Key_Escape);
    QVERIFY(!page->picture()->isKeySelected());
    QTest::keyClick(picture, Qt::Key_Tab);
    QVERIFY(!page->picture()->isKeySelected());
    QVERIFY(esc != 255);

    // Search: matches of every tab in one row; Enter takes the only one.
    auto* search = qobject_cast<QLineEdit*>(widget("searchEdit"));
    QVERIFY(search);
    QTest::keyClicks(search, "vol");
    QCOMPARE(page->picker()->buttons().size(), 2);
    QVERIFY(page->picker()->buttonOf(2, 0, 0xE9));
    search->clear();
    QTest::keyClicks(search, "f13");
    QCOMPARE(page->picker()->buttons().size(), 1);
    QVERIFY(page->picture()->selectKey(a));
    QTest::keyClick(search, Qt::Key_Return);
    COMPARE_HELD(0, a, 1, 0, 0x68);
    search->clear();
    QCOMPARE(page->picker()->buttons().size(), 104);

    // Two changes, two undos, newest first; each one confirmed by the keyboard.
    QVERIFY(page->picture()->selectKey(a));
    click("systemBtn");
    pick(2, 0, 0xE2);
    COMPARE_HELD(0, a, 2, 0, 0xE2);
    QCOMPARE(page->undoDepth(0), 2);
    page->setFocus();
    QTest::keyClick(page, Qt::Key_Z, Qt::ControlModifier);
    COMPARE_HELD(0, a, 1, 0, 0x68);
    QVERIFY(page->undo());
    COMPARE_HELD(0, a, 1, 0, 0x04);
    QCOMPARE(page->undoDepth(0), 0);
    QVERIFY(!page->undo());
    QVERIFY(!page->picture()->isKeySelected());
}

void TestKeySetForm::editsWhileOneIsOnItsWayAndAfterAFailure() {
    const quint8 a = keyOf(0x04), s = keyOf(0x16);
    // A second key chosen and changed before the keyboard answered the first.
    sim().setLatencyMs(200);
    selectOnPicture(a);
    pick(1, 0, 0x05);
    QTest::mouseClick(form()->picture(), Qt::LeftButton, {},
                      form()->picture()->labelOf(a)->geometry().center());  // let go of A
    selectOnPicture(s);
    pick(1, 0, 0x06);
    QVERIFY(form()->isBusy());
    COMPARE_HELD(0, a, 1, 0, 0x05);
    COMPARE_HELD(0, s, 1, 0, 0x06);
    sim().setLatencyMs(0);

    // A keyboard that takes the change but never answers: it fails once, the
    // model keeps the key, the key stays chosen and the next change goes
    // through.
    sim().dropNextAnswers(3);
    selectOnPicture(a);
    pick(1, 0, 0x07);
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isBusy(), 6000);
    QCOMPARE(toastsShown(QStringLiteral("修改没有保存到键盘，页面已恢复为键盘上的设置")), 1);
    QCOMPARE(int(model()->keyConfig(0, a)->lValue), 0x05);
    QCOMPARE(form()->picture()->selectedKeyItem(), a);
    pick(1, 0, 0x08);
    COMPARE_HELD(0, a, 1, 0, 0x08);
}

QTEST_MAIN(TestKeySetForm)
#include "tst_keysetform.moc"
