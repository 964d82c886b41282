#include "ui/widgets/keylabelhost.h"

#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/widgets/keycap.h"
#include "ui/widgets/keyface.h"
#include "ui/widgets/qcustomlabel.h"

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
}

bool KeyLabelHost::handleEvent(QEvent* event, const QList<QLabel*>& labels) {
    switch (event->type()) {
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
