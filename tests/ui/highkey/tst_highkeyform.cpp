// The advanced keys page through the real main window on the simulated
// keyboard: each kind's dialog writes the record the keyboard then holds,
// deleting restores the keys' factory bindings, and the page's limits.

#include <QApplication>
#include <QtTest>

#include "services/qtoastbox.h"
#include "catalogue/keycatalogue.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/pageindex.h"
#include "ui/pages/highkey/highkeyform.h"
#include "ui/pages/highkey/qdksadddialog.h"
#include "ui/pages/highkey/qdkslabel.h"
#include "ui/pages/highkey/qmtadddialog.h"
#include "ui/pages/highkey/qsocdadddialog.h"
#include "ui/pages/highkey/qtgladddialog.h"
#include "ui/widgets/qcustomlabel.h"
#include "ui/widgets/qcustomslider.h"
#include "ui/widgets/qhighkeyboardwidget.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui/widgets/qrsokeyboardwidget.h"

class TestHighKeyForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { stopWindow(); }

    void dksWithAFunctionOnAllFourEvents();
    void mtHoldTimeAndBothFunctions();
    void tglOnTheSelectedKeyAndDeleteRestores();
    void pairKindsBindBothKeysAndDeleteRestoresBoth_data();
    void pairKindsBindBothKeysAndDeleteRestoresBoth();
    void pairWithoutSecondKeyIsRefused();
    void editingAPairsSecondKeyRestoresTheKeyItLeft();
    void deletingRestoresBothKeyNumbersOfOneDrawnKey();
    void bothKeyNumbersOfOneDrawnKeyFollowAddEditAndDelete();
    void addTileWithoutSelectedKey();
    void lastFreeSlotAndFullTable();
    void pairTabsEnableOnlyAdvancedOrFactoryKeys();
    void silentKeyboardLeavesThePageReadyForTheNextChange();

private:
    HighKeyForm* form() { return page<HighKeyForm>(); }
    KeyboardConfigUtil* model() { return KeyboardConfigUtil::instance(); }
    SimProfile& profile() { return *keyboard().state().activeProfile(); }
    // Key number whose factory binding is the keyboard usage.
    quint8 keyOf(quint8 usage);
    void pressOnPicture(QWidget* picture, quint8 key);
    QHighKeyDialog* openNewRecordOn(quint8 key);
    // A TGL sending A, made on the key through its dialog and confirmed.
    void addTglOn(quint8 key);
    void clickLabel(QWidget* label) { QTest::mouseClick(label, Qt::LeftButton); }
    // The open dialog's widget of that name (list items have a delBtn too).
    QWidget* inDialog(const QString& name) {
        return form()->dialog() ? form()->dialog()->findChild<QWidget*>(name) : nullptr;
    }
    void clickInDialog(const QString& name) {
        QWidget* w = inDialog(name);
        QVERIFY2(w && w->isVisible(), qPrintable(name));
        QTest::mouseClick(w, Qt::LeftButton);
    }
    // Clicks a key of the dialog's embedded picker.
    void pick(QHighKeyDialog* dialog, quint8 type, quint8 hValue, quint8 lValue);
    QByteArray slotBytes(int slot) { return profile().highKeys.value(slot); }
    // A key number drawn on the picture and the other one on its position.
    bool drawnPair(quint8* drawn, quint8* partner);
    // The model's layer-0 bindings of the keys are the keyboard's.
    void sameAsKeyboard(const QList<quint8>& keys);
    int requestCount(uchar request) {
        return testsupport::requests(sim().writtenReports(), request).size();
    }
    static bool toastShown(const QString& text);
    // The road again from this setting page (through the device page): a fresh read.
    void rereadKeyboard() {
        QVERIFY(session().reachKeyPage());
        QVERIFY(waitForEngineIdle());
        GuiSession::settle(100);
    }
};

void TestHighKeyForm::init() {
    QVERIFY(startWindow());
    showPage(PageHighKey);
    QVERIFY(form());
}

quint8 TestHighKeyForm::keyOf(quint8 usage) {
    const QVector<SimKey>& factory = keyboard().state().factoryLayers[0];
    for (int key = 0; key < factory.size(); ++key)
        if (factory[key].type == KeyCatalogue::TypeKey && factory[key].lValue == usage)
            return quint8(key);
    return 255;
}

void TestHighKeyForm::pressOnPicture(QWidget* picture, quint8 key) {
    auto* keyboardPicture = qobject_cast<QKeyboardWidget*>(picture);
    QVERIFY(keyboardPicture);
    QLabel* label = keyboardPicture->labelOf(key);
    QVERIFY2(label, qPrintable(QStringLiteral("key %1 not drawn").arg(key)));
    QTest::mouseClick(picture, Qt::LeftButton, {}, label->geometry().center());
}

void TestHighKeyForm::addTglOn(quint8 key) {
    form()->on_tglBtn_clicked();
    QHighKeyDialog* dialog = openNewRecordOn(key);
    QVERIFY(dialog);
    clickLabel(inDialog(QStringLiteral("triggerLabel")));
    pick(dialog, KeyCatalogue::TypeKey, 0, 0x04);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());
}

QHighKeyDialog* TestHighKeyForm::openNewRecordOn(quint8 key) {
    pressOnPicture(form()->picture(), key);
    if (form()->selectedKey() != key) return nullptr;
    click(QStringLiteral("QHighKeyAddWidget"));
    return form()->dialog();
}

void TestHighKeyForm::pick(QHighKeyDialog* dialog, quint8 type, quint8 hValue, quint8 lValue) {
    QWidget* button = dialog->picker()->buttonOf(type, hValue, lValue);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

bool TestHighKeyForm::toastShown(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->text() == text) return true;
    }
    return false;
}

void TestHighKeyForm::dksWithAFunctionOnAllFourEvents() {
    form()->on_dksBtn_clicked();
    const quint8 key = keyOf(0x07);  // D
    const int usedBefore = model()->highKeyCount();
    auto* dialog = qobject_cast<QDksAddDialog*>(openNewRecordOn(key));
    QVERIFY(dialog);
    for (int column = 0; column < 4; ++column) clickLabel(dialog->cell(0, column));
    // Switching a cell on selects the row's slot; the picker fills it.
    QCOMPARE(dialog->selectedSlot(), 0);
    pick(dialog, KeyCatalogue::TypeKey, 0, 0x2C);  // Space
    QCOMPARE(dialog->selectedSlot(), -1);
    clickLabel(dialog->cell(1, 1));
    pick(dialog, KeyCatalogue::TypeModifier, 0, 0x02);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());

    const quint8 slot = model()->keyConfig(0, key)->lValue;
    QCOMPARE(model()->keyConfig(0, key)->type, quint8(KeyCatalogue::TypeAdvanced));
    const QByteArray held = slotBytes(slot);
    QCOMPARE(quint8(held[0]), slot);
    QCOMPARE(quint8(held[1]), quint8(2));
    QCOMPARE(quint8(held[2]), key);
    QCOMPARE(quint8(held[3]), quint8(0x0F));
    QCOMPARE(held.mid(4, 3), QByteArray::fromHex("012c00"));
    QCOMPARE(quint8(held[7]), quint8(0x02));  // the second row: 3.00 mm pressed only
    QCOMPARE(held.mid(8, 3), QByteArray::fromHex("000200"));
    QCOMPARE(quint8(held[11]), quint8(0));
    QCOMPARE(held.mid(12, 3), QByteArray::fromHex("ffffff"));
    QVERIFY(form()->promptText().endsWith(QStringLiteral("%1/32").arg(usedBefore + 1)));

    // Opening the key again shows what the keyboard holds.
    pressOnPicture(form()->picture(), key);
    auto* again = qobject_cast<QDksAddDialog*>(form()->dialog());
    QVERIFY(again);
    QCOMPARE(again->rowMask(0), quint8(0x0F));
    QCOMPARE(again->rowMask(1), quint8(0x02));
    QCOMPARE(QHighKeyDialog::functionName(again->function(0)), KeyCatalogue::shortName(1, 0, 0x2C));
    QVERIFY(inDialog(QStringLiteral("delBtn"))->isVisible());
    clickInDialog(QStringLiteral("cancelBtn"));
}

void TestHighKeyForm::mtHoldTimeAndBothFunctions() {
    form()->on_mtBtn_clicked();
    const quint8 key = keyOf(0x08);  // E
    auto* dialog = qobject_cast<QMtAddDialog*>(openNewRecordOn(key));
    QVERIFY(dialog);
    QCOMPARE(dialog->holdTime(), 80);
    QVERIFY(!inDialog(QStringLiteral("delBtn"))->isVisible());
    dialog->setHoldTime(5);
    QCOMPARE(dialog->holdTime(), 10);
    dialog->setHoldTime(5000);
    QCOMPARE(dialog->holdTime(), 1000);
    // The slider jumps to the pointer: the far right end is the maximum,
    // a quarter of the way a quarter of the range.
    auto* slider = dialog->findChild<QCustomSlider*>(QStringLiteral("timeSlider"));
    QSignalSpy steps(slider, &QCustomSlider::customSliderClicked);
    QTest::mouseClick(slider, Qt::LeftButton, {},
                      QPoint(slider->width() / 4, slider->height() / 2));
    QCOMPARE(steps.size(), 2);
    QCOMPARE(steps.at(0).at(0).toInt(), 0);
    QCOMPARE(steps.at(1).at(0).toInt(), 2);
    QCOMPARE(dialog->holdTime(),
             QCustomSlider::valueAt(10, 1000, slider->width() / 4, slider->width()));
    dialog->setHoldTime(300);

    // Media functions (hValue and lValue differ) show the two byte orders;
    // the picker's keyboard tab has none, so they come in through its slot.
    clickLabel(inDialog(QStringLiteral("clickLabel")));
    dialog->input_keyboard_select(KeyCatalogue::TypeMedia, 0x00, 0xE9);
    clickLabel(inDialog(QStringLiteral("pressLabel")));
    dialog->input_keyboard_select(KeyCatalogue::TypeMedia, 0x01, 0x83);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());

    const quint8 slot = model()->keyConfig(0, key)->lValue;
    const QByteArray held = slotBytes(slot);
    QCOMPARE(quint8(held[1]), quint8(1));
    QCOMPARE(quint8(held[2]), key);
    QCOMPARE(quint8(held[3]), quint8(0xFF));
    QCOMPARE(quint8(held[4]) | quint8(held[5]) << 8, 300);
    // Tap: type, hValue, lValue; hold: type, lValue, hValue.
    QCOMPARE(held.mid(6, 3), QByteArray::fromHex("0200e9"));
    QCOMPARE(held.mid(9, 3), QByteArray::fromHex("028301"));
    QCOMPARE(
        QByteArray(reinterpret_cast<const char*>(model()->keyboardHighKeyList[slot]->data), 10),
        held.mid(2, 10));
}

void TestHighKeyForm::tglOnTheSelectedKeyAndDeleteRestores() {
    form()->on_tglBtn_clicked();
    const quint8 key = keyOf(0x09);  // F
    QHighKeyDialog* dialog = openNewRecordOn(key);
    QVERIFY(qobject_cast<QTglAddDialog*>(dialog));
    clickLabel(inDialog(QStringLiteral("triggerLabel")));
    QCOMPARE(dialog->selectedSlot(), 0);
    clickLabel(inDialog(QStringLiteral("triggerLabel")));  // a second click deselects
    QCOMPARE(dialog->selectedSlot(), -1);
    pick(dialog, KeyCatalogue::TypeKey, 0, 0x04);  // no slot selected: ignored
    QVERIFY(dialog->function(0).isNone());
    clickLabel(inDialog(QStringLiteral("triggerLabel")));
    pick(dialog, KeyCatalogue::TypeKey, 0, 0x04);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());

    const quint8 slot = model()->keyConfig(0, key)->lValue;
    QByteArray expected(1, char(slot));
    expected += char(0);
    expected += char(key);
    expected += QByteArray::fromHex("010400");
    QCOMPARE(slotBytes(slot).left(6), expected);

    // The list shows the record; its delete button removes it.
    QList<QWidget*> items;
    for (QWidget* w : form()->findChildren<QWidget*>(QStringLiteral("QHighKeyItemWidget")))
        if (w->isVisible()) items.append(w);
    QCOMPARE(items.size(), 1);
    sim().clearWrittenReports();
    QTest::mouseClick(items[0]->findChild<QWidget*>(QStringLiteral("delBtn")), Qt::LeftButton);
    QVERIFY(waitForEngineIdle());
    QCOMPARE(quint8(slotBytes(slot)[0]), quint8(0xFF));
    const QList<QByteArray> restores =
        testsupport::requests(sim().writtenReports(), UsbProtocol::SetKeyboardDefault);
    QCOMPARE(restores.size(), 1);
    // The payload (after the report ID and the frame header): layer, then the keys.
    QCOMPARE(restores[0].mid(7, 3), QByteArray(1, 0) + char(key) + char(0xFF));
    const DefaultKeyPtr factory = model()->defaultKey(key, 0);
    QCOMPARE(model()->keyConfig(0, key)->type, factory->type);
    QCOMPARE(model()->keyConfig(0, key)->lValue, factory->lValue);
    QCOMPARE(model()->keyboardHighKeyList[slot]->item, quint8(255));
}

void TestHighKeyForm::pairKindsBindBothKeysAndDeleteRestoresBoth_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("RS") << 3;
    QTest::newRow("OKS") << 4;
    QTest::newRow("SOCD") << 5;
}

void TestHighKeyForm::pairKindsBindBothKeysAndDeleteRestoresBoth() {
    QFETCH(int, kind);
    if (kind == 3) form()->on_rsBtn_clicked();
    if (kind == 4) form()->on_oksBtn_clicked();
    if (kind == 5) form()->on_socdBtn_clicked();
    const quint8 first = keyOf(0x16);   // S
    const quint8 second = keyOf(0x1A);  // W
    QHighKeyDialog* dialog = openNewRecordOn(first);
    QVERIFY(dialog);
    QCOMPARE(inDialog(QStringLiteral("key1Label"))->property("text").toString(),
             model()->defaultKey(first, 0)->label);
    pressOnPicture(dialog->pairPicture(), second);
    QCOMPARE(dialog->pairPicture()->selectedKey(), second);
    if (auto* socd = qobject_cast<QSocdAddDialog*>(dialog)) {
        QCOMPARE(socd->rule(), 0);
        clickInDialog(QStringLiteral("cancelRadio"));
    }
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());

    const quint8 slot = model()->keyConfig(0, first)->lValue;
    const QByteArray held = slotBytes(slot);
    QCOMPARE(quint8(held[1]), quint8(kind));
    QCOMPARE(quint8(held[2]), first);
    QCOMPARE(quint8(held[3]), second);
    QCOMPARE(quint8(held[4]), quint8(kind == 5 ? 3 : 0));
    for (quint8 k : {first, second}) {
        QCOMPARE(model()->keyConfig(0, k)->type, quint8(KeyCatalogue::TypeAdvanced));
        QCOMPARE(model()->keyConfig(0, k)->lValue, slot);
    }

    // Pressing either key on the page opens the record; delete removes it.
    pressOnPicture(form()->picture(), second);
    dialog = form()->dialog();
    QVERIFY(dialog);
    QVERIFY(!dialog->isNewRecord());
    if (auto* socd = qobject_cast<QSocdAddDialog*>(dialog)) QCOMPARE(socd->rule(), 3);
    sim().clearWrittenReports();
    clickInDialog(QStringLiteral("delBtn"));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(quint8(slotBytes(slot)[0]), quint8(0xFF));
    const QList<QByteArray> restores =
        testsupport::requests(sim().writtenReports(), UsbProtocol::SetKeyboardDefault);
    QCOMPARE(restores.size(), 1);
    QCOMPARE(restores[0].mid(7, 3), QByteArray(1, 0) + char(first) + char(second));
    for (quint8 k : {first, second}) {
        QCOMPARE(model()->keyConfig(0, k)->type, model()->defaultKey(k, 0)->type);
        QCOMPARE(model()->keyConfig(0, k)->lValue, model()->defaultKey(k, 0)->lValue);
        QCOMPARE(profile().layers[0][k].lValue, keyboard().state().factoryLayers[0][k].lValue);
    }
}

void TestHighKeyForm::pairWithoutSecondKeyIsRefused() {
    form()->on_rsBtn_clicked();
    QHighKeyDialog* dialog = openNewRecordOn(keyOf(0x04));
    QVERIFY(dialog);
    const int adds = requestCount(UsbProtocol::AddHighKey);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->action(), int(QHighKeyDialog::ActionNone));
    clickInDialog(QStringLiteral("cancelBtn"));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(requestCount(UsbProtocol::AddHighKey), adds);
}

void TestHighKeyForm::editingAPairsSecondKeyRestoresTheKeyItLeft() {
    form()->on_rsBtn_clicked();
    const quint8 first = keyOf(0x16), second = keyOf(0x1A), moved = keyOf(0x08);  // S, W, E
    QHighKeyDialog* dialog = openNewRecordOn(first);
    QVERIFY(dialog);
    pressOnPicture(dialog->pairPicture(), second);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());
    const quint8 slot = model()->keyConfig(0, first)->lValue;

    pressOnPicture(form()->picture(), first);
    dialog = form()->dialog();
    QVERIFY(dialog && !dialog->isNewRecord());
    pressOnPicture(dialog->pairPicture(), moved);
    QCOMPARE(dialog->pairPicture()->selectedKey(), moved);
    sim().clearWrittenReports();
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());

    QCOMPARE(quint8(slotBytes(slot)[3]), moved);
    const QList<QByteArray> restores =
        testsupport::requests(sim().writtenReports(), UsbProtocol::SetKeyboardDefault);
    QCOMPARE(restores.size(), 1);
    QCOMPARE(restores[0].mid(7, 3), QByteArray(1, 0) + char(second) + char(0xFF));
    // W is an ordinary key again, in the model, on the keyboard and drawn so.
    QTRY_COMPARE(model()->keyConfig(0, second)->type, model()->defaultKey(second, 0)->type);
    QCOMPARE(model()->keyConfig(0, second)->lValue, model()->defaultKey(second, 0)->lValue);
    QCOMPARE(profile().layers[0][second].type, keyboard().state().factoryLayers[0][second].type);
    QCOMPARE(profile().layers[0][second].lValue,
             keyboard().state().factoryLayers[0][second].lValue);
    QCOMPARE(form()->picture()->labelOf(second)->text(), model()->defaultKey(second, 0)->label);
    for (quint8 k : {first, moved}) {
        QCOMPARE(model()->keyConfig(0, k)->type, quint8(KeyCatalogue::TypeAdvanced));
        QCOMPARE(model()->keyConfig(0, k)->lValue, slot);
    }
}

bool TestHighKeyForm::drawnPair(quint8* drawn, quint8* partner) {
    for (const KeyPositionPtr& p : std::as_const(model()->keyboardPositionMap))
        for (const KeyPositionPtr& q : std::as_const(model()->keyboardPositionMap))
            if (p->keyItem != q->keyItem && p->posItem == q->posItem &&
                form()->picture()->labelOf(p->keyItem)) {
                *drawn = p->keyItem;
                *partner = q->keyItem;
                return true;
            }
    return false;
}

void TestHighKeyForm::sameAsKeyboard(const QList<quint8>& keys) {
    for (quint8 k : keys) {
        const KeyBindingPtr b = model()->keyConfig(0, k);
        QVERIFY(b);
        const SimKey held = profile().layers[0][k];
        QVERIFY2(b->type == held.type && b->hValue == held.hValue && b->lValue == held.lValue,
                 qPrintable(QStringLiteral("key %1: model %2/%3/%4, keyboard %5/%6/%7")
                                .arg(k)
                                .arg(b->type)
                                .arg(b->hValue)
                                .arg(b->lValue)
                                .arg(held.type)
                                .arg(held.hValue)
                                .arg(held.lValue)));
    }
}

void TestHighKeyForm::deletingRestoresBothKeyNumbersOfOneDrawnKey() {
    // The sample product draws a second key number on the backslash position;
    // the model gives both the advanced key.
    quint8 drawn = 255, partner = 255;
    QVERIFY(drawnPair(&drawn, &partner));
    addTglOn(drawn);
    if (QTest::currentTestFailed()) return;
    QCOMPARE(model()->keyConfig(0, partner)->type, quint8(KeyCatalogue::TypeAdvanced));

    pressOnPicture(form()->picture(), drawn);
    QVERIFY(form()->dialog());
    sim().clearWrittenReports();
    clickInDialog(QStringLiteral("delBtn"));
    QVERIFY(waitForEngineIdle());
    const QList<QByteArray> restores =
        testsupport::requests(sim().writtenReports(), UsbProtocol::SetKeyboardDefault);
    QCOMPARE(restores.size(), 1);
    QCOMPARE(restores[0].mid(7, 3), QByteArray(1, 0) + char(drawn) + char(partner));
    for (quint8 k : {drawn, partner}) {
        QCOMPARE(model()->keyConfig(0, k)->type, profile().layers[0][k].type);
        QCOMPARE(model()->keyConfig(0, k)->lValue, profile().layers[0][k].lValue);
        QCOMPARE(profile().layers[0][k].lValue, keyboard().state().factoryLayers[0][k].lValue);
    }
}

void TestHighKeyForm::bothKeyNumbersOfOneDrawnKeyFollowAddEditAndDelete() {
    quint8 drawn = 255, partner = 255;
    QVERIFY(drawnPair(&drawn, &partner));
    const quint8 first = keyOf(0x16), other = keyOf(0x1A);  // S, W
    const QList<quint8> keys{drawn, partner, first, other};
    auto isAdvanced = [this](quint8 key, quint8 slot) {
        return profile().layers[0][key].type == KeyCatalogue::TypeAdvanced &&
               profile().layers[0][key].lValue == slot;
    };
    // The keyboard's record whose first key is the key.
    auto slotOn = [this](quint8 key) {
        for (int s = 0; s < profile().highKeys.size(); ++s)
            if (quint8(slotBytes(s)[0]) != 0xFF && quint8(slotBytes(s)[2]) == key) return quint8(s);
        return quint8(255);
    };
    auto isFactory = [this](quint8 key) {
        const SimKey held = profile().layers[0][key];
        const SimKey factory = keyboard().state().factoryLayers[0][key];
        return held.type == factory.type && held.hValue == factory.hValue &&
               held.lValue == factory.lValue;
    };

    // A TGL on the drawn key: the keyboard binds both key numbers.
    addTglOn(drawn);
    if (QTest::currentTestFailed()) return;
    quint8 slot = slotOn(drawn);
    QVERIFY(slot != 255);
    QVERIFY(isAdvanced(drawn, slot) && isAdvanced(partner, slot));
    sameAsKeyboard(keys);
    pressOnPicture(form()->picture(), drawn);
    QVERIFY(form()->dialog());
    clickInDialog(QStringLiteral("delBtn"));
    QVERIFY(waitForEngineIdle());
    QVERIFY(isFactory(drawn) && isFactory(partner));
    sameAsKeyboard(keys);

    // An RS pair whose second key is the drawn one, moved to W and back.
    form()->on_rsBtn_clicked();
    QHighKeyDialog* dialog = openNewRecordOn(first);
    QVERIFY(dialog);
    pressOnPicture(dialog->pairPicture(), drawn);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());
    slot = slotOn(first);
    QVERIFY(isAdvanced(first, slot) && isAdvanced(drawn, slot) && isAdvanced(partner, slot));
    sameAsKeyboard(keys);

    pressOnPicture(form()->picture(), first);
    dialog = form()->dialog();
    QVERIFY(dialog && !dialog->isNewRecord());
    pressOnPicture(dialog->pairPicture(), other);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());
    QVERIFY(isAdvanced(first, slot) && isAdvanced(other, slot));
    QVERIFY(isFactory(drawn) && isFactory(partner));
    sameAsKeyboard(keys);

    // Back to the drawn key; deleting then restores three key numbers.
    pressOnPicture(form()->picture(), other);
    dialog = form()->dialog();
    QVERIFY(dialog);
    pressOnPicture(dialog->pairPicture(), drawn);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());
    QVERIFY(isAdvanced(first, slot) && isAdvanced(drawn, slot) && isAdvanced(partner, slot));
    QVERIFY(isFactory(other));
    sameAsKeyboard(keys);

    pressOnPicture(form()->picture(), drawn);
    QVERIFY(form()->dialog());
    clickInDialog(QStringLiteral("delBtn"));
    QVERIFY(waitForEngineIdle());
    for (quint8 k : keys) QVERIFY(isFactory(k));
    sameAsKeyboard(keys);
    // A fresh read of the keyboard gives the model nothing new.
    rereadKeyboard();
    sameAsKeyboard(keys);
}

void TestHighKeyForm::addTileWithoutSelectedKey() {
    QCOMPARE(form()->selectedKey(), quint8(255));
    click(QStringLiteral("QHighKeyAddWidget"));
    QVERIFY(!form()->dialog());
    QVERIFY(toastShown(QStringLiteral("请先选择要设置的按键")));
}

void TestHighKeyForm::lastFreeSlotAndFullTable() {
    // Fill the keyboard up to 31 slots and read it again.
    SimProfile& p = profile();
    for (int slot = 0; slot < 31; ++slot) {
        if (quint8(p.highKeys[slot][0]) != 0xFF) continue;
        QByteArray r(20, '\0');
        r[0] = char(slot);
        r[1] = 4;  // OKS between two keys of the top rows
        r[2] = char(slot);
        r[3] = char(slot + 1);
        p.highKeys[slot] = r;
    }
    rereadKeyboard();
    showPage(PageHighKey);
    form()->on_tglBtn_clicked();
    QCOMPARE(model()->highKeyCount(), 31);
    QVERIFY(form()->promptText().endsWith(QStringLiteral("31/32")));
    QVERIFY(widget(QStringLiteral("QHighKeyAddWidget")));

    QHighKeyDialog* dialog = openNewRecordOn(keyOf(0x0B));  // H
    QVERIFY(dialog);
    clickInDialog(QStringLiteral("saveBtn"));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(model()->highKeyCount(), 32);
    QVERIFY(form()->promptText().endsWith(QStringLiteral("32/32")));
    QCOMPARE(quint8(slotBytes(31)[1]), quint8(0));
    for (QWidget* tile : form()->findChildren<QWidget*>(QStringLiteral("QHighKeyAddWidget")))
        QVERIFY(!tile->isVisible());

    // A dialog reached anyway refuses to save instead of writing slot 255.
    const int adds = requestCount(UsbProtocol::AddHighKey);
    QTglAddDialog stray(255, form());
    stray.show();
    QTest::mouseClick(stray.findChild<QWidget*>(QStringLiteral("saveBtn")), Qt::LeftButton);
    QCOMPARE(stray.action(), int(QHighKeyDialog::ActionNone));
    QCOMPARE(stray.record().item, quint8(255));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(requestCount(UsbProtocol::AddHighKey), adds);
}

void TestHighKeyForm::pairTabsEnableOnlyAdvancedOrFactoryKeys() {
    // One key remapped on the keyboard, which is then read again.
    const quint8 remapped = keyOf(0x05);  // B
    const quint8 plain = keyOf(0x06);     // C
    profile().layers[0][remapped] = {1, 0, 0x2C};
    rereadKeyboard();
    showPage(PageHighKey);

    quint8 advanced = 255;
    for (const KeyBindingPtr& b : model()->keyboardFnMap)
        if (b->type == KeyCatalogue::TypeAdvanced) advanced = b->keyItem;
    QVERIFY(advanced != 255);

    auto enabled = [this](quint8 key) { return form()->picture()->labelOf(key)->isEnabled(); };
    QVERIFY(enabled(remapped) && enabled(plain) && enabled(advanced));
    form()->on_rsBtn_clicked();
    QVERIFY(!enabled(remapped));
    QVERIFY(enabled(plain));
    QVERIFY(enabled(advanced));
    form()->on_dksBtn_clicked();
    QVERIFY(enabled(remapped));
}

void TestHighKeyForm::silentKeyboardLeavesThePageReadyForTheNextChange() {
    const quint8 key = keyOf(0x0A);  // G
    const int before = model()->highKeyCount();
    sim().dropNextAnswers(3);
    addTglOn(key);
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isBusy(), 6000);
    QVERIFY(toastShown(QStringLiteral("修改没有保存到键盘，页面已恢复为键盘上的设置")));
    QCOMPARE(model()->highKeyCount(), before);
    QCOMPARE(int(model()->keyConfig(0, key)->type), int(KeyCatalogue::TypeKey));

    // The same change again goes through: record and key, keyboard and model.
    addTglOn(key);
    QCOMPARE(model()->highKeyCount(), before + 1);
    const quint8 slot = model()->keyConfig(0, key)->lValue;
    QCOMPARE(int(model()->keyConfig(0, key)->type), int(KeyCatalogue::TypeAdvanced));
    QCOMPARE(quint8(slotBytes(slot)[0]), slot);
    sameAsKeyboard({key});
}

QTEST_MAIN(TestHighKeyForm)
#include "tst_highkeyform.moc"
