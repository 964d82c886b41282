#pragma once
// The colour wheel of the lighting page: a circle of diameter
// min(width, height) - 10 filled with a conical gradient through red, yellow,
// green, cyan, blue and magenta (every 60 degrees) and back to red. A click
// inside the circle takes the colour of the pixel under the pointer; a drag
// moves the marker and takes the colour where the button is released. With
// the focus, the arrow keys turn the hue by 10 degrees (Page Up/Down by 60)
// and take the colour at once.

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QWidget>

class QColorPalette : public QWidget {
    Q_OBJECT
public:
    explicit QColorPalette(QWidget* parent = nullptr);
    ~QColorPalette() override;

    // The circle in widget coordinates.
    QPointF center() const;
    double radius() const;
    // The colour drawn at a point, invalid outside the circle.
    QColor colorAt(const QPoint& pos) const;
    // Shows a marker where the colour's hue sits on the wheel (no marker for
    // greys, which the wheel does not hold).
    void setColor(const QColor& color);
    // The hue the marker shows, -1 without a marker.
    int hue() const { return mHasMarker ? mHue : -1; }

    QSize sizeHint() const override { return QSize(160, 160); }
    QSize minimumSizeHint() const override { return QSize(60, 60); }

signals:
    void select_color(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void renderWheel();
    void placeMarker(int hue);
    // The point inside the circle nearest to `pos`.
    QPoint clampToCircle(const QPointF& pos) const;

    QImage mWheel;
    QPointF mMarker;
    bool mHasMarker = false;
    int mHue = 0;
    bool mDragging = false;
    bool mMoved = false;
};
