#include "jobs/focussource.h"

#ifdef ZENTARO_HAVE_XCB
#include "jobs/x11focussource.h"
#endif

bool FocusSource::isWayland() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

FocusSource* FocusSource::forSession(QObject* parent, QString* why) {
    QString reason;
    FocusSource* source = nullptr;
    if (isWayland()) {
        reason = QStringLiteral("a Wayland session does not tell which window has the focus");
    } else if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        reason = QStringLiteral("no X11 display");
    } else {
#ifdef ZENTARO_HAVE_XCB
        auto* x11 = new X11FocusSource(QString(), parent);
        if (x11->isOpen()) {
            source = x11;
        } else {
            reason = x11->error();
            delete x11;
        }
#else
        reason = QStringLiteral("built without X11 support");
#endif
    }
    if (why) *why = reason;
    return source;
}
