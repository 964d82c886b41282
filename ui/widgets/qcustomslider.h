#pragma once
// A slider that jumps to the pointer: a press, a drag or a release anywhere
// on the groove sets the value under the pointer at once, instead of paging
// towards it, and reports each step with customSliderClicked.

#include <QSlider>

class QCustomSlider : public QSlider {
    Q_OBJECT
public:
    enum Step { Press = 0, Move = 1, Release = 2 };

    explicit QCustomSlider(QWidget* parent = nullptr);
    explicit QCustomSlider(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~QCustomSlider() override;

    // minimum + (maximum - minimum) * clamp(position / length, 0, 1).
    static int valueAt(int minimum, int maximum, double position, double length);

signals:
    void customSliderClicked(int type, int value);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void jump(QMouseEvent* event, Step step);
    bool mPressed = false;
};
