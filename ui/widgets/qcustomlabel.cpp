#include "ui/widgets/qcustomlabel.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/widgets/keycap.h"
#include "ui/widgets/keylabelhost.h"

QCustomLabel::QCustomLabel(const KeyPositionPtr& position, QWidget* parent)
    : QLabel(parent), mPosition(position) {
    setObjectName(QStringLiteral("QCustomLabel"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
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

bool QCustomLabel::event(QEvent* event) {
    if (KeyLabelHost::skipsEvent(event)) return true;
    return QLabel::event(event);
}

void QCustomLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) KeyLabelHost::refresh(this);
}

void QCustomLabel::paintFace(QPainter& painter, const QFont& font) {
    KeyCap::State state;
    state.look = KeyCap::Clickable;
    state.size = size();
    state.ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    state.dark = KeyCap::darkTheme();
    state.enabled = isEnabled();
    state.selected = mSelected;
    state.hovered = mHovered;
    if (!combinedImage().isNull() || !combinedText().isEmpty()) {
        state.image = combinedImage();
        state.text = combinedText();
    } else {
        state.image = pixmap();
        if (state.image.isNull()) state.text = text();
    }
    state.font = font;
    painter.drawPixmap(0, 0, KeyCap::pixmap(state));
}

void QCustomLabel::paintEvent(QPaintEvent*) {
    // Only when shown on its own; in a picture the picture paints it.
    QPainter painter(this);
    paintFace(painter, font());
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
