// The toast closes and deletes itself after its time.
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QtTest>

#include "services/qtoastbox.h"

class TestQToastBox : public QObject {
    Q_OBJECT
private slots:
    void closesItselfAfterItsTime();
    void centredOverParent();
    void longTextsStayLonger();
    void sizesToItsTextThenWraps();
    void takesItsColoursFromTheTheme();
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

// A short text stays on one line, a long one wraps at kMaxWidth; without a
// compositor (offscreen) the rounded shape is a mask over an opaque window.
void TestQToastBox::sizesToItsTextThenWraps() {
    QWidget window;
    window.setGeometry(100, 100, 1000, 700);
    window.show();
    QPointer<QToastBox> toast = QToastBox::showToast(&window, QStringLiteral("Profile imported"));
    auto* label = toast->findChild<QLabel*>(QStringLiteral("toastLabel"));
    QVERIFY(label);
    const int line = label->fontMetrics().lineSpacing();
    QVERIFY(!label->wordWrap());
    QVERIFY2(toast->height() < 2 * line + 34, qPrintable(QString::number(toast->height())));
    QVERIFY(toast->width() >= label->fontMetrics().horizontalAdvance(label->text()));
    QVERIFY(!toast->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(toast->isMasked());
    QVERIFY(!toast->mask().contains(QPoint(0, 0)));
    QVERIFY(toast->mask().contains(toast->rect().center()));
    toast->close();

    const QString longText = QStringLiteral("Profile import failed: ").repeated(20);
    toast = QToastBox::showToast(&window, longText);
    label = toast->findChild<QLabel*>(QStringLiteral("toastLabel"));
    QVERIFY(label->wordWrap());
    QVERIFY(toast->width() <= QToastBox::kMaxWidth);
    QVERIFY(toast->width() > QToastBox::kMaxWidth - 20);
    QVERIFY2(toast->height() > 2 * line,
             qPrintable(QStringLiteral("%1x%2").arg(toast->width()).arg(toast->height())));
    toast->close();
}

void TestQToastBox::takesItsColoursFromTheTheme() {
    QFile sheet(QStringLiteral(":/styles/styles/dark.qss"));
    if (!sheet.open(QIODevice::ReadOnly)) QSKIP("the style sheets are not linked in");
    qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    QWidget window;
    window.show();
    QPointer<QToastBox> toast = QToastBox::showToast(&window, QStringLiteral("Profile imported"));
    const QImage image = toast->grab().toImage();
    const QColor inside = image.pixelColor(image.width() / 2, 4);
    qApp->setStyleSheet(QString());
    QVERIFY2(inside.lightness() < 80, qPrintable(inside.name()));
}

QTEST_MAIN(TestQToastBox)
#include "tst_qtoastbox.moc"
