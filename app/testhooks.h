#pragma once
// Hidden hooks for the tests that run the real executable: with the
// environment variable ZENTARO_TEST_HOOKS set, the program reports a few
// moments of its life on standard output ("zentaro: ready", "zentaro: raised").

#include <QString>

class TestHooks {
public:
    static bool enabled();
    static void report(const QString& event);
};
