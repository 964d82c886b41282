#pragma once
// The calibration page: while calibrating, the keyboard streams the travel
// of every pressed key; each key is drawn as a bar that fills with it and
// turns to the pass colour once the key reached the bottom. Saving stops the
// stream, waits for the keyboard's answer and then stores the calibration.

#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QSharedPointer>
#include <memory>

#include "common/keyboardtypes.h"
#include "ui/pages/settingpage.h"
#include "ui/widgets/qalignkeyboardwidget.h"

namespace Ui {
class AlignSetForm;
}

class QAdjustKeyLabel;
class QTimer;

class AlignSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit AlignSetForm(QWidget* parent = nullptr);
    ~AlignSetForm() override;

    // Show page: the picture is built again and the controls follow the state.
    void enter() override;
    // Another page is chosen: a running calibration is stopped.
    void leave() override;
    void stopKeyboardMode(bool tellKeyboard) override { leaveCalibration(tellKeyboard); }

    bool isCalibrating() const { return mCalibrating; }
    QAlignKeyboardWidget* keyboardWidget() const { return mKeyboardWidget; }
    QAdjustKeyLabel* adjustLabel(quint8 keyItem) const { return mLabelByKey.value(keyItem); }
    // The product's full travel (triggerMax).
    int maxTravel() const;

    // Left edge of a key on this page: keys 29, 45 and 83, and 81 on a
    // layout of exactly 82 keys, sit 8 pixels further left.
    static int labelLeft(quint8 keyItem, int left, int positionCount);

    // Pause between the stream's stop answer and the save command.
    static constexpr int kSaveDelayMs = 200;

public slots:
    void refreshLanguageUi() override;
    // Before a table switch, an import or export, or a removal: ends a
    // running calibration, telling the keyboard when asked to.
    void leaveCalibration(bool tellKeyboard);
    void on_alignSaveButton_clicked();
    void on_alignStartButton_clicked();
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_get_calibration_state(uchar source, int current, int total,
                                           QMap<uchar, uchar> keyboardCalibrationMap);
    void usb_receive_save_calibration(uchar source, int current, int total);
    void usb_receive_report_calibration(
        uchar source, int current, int total,
        QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> keyboardAlignList);
    void usb_receive_report_calibration_switch(uchar source, int current, int total, uchar result);
    void on_openAdcButton_clicked();
    void on_closeAdcButton_clicked();

private:
    void buildPicture();
    void applyState();
    void invertState();
    void sendStop();
    // The keyboard is gone or never started: idle, and a save under way is
    // dropped.
    void endCalibration();

    std::unique_ptr<Ui::AlignSetForm> ui;
    bool mCalibrating = false;
    // The stop was sent by save: its answer leads to the save command.
    bool mSavePending = false;
    QPointer<QAlignKeyboardWidget> mKeyboardWidget;
    QHash<quint8, QAdjustKeyLabel*> mLabelByKey;
    QList<QAdjustKeyLabel*> mLabels;
    QTimer* mSaveTimer = nullptr;
};
