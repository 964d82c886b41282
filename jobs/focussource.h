#pragma once
// Which window has the focus, for the automatic profile switch. On X11 the
// window manager announces it (X11FocusSource); a Wayland session keeps it
// to itself, so forSession() gives none there and only "while it runs" rules
// work.

#include <QObject>

#include "jobs/autoswitchrules.h"

class FocusSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual FocusedWindow current() const = 0;

    // The source for this desktop session, or nullptr when the focus cannot
    // be known here; `why` then says so in words for the log.
    static FocusSource* forSession(QObject* parent, QString* why = nullptr);
    // True in a Wayland session (there XWayland sees only X programs' windows).
    static bool isWayland();

signals:
    // The focused window, its class or its title changed.
    void changed();
};
