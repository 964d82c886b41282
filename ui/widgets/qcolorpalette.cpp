#include "ui/widgets/qcolorpalette.h"

#include <QAccessible>
#include <QConicalGradient>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include "ui/widgets/keycap.h"

QColorPalette::QColorPalette(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QColorPalette"));
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QColorPalette::~QColorPalette() = default;

QPointF QColorPalette::center() const {
    return QPointF(width() / 2.0, height() / 2.0);
}

double QColorPalette::radius() const {
    return qMax(0, qMin(width(), height()) - 10) / 2.0;
}

void QColorPalette::renderWheel() {
    mWheel = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    mWheel.fill(Qt::transparent);
    const double r = radius();
    if (r <= 0) return;
    QConicalGradient gradient(center(), 0);
    const QColor stops[] = {Qt::red, Qt::yellow, Qt::green, Qt::cyan, Qt::blue, Qt::magenta};
    for (int i = 0; i < 6; ++i) gradient.setColorAt(i / 6.0, stops[i]);
    gradient.setColorAt(1.0, Qt::red);
    QPainter painter(&mWheel);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(center(), r, r);
}

QColor QColorPalette::colorAt(const QPoint& pos) const {
    const QPointF d = QPointF(pos) + QPointF(0.5, 0.5) - center();
    if (radius() <= 0 || qSqrt(d.x() * d.x() + d.y() * d.y()) > radius()) return QColor();
    if (!mWheel.rect().contains(pos)) return QColor();
    QColor c = mWheel.pixelColor(pos);
    // The rim is drawn antialiased: its pixels still name the hue there.
    c.setAlpha(255);
    return c;
}

void QColorPalette::setColor(const QColor& color) {
    const int hue = color.isValid() ? color.hsvHue() : -1;
    mHasMarker = hue >= 0;
    if (mHasMarker) placeMarker(hue);
    update();
}

void QColorPalette::placeMarker(int hue) {
    mHue = hue;
    const double a = qDegreesToRadians(double(hue));
    const double r = radius() * 0.78;
    mMarker = center() + QPointF(r * qCos(a), -r * qSin(a));
}

QPoint QColorPalette::clampToCircle(const QPointF& pos) const {
    const QPointF d = pos - center();
    const double length = qSqrt(d.x() * d.x() + d.y() * d.y());
    const double limit = qMax(0.0, radius() - 1.5);
    if (length <= limit) return pos.toPoint();
    return (center() + d * (limit / length)).toPoint();
}

void QColorPalette::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    renderWheel();
    mHasMarker = false;
}

void QColorPalette::paintEvent(QPaintEvent*) {
    if (mWheel.size() != size()) renderWheel();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(0, 0, mWheel);
    const double r = radius();
    if (r <= 0) return;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 36), 1.0));
    painter.drawEllipse(center(), r, r);
    if (hasFocus()) {
        // The keyboard's ring, as around a key of the pictures.
        painter.setPen(QPen(KeyCap::focusRingColor(), 2));
        painter.drawEllipse(center(), r + 3, r + 3);
    }
    if (!mHasMarker) return;
    const QColor inside = colorAt(mMarker.toPoint());
    painter.setBrush(inside.isValid() ? inside : Qt::white);
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    painter.drawEllipse(mMarker, 8.5, 8.5);
    painter.setPen(QPen(Qt::white, 2.5));
    painter.drawEllipse(mMarker, 6.5, 6.5);
}

void QColorPalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    const QColor color = colorAt(pos);
    if (!color.isValid()) return;
    mDragging = true;
    mMoved = false;
    mMarker = pos;
    mHue = qMax(0, color.hsvHue());
    mHasMarker = true;
    update();
    emit select_color(color);
}

void QColorPalette::mouseMoveEvent(QMouseEvent* event) {
    if (!mDragging) return;
    mMarker = clampToCircle(event->position());
    mMoved = true;
    update();
}

void QColorPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (!mDragging || event->button() != Qt::LeftButton) return;
    mDragging = false;
    if (!mMoved) return;
    const QColor color = colorAt(mMarker.toPoint());
    if (!color.isValid()) return;
    mHue = qMax(0, color.hsvHue());
    emit select_color(color);
}

void QColorPalette::keyPressEvent(QKeyEvent* event) {
    int step = 0;
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Up:
            step = 10;
            break;
        case Qt::Key_Left:
        case Qt::Key_Down:
            step = -10;
            break;
        case Qt::Key_PageUp:
            step = 60;
            break;
        case Qt::Key_PageDown:
            step = -60;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    // Without a marker (a grey) the turn starts at red.
    const int hue = ((mHasMarker ? mHue : 0) + step + 360) % 360;
    mHasMarker = true;
    placeMarker(hue);
    update();
    const QColor color(QColor::fromHsv(hue, 255, 255).rgb());
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, color.name());
        QAccessible::updateAccessibility(&changed);
    }
    emit select_color(color);
    event->accept();
}

void QColorPalette::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void QColorPalette::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
