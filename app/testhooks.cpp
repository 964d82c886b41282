#include "app/testhooks.h"

#include <QtGlobal>
#include <cstdio>

bool TestHooks::enabled() {
    return qEnvironmentVariableIsSet("ZENTARO_TEST_HOOKS");
}

void TestHooks::report(const QString& event) {
    if (!enabled()) return;
    std::fprintf(stdout, "zentaro: %s\n", event.toLocal8Bit().constData());
    std::fflush(stdout);
}
