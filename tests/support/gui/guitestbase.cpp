#include "support/gui/guitestbase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStackedWidget>
#include <QTest>

#include "ui/pages/basepage.h"

GuiTestBase::GuiTestBase(QObject* parent) : QObject(parent) {}

GuiTestBase::~GuiTestBase() {
    stopWindow();
}

bool GuiTestBase::startWindow(const GuiSession::Options& options, bool reachKeyPage) {
    stopWindow();
    mSession = std::make_unique<GuiSession>(options);
    if (!mSession->start()) return false;
    return !reachKeyPage || mSession->reachKeyPage();
}

void GuiTestBase::stopWindow() {
    if (mSession) mSession->stop();
    mSession.reset();
}

MainWindow* GuiTestBase::mainWindow() const {
    return mSession ? mSession->window() : nullptr;
}

namespace {
QWidget* visibleChild(QWidget* root, const QString& name) {
    if (!root) return nullptr;
    if (root->objectName() == name && root->isVisible()) return root;
    const QList<QWidget*> all = root->findChildren<QWidget*>(name);
    for (QWidget* w : all)
        if (w->isVisible()) return w;
    return all.isEmpty() ? nullptr : all.first();
}

// Object name of the button that leads to a setting page.
QString navigationButton(int index) {
    switch (index) {
        case PageKey:
            return QStringLiteral("keyButton");
        case PageLight:
            return QStringLiteral("lightButton");
        case PageHighKey:
            return QStringLiteral("highKeyButton");
        case PageMacro:
            return QStringLiteral("macroButton");
        case PagePerformance:
            return QStringLiteral("performaceButton");
        case PageAlign:
            return QStringLiteral("alignButton");
        case PageOther:
            return QStringLiteral("otherButton");
        case PageDevice:
            return QStringLiteral("deviceButton");
        case PageSystem:
            return QStringLiteral("settingButton");
        case PageFireware:
            return QStringLiteral("firewareButton");
        default:
            return QString();
    }
}
}  // namespace

QWidget* GuiTestBase::widget(const QString& objectName) const {
    MainWindow* window = mainWindow();
    if (!window) return nullptr;
    QWidget* shown = window->page(window->currentPageIndex());
    if (QWidget* w = visibleChild(shown, objectName); w && w->isVisible()) return w;
    // Outside the page stack (title bar, left column) or on a hidden page.
    for (QWidget* w : window->findChildren<QWidget*>(objectName)) {
        if (!w->isVisible()) continue;
        return w;
    }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top == window || !top->isVisible()) continue;
        if (QWidget* w = visibleChild(top, objectName)) return w;
    }
    const QList<QWidget*> all = window->findChildren<QWidget*>(objectName);
    return all.isEmpty() ? nullptr : all.first();
}

void GuiTestBase::click(const QString& objectName) {
    QWidget* w = widget(objectName);
    QVERIFY2(w, qPrintable(QStringLiteral("no widget named ") + objectName));
    QVERIFY2(w->isVisible(), qPrintable(objectName + QStringLiteral(" is not visible")));
    QVERIFY2(w->isEnabled(), qPrintable(objectName + QStringLiteral(" is disabled")));
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->rect().center());
    } else {
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    }
    QCoreApplication::processEvents();
}

void GuiTestBase::showPage(int pageIndex) {
    MainWindow* window = mainWindow();
    QVERIFY(window);
    if (window->currentPageIndex() == pageIndex) return;
    const QString name = navigationButton(pageIndex);
    QWidget* w = name.isEmpty() ? nullptr : widget(name);
    if (w && w->isVisible() && w->isEnabled()) {
        click(name);
    } else if (pageIndex == PageDevice && window->currentPageIndex() == PageSystem &&
               widget(QStringLiteral("backButton"))) {
        click(QStringLiteral("backButton"));
    }
    // No control leads there from the shown page (for example a setting
    // page from the system page): go as the window itself would.
    if (window->currentPageIndex() != pageIndex) window->showPage(pageIndex);
    QVERIFY(waitForPage(pageIndex));
}

SimHidBackend& GuiTestBase::sim() {
    return mSession->sim();
}

SimKeyboard& GuiTestBase::keyboard() {
    return mSession->sim().keyboard();
}

bool GuiTestBase::waitForEngineIdle(int ms) {
    return mSession && mSession->waitForEngineIdle(ms);
}

bool GuiTestBase::waitForPage(int pageIndex, int ms) {
    return mSession && mSession->waitForPage(pageIndex, ms);
}
