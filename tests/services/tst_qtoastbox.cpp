// The toast closes and deletes itself after its time.
#include <QElapsedTimer>
#include <QPointer>
#include <QtTest>

#include "services/qtoastbox.h"

class TestQToastBox : public QObject {
    Q_OBJECT
private slots:
    void closesItselfAfterItsTime();
    void centredOverParent();
    void longTextsStayLonger();
};

void TestQToastBox::closesItselfAfterItsTime() {
    QWidget window;
    window.show();
    QElapsedTimer clock;
    clock.start();
    QPointer<QToastBox> toast = QToastBox::showToast(&window, QStringLiteral("写入配置成功"), 300);
    QVERIFY(toast);
    QCOMPARE(toast->text(), QStringLiteral("写入配置成功"));
    QVERIFY(toast->isVisible());
    QVERIFY(toast->windowFlags() & Qt::FramelessWindowHint);
    QTest::qWait(100);
    QVERIFY(toast);
    QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), 3000);
    QVERIFY(clock.elapsed() >= 300);
}

void TestQToastBox::centredOverParent() {
    QWidget window;
    window.setGeometry(100, 100, 800, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPointer<QToastBox> toast = QToastBox::showToast(&window, QStringLiteral("hello"));
    const QPoint centre = window.mapToGlobal(window.rect().center());
    const QPoint toastCentre = toast->geometry().center();
    QVERIFY2((toastCentre - centre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(toastCentre.x()).arg(toastCentre.y())));
    // Default time is 2000 ms.
    QTest::qWait(1500);
    QVERIFY(toast);
    QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), 3000);
}

void TestQToastBox::longTextsStayLonger() {
    QCOMPARE(QToastBox::readingTimeMs(QStringLiteral("导入配置失败")), QToastBox::kDefaultMs);
    const QString english = QStringLiteral(
        "Import configuration failed: this file was saved from a keyboard with a different key "
        "layout; key Esc is missing from it");
    const int time = QToastBox::readingTimeMs(english);
    QVERIFY(time > QToastBox::kDefaultMs + 2000);
    QVERIFY(time <= QToastBox::kLongestMs);
    QCOMPARE(QToastBox::readingTimeMs(english.repeated(10)), QToastBox::kLongestMs);
}

QTEST_MAIN(TestQToastBox)
#include "tst_qtoastbox.moc"
