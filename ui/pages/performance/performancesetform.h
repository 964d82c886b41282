#pragma once
// The performance page: per key the actuation point and rapid trigger (press
// and release sensitivity, continuous mode) for every key selected on the
// picture; for the whole keyboard polling rate, debounce, dead zones, touch
// optimisation and sports mode. Values change in the model only when the
// keyboard confirms them.

#include <QByteArray>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <memory>

#include "common/keyboardtypes.h"
#include "ui/pages/settingpage.h"
#include "ui/widgets/qnaturekeyboardwidget.h"

namespace Ui {
class PerformanceSetForm;
}

class QCustomSlider;
class QLabel;
class QPushButton;
class RequestQueue;

class PerformanceSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit PerformanceSetForm(QWidget* parent = nullptr);
    ~PerformanceSetForm() override;

    void enter() override;

    QNatureKeyboardWidget* keyboardWidget() const { return mKeyboardWidget; }
    const WholeParam& pageParam() const { return mParam; }
    bool isTriggerDisplayed() const { return mTriggerDisplay; }
    bool isQuickDisplayed() const { return mQuickDisplay; }
    // A change is on its way to the keyboard or waits to go.
    bool isBusy() const;

    // How far the actuation indicator sits below its top position, 0..25.
    static int indicatorOffset(int value, int minimum, int maximum);
    // Hundredths of a millimetre as "1.20mm".
    static QString distanceText(int hundredths);

public slots:
    void refreshLanguageUi() override;
    void on_selectAllBtn_clicked();
    void on_invertBtn_clicked();
    void on_deselectAllBtn_clicked();
    void keyboard_select();
    void on_triDisplayBtn_clicked();
    void on_triggerDecBtn_clicked();
    void on_triggerAddBtn_clicked();
    void triggerSliderClicked(int type, int value);
    void on_quickCheckBox_clicked(bool checked);
    void on_quickDisplayBtn_clicked();
    void on_continueCheckBox_clicked(bool checked);
    void on_brokenCheckBox_clicked(bool checked);
    void on_quickDecBtn_clicked();
    void on_quickAddBtn_clicked();
    void on_resetDecBtn_clicked();
    void on_resetAddBtn_clicked();
    void quickSliderClicked(int type, int value);
    void resetSliderClicked(int type, int value);
    void on_rate8Btn_clicked();
    void on_rate4Btn_clicked();
    void on_rate2Btn_clicked();
    void on_rate1Btn_clicked();
    void on_shakeLowBtn_clicked();
    void on_shakeMiddleBtn_clicked();
    void on_shakeHighBtn_clicked();
    void on_sportsCheckBox_clicked(bool checked);
    void deadDownSliderClicked(int type, int value);
    void deadUpSliderClicked(int type, int value);
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_set_whole_param(uchar source, int current, int total);
    void usb_receive_set_trigger_config(uchar source, int current, int total);
    void usb_receive_set_quick_trigger_config(uchar source, int current, int total);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    // Names of the step buttons, which show only a sign.
    void nameControls();
    void buildPicture();
    void applyDisplaySwitches();
    void showWholeParam();
    void setPerKeyEnabled(bool enabled);
    void setQuickControlsEnabled(bool enabled);
    void showActuation(int value);
    void sendTrigger(int value);
    // One record per selected key from its own setting, one field changed;
    // a newer change of the same field and keys replaces one still waiting.
    void sendQuick(const QString& field, const std::function<void(QuickTriggerEntry&)>& change);
    void stepSlider(QCustomSlider* slider, int delta);
    void setRate(qint8 rate);
    void setShake(qint8 level);
    void sendWholeParam();
    void restoreAfterConfirmation();
    // A change did not reach the keyboard: the rest is dropped and the page
    // shows the model again.
    void requestFailed(int error);
    QByteArray selectedKeys() const;

    std::unique_ptr<Ui::PerformanceSetForm> ui;
    QPointer<QNatureKeyboardWidget> mKeyboardWidget;
    RequestQueue* mRequests = nullptr;
    WholeParam mParam;
    bool mTriggerDisplay = true;
    bool mQuickDisplay = true;
    QPixmap mTriggerBottom;
    QPixmap mTriggerIndex;
    QPixmap mTriggerBack;
};
