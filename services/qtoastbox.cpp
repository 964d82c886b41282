#include "services/qtoastbox.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainterPath>
#include <QRegion>
#include <QTimer>

#ifdef ZENTARO_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

QToastBox::QToastBox(QWidget* parent, const QString& text, int timeMs) : QDialog(parent) {
    setObjectName(QStringLiteral("QToastBox"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    // Translucent corners only where something composites them; elsewhere the
    // window stays opaque and a mask cuts the rounded shape.
    mMasked = !hasCompositor();
    if (!mMasked) setAttribute(Qt::WA_TranslucentBackground);
    mLabel = new QLabel(text, this);
    mLabel->setObjectName(QStringLiteral("toastLabel"));
    mLabel->setAlignment(Qt::AlignCenter);
    fitText();
    QTimer::singleShot(timeMs < 0 ? readingTimeMs(text) : timeMs, this, &QToastBox::close);
}

int QToastBox::readingTimeMs(const QString& text) {
    // About 60 ms a character beyond the first 30.
    return qBound(kDefaultMs, kDefaultMs + (int(text.size()) - 30) * 60, kLongestMs);
}

bool QToastBox::hasCompositor() {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland"))) return true;
#ifdef ZENTARO_HAVE_XCB
    if (platform == QLatin1String("xcb")) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* c = x11 ? x11->connection() : nullptr;
        if (!c) return false;
        // A compositing manager owns the selection _NET_WM_CM_S<screen>.
        const QString display = qEnvironmentVariable("DISPLAY");
        const qsizetype dot = display.lastIndexOf(QLatin1Char('.'));
        const int screen =
            dot > display.lastIndexOf(QLatin1Char(':')) ? display.mid(dot + 1).toInt() : 0;
        const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 1, quint16(name.size()), name.constData()), nullptr);
        if (!atom) return false;
        const xcb_atom_t selection = atom->atom;
        free(atom);
        if (selection == XCB_ATOM_NONE) return false;
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
        const bool owned = owner && owner->owner != XCB_NONE;
        free(owner);
        return owned;
    }
#endif
    return false;
}

QToastBox::~QToastBox() = default;

QToastBox* QToastBox::showToast(QWidget* parent, const QString& text, int timeMs) {
    auto* toast = new QToastBox(parent, text, timeMs);
    toast->show();
    return toast;
}

QString QToastBox::text() const {
    return mLabel->text();
}

void QToastBox::fitText() {
    // Measured after the style sheet gave the font, padding and border; the
    // label fills the window, so the window takes the label's size.
    mLabel->ensurePolished();
    mLabel->setWordWrap(false);
    QSize size = mLabel->sizeHint();
    if (size.width() > kMaxWidth) {
        mLabel->setWordWrap(true);
        size = QSize(kMaxWidth, mLabel->heightForWidth(kMaxWidth));
    }
    mLabel->setGeometry(QRect(QPoint(0, 0), size));
    setFixedSize(size);
}

void QToastBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A tool-tip window is top-level: centre it over the parent's window.
    if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - rect().center());
    }
}

void QToastBox::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!mMasked) return;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kRadius, kRadius);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}
