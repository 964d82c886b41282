#include "ui/widgets/qcustomlabel.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/widgets/keycap.h"
#include "ui/widgets/keylabelhost.h"

QCustomLabel::QCustomLabel(const KeyPositionPtr& position, QWidget* parent)
    : PaintedKeyLabel(parent), mPosition(position) {
    setObjectName(QStringLiteral("QCustomLabel"));
}

QCustomLabel::~QCustomLabel() = default;

void QCustomLabel::setSelected(bool selected) {
    if (mSelected == selected) return;
    mSelected = selected;
    KeyLabelHost::refresh(this);
}

void QCustomLabel::setHovered(bool hovered) {
    if (mHovered == hovered) return;
    mHovered = hovered;
    KeyLabelHost::refresh(this);
}

void QCustomLabel::click() {
    emit clicked(mPosition);
}

void QCustomLabel::paintFace(QPainter& painter, const QFont& font) {
    KeyCap::State state = capState(KeyCap::Clickable, painter, font);
    state.selected = mSelected;
    state.hovered = mHovered;
    painter.drawPixmap(0, 0, cap(state));
}

void QCustomLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mPressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void QCustomLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mPressed) {
        mPressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint())) emit clicked(mPosition);
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
