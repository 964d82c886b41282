// The colour wheel: hues where the gradient puts them, a click outside the
// circle chooses nothing, a drag chooses where the button is released.

#include <QSignalSpy>
#include <QtTest>

#include "ui/widgets/qcolorpalette.h"

class TestQColorPalette : public QObject {
    Q_OBJECT
private slots:
    void clickTakesTheHueUnderThePointer();
    void dragChoosesWhereReleased();
};

void TestQColorPalette::clickTakesTheHueUnderThePointer() {
    QColorPalette wheel;
    wheel.resize(170, 170);
    wheel.show();
    QCOMPARE(wheel.radius(), 80.0);
    QSignalSpy chosen(&wheel, &QColorPalette::select_color);

    // Red at three o'clock, then counter-clockwise: 90 degrees is half way
    // from yellow to green, 240 degrees is blue.
    const struct {
        QPoint at;
        int hue;
    } cases[] = {{{155, 85}, 0}, {{85, 15}, 90}, {{50, 146}, 240}};
    for (const auto& c : cases) {
        QTest::mouseClick(&wheel, Qt::LeftButton, Qt::NoModifier, c.at);
        QVERIFY(!chosen.isEmpty());
        const QColor color = chosen.takeLast().at(0).value<QColor>();
        const int hue = color.hsvHue();
        QVERIFY2(qMin(qAbs(hue - c.hue), 360 - qAbs(hue - c.hue)) <= 4,
                 qPrintable(QStringLiteral("hue %1, expected %2").arg(hue).arg(c.hue)));
        QVERIFY(color.hsvSaturation() > 240);
        QCOMPARE(color.value(), 255);
    }

    chosen.clear();
    QTest::mouseClick(&wheel, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    QTest::mouseClick(&wheel, Qt::LeftButton, Qt::NoModifier, QPoint(85, 168));
    QCOMPARE(chosen.count(), 0);
}

void TestQColorPalette::dragChoosesWhereReleased() {
    QColorPalette wheel;
    wheel.resize(170, 170);
    wheel.show();
    QSignalSpy chosen(&wheel, &QColorPalette::select_color);
    QTest::mousePress(&wheel, Qt::LeftButton, Qt::NoModifier, QPoint(155, 85));
    QTest::mouseMove(&wheel, QPoint(85, 15));
    // Released outside the circle: the marker stopped at its rim.
    QTest::mouseRelease(&wheel, Qt::LeftButton, Qt::NoModifier, QPoint(85, 1));
    QCOMPARE(chosen.count(), 2);
    const int hue = chosen.last().at(0).value<QColor>().hsvHue();
    QVERIFY2(qAbs(hue - 90) <= 4, qPrintable(QString::number(hue)));
}

QTEST_MAIN(TestQColorPalette)
#include "tst_qcolorpalette.moc"
