#pragma once
// Hidden hooks for the tests that run the real executable: with the
// environment variable ZENTARO_TEST_HOOKS set, the program reports a few
// moments of its life ("zentaro: ready", "zentaro: raised") on standard
// output, or appended to the file it names when it holds an absolute path
// (a copy started by a restart has no pipe to the test). ZENTARO_TEST_ACTION
// names one thing the window does once it is up ("switch-theme"); a copy
// started by a restart does not inherit it. "zentaro: painted" tells when
// the window is first on screen (zentaro-bench times the start by it).

#include <QString>

class MainWindow;
class QWidget;

class TestHooks {
public:
    static bool enabled();
    static void report(const QString& event);
    static void runAction(MainWindow* window);
    // Reports "painted" once, at the first paint of `window`.
    static void reportFirstPaint(QWidget* window);
};
