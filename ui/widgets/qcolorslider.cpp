#include "ui/widgets/qcolorslider.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include "ui/widgets/keycap.h"

namespace {
constexpr double kHandleRadius = 9.0;
}

QColorSlider::QColorSlider(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QColorSlider"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QColorSlider::~QColorSlider() = default;

QColor QColorSlider::colorAt(const QColor& start, const QColor& end, double x) {
    const double t = qBound(0.0, x, 1.0);
    auto channel = [t](int a, int b) { return qBound(0, qRound(a + (b - a) * t), 255); };
    return QColor(channel(start.red(), end.red()), channel(start.green(), end.green()),
                  channel(start.blue(), end.blue()));
}

void QColorSlider::setColors(const QColor& start, const QColor& end) {
    mStart = start.isValid() ? start : QColor(Qt::black);
    mEnd = end.isValid() ? end : QColor(Qt::white);
    update();
}

void QColorSlider::setPosition(double x) {
    mPosition = qBound(0.0, x, 1.0);
    update();
}

QRectF QColorSlider::bar() const {
    const double h = qMin(10.0, height() - 4.0);
    return QRectF(kHandleRadius, (height() - h) / 2.0, qMax(1.0, width() - 2 * kHandleRadius), h);
}

double QColorSlider::positionAt(double x) const {
    const QRectF b = bar();
    return qBound(0.0, (x - b.left()) / b.width(), 1.0);
}

void QColorSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF b = bar();
    QLinearGradient gradient(b.topLeft(), b.topRight());
    gradient.setColorAt(0.0, mStart);
    gradient.setColorAt(1.0, mEnd);
    painter.setPen(QPen(QColor(0, 0, 0, 36), 1.0));
    painter.setBrush(gradient);
    painter.drawRoundedRect(b, b.height() / 2.0, b.height() / 2.0);
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(KeyCap::focusRingColor(), 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }

    const QPointF handle(b.left() + b.width() * mPosition, height() / 2.0);
    painter.setBrush(color());
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    painter.drawEllipse(handle, kHandleRadius - 0.5, kHandleRadius - 0.5);
    painter.setPen(QPen(Qt::white, 2.5));
    painter.drawEllipse(handle, kHandleRadius - 2.5, kHandleRadius - 2.5);
}

void QColorSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    mPressed = true;
    setPosition(positionAt(event->position().x()));
    emit color_moving(color());
}

void QColorSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!mPressed) return;
    setPosition(positionAt(event->position().x()));
    emit color_moving(color());
}

void QColorSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!mPressed || event->button() != Qt::LeftButton) return;
    mPressed = false;
    setPosition(positionAt(event->position().x()));
    emit select_color(color());
}

void QColorSlider::keyPressEvent(QKeyEvent* event) {
    double x = mPosition;
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Up:
            x += 0.05;
            break;
        case Qt::Key_Left:
        case Qt::Key_Down:
            x -= 0.05;
            break;
        case Qt::Key_Home:
            x = 0.0;
            break;
        case Qt::Key_End:
            x = 1.0;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
    x = qBound(0.0, x, 1.0);
    if (qFuzzyCompare(x + 1.0, mPosition + 1.0)) return;  // at the end already
    setPosition(x);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent changed(this, color().name());
        QAccessible::updateAccessibility(&changed);
    }
    emit color_moving(color());
    emit select_color(color());
}

void QColorSlider::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void QColorSlider::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
