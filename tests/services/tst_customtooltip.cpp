// Placement of the shared tool tip and its active/suspended states.
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include "services/customtooltip.h"

class TestCustomToolTip : public QObject {
    Q_OBJECT
private slots:
    void placement_data();
    void placement();
    void properties();
    void showSuspendHide();
};

void TestCustomToolTip::placement_data() {
    QTest::addColumn<QPoint>("anchor");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QPoint>("expected");
    // 240 x 30 window, bottom offset -10, 1920 x 1080 screen.
    QTest::newRow("centred above") << QPoint(500, 400) << 50 << QPoint(430, 360);
    QTest::newRow("clamped left") << QPoint(10, 400) << 20 << QPoint(0, 360);
    QTest::newRow("clamped right") << QPoint(1900, 400) << 10 << QPoint(1680, 360);
    QTest::newRow("clamped top") << QPoint(500, 20) << 50 << QPoint(430, 0);
    QTest::newRow("clamped bottom") << QPoint(500, 1200) << 50 << QPoint(430, 1050);
}

void TestCustomToolTip::placement() {
    QFETCH(QPoint, anchor);
    QFETCH(int, offset);
    QFETCH(QPoint, expected);
    QCOMPARE(CustomToolTip::placement(anchor, offset, QSize(240, 30), -10, QSize(1920, 1080)),
             expected);
}

void TestCustomToolTip::properties() {
    CustomToolTip tip;
    QCOMPARE(CustomToolTip::instance(), &tip);
    QCOMPARE(tip.objectName(), QStringLiteral("CustomToolTip"));
    QVERIFY(tip.windowFlags() & Qt::ToolTip);
    QVERIFY(tip.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!tip.isVisible());
    // The style sheet sets these through the property system: they must be
    // declared (setProperty on an undeclared name makes a dynamic property
    // and returns false).
    for (const char* name : {"rightOffset", "bottomOffset", "text", "alignment"}) {
        const int index = tip.metaObject()->indexOfProperty(name);
        QVERIFY2(index >= 0 && tip.metaObject()->property(index).isWritable(), name);
    }
    QVERIFY(tip.setProperty("bottomOffset", -10));
    QCOMPARE(tip.bottomOffset(), -10);
    QVERIFY(tip.setProperty("rightOffset", 4));
    QCOMPARE(tip.rightOffset(), 4);
    QVERIFY(tip.setProperty("text", QStringLiteral("hello")));
    QCOMPARE(tip.text(), QStringLiteral("hello"));
    QVERIFY(tip.dynamicPropertyNames().isEmpty());
    QCOMPARE(tip.alignment(), Qt::Alignment(Qt::AlignCenter));
}

void TestCustomToolTip::showSuspendHide() {
    QWidget window;
    window.resize(800, 600);
    auto* button = new QPushButton(&window);
    button->setGeometry(300, 300, 100, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    CustomToolTip tip;
    tip.setBottomOffset(-10);
    tip.setFixedSize(240, 30);
    tip.showTip(button, QStringLiteral("tip"));
    QVERIFY(tip.isActive());
    QVERIFY(tip.isVisible());
    QCOMPARE(tip.text(), QStringLiteral("tip"));
    const QPoint anchor = button->mapToGlobal(QPoint(0, 0));
    const QSize screen = QGuiApplication::primaryScreen()->size();
    // Centred over the button, its bottom 10 px above the button's top, kept
    // on the screen: worked out here, not by the code under test.
    const QPoint expected(qBound(0, anchor.x() + 50 - 120, screen.width() - 240),
                          qBound(0, anchor.y() - 30 - 10, screen.height() - 30));
    QCOMPARE(tip.pos(), expected);

    // Minimised or inactive main window: hidden but still active.
    tip.suspendTip();
    QVERIFY(!tip.isVisible());
    tip.updatePlacement(false);
    QVERIFY(tip.isVisible());

    // The anchor moved with its window: re-read on request.
    window.move(window.pos() + QPoint(37, 0));
    QTRY_COMPARE(button->mapToGlobal(QPoint(0, 0)), anchor + QPoint(37, 0));
    tip.updatePlacement(true);
    QCOMPARE(tip.pos(), QPoint(qBound(0, expected.x() + 37, screen.width() - 240), expected.y()));

    // The pointer left: gone, and it does not come back with the window.
    tip.hideTip();
    QVERIFY(!tip.isActive());
    tip.updatePlacement(true);
    QVERIFY(!tip.isVisible());
}

QTEST_MAIN(TestCustomToolTip)
#include "tst_customtooltip.moc"
