#pragma once
// A horizontal colour gradient from a start colour to an end colour (black to
// white until set) with a handle: position x (0 at the left end, 1 at the
// right) gives start + (end - start) * x per channel, rounded. Dragging
// reports each colour passed; releasing the button chooses the colour. With
// the focus, Left/Right move the handle by a twentieth, Home/End to the ends,
// and choose the colour reached.

#include <QColor>
#include <QWidget>

class QColorSlider : public QWidget {
    Q_OBJECT
public:
    explicit QColorSlider(QWidget* parent = nullptr);
    ~QColorSlider() override;

    static QColor colorAt(const QColor& start, const QColor& end, double x);

    QColor startColor() const { return mStart; }
    QColor endColor() const { return mEnd; }
    void setColors(const QColor& start, const QColor& end);
    // Handle position, 0 to 1.
    double position() const { return mPosition; }
    void setPosition(double x);
    QColor color() const { return colorAt(mStart, mEnd, mPosition); }

    QSize sizeHint() const override { return QSize(240, 24); }
    QSize minimumSizeHint() const override { return QSize(60, 20); }

signals:
    // The handle passes a colour while the button is held.
    void color_moving(const QColor& color);
    // The button was released: this colour is chosen.
    void select_color(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The bar between the handle's two end positions.
    QRectF bar() const;
    double positionAt(double x) const;

    QColor mStart = Qt::black;
    QColor mEnd = Qt::white;
    double mPosition = 1.0;
    bool mPressed = false;
};
