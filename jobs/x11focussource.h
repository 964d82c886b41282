#pragma once
// The focused window on X11: the window manager sets _NET_ACTIVE_WINDOW on
// the root window, and a PropertyNotify says when. Nothing is polled; the
// connection's socket wakes the event loop only when something changed.

#include <QString>

#include "jobs/focussource.h"

class QSocketNotifier;
struct xcb_connection_t;

class X11FocusSource : public FocusSource {
    Q_OBJECT
public:
    // `display`: empty for $DISPLAY.
    explicit X11FocusSource(const QString& display = QString(), QObject* parent = nullptr);
    ~X11FocusSource() override;

    bool isOpen() const { return mConnection != nullptr; }
    QString error() const { return mError; }
    FocusedWindow current() const override { return mCurrent; }

private:
    void onReadable();
    // Reads the active window and its properties again.
    void refresh();
    quint32 atom(const char* name) const;
    QByteArray property(quint32 window, quint32 property, quint32 type) const;

    xcb_connection_t* mConnection = nullptr;
    QSocketNotifier* mNotifier = nullptr;
    quint32 mRoot = 0;
    quint32 mActiveAtom = 0;
    quint32 mNameAtom = 0;
    quint32 mUtf8Atom = 0;
    quint32 mPidAtom = 0;
    // The window watched for title changes.
    quint32 mWatched = 0;
    FocusedWindow mCurrent;
    QString mError;
};
