// The performance page through the real main window on the simulated
// keyboard: per-key actuation and rapid trigger for selected keys, the
// global parameters, and what the keyboard holds afterwards.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QtTest>

#include "services/qtoastbox.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/pageindex.h"
#include "ui/pages/performance/performancesetform.h"
#include "ui/widgets/qcustomslider.h"
#include "ui/widgets/qnaturekeyboardwidget.h"

using testsupport::requests;

class TestPerformanceSetForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void cleanup() { stopWindow(); }

    void rapidTriggerChangeKeepsEachKeysOwnValues();
    void stepsStopAtTheRangeEnds();
    void rapidTriggerOffDisablesItsControls();
    void noKeySelectedShowsAPromptAndSendsNothing();
    void globalParameters();
    void hiddenRowsByProductFlag();
    void wheelAndArrowKeysSendAndShowTheValue();
    void editsMadeWhileOneIsOnItsWayAllArrive();
    void failedChangeShowsTheKeyboardAgainAndTheNextOneWorks();
    void unplugMidEditThenReplugLeavesThePageWorking();

private:
    // Starts the window with the keyboard's triggers prepared, on this page.
    void start(const std::function<void(SimKeyboardState&)>& prepare = nullptr);
    PerformanceSetForm* form() { return page<PerformanceSetForm>(); }
    SimProfile& profile() { return *keyboard().state().activeProfile(); }
    void clickKey(quint8 keyItem);
    QList<QByteArray> sent(uchar request) { return requests(sim().writtenReports(), request); }
    static bool toastShown(const QString& text);
    // Key numbers of three drawn keys.
    QList<quint8> someKeys() const { return {20, 21, 22}; }
};

void TestPerformanceSetForm::start(const std::function<void(SimKeyboardState&)>& prepare) {
    QVERIFY(startWindow());
    if (prepare) {
        // Read the prepared keyboard again, as after plugging it in anew.
        prepare(keyboard().state());
        // (The device page reads it and moves on by itself, so do not wait
        // to see the device page.)
        mainWindow()->showPage(PageDevice);
        QVERIFY(session().reachKeyPage());
    }
    showPage(PagePerformance);
    QVERIFY(form() && form()->keyboardWidget());
    sim().clearWrittenReports();
}

void TestPerformanceSetForm::clickKey(quint8 keyItem) {
    QNatureKeyboardWidget* picture = form()->keyboardWidget();
    QLabel* label = picture->labelOf(keyItem);
    QVERIFY2(label, qPrintable(QStringLiteral("key %1 is not drawn").arg(keyItem)));
    QTest::mouseClick(picture, Qt::LeftButton, Qt::NoModifier, label->geometry().center());
    QCoreApplication::processEvents();
}

bool TestPerformanceSetForm::toastShown(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->text() == text) return true;
    }
    return false;
}

void TestPerformanceSetForm::rapidTriggerChangeKeepsEachKeysOwnValues() {
    start([this](SimKeyboardState& s) {
        for (int i = 0; i < 3; ++i)
            s.activeProfile()->triggers[someKeys()[i]] = {quint16(100 + i), true, false,
                                                          quint16(10 + i), quint16(50 + i)};
    });
    for (quint8 key : someKeys()) clickKey(key);
    QCOMPARE(form()->keyboardWidget()->selectedKeys(), QByteArray::fromHex("141516"));
    QVERIFY(qobject_cast<QCheckBox*>(widget(QStringLiteral("quickCheckBox")))->isChecked());

    click(QStringLiteral("continueCheckBox"));
    QVERIFY(waitForEngineIdle());
    const QList<QByteArray> frames = sent(UsbProtocol::SetQuickTriggerConfig);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(int(quint8(frames[0][6])), 24);  // three records of 8 bytes
    for (int i = 0; i < 3; ++i) {
        const SimTrigger& t = profile().triggers[someKeys()[i]];
        QVERIFY(t.quick);
        QVERIFY(t.model);
        QCOMPARE(int(t.quickTrigger), 10 + i);
        QCOMPARE(int(t.resetTrigger), 50 + i);
        QCOMPARE(int(t.trigger), 100 + i);  // untouched by rapid trigger
        const TriggerSettingPtr m = KeyboardConfigUtil::instance()->triggerConfig(someKeys()[i]);
        QVERIFY(m->quick);
        QCOMPARE(int(m->quickTrigger), 10 + i);
    }
    // The picture was rebuilt with the same selection.
    QCOMPARE(form()->keyboardWidget()->selectedKeys(), QByteArray::fromHex("141516"));
}

void TestPerformanceSetForm::stepsStopAtTheRangeEnds() {
    start([](SimKeyboardState& s) { s.activeProfile()->triggers[20] = {400, true, false, 1, 30}; });
    const ProductRecord* product = KeyboardConfigUtil::instance()->keyboardProduct.data();
    QCOMPARE(int(product->triggerMax), 400);
    QCOMPARE(int(product->qttMin), 1);
    clickKey(20);

    // "+" at the largest actuation point sends that point again.
    click(QStringLiteral("triggerAddBtn"));
    QVERIFY(waitForEngineIdle());
    QList<QByteArray> frames = sent(UsbProtocol::SetTriggerConfig);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].mid(7, 3), QByteArray::fromHex("900114"));
    QCOMPARE(int(profile().triggers[20].trigger), 400);

    // "-" then sends one less, confirmed into keyboard and model.
    click(QStringLiteral("triggerDecBtn"));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(int(profile().triggers[20].trigger), 399);
    QCOMPARE(int(KeyboardConfigUtil::instance()->triggerConfig(20)->trigger), 399);

    // "-" at the smallest press sensitivity sends it again.
    click(QStringLiteral("quickDecBtn"));
    QVERIFY(waitForEngineIdle());
    frames = sent(UsbProtocol::SetQuickTriggerConfig);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].mid(7, 8), QByteArray::fromHex("1400010001001e00"));
    QCOMPARE(int(profile().triggers[20].quickTrigger), 1);
}

void TestPerformanceSetForm::rapidTriggerOffDisablesItsControls() {
    start([this](SimKeyboardState& s) {
        for (quint8 key : someKeys()) s.activeProfile()->triggers[key] = {120, true, true, 20, 40};
    });
    clickKey(someKeys()[0]);
    for (const char* name : {"quickSlider", "resetSlider", "continueCheckBox", "quickAddBtn"})
        QVERIFY2(widget(QLatin1String(name))->isEnabled(), name);

    click(QStringLiteral("quickCheckBox"));
    for (const char* name :
         {"quickSlider", "resetSlider", "continueCheckBox", "quickAddBtn", "resetDecBtn"})
        QVERIFY2(!widget(QLatin1String(name))->isEnabled(), name);
    QVERIFY(waitForEngineIdle());
    QVERIFY(!profile().triggers[someKeys()[0]].model);
    QCOMPARE(int(profile().triggers[someKeys()[0]].resetTrigger), 40);
    QVERIFY(profile().triggers[someKeys()[1]].model);  // not selected
}

void TestPerformanceSetForm::noKeySelectedShowsAPromptAndSendsNothing() {
    start();
    QVERIFY(!widget(QStringLiteral("triggerSlider"))->isEnabled());
    QWidget* slider = widget(QStringLiteral("triggerSlider"));
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, slider->rect().center());
    QVERIFY(toastShown(QStringLiteral("请先选择要设置的按键")));
    QTest::qWait(50);
    QVERIFY(sim().writtenReports().isEmpty());

    // Select, then deselect everything again: the controls go back to off.
    click(QStringLiteral("selectAllBtn"));
    QVERIFY(widget(QStringLiteral("triggerSlider"))->isEnabled());
    click(QStringLiteral("deselectAllBtn"));
    QVERIFY(!widget(QStringLiteral("triggerSlider"))->isEnabled());
    QVERIFY(!qobject_cast<QCheckBox*>(widget(QStringLiteral("quickCheckBox")))->isChecked());
}

void TestPerformanceSetForm::globalParameters() {
    start();
    QCOMPARE(int(KeyboardConfigUtil::instance()->keyboardWholeParam->pollingRate), 0);
    // 8K is current: nothing is sent.
    click(QStringLiteral("rate8Btn"));
    QVERIFY(waitForEngineIdle());
    QVERIFY(sent(UsbProtocol::SetWholeParam).isEmpty());
    QVERIFY(qobject_cast<QAbstractButton*>(widget(QStringLiteral("rate8Btn")))->isChecked());

    click(QStringLiteral("rate2Btn"));
    QVERIFY(waitForEngineIdle());
    click(QStringLiteral("shakeHighBtn"));
    QVERIFY(waitForEngineIdle());
    click(QStringLiteral("sportsCheckBox"));
    QVERIFY(waitForEngineIdle());
    auto* dead = qobject_cast<QCustomSlider*>(widget(QStringLiteral("deadUpSlider")));
    QTest::mouseClick(dead, Qt::LeftButton, Qt::NoModifier,
                      QPoint(dead->width() - 1, dead->height() / 2));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(sent(UsbProtocol::SetWholeParam).size(), 4);

    const QByteArray held = profile().wholeParam;
    QCOMPARE(int(held[6]), 2);      // polling rate
    QCOMPARE(int(held[7]), 2);      // debounce
    QCOMPARE(int(held[9]), 1);      // sports mode
    QVERIFY(quint8(held[4]) > 90);  // release dead zone near its end
    const WholeParam& model = *KeyboardConfigUtil::instance()->keyboardWholeParam;
    QCOMPARE(int(model.pollingRate), 2);
    QVERIFY(model.sportsMode);
    QCOMPARE(int(model.deadUp), int(quint8(held[4])));
}

void TestPerformanceSetForm::hiddenRowsByProductFlag() {
    start([](SimKeyboardState& s) { s.flags |= 0x01; });
    QVERIFY(!widget(QStringLiteral("rateWidget"))->isVisible());
    QVERIFY(!widget(QStringLiteral("shakeWidget"))->isVisible());
    QVERIFY(widget(QStringLiteral("deadDownSlider"))->isVisible());
}

void TestPerformanceSetForm::wheelAndArrowKeysSendAndShowTheValue() {
    start([](SimKeyboardState& s) {
        s.activeProfile()->triggers[20] = {120, true, false, 20, 40};
    });
    clickKey(20);
    auto* trigger = qobject_cast<QCustomSlider*>(widget(QStringLiteral("triggerSlider")));
    trigger->setFocus();
    QTest::keyClick(trigger, Qt::Key_Right);
    QCOMPARE(qobject_cast<QLabel*>(widget(QStringLiteral("triggerValueLabel")))->text(),
             QStringLiteral("1.21mm"));
    auto* press = qobject_cast<QCustomSlider*>(widget(QStringLiteral("quickSlider")));
    press->setFocus();
    QTest::keyClick(press, Qt::Key_Left);
    QCOMPARE(qobject_cast<QLabel*>(widget(QStringLiteral("quickValueLabel")))->text(),
             QStringLiteral("0.19mm"));
    auto* dead = qobject_cast<QCustomSlider*>(widget(QStringLiteral("deadDownSlider")));
    const QPoint centre = dead->rect().center();
    QWheelEvent wheel(centre, dead->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(dead, &wheel);
    const int deadDown = dead->value();
    QVERIFY(deadDown > 0);
    QCOMPARE(qobject_cast<QLabel*>(widget(QStringLiteral("deadDownValueLabel")))->text(),
             PerformanceSetForm::distanceText(deadDown));

    QVERIFY(waitForEngineIdle());
    QCOMPARE(int(profile().triggers[20].trigger), 121);
    QCOMPARE(int(profile().triggers[20].quickTrigger), 19);
    QCOMPARE(int(quint8(profile().wholeParam[2])), deadDown);
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    QCOMPARE(int(model->triggerConfig(20)->trigger), 121);
    QCOMPARE(int(model->triggerConfig(20)->quickTrigger), 19);
    QCOMPARE(int(model->keyboardWholeParam->deadDown), deadDown);
}

void TestPerformanceSetForm::editsMadeWhileOneIsOnItsWayAllArrive() {
    start([this](SimKeyboardState& s) {
        for (quint8 key : someKeys()) s.activeProfile()->triggers[key] = {120, true, false, 20, 40};
    });
    clickKey(someKeys()[0]);
    sim().setLatencyMs(150);
    // Two rapid-trigger fields, and two global parameters, each pair
    // changed before the keyboard answered the first.
    click(QStringLiteral("continueCheckBox"));
    click(QStringLiteral("resetAddBtn"));
    click(QStringLiteral("resetAddBtn"));
    click(QStringLiteral("rate2Btn"));
    click(QStringLiteral("shakeHighBtn"));
    QVERIFY(form()->isBusy());
    QVERIFY(waitForEngineIdle());
    QVERIFY(!form()->isBusy());

    const SimTrigger& held = profile().triggers[someKeys()[0]];
    QVERIFY(held.quick);
    QCOMPARE(int(held.resetTrigger), 42);
    const TriggerSettingPtr t = KeyboardConfigUtil::instance()->triggerConfig(someKeys()[0]);
    QVERIFY(t->quick);
    QCOMPARE(int(t->resetTrigger), 42);
    QCOMPARE(int(profile().wholeParam[6]), 2);
    QCOMPARE(int(profile().wholeParam[7]), 2);
    const WholeParam& model = *KeyboardConfigUtil::instance()->keyboardWholeParam;
    QCOMPARE(int(model.pollingRate), 2);
    QCOMPARE(int(model.shakeLevel), 2);
    QVERIFY(qobject_cast<QAbstractButton*>(widget(QStringLiteral("rate2Btn")))->isChecked());
}

void TestPerformanceSetForm::failedChangeShowsTheKeyboardAgainAndTheNextOneWorks() {
    start([](SimKeyboardState& s) {
        s.activeProfile()->triggers[20] = {120, true, false, 20, 40};
    });
    clickKey(20);
    sim().dropNextAnswers(3);  // a keyboard that stays silent for one request
    click(QStringLiteral("triggerAddBtn"));
    click(QStringLiteral("rate4Btn"));
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isBusy(), 6000);
    QVERIFY(toastShown(QStringLiteral("修改没有保存到键盘，页面已恢复为键盘上的设置")));
    QCOMPARE(qobject_cast<QCustomSlider*>(widget(QStringLiteral("triggerSlider")))->value(), 120);
    QCOMPARE(int(KeyboardConfigUtil::instance()->triggerConfig(20)->trigger), 120);
    // The change waiting behind the failed one went nowhere.
    QVERIFY(sent(UsbProtocol::SetWholeParam).isEmpty());
    QVERIFY(qobject_cast<QAbstractButton*>(widget(QStringLiteral("rate8Btn")))->isChecked());

    click(QStringLiteral("triggerDecBtn"));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(int(profile().triggers[20].trigger), 119);
    QCOMPARE(int(KeyboardConfigUtil::instance()->triggerConfig(20)->trigger), 119);
}

void TestPerformanceSetForm::unplugMidEditThenReplugLeavesThePageWorking() {
    start();
    sim().setLatencyMs(300);
    click(QStringLiteral("rate2Btn"));
    sim().unplug();
    QVERIFY(waitForPage(PageDevice));
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isBusy(), 5000);
    QCOMPARE(int(KeyboardConfigUtil::instance()->keyboardWholeParam->pollingRate), 0);

    sim().setLatencyMs(0);
    sim().plug();
    QVERIFY(session().reachKeyPage());
    showPage(PagePerformance);
    click(QStringLiteral("rate4Btn"));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(int(profile().wholeParam[6]), 1);
    QCOMPARE(int(KeyboardConfigUtil::instance()->keyboardWholeParam->pollingRate), 1);
}

QTEST_MAIN(TestPerformanceSetForm)
#include "tst_performancesetform.moc"
