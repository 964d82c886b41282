// The calibration page through the real main window on the simulated
// keyboard: start, the streamed travel, pass at the bottom, save through
// stop -> answer -> 200 ms -> save, and stopping when the page is left.

#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QRegion>
#include <QtTest>

#include "services/qtoastbox.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/pageindex.h"
#include "ui/pages/align/alignsetform.h"
#include "ui/pages/align/qadjustkeylabel.h"

using testsupport::requests;

class TestAlignSetForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { stopWindow(); }

    void startStreamsAndKeysPassAtTheBottom();
    void passNeedsTheFullTravel();
    void movedKeysAreRepainted();
    void saveStopsWaitsForTheAnswerThenSaves();
    void leavingStopsOnceAndDoesNotSave();
    void failedSwitchInvertsTheState();
    void silentKeyboardNeverStartsCalibration();
    void unplugWhileSavingLeavesNothingSet();

private:
    AlignSetForm* form() { return page<AlignSetForm>(); }
    QList<QByteArray> sent(uchar request) { return requests(sim().writtenReports(), request); }
    void startCalibration();
    // A report frame of the stream with (key, travel) entries.
    void report(const QList<QPair<quint8, quint16>>& entries);
    static bool toastShown(const QString& text);
};

void TestAlignSetForm::init() {
    QVERIFY(startWindow());
    // Nothing calibrated yet: every key starts as "not passed".
    keyboard().state().calibrated.fill(0);
    showPage(PageAlign);
    QVERIFY(form() && form()->keyboardWidget());
    sim().clearWrittenReports();
}

bool TestAlignSetForm::toastShown(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->text() == text) return true;
    }
    return false;
}

void TestAlignSetForm::startCalibration() {
    click(QStringLiteral("alignStartButton"));
    QVERIFY(form()->isCalibrating());
    QTRY_VERIFY(keyboard().calibrationReporting());
    QVERIFY(widget(QStringLiteral("alignSaveButton"))->isVisible());
    QVERIFY(widget(QStringLiteral("describeLabel"))->isVisible());
    QVERIFY(!widget(QStringLiteral("alignStartButton"))->isVisible());
}

void TestAlignSetForm::report(const QList<QPair<quint8, quint16>>& entries) {
    QByteArray p;
    for (const auto& e : entries)
        p += QByteArray(1, '\0') + char(e.first) + char(e.second & 0xFF) + char(e.second >> 8);
    sim().pushFrame(UsbProtocol::buildFrame(
        UsbProtocol::answerOf(UsbProtocol::SetReportCalibration), 1, 1, p, gUsbFrameMaxsize));
}

void TestAlignSetForm::startStreamsAndKeysPassAtTheBottom() {
    QAdjustKeyLabel* first =
        form()->keyboardWidget()->labels().isEmpty()
            ? nullptr
            : qobject_cast<QAdjustKeyLabel*>(form()->keyboardWidget()->labels().first());
    QVERIFY(first);
    QCOMPARE(int(first->status()), int(QAdjustKeyLabel::Untouched));
    startCalibration();
    // The state answer marked every key as not passed; then the stream
    // presses the keys one after another, each to the bottom.
    QCOMPARE(sent(UsbProtocol::GetCalibrationState).size(), 1);
    int passed = 0;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            passed = 0;
            for (QLabel* l : form()->keyboardWidget()->labels())
                passed += qobject_cast<QAdjustKeyLabel*>(l)->status() == QAdjustKeyLabel::Passed;
            return passed >= 2;
        }(),
        10000);
    QVERIFY(passed < form()->keyboardWidget()->labels().size());
}

namespace {
// Collects the region a widget's paint events cover.
class PaintRecorder : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};
}  // namespace

void TestAlignSetForm::movedKeysAreRepainted() {
    // The stream repaints the keys in one go through the picture: each key
    // whose bar moved or that passed must still reach the screen.
    startCalibration();
    const int full = form()->maxTravel();
    QList<QLabel*> labels = form()->keyboardWidget()->labels();
    QVERIFY(labels.size() > 10);
    auto* first = qobject_cast<QAdjustKeyLabel*>(labels.first());
    auto* last = qobject_cast<QAdjustKeyLabel*>(labels.last());
    PaintRecorder paints;
    form()->keyboardWidget()->installEventFilter(&paints);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    paints.painted = QRegion();

    report({{first->keyItem(), quint16(full / 2)}, {last->keyItem(), quint16(full)}});
    QTRY_COMPARE(last->travel(), full);
    // Both keys painted in full by the picture.
    QTRY_VERIFY((QRegion(first->geometry()) - paints.painted).isEmpty() &&
                (QRegion(last->geometry()) - paints.painted).isEmpty());
    form()->keyboardWidget()->removeEventFilter(&paints);
}

void TestAlignSetForm::passNeedsTheFullTravel() {
    startCalibration();
    const int full = form()->maxTravel();
    QCOMPARE(full, int(KeyboardConfigUtil::instance()->keyboardProduct->triggerMax));
    QList<QLabel*> labels = form()->keyboardWidget()->labels();
    auto* a = qobject_cast<QAdjustKeyLabel*>(labels.at(labels.size() - 1));
    auto* b = qobject_cast<QAdjustKeyLabel*>(labels.at(labels.size() - 2));
    report({{a->keyItem(), quint16(full)}, {b->keyItem(), quint16(full - 1)}, {a->keyItem(), 0}});
    QTRY_COMPARE(a->travel(), full);
    QCOMPARE(int(a->status()), int(QAdjustKeyLabel::Passed));
    QCOMPARE(b->travel(), full - 1);
    QCOMPARE(int(b->status()), int(QAdjustKeyLabel::NotPassed));
    // Released again: still passed, the bar follows the travel.
    report({{a->keyItem(), 0}});
    QTRY_COMPARE(a->travel(), 0);
    QCOMPARE(int(a->status()), int(QAdjustKeyLabel::Passed));

    // Where keys sit: 29 is drawn 8 pixels left of its position.
    const KeyPositionPtr p29 = KeyboardConfigUtil::instance()->keyboardPositionMap.value(29);
    if (p29 && p29->flag && KeyboardConfigUtil::instance()->keyboardPositionMap.size() != 82) {
        QCOMPARE(form()->adjustLabel(29)->x(), p29->left - 8);
        const KeyPositionPtr p30 = KeyboardConfigUtil::instance()->keyboardPositionMap.value(30);
        if (p30 && p30->flag) QCOMPARE(form()->adjustLabel(30)->x(), p30->left);
    }
}

void TestAlignSetForm::saveStopsWaitsForTheAnswerThenSaves() {
    startCalibration();
    sim().clearWrittenReports();
    QElapsedTimer clock;
    clock.start();
    click(QStringLiteral("alignSaveButton"));
    QVERIFY(!form()->isCalibrating());
    QVERIFY(widget(QStringLiteral("alignStartButton"))->isVisible());
    QVERIFY(!widget(QStringLiteral("describeLabel"))->isVisible());
    const QList<QByteArray> stops = sent(UsbProtocol::SetReportCalibration);
    QCOMPARE(stops.size(), 1);
    QCOMPARE(int(stops[0][7]), 0);
    QVERIFY(sent(UsbProtocol::SaveCalibration).isEmpty());

    QTRY_COMPARE_WITH_TIMEOUT(sent(UsbProtocol::SaveCalibration).size(), 1, 5000);
    QVERIFY(clock.elapsed() >= AlignSetForm::kSaveDelayMs);
    // Stop first, save after it.
    const QList<QByteArray> all = sim().writtenReports();
    int stopAt = -1, saveAt = -1;
    for (int i = 0; i < all.size(); ++i) {
        if (quint8(all[i][2]) == UsbProtocol::SetReportCalibration) stopAt = i;
        if (quint8(all[i][2]) == UsbProtocol::SaveCalibration) saveAt = i;
    }
    QVERIFY(stopAt >= 0 && saveAt > stopAt);
    QVERIFY(waitForEngineIdle());
    QVERIFY(!keyboard().calibrationReporting());
    QCOMPARE(keyboard().state().calibrated.count(0), 0);
}

void TestAlignSetForm::leavingStopsOnceAndDoesNotSave() {
    // Idle: leaving sends nothing.
    showPage(PageKey);
    showPage(PageAlign);
    QTest::qWait(50);
    QVERIFY(sent(UsbProtocol::SetReportCalibration).isEmpty());

    startCalibration();
    sim().clearWrittenReports();
    showPage(PagePerformance);
    QVERIFY(!form()->isCalibrating());
    QVERIFY(waitForEngineIdle());
    QTest::qWait(AlignSetForm::kSaveDelayMs + 100);
    const QList<QByteArray> stops = sent(UsbProtocol::SetReportCalibration);
    QCOMPARE(stops.size(), 1);
    QCOMPARE(int(stops[0][7]), 0);
    QVERIFY(!keyboard().calibrationReporting());
    // Leaving is no save: the user did not ask for one.
    QVERIFY(sent(UsbProtocol::SaveCalibration).isEmpty());
    QCOMPARE(keyboard().state().calibrated.count(1), 0);

    // Back on the page: idle controls.
    showPage(PageAlign);
    QVERIFY(widget(QStringLiteral("alignStartButton"))->isVisible());
}

void TestAlignSetForm::failedSwitchInvertsTheState() {
    startCalibration();
    // The keyboard refuses the switch: back to idle with a toast.
    sim().pushFrame(
        UsbProtocol::buildFrame(UsbProtocol::answerOf(UsbProtocol::SetReportCalibration), 1, 1,
                                QByteArray(1, '\1'), gUsbFrameMaxsize));
    QTRY_VERIFY(!form()->isCalibrating());
    QVERIFY(toastShown(QStringLiteral("打开校准失败")));
    QVERIFY(widget(QStringLiteral("alignStartButton"))->isVisible());
}

void TestAlignSetForm::silentKeyboardNeverStartsCalibration() {
    sim().dropNextAnswers(1000);
    click(QStringLiteral("alignStartButton"));
    QVERIFY(form()->isCalibrating());
    // The state request goes unanswered: the page ends where it began.
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isCalibrating(), 10000);
    QVERIFY(toastShown(QStringLiteral("打开校准失败")));
    QVERIFY(widget(QStringLiteral("alignStartButton"))->isVisible());
    QVERIFY(!widget(QStringLiteral("describeLabel"))->isVisible());
    sim().dropNextAnswers(0);
}

void TestAlignSetForm::unplugWhileSavingLeavesNothingSet() {
    startCalibration();
    QVERIFY(waitForEngineIdle());
    // The stop of the save waits for its answer when the keyboard goes.
    sim().setLatencyMs(300);
    click(QStringLiteral("alignSaveButton"));
    sim().unplug();
    QVERIFY(waitForPage(PageDevice));
    QTRY_VERIFY(toastShown(QStringLiteral("保存校准失败")));
    GuiSession::settle(AlignSetForm::kSaveDelayMs + 300);
    QVERIFY(!form()->isCalibrating());

    sim().setLatencyMs(0);
    sim().clearWrittenReports();
    sim().plug();
    QVERIFY(waitForPage(PageKey, 20000));
    showPage(PageAlign);
    QVERIFY(!form()->isCalibrating());
    QVERIFY(widget(QStringLiteral("alignStartButton"))->isVisible());
    QVERIFY(sent(UsbProtocol::SaveCalibration).isEmpty());
}

QTEST_MAIN(TestAlignSetForm)
#include "tst_alignsetform.moc"
