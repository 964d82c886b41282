// The accessible tree of the key page in the real main window: every key of
// the picture and of the picker is a child with a name, a place and states,
// the selected key keeps its name, its press action remaps on the simulated
// keyboard; page tabs open their page; icon-only buttons have names.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "catalogue/keycatalogue.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "ui/pageindex.h"
#include "ui/pages/highkey/highkeyform.h"
#include "ui/pages/key/keysetform.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qhighkeyboardwidget.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui/widgets/qkeykeyboardwidget.h"

class TestKeyAccessible : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { stopWindow(); }

    void everyKeyIsAChildWithNameAndPlace();
    void pressActionsRemapAndTheSelectedKeyKeepsItsName();
    void pageTabsOpenTheirPage();
    void iconButtonsAreNamed();
    void advancedKeysReadTheirBindings();

private:
    KeySetForm* form() { return page<KeySetForm>(); }
    quint8 keyOf(quint8 usage);
    static QAccessibleInterface* childNamed(QAccessibleInterface* parent, const QString& name);
};

void TestKeyAccessible::init() {
    QVERIFY(startWindow());
    QVERIFY(waitForPage(PageKey));
    QVERIFY(form()->picture());
}

quint8 TestKeyAccessible::keyOf(quint8 usage) {
    const QVector<SimKey>& factory = keyboard().state().factoryLayers[0];
    for (int key = 0; key < factory.size(); ++key)
        if (factory[key].type == KeyCatalogue::TypeKey && factory[key].lValue == usage)
            return quint8(key);
    return 255;
}

QAccessibleInterface* TestKeyAccessible::childNamed(QAccessibleInterface* parent,
                                                    const QString& name) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (QAccessibleInterface* child = parent->child(i))
            if (child->text(QAccessible::Name) == name) return child;
    return nullptr;
}

void TestKeyAccessible::everyKeyIsAChildWithNameAndPlace() {
    QKeyKeyboardWidget* picture = form()->picture();
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(picture);
    QVERIFY(tree);
    QVERIFY(!tree->text(QAccessible::Name).isEmpty());
    QCOMPARE(tree->childCount(), picture->labels().size());
    const QRect area(picture->mapToGlobal(QPoint(0, 0)), picture->size());
    for (int i = 0; i < tree->childCount(); ++i) {
        QAccessibleInterface* key = tree->child(i);
        QVERIFY(key);
        const QString name = key->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty(), qPrintable(QString::number(i)));
        QVERIFY2(!key->text(QAccessible::Description).isEmpty(), qPrintable(name));
        QCOMPARE(key->role(), QAccessible::Button);
        QVERIFY2(!key->rect().isEmpty() && area.contains(key->rect()), qPrintable(name));
        QVERIFY(!key->state().invisible);
        QCOMPARE(key->parent(), tree);
        QCOMPARE(tree->indexOfChild(key), i);
        QCOMPARE(tree->childAt(key->rect().center().x(), key->rect().center().y()), key);
    }
    QVERIFY(childNamed(tree, QStringLiteral("W")));
    QVERIFY(childNamed(tree, QStringLiteral("F1")));
    // The picker: one child per button, then its three visible buttons.
    QInputKeyboardWidget* picker = form()->picker();
    QAccessibleInterface* functions = QAccessible::queryAccessibleInterface(picker);
    QCOMPARE(functions->childCount(), picker->buttons().size() + 3);
    QVERIFY(childNamed(functions, QStringLiteral("F1")));
}

void TestKeyAccessible::pressActionsRemapAndTheSelectedKeyKeepsItsName() {
    const quint8 w = keyOf(0x1A);
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(form()->picture());
    QAccessibleInterface* key = childNamed(tree, QStringLiteral("W"));
    QVERIFY(key && key->actionInterface());
    const QString before = key->text(QAccessible::Description);
    QVERIFY(before.contains(QLatin1Char('W')));
    key->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(form()->picture()->selectedKeyItem(), w);
    QVERIFY(key->state().selected);
    QCOMPARE(key->text(QAccessible::Name), QStringLiteral("W"));
    // The prompt is read from the selected key.
    QVERIFY(key->text(QAccessible::Description) != before);
    QVERIFY(key->text(QAccessible::Description).size() > 0);
    // Another key is disabled while W waits for its function.
    QAccessibleInterface* q = childNamed(tree, QStringLiteral("Q"));
    QVERIFY(q && q->state().disabled);

    QAccessibleInterface* functions = QAccessible::queryAccessibleInterface(form()->picker());
    QAccessibleInterface* f1 = childNamed(functions, QStringLiteral("F1"));
    QVERIFY(f1 && f1->actionInterface());
    f1->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(waitForEngineIdle());
    QTRY_COMPARE(int(keyboard().state().activeProfile()->layers[0].value(w).lValue), 0x3A);
    // Read again: the description follows the binding.
    key = childNamed(QAccessible::queryAccessibleInterface(form()->picture()), QStringLiteral("W"));
    QVERIFY(key);
    QTRY_VERIFY(key->text(QAccessible::Description).contains(QStringLiteral("F1")));
}

void TestKeyAccessible::pageTabsOpenTheirPage() {
    NavigationBar* bar = form()->navigationBar();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(bar);
    QCOMPARE(list->role(), QAccessible::PageTabList);
    QAccessibleInterface* tab = QAccessible::queryAccessibleInterface(bar->button(PageLight));
    QCOMPARE(tab->role(), QAccessible::PageTab);
    QVERIFY(!tab->state().selected);
    QVERIFY(QAccessible::queryAccessibleInterface(bar->button(PageKey))->state().selected);
    QVERIFY(!tab->text(QAccessible::Name).isEmpty());
    // Both the press and the toggle action open the page.
    tab->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(waitForPage(PageLight));
}

void TestKeyAccessible::iconButtonsAreNamed() {
    for (const char* name : {"minButton", "maxButton", "exitButton"}) {
        QWidget* button = widget(QString::fromLatin1(name));
        QVERIFY2(button, name);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
        QVERIFY2(!face->text(QAccessible::Name).isEmpty(), name);
    }
    auto* search = widget(QStringLiteral("searchEdit"));
    QVERIFY(!QAccessible::queryAccessibleInterface(search)->text(QAccessible::Name).isEmpty());
}

void TestKeyAccessible::advancedKeysReadTheirBindings() {
    // On the keyboard: A is MT (tap B, hold Left Ctrl), S is DKS (C at the
    // first stage); read again through the device page.
    const quint8 a = keyOf(0x04), s = keyOf(0x16);
    SimProfile& profile = *keyboard().state().activeProfile();
    QByteArray mt(20, '\0'), dks(20, '\0');
    mt[0] = 0;
    mt[1] = 1;
    mt[2] = char(a);
    mt[3] = char(0xFF);
    mt[4] = char(200);
    mt[6] = 1, mt[7] = 0, mt[8] = 0x05;    // type, hValue, lValue
    mt[9] = 0, mt[10] = 0x01, mt[11] = 0;  // type, lValue, hValue
    dks[0] = 1;
    dks[1] = 2;
    dks[2] = char(s);
    for (int row = 0; row < 4; ++row) {
        dks[3 + 4 * row] = char(row == 0 ? 0x01 : 0);
        for (int i = 4; i < 7; ++i) dks[i + 4 * row] = char(0xFF);
    }
    dks[4] = 1, dks[5] = 0x06, dks[6] = 0;
    profile.highKeys[0] = mt;
    profile.highKeys[1] = dks;
    profile.layers[0][a] = SimKey{KeyCatalogue::TypeAdvanced, 0, 0};
    profile.layers[0][s] = SimKey{KeyCatalogue::TypeAdvanced, 0, 1};
    showPage(PageHighKey);  // the key page itself is not read again
    QVERIFY(session().reachKeyPage());
    QVERIFY(waitForEngineIdle());
    GuiSession::settle(100);

    const QString ctrl = QKeyboardWidget::bindingName(KeyCatalogue::TypeModifier, 0, 0x01);
    QVERIFY(!ctrl.isEmpty());
    auto check = [&](QWidget* picture) {
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(picture);
        QAccessibleInterface* keyA = childNamed(tree, QStringLiteral("A"));
        QAccessibleInterface* keyS = childNamed(tree, QStringLiteral("S"));
        QVERIFY(keyA && keyS);
        const QString tapHold = keyA->text(QAccessible::Description);
        QVERIFY2(tapHold.contains(QStringLiteral("MT")) && tapHold.contains(ctrl) &&
                     tapHold.indexOf(QLatin1Char('B')) < tapHold.indexOf(ctrl),
                 qPrintable(tapHold));
        const QString stages = keyS->text(QAccessible::Description);
        QVERIFY2(stages.contains(QStringLiteral("DKS")) && stages.contains(QLatin1Char('C')),
                 qPrintable(stages));
    };
    check(form()->picture());
    QVERIFY(!QTest::currentTestFailed());
    showPage(PageHighKey);
    check(page<HighKeyForm>()->picture());
    QVERIFY(!QTest::currentTestFailed());
    // The list's badge is named by its kind.
    page<HighKeyForm>()->on_mtBtn_clicked();
    QLabel* badge = nullptr;
    for (QLabel* label : page<HighKeyForm>()->findChildren<QLabel*>(QStringLiteral("iconLabel")))
        if (label->isVisible()) badge = label;
    QVERIFY(badge);
    QCOMPARE(QAccessible::queryAccessibleInterface(badge)->text(QAccessible::Name),
             QStringLiteral("MT"));
}

QTEST_MAIN(TestKeyAccessible)
#include "tst_keyaccessible.moc"
