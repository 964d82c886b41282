// The accessible tree of the key page in the real main window: every key of
// the picture and of the picker is a child with a name, a place and states,
// the selected key keeps its name, its press action remaps on the simulated
// keyboard; page tabs open their page; icon-only buttons have names.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPushButton>
#include <QtTest>

#include "catalogue/keycatalogue.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "ui/pageindex.h"
#include "ui/pages/key/keysetform.h"
#include "ui/widgets/navigationbar.h"
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

QTEST_MAIN(TestKeyAccessible)
#include "tst_keyaccessible.moc"
