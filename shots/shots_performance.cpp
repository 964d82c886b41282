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

namespace {

// Key numbers of the labels that show these texts, in the order given.
QByteArray keysLabelled(QKeyboardWidget* picture, const QStringList& texts) {
    QByteArray keys;
    for (const QString& text : texts)
        for (QLabel* label : picture->labels())
            if (label->text() == text) {
                keys.append(char(picture->keyItemOf(label)));
                break;
            }
    return keys;
}

}  // namespace

ZENTARO_SHOT("performance", [](ShotContext& c) {
    c.showPage(PagePerformance);
    auto* page = qobject_cast<PerformanceSetForm*>(c.window()->page(PagePerformance));
    if (!page || !page->keyboardWidget()) return;
    QNatureKeyboardWidget* picture = page->keyboardWidget();
    // WASD with a low actuation point and rapid trigger on.
    picture->setSelectedKeys(keysLabelled(picture, {QStringLiteral("W"), QStringLiteral("A"),
                                                    QStringLiteral("S"), QStringLiteral("D")}));
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

ZENTARO_SHOT("align", [](ShotContext& c) {
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
    QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> report;
    int n = 0;
    for (QLabel* label : page->keyboardWidget()->labels()) {
        auto* key = qobject_cast<QAdjustKeyLabel*>(label);
        if (!key) continue;
        key->setStatus(QAdjustKeyLabel::NotPassed);
        auto entry = QSharedPointer<KEYBOARD_ALIGN_INFO>::create();
        entry->keyItem = key->keyItem();
        if (n < 30)
            entry->value = quint16(n % 4 == 0 ? full : 0);
        else if (n < 36)
            entry->value = quint16(full * (n - 29) / 7);
        else
            entry->value = 0;
        report.append(entry);
        ++n;
    }
    page->usb_receive_report_calibration(page->source(), 1, 1, report);
    c.settle(200);
    c.save(QStringLiteral("align"));
    page->leaveCalibration(false);
});

ZENTARO_SHOT("other", [](ShotContext& c) {
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
