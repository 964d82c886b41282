#include "jobs/x11focussource.h"

#include <xcb/xcb.h>

#include <QSocketNotifier>
#include <cstdlib>
#include <cstring>

X11FocusSource::X11FocusSource(const QString& display, QObject* parent) : FocusSource(parent) {
    const QByteArray name = display.toLocal8Bit();
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(name.isEmpty() ? nullptr : name.constData(), &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        mError = QStringLiteral("cannot open the X11 display");
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        mError = QStringLiteral("the X11 display has no such screen");
        return;
    }
    mConnection = c;
    mRoot = it.data->root;
    mActiveAtom = atom("_NET_ACTIVE_WINDOW");
    mNameAtom = atom("_NET_WM_NAME");
    mUtf8Atom = atom("UTF8_STRING");
    mPidAtom = atom("_NET_WM_PID");
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, mRoot, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    mNotifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &X11FocusSource::onReadable);
    refresh();
}

X11FocusSource::~X11FocusSource() {
    if (mConnection) xcb_disconnect(mConnection);
}

quint32 X11FocusSource::atom(const char* name) const {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        mConnection, xcb_intern_atom(mConnection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const quint32 a = reply ? reply->atom : 0;
    std::free(reply);
    return a;
}

QByteArray X11FocusSource::property(quint32 window, quint32 prop, quint32 type) const {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        mConnection, xcb_get_property(mConnection, 0, window, prop, type, 0, 1024), nullptr);
    QByteArray bytes;
    if (reply) {
        bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
        std::free(reply);
    }
    return bytes;
}

void X11FocusSource::onReadable() {
    bool changedFocus = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(mConnection)) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if ((e->window == mRoot && e->atom == mActiveAtom) ||
                (e->window == mWatched && (e->atom == mNameAtom || e->atom == XCB_ATOM_WM_NAME ||
                                           e->atom == XCB_ATOM_WM_CLASS)))
                changedFocus = true;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(mConnection)) {
        // The display went away: the focus is unknown from now on.
        mNotifier->setEnabled(false);
        mCurrent = FocusedWindow();
        emit changed();
        return;
    }
    if (changedFocus) refresh();
}

void X11FocusSource::refresh() {
    FocusedWindow now;
    now.known = true;
    const QByteArray active = property(mRoot, mActiveAtom, XCB_ATOM_WINDOW);
    quint32 window = 0;
    if (active.size() >= 4) std::memcpy(&window, active.constData(), 4);
    if (window) {
        // WM_CLASS holds two NUL-ended strings: instance, then class.
        const QList<QByteArray> parts =
            property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
        now.instance = QString::fromLocal8Bit(parts.value(0));
        now.windowClass = QString::fromLocal8Bit(parts.value(1));
        QByteArray title = property(window, mNameAtom, mUtf8Atom);
        if (title.isEmpty()) title = property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        now.title = QString::fromUtf8(title);
        const QByteArray pid = property(window, mPidAtom, XCB_ATOM_CARDINAL);
        if (pid.size() >= 4) {
            quint32 value = 0;
            std::memcpy(&value, pid.constData(), 4);
            now.pid = value;
        }
    }
    if (window != mWatched) {
        // Title changes of the focused window count too (a browser's tabs).
        const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        if (mWatched) xcb_change_window_attributes(mConnection, mWatched, XCB_CW_EVENT_MASK, &none);
        if (window) xcb_change_window_attributes(mConnection, window, XCB_CW_EVENT_MASK, &mask);
        mWatched = window;
        xcb_flush(mConnection);
    }
    const bool same = now.known == mCurrent.known && now.pid == mCurrent.pid &&
                      now.instance == mCurrent.instance &&
                      now.windowClass == mCurrent.windowClass && now.title == mCurrent.title;
    mCurrent = now;
    if (!same) emit changed();
}
