#include "ui/widgets/qcustomslider.h"

#include <QMouseEvent>
#include <QtMath>

QCustomSlider::QCustomSlider(QWidget* parent) : QCustomSlider(Qt::Horizontal, parent) {}

QCustomSlider::QCustomSlider(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {}

QCustomSlider::~QCustomSlider() = default;

int QCustomSlider::valueAt(int minimum, int maximum, double position, double length) {
    const double ratio = length > 0 ? qBound(0.0, position / length, 1.0) : 0.0;
    return minimum + int(qRound(double(maximum - minimum) * ratio));
}

void QCustomSlider::jump(QMouseEvent* event, Step step) {
    const QPointF p = event->position();
    const int v = orientation() == Qt::Horizontal ? valueAt(minimum(), maximum(), p.x(), width())
                                                  : valueAt(minimum(), maximum(), p.y(), height());
    setValue(v);
    emit customSliderClicked(step, value());
    event->accept();
}

void QCustomSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QSlider::mousePressEvent(event);
        return;
    }
    mPressed = true;
    setSliderDown(true);
    jump(event, Press);
}

void QCustomSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!mPressed) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    jump(event, Move);
}

void QCustomSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!mPressed || event->button() != Qt::LeftButton) {
        QSlider::mouseReleaseEvent(event);
        return;
    }
    mPressed = false;
    jump(event, Release);
    setSliderDown(false);
}
