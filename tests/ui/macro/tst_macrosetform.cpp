// The macro page through the real main window on the simulated keyboard:
// recording with measured gaps (a clock the test moves), the row limit,
// left and right modifiers, editing a step, saving and clearing.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include "services/qtoastbox.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/pageindex.h"
#include "ui/pages/macro/macrosetform.h"
#include "ui/pages/macro/qmacroitemwidget.h"

class TestMacroSetForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { stopWindow(); }

    void recordsTwoKeysWithMeasuredGapsAndSaves();
    void autoRepeatAndTheTwentyRowLimit();
    void leftAndRightModifiers();
    void editingAStep();
    void emptyListSavesNothingAndClearEmptiesTheKeyboard();
    void savesMadeWhileOneIsOnItsWayAllArrive();

private:
    MacroSetForm* form() { return page<MacroSetForm>(); }
    SimProfile& profile() { return *keyboard().state().activeProfile(); }
    // Sends a key of the computer keyboard to the page (which holds the
    // keyboard while it records).
    void key(QEvent::Type type, int key, quint32 scanCode = 0, bool autoRepeat = false);
    void tap(int qtKey) {
        key(QEvent::KeyPress, qtKey);
        key(QEvent::KeyRelease, qtKey);
    }
    void chooseMacro(int index) { click(QStringLiteral("macro%1Btn").arg(index + 1)); }
    static bool toastShown(const QString& text);

    qint64 mNow = 0;
};

void TestMacroSetForm::init() {
    QVERIFY(startWindow());
    showPage(PageMacro);
    QVERIFY(form());
    mNow = 1000;
    form()->recorder().setClock([this] { return mNow; });
}

void TestMacroSetForm::key(QEvent::Type type, int qtKey, quint32 scanCode, bool autoRepeat) {
    QKeyEvent event(type, qtKey, Qt::NoModifier, scanCode, 0, 0, QString(), autoRepeat);
    QApplication::sendEvent(form(), &event);
}

bool TestMacroSetForm::toastShown(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->text() == text) return true;
    }
    return false;
}

void TestMacroSetForm::recordsTwoKeysWithMeasuredGapsAndSaves() {
    chooseMacro(3);
    QVERIFY(form()->rows().isEmpty());
    click(QStringLiteral("startRecordBtn"));
    QVERIFY(form()->isRecording());
    QVERIFY(!widget(QStringLiteral("saveRecordBtn"))->isEnabled());
    key(QEvent::KeyPress, Qt::Key_A);
    mNow += 30;
    key(QEvent::KeyRelease, Qt::Key_A);
    mNow += 50;
    key(QEvent::KeyPress, Qt::Key_B);
    mNow += 70000;  // longer than the 16-bit time holds
    key(QEvent::KeyRelease, Qt::Key_B);
    mNow += 40;
    // Choosing another macro while recording does nothing.
    chooseMacro(0);
    QCOMPARE(form()->selectedMacro(), 3);
    click(QStringLiteral("stopRecordBtn"));
    QVERIFY(!form()->isRecording());

    const QList<MacroEvent>& rows = form()->rows();
    QCOMPARE(rows.size(), 4);
    const int expected[4][4] = {
        {1, 0x04, 30, 1}, {0, 0x04, 50, 1}, {1, 0x05, 65535, 1}, {0, 0x05, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(int(rows[i].state), expected[i][0]);
        QCOMPARE(int(rows[i].lValue), expected[i][1]);
        QCOMPARE(int(rows[i].time), expected[i][2]);
        QCOMPARE(int(rows[i].type), expected[i][3]);
    }
    QCOMPARE(form()->rowWidget(3)->numberText(), QStringLiteral("4"));
    QCOMPARE(form()->rowWidget(0)->timeText(), QStringLiteral("30ms"));
    QCOMPARE(form()->rowWidget(3)->timeText(), QStringLiteral("1ms"));
    QCOMPARE(form()->rowWidget(2)->nameText(), QStringLiteral("B"));

    click(QStringLiteral("saveRecordBtn"));
    QVERIFY(waitForEngineIdle());
    QVERIFY(toastShown(QStringLiteral("宏数据同步成功!")));
    const QVector<SimMacroEvent>& held = profile().macros[3];
    QCOMPARE(held.size(), 4);
    QCOMPARE(int(held[2].time), 65535);
    QCOMPARE(int(held[3].state), 0);
    QCOMPARE(int(held[3].lValue), 0x05);
    QCOMPARE(KeyboardConfigUtil::instance()->keyboardMacroList[3].size(), 4);

    // Read again from the keyboard (from a setting page the road starts at
    // the device page), the macro comes back.
    QVERIFY(session().reachKeyPage());
    QVERIFY(waitForEngineIdle());
    GuiSession::settle(100);
    showPage(PageMacro);
    chooseMacro(3);
    QCOMPARE(form()->rows().size(), 4);
    QCOMPARE(int(form()->rows()[0].time), 30);
    QCOMPARE(int(form()->rows()[2].lValue), 0x05);
}

void TestMacroSetForm::autoRepeatAndTheTwentyRowLimit() {
    chooseMacro(4);
    click(QStringLiteral("startRecordBtn"));
    key(QEvent::KeyPress, Qt::Key_C);
    for (int i = 0; i < 5; ++i) {
        key(QEvent::KeyRelease, Qt::Key_C, 0, true);
        key(QEvent::KeyPress, Qt::Key_C, 0, true);
    }
    QCOMPARE(form()->rows().size(), 1);
    key(QEvent::KeyPress, Qt::Key_C);  // a second press of a held key
    QCOMPARE(form()->rows().size(), 1);
    key(QEvent::KeyRelease, Qt::Key_C);
    QCOMPARE(form()->rows().size(), 2);
    key(QEvent::KeyRelease, Qt::Key_D);  // never pressed while recording
    QCOMPARE(form()->rows().size(), 2);
    key(QEvent::KeyPress, Qt::Key_VolumeUp);  // no keyboard usage
    QCOMPARE(form()->rows().size(), 2);

    for (int k = Qt::Key_E; form()->rows().size() < 18; ++k) tap(k);
    key(QEvent::KeyPress, Qt::Key_Y);
    key(QEvent::KeyPress, Qt::Key_Z);
    QCOMPARE(form()->rows().size(), 20);
    QVERIFY(!toastShown(QStringLiteral("最大添加20个按键")));
    key(QEvent::KeyPress, Qt::Key_X);
    QCOMPARE(form()->rows().size(), 20);
    QVERIFY(toastShown(QStringLiteral("最大添加20个按键")));
    key(QEvent::KeyRelease, Qt::Key_Z);  // its press was recorded; the list is full
    QCOMPARE(form()->rows().size(), 20);
    click(QStringLiteral("stopRecordBtn"));
    QCOMPARE(int(form()->rows().last().time), 1);
    QCOMPARE(int(form()->rows().last().state), 1);
}

void TestMacroSetForm::leftAndRightModifiers() {
    chooseMacro(5);
    click(QStringLiteral("startRecordBtn"));
    key(QEvent::KeyPress, Qt::Key_Shift, 50);
    key(QEvent::KeyPress, Qt::Key_Shift, 62);
    key(QEvent::KeyRelease, Qt::Key_Shift, 62);
    key(QEvent::KeyRelease, Qt::Key_Shift, 50);
    key(QEvent::KeyPress, Qt::Key_Control, 105);
    key(QEvent::KeyPress, Qt::Key_Super_L, 133);
    key(QEvent::KeyPress, Qt::Key_AltGr, 108);
    click(QStringLiteral("stopRecordBtn"));
    const QList<MacroEvent>& rows = form()->rows();
    QCOMPARE(rows.size(), 7);
    const int bits[7] = {0x02, 0x20, 0x20, 0x02, 0x10, 0x08, 0x40};
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(int(rows[i].type), 0);
        QCOMPARE(int(rows[i].lValue), bits[i]);
    }
    QCOMPARE(int(rows[1].state), 1);
    QCOMPARE(int(rows[2].state), 0);
}

void TestMacroSetForm::editingAStep() {
    chooseMacro(0);  // the keyboard's first macro has four steps
    QCOMPARE(form()->rows().size(), 4);
    auto* list = qobject_cast<QListWidget*>(widget(QStringLiteral("macroListWidget")));
    auto* timeEdit = qobject_cast<QLineEdit*>(widget(QStringLiteral("timeEdit")));
    QVERIFY(!widget(QStringLiteral("editWidget"))->isVisible());
    list->setCurrentRow(1);
    QVERIFY(widget(QStringLiteral("editWidget"))->isVisible());
    QCOMPARE(timeEdit->text(), QString::number(form()->rows()[1].time));

    timeEdit->clear();
    QTest::keyClicks(timeEdit, QStringLiteral("65535"));
    QCOMPARE(int(form()->rows()[1].time), 65535);
    timeEdit->clear();
    QTest::keyClicks(timeEdit, QStringLiteral("65536"));
    QCOMPARE(int(form()->rows()[1].time), 6553);
    QCOMPARE(timeEdit->text(), QStringLiteral("6553"));
    timeEdit->setText(QStringLiteral("250"));
    QCOMPARE(int(form()->rows()[1].time), 250);
    QCOMPARE(form()->rowWidget(1)->timeText(), QStringLiteral("250ms"));

    click(QStringLiteral("keyDownBtn"));
    QCOMPARE(int(form()->rows()[1].state), 1);

    // The armed key field takes the next released key.
    click(QStringLiteral("keyEdit"));
    QVERIFY(form()->isKeyEditArmed());
    key(QEvent::KeyPress, Qt::Key_Shift, 62);
    key(QEvent::KeyRelease, Qt::Key_Shift, 62);
    QVERIFY(!form()->isKeyEditArmed());
    QCOMPARE(int(form()->rows()[1].type), 0);
    QCOMPARE(int(form()->rows()[1].lValue), 0x20);

    // Deleting the first row renumbers the others.
    QTest::mouseClick(form()->rowWidget(0)->findChild<QWidget*>(QStringLiteral("delButton")),
                      Qt::LeftButton);
    QCOMPARE(form()->rows().size(), 3);
    QCOMPARE(form()->rowWidget(0)->numberText(), QStringLiteral("1"));
    QCOMPARE(int(form()->rows()[0].lValue), 0x20);

    click(QStringLiteral("saveRecordBtn"));
    QVERIFY(waitForEngineIdle());
    const QVector<SimMacroEvent>& held = profile().macros[0];
    QCOMPARE(held.size(), 3);
    QCOMPARE(int(held[0].type), 0);
    QCOMPARE(int(held[0].state), 1);
    QCOMPARE(int(held[0].lValue), 0x20);
    QCOMPARE(int(held[0].time), 250);
}

void TestMacroSetForm::emptyListSavesNothingAndClearEmptiesTheKeyboard() {
    chooseMacro(7);
    QVERIFY(form()->rows().isEmpty());
    sim().clearWrittenReports();
    click(QStringLiteral("saveRecordBtn"));
    QVERIFY(waitForEngineIdle());
    QVERIFY(testsupport::requests(sim().writtenReports(), UsbProtocol::SetMacroConfig).isEmpty());

    chooseMacro(0);
    QVERIFY(!form()->rows().isEmpty());
    click(QStringLiteral("clearRecordBtn"));
    QVERIFY(waitForEngineIdle());
    QVERIFY(form()->rows().isEmpty());
    QVERIFY(profile().macros[0].isEmpty());
    QVERIFY(KeyboardConfigUtil::instance()->keyboardMacroList[0].isEmpty());
}

void TestMacroSetForm::savesMadeWhileOneIsOnItsWayAllArrive() {
    auto recordTap = [this](int index, int qtKey) {
        chooseMacro(index);
        click(QStringLiteral("startRecordBtn"));
        tap(qtKey);
        click(QStringLiteral("stopRecordBtn"));
    };
    sim().setLatencyMs(150);
    recordTap(5, Qt::Key_A);
    click(QStringLiteral("saveRecordBtn"));
    recordTap(6, Qt::Key_B);
    click(QStringLiteral("saveRecordBtn"));
    QVERIFY(form()->isBusy());
    QVERIFY(waitForEngineIdle());
    QVERIFY(!form()->isBusy());
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    for (int index : {5, 6}) {
        const quint8 usage = index == 5 ? 0x04 : 0x05;
        QCOMPARE(profile().macros[index].size(), 2);
        QCOMPARE(int(profile().macros[index][0].lValue), int(usage));
        QCOMPARE(model->keyboardMacroList[size_t(index)].size(), 2);
        QCOMPARE(int(model->keyboardMacroList[size_t(index)][0]->lValue), int(usage));
    }
    sim().setLatencyMs(0);

    // A failed save keeps the steps on the page; saving again works.
    sim().setFailWrites(true);
    recordTap(7, Qt::Key_C);
    click(QStringLiteral("saveRecordBtn"));
    QTRY_VERIFY(!form()->isBusy());
    sim().setFailWrites(false);
    QVERIFY(toastShown(QStringLiteral("修改没有写入键盘，请再试一次")));
    QVERIFY(model->keyboardMacroList[7].isEmpty());
    QCOMPARE(form()->rows().size(), 2);
    click(QStringLiteral("saveRecordBtn"));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(profile().macros[7].size(), 2);
    QCOMPARE(model->keyboardMacroList[7].size(), 2);
}

QTEST_MAIN(TestMacroSetForm)
#include "tst_macrosetform.moc"
