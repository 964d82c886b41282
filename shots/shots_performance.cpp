// Views of the performance, calibration, other and firmware pages.
#include <QLabel>

#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "shots/shotcontext.h"
#include "shots/shotregistry.h"
#include "ui/device/devicemanageform.h"
#include "ui/pageindex.h"
#include "ui/pages/align/alignsetform.h"
#include "ui/pages/align/qadjustkeylabel.h"
#include "ui/pages/firmware/firewaremanageform.h"
#include "ui/pages/other/othersetform.h"
#include "ui/pages/performance/performancesetform.h"
#include "ui/widgets/qcustomslider.h"
#include "ui/widgets/qnaturekeyboardwidget.h"

ZENTARO_SHOT("performance", [](ShotContext& c) {
    // The road ends on the key page; go on from there once it is reached.
    c.session().reachKeyPage();
    c.showPage(PagePerformance);
    auto* page = qobject_cast<PerformanceSetForm*>(c.window()->page(PagePerformance));
    if (!page || !page->keyboardWidget()) return;
    QNatureKeyboardWidget* picture = page->keyboardWidget();
    // WASD with a low actuation point and rapid trigger on.
    picture->setSelectedKeys(ShotContext::keysLabelled(
        picture,
        {QStringLiteral("W"), QStringLiteral("A"), QStringLiteral("S"), QStringLiteral("D")}));
    page->keyboard_select();
    page->triggerSliderClicked(QCustomSlider::Release, 60);
    c.session().waitForEngineIdle(5000);
    page->on_quickCheckBox_clicked(true);
    c.session().waitForEngineIdle(5000);
    page->quickSliderClicked(QCustomSlider::Release, 15);
    c.session().waitForEngineIdle(5000);
    page->keyboard_select();
    c.settle(200);
    c.save(QStringLiteral("performance"));
});

ZENTARO_SHOT("calibration", [](ShotContext& c) {
    c.session().reachKeyPage();
    c.showPage(PageAlign);
    auto* page = qobject_cast<AlignSetForm*>(c.window()->page(PageAlign));
    if (!page || !page->keyboardWidget()) return;
    page->on_alignStartButton_clicked();
    c.session().waitForEngineIdle(5000);
    // Stop the keyboard's own stream; draw a moment of a calibration: the
    // some keys passed, a few on their way down, the rest still to press.
    if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance())
        engine->setReportCalibration(page->source(), true, 0);
    c.session().waitForEngineIdle(5000);
    const int full = page->maxTravel();
    // Every fourth key of the first rows went to the bottom and came back;
    // the next few are on their way down.
    QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> down, now;
    int n = 0;
    for (QLabel* label : page->keyboardWidget()->labels()) {
        auto* key = qobject_cast<QAdjustKeyLabel*>(label);
        if (!key) continue;
        key->setStatus(QAdjustKeyLabel::NotPassed);
        auto entry = [&](int travel) {
            auto e = QSharedPointer<KEYBOARD_ALIGN_INFO>::create();
            e->keyItem = key->keyItem();
            e->value = quint16(travel);
            return e;
        };
        const bool passed = n < 30 && n % 4 == 0;
        down.append(entry(passed ? full : 0));
        now.append(entry(n >= 30 && n < 36 ? full * (n - 29) / 7 : 0));
        ++n;
    }
    page->usb_receive_report_calibration(page->source(), 1, 1, down);
    page->usb_receive_report_calibration(page->source(), 1, 1, now);
    c.settle(200);
    c.save(QStringLiteral("calibration"));
    page->leaveCalibration(false);
});

ZENTARO_SHOT("other", [](ShotContext& c) {
    c.session().reachKeyPage();
    c.showPage(PageOther);
    c.save(QStringLiteral("other"));
});

ZENTARO_SHOT("firmware", [](ShotContext& c) {
    if (!c.window()) return;
    c.window()->showPage(PageFireware);
    c.session().waitForPage(PageFireware, 5000);
    c.settle(300);
    c.save(QStringLiteral("firmware"));
    // Let the views after this one open the keyboard again.
    DeviceManageForm::setFirmwareMode(false);
});
