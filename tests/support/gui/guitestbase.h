#pragma once
// Base of the GUI test classes: the real MainWindow on a fresh simulated
// keyboard (a GuiSession per test), reached the way a user reaches it, and
// small helpers to click through the window by object names and to look at
// what the keyboard holds.
//
//   class TestKeyPage : public GuiTestBase {
//       Q_OBJECT
//   private slots:
//       void init() { QVERIFY(startWindow()); }
//       void cleanup() { stopWindow(); }
//       void remap() { click("keyButton"); ...; QVERIFY(waitForEngineIdle()); ... }
//   };

#include <QObject>
#include <QString>
#include <memory>

#include "support/gui/guisession.h"
#include "ui/mainwindow.h"

class QWidget;
class SimKeyboard;

class GuiTestBase : public QObject {
    Q_OBJECT
public:
    explicit GuiTestBase(QObject* parent = nullptr);
    ~GuiTestBase() override;

protected:
    // Builds the window and walks to the key page (unless told otherwise).
    bool startWindow(const GuiSession::Options& options = GuiSession::Options(),
                     bool reachKeyPage = true);
    void stopWindow();

    MainWindow* mainWindow() const;
    GuiSession& session() { return *mSession; }

    template <class T>
    T* page() const {
        MainWindow* window = mainWindow();
        if (!window) return nullptr;
        for (int index = 0; index < PageCount; ++index)
            if (T* found = qobject_cast<T*>(window->page(index))) return found;
        return nullptr;
    }

    // Goes to a page the way a user would (navigation bar, left column,
    // back button) and waits until it is shown.
    void showPage(int pageIndex);
    // The widget of that object name: on the shown page first, then
    // anywhere in the window, then in any top-level window (dialogs).
    QWidget* widget(const QString& objectName) const;
    // Clicks the widget's centre with the left button; fails the test
    // when there is no such visible widget.
    void click(const QString& objectName);

    SimHidBackend& sim();
    SimKeyboard& keyboard();
    bool waitForEngineIdle(int ms = 5000);
    bool waitForPage(int pageIndex, int ms = 10000);

private:
    std::unique_ptr<GuiSession> mSession;
};
