#include "ui/widgets/qcustomlabel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "app/systemconfigutil.h"

QCustomLabel::QCustomLabel(const KeyPositionPtr& position, QWidget* parent)
    : QLabel(parent), mPosition(position) {
    setObjectName(QStringLiteral("QCustomLabel"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

QCustomLabel::~QCustomLabel() = default;

void QCustomLabel::setSelected(bool selected) {
    if (mSelected == selected) return;
    mSelected = selected;
    update();
}

void QCustomLabel::enterEvent(QEnterEvent* event) {
    mHovered = true;
    update();
    QLabel::enterEvent(event);
}

void QCustomLabel::leaveEvent(QEvent* event) {
    mHovered = false;
    update();
    QLabel::leaveEvent(event);
}

void QCustomLabel::paintEvent(QPaintEvent* event) {
    if (textFormat() == Qt::RichText) {  // text and image together
        QLabel::paintEvent(event);
        return;
    }
    // The colours of the theme's style sheet for QCustomLabel.
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const bool dark = config && config->theme() == 1;
    const bool enabled = isEnabled();
    QColor face = dark ? QColor(0x23, 0x25, 0x2b) : QColor(0xff, 0xff, 0xff);
    QColor border = dark ? QColor(0x4a, 0x4f, 0x59) : QColor(0xc9, 0xcd, 0xd4);
    QColor ink = dark ? QColor(0xe5, 0xe6, 0xeb) : QColor(0x1d, 0x21, 0x29);
    qreal line = 1.5;
    if (mSelected) {
        face = dark ? QColor(0x3a, 0x2a, 0x1c) : QColor(0xff, 0xf3, 0xe8);
        border = dark ? QColor(0xff, 0x7a, 0x1a) : QColor(0xff, 0x69, 0x00);
        line = 2;
    } else if (!enabled) {
        face = dark ? QColor(0x2a, 0x2d, 0x34) : QColor(0xf2, 0xf3, 0xf5);
        border = dark ? QColor(0x34, 0x37, 0x3f) : QColor(0xe5, 0xe6, 0xeb);
        ink = dark ? QColor(0x7d, 0x85, 0x92) : QColor(0x86, 0x90, 0x9c);
    } else if (mHovered) {
        border = dark ? QColor(0xff, 0x9a, 0x45) : QColor(0xff, 0x88, 0x26);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(border, line));
    painter.setBrush(face);
    const qreal inset = line / 2;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 6, 6);
    const QPixmap image = pixmap();
    if (!image.isNull()) {
        const QSizeF size = image.deviceIndependentSize();
        if (!enabled) painter.setOpacity(0.45);
        painter.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2),
                           image);
        return;
    }
    if (text().isEmpty()) return;
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(rect().adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap, text());
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
