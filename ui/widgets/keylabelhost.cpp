#include "ui/widgets/keylabelhost.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/widgets/keycap.h"
#include "ui/widgets/keyface.h"
#include "ui/widgets/qcustomlabel.h"

namespace {
// The focus ring stands this far outside the key it marks.
constexpr int RingGap = 3;

QRect ringArea(const QLabel* label) {
    return label->geometry().adjusted(-RingGap, -RingGap, RingGap, RingGap);
}
}  // namespace

KeyLabelHost::KeyLabelHost(QWidget* host) : mHost(host) {}

void KeyLabelHost::adopt(QLabel* label) {
    if (!label) return;
    // Explicitly hidden: showing the host does not show it.
    label->hide();
}

void KeyLabelHost::refresh(QLabel* label) {
    if (!label) return;
    if (QWidget* host = label->parentWidget()) host->update(label->geometry());
}

bool KeyLabelHost::skipsEvent(const QEvent* event) {
    return event->type() == QEvent::Polish;
}

void KeyLabelHost::paint(QPainter& painter, const QRect& dirty,
                         const QList<QLabel*>& labels) const {
    const QFont font = mHost->font();
    for (QLabel* label : labels) {
        const QRect geometry = label->geometry();
        if (!geometry.intersects(dirty)) continue;
        painter.save();
        painter.translate(geometry.topLeft());
        if (auto* face = dynamic_cast<KeyFace*>(label)) {
            face->paintFace(painter, font);
        } else {
            // A plain label: its text or image on a key cap.
            KeyCap::State state;
            state.size = geometry.size();
            state.ratio = mHost->devicePixelRatioF();
            state.dark = KeyCap::darkTheme();
            state.enabled = label->isEnabled();
            state.image = label->pixmap();
            if (state.image.isNull()) state.text = label->text();
            state.font = font;
            painter.drawPixmap(0, 0, KeyCap::pixmap(state));
        }
        painter.restore();
    }
    if (mFocus && mHost->hasFocus() && ringArea(mFocus).intersects(dirty)) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(KeyCap::focusRingColor(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(ringArea(mFocus)).adjusted(1, 1, -1, -1), 8, 8);
        painter.restore();
    }
}

void KeyLabelHost::refreshFocus() {
    if (mFocus) mHost->update(ringArea(mFocus));
}

QLabel* KeyLabelHost::focusLabel() const {
    return mFocus;
}

void KeyLabelHost::setFocusLabel(QLabel* label) {
    if (mFocus == label) return;
    refreshFocus();
    mFocus = label;
    refreshFocus();
    if (label && mHost->hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent event(label, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

QLabel* KeyLabelHost::nearest(const QList<QLabel*>& labels, const QLabel* from, int key) {
    if (!from) return labels.value(0);
    const QPoint centre = from->geometry().center();
    QLabel* best = nullptr;
    qint64 bestScore = 0;
    for (QLabel* label : labels) {
        if (label == from) continue;
        const QPoint d = label->geometry().center() - centre;
        int along = 0, across = 0;
        switch (key) {
            case Qt::Key_Left:
                along = -d.x(), across = d.y();
                break;
            case Qt::Key_Right:
                along = d.x(), across = d.y();
                break;
            case Qt::Key_Up:
                along = -d.y(), across = d.x();
                break;
            case Qt::Key_Down:
                along = d.y(), across = d.x();
                break;
            default:
                return nullptr;
        }
        if (along <= 0) continue;
        // Straying from the line costs more than going far along it: Down
        // from a key goes to the key below, not to a nearer one beside it.
        const qint64 score = qint64(along) + 3 * qint64(qAbs(across));
        if (!best || score < bestScore) {
            best = label;
            bestScore = score;
        }
    }
    return best;
}

bool KeyLabelHost::moveFocus(int key, const QList<QLabel*>& labels) {
    if (labels.isEmpty()) return false;
    QLabel* next = nullptr;
    if (!mFocus || !labels.contains(mFocus.data())) {
        next = labels.first();
    } else if (mLinear) {
        const int index = labels.indexOf(mFocus.data());
        const bool back = key == Qt::Key_Up || key == Qt::Key_Left;
        next = labels.value(back ? index - 1 : index + 1);
    } else {
        next = nearest(labels, mFocus, key);
    }
    // At the edge the cursor stays; the key is still taken.
    if (next) setFocusLabel(next);
    return true;
}

QLabel* KeyLabelHost::labelAt(const QList<QLabel*>& labels, const QPoint& pos) {
    for (QLabel* label : labels)
        if (label->geometry().contains(pos)) return label;
    return nullptr;
}

void KeyLabelHost::setHovered(QLabel* label) {
    if (mHovered == label) return;
    if (auto* old = qobject_cast<QCustomLabel*>(mHovered.data())) old->setHovered(false);
    mHovered = label;
    auto* now = qobject_cast<QCustomLabel*>(label);
    if (now) now->setHovered(true);
    if (now && now->isEnabled())
        mHost->setCursor(Qt::PointingHandCursor);
    else
        mHost->unsetCursor();
}

void KeyLabelHost::forget() {
    setHovered(nullptr);
    mPressed = nullptr;
    refreshFocus();
    mFocus = nullptr;
}

bool KeyLabelHost::handleEvent(QEvent* event, const QList<QLabel*>& labels) {
    switch (event->type()) {
        case QEvent::FocusIn:
            if (!mFocus || !labels.contains(mFocus.data())) mFocus = labels.value(0);
            refreshFocus();
            if (mFocus && QAccessible::isActive()) {
                QAccessibleEvent focus(mFocus.data(), QAccessible::Focus);
                QAccessible::updateAccessibility(&focus);
            }
            return false;
        case QEvent::FocusOut:
            refreshFocus();
            return false;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & ~Qt::KeypadModifier) return false;
            switch (key->key()) {
                case Qt::Key_Left:
                case Qt::Key_Right:
                case Qt::Key_Up:
                case Qt::Key_Down:
                    return moveFocus(key->key(), labels);
                default:
                    return false;
            }
        }
        case QEvent::ToolTip: {
            auto* help = static_cast<QHelpEvent*>(event);
            QLabel* label = labelAt(labels, help->pos());
            if (label && !label->toolTip().isEmpty())
                QToolTip::showText(help->globalPos(), label->toolTip(), mHost, label->geometry());
            else
                QToolTip::hideText();
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            setHovered(labelAt(labels, mouse->position().toPoint()));
            return false;
        }
        case QEvent::Leave:
            setHovered(nullptr);
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) return false;
            auto* label = qobject_cast<QCustomLabel*>(labelAt(labels, mouse->position().toPoint()));
            mPressed = label && label->isEnabled() ? label : nullptr;
            return mPressed != nullptr;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || !mPressed) return false;
            QPointer<QLabel> pressed = mPressed;
            mPressed = nullptr;
            if (labelAt(labels, mouse->position().toPoint()) == pressed && pressed->isEnabled())
                static_cast<QCustomLabel*>(pressed.data())->click();
            return true;
        }
        default:
            return false;
    }
}
