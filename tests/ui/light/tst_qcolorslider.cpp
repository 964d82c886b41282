// The colour slider: the colour at a position, rounded per channel and
// clamped to the ends, and a colour chosen only when the button is released.

#include <QSignalSpy>
#include <QtTest>

#include "ui/widgets/qcolorslider.h"

class TestQColorSlider : public QObject {
    Q_OBJECT
private slots:
    void colorAtRoundsEachChannel();
    void releaseChoosesTheColour();
};

void TestQColorSlider::colorAtRoundsEachChannel() {
    QCOMPARE(QColorSlider::colorAt(Qt::black, Qt::white, 0.5), QColor(128, 128, 128));
    QCOMPARE(QColorSlider::colorAt(QColor(10, 20, 30), QColor(20, 40, 60), 0.25),
             QColor(13, 25, 38));
    // Falling channels and positions past the ends.
    QCOMPARE(QColorSlider::colorAt(QColor(255, 0, 100), QColor(0, 255, 100), 1.0 / 3),
             QColor(170, 85, 100));
    QCOMPARE(QColorSlider::colorAt(Qt::red, Qt::blue, -1.0), QColor(Qt::red));
    QCOMPARE(QColorSlider::colorAt(Qt::red, Qt::blue, 2.0), QColor(Qt::blue));
    QColorSlider unset;
    QCOMPARE(unset.startColor(), QColor(Qt::black));
    QCOMPARE(unset.endColor(), QColor(Qt::white));
}

void TestQColorSlider::releaseChoosesTheColour() {
    QColorSlider slider;
    slider.resize(218, 24);
    slider.setColors(Qt::white, QColor(0, 0, 255));
    slider.show();
    QSignalSpy moving(&slider, &QColorSlider::color_moving);
    QSignalSpy chosen(&slider, &QColorSlider::select_color);
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(0, 12));
    QTest::mouseMove(&slider, QPoint(60, 12));
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(moving.first().at(0).value<QColor>(), QColor(Qt::white));
    // The bar runs from 9 to 209: 109 is half way.
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(109, 12));
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.first().at(0).value<QColor>(), QColor(128, 128, 255));
    QCOMPARE(slider.position(), 0.5);
}

QTEST_MAIN(TestQColorSlider)
#include "tst_qcolorslider.moc"
