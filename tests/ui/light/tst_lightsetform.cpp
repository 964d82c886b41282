// The lighting page through the real main window on the simulated keyboard:
// per-key colours for selected keys and the keys that share their position,
// effect parameters that send exactly one changed field, changes that must
// send nothing, failures, and changes made while another is on its way.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QToolButton>
#include <QtTest>

#include "services/qtoastbox.h"
#include "services/systemconfigutil.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/pageindex.h"
#include "ui/pages/light/lightsetform.h"
#include "ui/widgets/qcustomslider.h"
#include "ui/widgets/qlightkeyboardwidget.h"
#include "ui/widgets/qlightkeylabel.h"

using testsupport::requests;

class TestLightSetForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void init() { start(); }
    void cleanup() { stopWindow(); }

    void customLightReachesSelectedAndSharedKeys();
    void reenteringShowsTheModelAsItIsNow();
    void effectParameterSendsOnlyThatField();
    void rowsFollowTheEffectsFlags();
    void changesThatSendNothing();
    void failedChangeLeavesModelAndControls();
    void changesMadeWhileOneIsOnItsWayAllArrive();
    void changeCutOffByAnotherRequesterLeavesThePageReady();
    void effectNamesFollowTheLanguage();
    void effectButtonsFitTheirCard();

private:
    void start();
    LightSetForm* form() { return page<LightSetForm>(); }
    SimProfile& profile() { return *keyboard().state().activeProfile(); }
    KeyboardConfigUtil* model() { return KeyboardConfigUtil::instance(); }
    QList<QByteArray> sent(uchar request) { return requests(sim().writtenReports(), request); }
    void chooseEffect(int item);
    void clickKey(quint8 keyItem);
    // Presses and releases the slider where it shows `value`.
    void releaseSlider(const QString& name, int value, bool wait = true);
    void typeInto(const QString& name, const QString& text);
    bool visible(const char* name) { return widget(QLatin1String(name))->isVisible(); }
    static bool toastShown(const QString& text);
    static QByteArray wire(const EffectLightEntry& e);

    // Keys 42 and 43 of the sample product are one position; 43 is not drawn.
    static constexpr quint8 kSharedKey = 42;
    static constexpr quint8 kHiddenTwin = 43;
    static constexpr quint8 kOtherKey = 10;
    // Effect 3 of the simulated keyboard has all four parameters (0x0F).
    static constexpr int kFullEffect = 3;
};

void TestLightSetForm::start() {
    QVERIFY(startWindow());
    showPage(PageLight);
    QVERIFY(form() && form()->keyboardWidget());
    QVERIFY(waitForEngineIdle());
    sim().clearWrittenReports();
}

void TestLightSetForm::chooseEffect(int item) {
    const QString name = item == LightSetForm::EffectCustom
                             ? QStringLiteral("customEffectBtn")
                             : QStringLiteral("effectBtn%1").arg(item);
    click(name);
    QVERIFY(waitForEngineIdle());
    QCOMPARE(form()->currentEffect(), item);
}

void TestLightSetForm::clickKey(quint8 keyItem) {
    QLightKeyboardWidget* picture = form()->keyboardWidget();
    QLabel* label = picture->labelOf(keyItem);
    QVERIFY2(label, qPrintable(QStringLiteral("key %1 is not drawn").arg(keyItem)));
    QTest::mouseClick(picture, Qt::LeftButton, Qt::NoModifier, label->geometry().center());
}

void TestLightSetForm::releaseSlider(const QString& name, int value, bool wait) {
    auto* slider = qobject_cast<QCustomSlider*>(widget(name));
    QVERIFY(slider && slider->isVisible());
    const double x = double(value - slider->minimum()) * slider->width() /
                     double(slider->maximum() - slider->minimum());
    const QPoint at(qRound(x), slider->height() / 2);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(slider->value(), value);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, at);
    if (wait) QVERIFY(waitForEngineIdle());
}

void TestLightSetForm::typeInto(const QString& name, const QString& text) {
    auto* edit = qobject_cast<QLineEdit*>(widget(name));
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(waitForEngineIdle());
}

bool TestLightSetForm::toastShown(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->text() == text) return true;
    }
    return false;
}

QByteArray TestLightSetForm::wire(const EffectLightEntry& e) {
    const quint8 bytes[] = {e.item,         e.light,  e.speed,  e.fullColor,
                            e.functionFlag, e.colorR, e.colorG, e.colorB};
    return QByteArray(reinterpret_cast<const char*>(bytes), 8);
}

void TestLightSetForm::customLightReachesSelectedAndSharedKeys() {
    chooseEffect(LightSetForm::EffectCustom);
    QCOMPARE(int(profile().selectedEffect), LightSetForm::EffectCustom);
    clickKey(kOtherKey);
    clickKey(kSharedKey);
    const SimLight untouched = profile().lights[kOtherKey + 1];

    click(QStringLiteral("colourColorBtn"));  // red
    QVERIFY(waitForEngineIdle());
    QList<QByteArray> frames = sent(UsbProtocol::SetCustomLight);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].mid(7, 7), QByteArray::fromHex("32ff00000a2a2b"));
    for (quint8 key : {kOtherKey, kSharedKey, kHiddenTwin}) {
        const SimLight& l = profile().lights[key];
        QCOMPARE(QList<int>({l.light, l.r, l.g, l.b}), QList<int>({50, 255, 0, 0}));
        QCOMPARE(model()->customLight(key)->colorR, quint8(255));
    }
    QCOMPARE(profile().lights[kOtherKey + 1].r, untouched.r);
    auto* label = qobject_cast<QLightKeyLabel*>(form()->keyboardWidget()->labelOf(kSharedKey));
    QCOMPARE(label->color(), QColor(255, 0, 0));

    // Brightness goes to the same keys with the colour in use.
    releaseSlider(QStringLiteral("lightSlider"), 80);
    frames = sent(UsbProtocol::SetCustomLight);
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[1].mid(7, 7), QByteArray::fromHex("50ff00000a2a2b"));
    QCOMPARE(int(profile().lights[kHiddenTwin].light), 80);
    QCOMPARE(int(model()->customLight(kHiddenTwin)->light), 80);
}

void TestLightSetForm::reenteringShowsTheModelAsItIsNow() {
    chooseEffect(LightSetForm::EffectCustom);
    clickKey(kOtherKey);
    QVERIFY(!form()->keyboardWidget()->selectedKeys().isEmpty());
    // Nothing changed meanwhile: the page opens as new, nothing selected.
    showPage(PageKey);
    showPage(PageLight);
    QVERIFY(form()->keyboardWidget()->selectedKeys().isEmpty());
    QCOMPARE(form()->currentEffect(), int(LightSetForm::EffectNone));
    QVERIFY(!form()->effectButton(LightSetForm::EffectCustom)->isChecked());

    // A key's light changed while the page was away is shown on return.
    showPage(PageKey);
    CustomLightPtr light = model()->customLight(kOtherKey);
    QVERIFY(light);
    light->light = 40;
    light->colorR = 0;
    light->colorG = 0;
    light->colorB = 255;
    showPage(PageLight);
    auto* label = qobject_cast<QLightKeyLabel*>(form()->keyboardWidget()->labelOf(kOtherKey));
    QVERIFY(label);
    QCOMPARE(label->color(), QColor(0, 0, 255));
}

void TestLightSetForm::effectParameterSendsOnlyThatField() {
    chooseEffect(kFullEffect);
    QCOMPARE(int(profile().selectedEffect), kFullEffect);
    const EffectLightEntry before = *model()->effectLight(kFullEffect);
    const SimEffect simBefore = profile().effects[kFullEffect];

    releaseSlider(QStringLiteral("speedSlider"), 70);
    EffectLightEntry expected = before;
    expected.speed = 70;
    QList<QByteArray> frames = sent(UsbProtocol::SetEffectLight);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].mid(7, 8), wire(expected));
    QCOMPARE(int(profile().effects[kFullEffect].speed), 70);
    QCOMPARE(int(profile().effects[kFullEffect].light), int(simBefore.light));
    QCOMPARE(wire(*model()->effectLight(kFullEffect)), wire(expected));

    click(QStringLiteral("colorCheckBox"));
    QVERIFY(waitForEngineIdle());
    expected.fullColor = before.fullColor ? 0 : 1;
    QCOMPARE(sent(UsbProtocol::SetEffectLight).last().mid(7, 8), wire(expected));

    typeInto(QStringLiteral("hexLineEdit"), QStringLiteral("#102030"));
    expected.colorR = 0x10;
    expected.colorG = 0x20;
    expected.colorB = 0x30;
    frames = sent(UsbProtocol::SetEffectLight);
    QCOMPARE(frames.size(), 3);
    QCOMPARE(frames.last().mid(7, 8), wire(expected));
    const SimEffect& now = profile().effects[kFullEffect];
    QCOMPARE(QList<int>({now.r, now.g, now.b, now.speed}), QList<int>({0x10, 0x20, 0x30, 70}));
    QCOMPARE(qobject_cast<QLineEdit*>(widget(QStringLiteral("gLineEdit")))->text(),
             QStringLiteral("32"));
    // A wheel step on the slider is sent like a release.
    QWidget* speed = widget(QStringLiteral("speedSlider"));
    QWheelEvent wheel(QPointF(speed->rect().center()), speed->mapToGlobal(speed->rect().center()),
                      QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(speed, &wheel);
    const int stepped = qobject_cast<QSlider*>(speed)->value();
    QVERIFY(stepped > 70);
    QVERIFY(waitForEngineIdle());
    QCOMPARE(int(profile().effects[kFullEffect].speed), stepped);
    // No other effect was touched.
    QCOMPARE(int(profile().effects[kFullEffect - 1].speed),
             int(model()->effectLight(kFullEffect - 1)->speed));
}

void TestLightSetForm::rowsFollowTheEffectsFlags() {
    // Nothing chosen yet: no parameters to show.
    QCOMPARE(form()->currentEffect(), int(LightSetForm::EffectNone));
    QVERIFY(!visible("lightWidget") && !visible("paletteWidget"));

    chooseEffect(2);  // 0x07: colour, speed, brightness
    QVERIFY(visible("lightWidget") && visible("speedWidget") && visible("paletteWidget"));
    QVERIFY(!visible("colorWidget"));
    const EffectLightPtr e = model()->effectLight(2);
    QCOMPARE(qobject_cast<QCustomSlider*>(widget(QStringLiteral("speedSlider")))->value(),
             int(e->speed));
    QCOMPARE(qobject_cast<QLineEdit*>(widget(QStringLiteral("hexLineEdit")))->text(),
             QColor(e->colorR, e->colorG, e->colorB).name());
    QVERIFY(!form()->keyboardWidget()->labels().first()->isEnabled());

    chooseEffect(5);  // 0x00: no parameters
    for (const char* row : {"lightWidget", "speedWidget", "colorWidget", "paletteWidget"})
        QVERIFY2(!visible(row), row);
    QVERIFY(form()->effectButton(5)->isChecked());
    QVERIFY(!form()->effectButton(2)->isChecked());

    chooseEffect(LightSetForm::EffectCustom);
    QVERIFY(visible("lightWidget") && visible("paletteWidget"));
    QVERIFY(!visible("speedWidget") && !visible("colorWidget"));
    QVERIFY(form()->keyboardWidget()->labels().first()->isEnabled());
}

void TestLightSetForm::changesThatSendNothing() {
    chooseEffect(kFullEffect);
    sim().clearWrittenReports();
    // The speed released where it already was, and the current effect again.
    releaseSlider(QStringLiteral("speedSlider"), form()->pageSpeed());
    click(QStringLiteral("effectBtn3"));
    QVERIFY(waitForEngineIdle());
    QVERIFY(form()->effectButton(kFullEffect)->isChecked());
    QCOMPARE(sim().writtenReports().size(), 0);

    // Custom mode without a selected key: a prompt, nothing sent, and the
    // slider back where it was.
    chooseEffect(LightSetForm::EffectCustom);
    sim().clearWrittenReports();
    const int light = form()->pageLight();
    releaseSlider(QStringLiteral("lightSlider"), light == 80 ? 20 : 80);
    QVERIFY(toastShown(QStringLiteral("请先选择要设置的按键，再修改亮度或颜色！")));
    click(QStringLiteral("greenColorBtn"));
    QVERIFY(waitForEngineIdle());
    QCOMPARE(sim().writtenReports().size(), 0);
    QCOMPARE(qobject_cast<QCustomSlider*>(widget(QStringLiteral("lightSlider")))->value(), light);
}

void TestLightSetForm::failedChangeLeavesModelAndControls() {
    chooseEffect(kFullEffect);
    const int speed = model()->effectLight(kFullEffect)->speed;
    sim().setFailWrites(true);
    releaseSlider(QStringLiteral("speedSlider"), 90);
    QTRY_COMPARE_WITH_TIMEOUT(
        qobject_cast<QCustomSlider*>(widget(QStringLiteral("speedSlider")))->value(), speed, 10000);
    sim().setFailWrites(false);
    QCOMPARE(int(model()->effectLight(kFullEffect)->speed), speed);
    QCOMPARE(form()->currentEffect(), kFullEffect);

    // The page is not stuck: the next change goes through.
    releaseSlider(QStringLiteral("speedSlider"), 90);
    QCOMPARE(int(profile().effects[kFullEffect].speed), 90);
    QCOMPARE(int(model()->effectLight(kFullEffect)->speed), 90);
}

void TestLightSetForm::changesMadeWhileOneIsOnItsWayAllArrive() {
    chooseEffect(kFullEffect);
    sim().setLatencyMs(150);
    releaseSlider(QStringLiteral("speedSlider"), 70, false);
    releaseSlider(QStringLiteral("lightSlider"), 30, false);
    click(QStringLiteral("blueColorBtn"));
    QVERIFY(waitForEngineIdle());
    const QList<QByteArray> frames = sent(UsbProtocol::SetEffectLight);
    QCOMPARE(frames.size(), 3);
    // Each change builds on the one confirmed before it.
    QCOMPARE(int(quint8(frames[2][7 + 2])), 70);
    QCOMPARE(int(quint8(frames[2][7 + 1])), 30);
    const EffectLightPtr e = model()->effectLight(kFullEffect);
    QCOMPARE(QList<int>({e->speed, e->light, e->colorR, e->colorG, e->colorB}),
             QList<int>({70, 30, 0, 0, 255}));
    const SimEffect& s = profile().effects[kFullEffect];
    QCOMPARE(QList<int>({s.speed, s.light, s.r, s.g, s.b}), QList<int>({70, 30, 0, 0, 255}));
    QCOMPARE(qobject_cast<QCustomSlider*>(widget(QStringLiteral("speedSlider")))->value(), 70);
}

void TestLightSetForm::changeCutOffByAnotherRequesterLeavesThePageReady() {
    chooseEffect(kFullEffect);
    const int speed = model()->effectLight(kFullEffect)->speed;
    sim().setLatencyMs(200);
    releaseSlider(QStringLiteral("speedSlider"), 80, false);
    releaseSlider(QStringLiteral("lightSlider"), 20, false);
    QVERIFY(form()->isBusy());
    UsbCommunicateUtil::instance()->getWholeParam(UsbProtocol::SourceOther, true);
    QTRY_VERIFY(!form()->isBusy());
    QVERIFY(toastShown(QStringLiteral("修改没有保存到键盘，页面已恢复为键盘上的设置")));
    QCOMPARE(qobject_cast<QCustomSlider*>(widget(QStringLiteral("speedSlider")))->value(), speed);
    QCOMPARE(int(model()->effectLight(kFullEffect)->speed), speed);
    QCOMPARE(sent(UsbProtocol::SetEffectLight).size(), 1);  // the waiting one went nowhere

    sim().setLatencyMs(0);
    releaseSlider(QStringLiteral("speedSlider"), 80);
    QCOMPARE(int(profile().effects[kFullEffect].speed), 80);
    QCOMPARE(int(model()->effectLight(kFullEffect)->speed), 80);
}

void TestLightSetForm::effectNamesFollowTheLanguage() {
    QCOMPARE(form()->effectButton(kFullEffect)->text(), QStringLiteral("涟漪"));
    QVERIFY(SystemConfigUtil::instance()->setLanguage(2));
    QVERIFY(waitForEngineIdle());
    const QList<QByteArray> frames = sent(UsbProtocol::GetEffectLightName);
    QVERIFY(!frames.isEmpty());
    for (const QByteArray& frame : frames) QCOMPARE(int(frame[7]), 0);  // English
    QCOMPARE(model()->keyboardEffectNameMap.value(kFullEffect)->name, QStringLiteral("Ripple"));
    QCOMPARE(form()->effectButton(kFullEffect)->text(), QStringLiteral("Ripple"));
    QCOMPARE(form()->effectButton(LightSetForm::EffectCustom)->text(), QStringLiteral("Custom"));
}

// At the window's default size the four effect columns fit their card, also
// when the colour controls beside it are shown: no button is cut off on the
// right, none is below its least size, and the window is not pushed wider
// than it was asked to be.
void TestLightSetForm::effectButtonsFitTheirCard() {
    auto* area = qobject_cast<QScrollArea*>(widget(QStringLiteral("effectScrollArea")));
    QVERIFY(area && area->widget());
    auto check = [&] {
        QVERIFY(visible("paletteWidget"));
        QCOMPARE(mainWindow()->width(), GuiSession::Options().size.width());
        const QRect viewport = area->viewport()->rect();
        int shown = 0;
        for (QToolButton* button : area->widget()->findChildren<QToolButton*>()) {
            if (!button->isVisible()) continue;
            ++shown;
            const QRect drawn(button->mapTo(area->viewport(), QPoint(0, 0)), button->size());
            QVERIFY2(viewport.contains(drawn), qPrintable(button->text()));
            QVERIFY(button->width() >= 100 && button->height() >= 40);
        }
        QVERIFY(shown >= 4);
    };
    chooseEffect(kFullEffect);
    check();
    chooseEffect(LightSetForm::EffectCustom);
    clickKey(kOtherKey);
    check();
}

QTEST_MAIN(TestLightSetForm)
#include "tst_lightsetform.moc"
