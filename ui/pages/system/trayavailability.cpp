#include "ui/pages/system/trayavailability.h"

#include <QSystemTrayIcon>

namespace {
int gOverride = -1;
}  // namespace

bool TrayAvailability::available() {
    if (gOverride >= 0) return gOverride == 1;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayAvailability::setOverride(int value) {
    gOverride = value;
}
