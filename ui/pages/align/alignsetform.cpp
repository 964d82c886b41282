#include "ui/pages/align/alignsetform.h"

#include <QDebug>
#include <QPushButton>
#include <QTimer>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/pageindex.h"
#include "ui/pages/align/qadjustkeylabel.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qalignkeyboardwidget.h"
#include "ui_alignsetform.h"

AlignSetForm::AlignSetForm(QWidget* parent)
    : SettingPage(PageAlign, UsbProtocol::SourceAlign, parent),
      ui(std::make_unique<Ui::AlignSetForm>()) {
    ui->setupUi(content());
    ui->openAdcButton->hide();
    ui->closeAdcButton->hide();
    ui->describeLabel->setWordWrap(true);
    for (QPushButton* b :
         {ui->alignStartButton, ui->alignSaveButton, ui->openAdcButton, ui->closeAdcButton})
        b->setFocusPolicy(Qt::NoFocus);
    connect(ui->alignStartButton, &QPushButton::clicked, this,
            &AlignSetForm::on_alignStartButton_clicked);
    connect(ui->alignSaveButton, &QPushButton::clicked, this,
            &AlignSetForm::on_alignSaveButton_clicked);
    connect(ui->openAdcButton, &QPushButton::clicked, this,
            &AlignSetForm::on_openAdcButton_clicked);
    connect(ui->closeAdcButton, &QPushButton::clicked, this,
            &AlignSetForm::on_closeAdcButton_clicked);

    mSaveTimer = new QTimer(this);
    mSaveTimer->setSingleShot(true);
    mSaveTimer->setInterval(kSaveDelayMs);
    connect(mSaveTimer, &QTimer::timeout, this, [this] {
        if (UsbCommunicateUtil* e = engine()) e->saveCalibration(source(), true);
    });

    if (UsbCommunicateUtil* e = engine()) {
        connect(e, &UsbCommunicateUtil::usb_communicate_error, this,
                &AlignSetForm::usb_communicate_error);
        connect(e, &UsbCommunicateUtil::usb_receive_report_calibration, this,
                &AlignSetForm::usb_receive_report_calibration);
        connect(e, &UsbCommunicateUtil::usb_receive_report_calibration_switch, this,
                &AlignSetForm::usb_receive_report_calibration_switch);
        connect(e, &UsbCommunicateUtil::usb_receive_get_calibration_state, this,
                &AlignSetForm::usb_receive_get_calibration_state);
        connect(e, &UsbCommunicateUtil::usb_receive_save_calibration, this,
                &AlignSetForm::usb_receive_save_calibration);
        // Whoever else hears of the unplug, this page ends its calibration.
        connect(e, &UsbCommunicateUtil::protocol_device_disconnected, this,
                [this] { endCalibration(); });
    }
    applyState();
    logLine(QStringLiteral("校准设置页面初始化"));
}

AlignSetForm::~AlignSetForm() {
    if (UsbCommunicateUtil* e = engine()) e->disconnect(this);
    logLine(QStringLiteral("校准设置页面销毁"));
}

void AlignSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
}

int AlignSetForm::maxTravel() const {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    return model && model->keyboardProduct ? model->keyboardProduct->triggerMax : 0;
}

int AlignSetForm::labelLeft(quint8 keyItem, int left, int positionCount) {
    if (keyItem == 29 || keyItem == 45 || keyItem == 83 || (keyItem == 81 && positionCount == 82))
        return left - 8;
    return left;
}

// ------------------------------------------------------------ picture

void AlignSetForm::enter() {
    if (QPushButton* own = navigationBar()->button(PageAlign)) own->setChecked(true);
    buildPicture();
}

void AlignSetForm::buildPicture() {
    mLabels.clear();
    mLabelByKey.clear();
    delete mKeyboardWidget.data();

    auto* picture = new QAlignKeyboardWidget(ui->keyboardWidget);
    mKeyboardWidget = picture;
    QAlignKeyboardWidget::placePicture(picture);
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const int positions = model ? int(model->keyboardPositionMap.size()) : 0;
    const int travel = maxTravel();
    picture->setLabelFactory([this, travel](const KeyPositionPtr& position, QWidget* parent) {
        auto* label = new QAdjustKeyLabel(position->keyItem, travel, parent);
        mLabels.append(label);
        mLabelByKey.insert(position->keyItem, label);
        return label;
    });
    picture->setGeometryRule([positions](const KeyPositionPtr& p) {
        return QRect(labelLeft(p->keyItem, p->left, positions), p->top, p->width, p->height);
    });
    picture->rebuild();
    picture->show();
    applyState();
}

void AlignSetForm::applyState() {
    ui->alignStartButton->setVisible(!mCalibrating);
    ui->alignSaveButton->setVisible(mCalibrating);
    ui->describeLabel->setVisible(mCalibrating);
    if (mKeyboardWidget) mKeyboardWidget->update();
}

void AlignSetForm::invertState() {
    mCalibrating = !mCalibrating;
    applyState();
}

// ------------------------------------------------------------ start and save

void AlignSetForm::on_alignStartButton_clicked() {
    UsbCommunicateUtil* e = engine();
    if (!e) return;
    mSavePending = false;
    e->getCalibrationState(source(), true);
    mCalibrating = true;
    applyState();
}

void AlignSetForm::on_alignSaveButton_clicked() {
    UsbCommunicateUtil* e = engine();
    if (!e) return;
    // The answer to this stop triggers the save (see the switch answer).
    mSavePending = true;
    e->setReportCalibration(source(), true, 0);
    mCalibrating = false;
    applyState();
}

void AlignSetForm::sendStop() {
    if (UsbCommunicateUtil* e = engine()) e->setReportCalibration(source(), true, 0);
}

void AlignSetForm::endCalibration() {
    // A save on its way (stop sent, or the pause before the save command)
    // goes with it, and the user hears that it did not happen.
    const bool saving = mSavePending || mSaveTimer->isActive();
    mSaveTimer->stop();
    mSavePending = false;
    if (saving) toast(tr("保存校准失败"));
    if (!mCalibrating) return;
    mCalibrating = false;
    applyState();
}

void AlignSetForm::leaveCalibration(bool tellKeyboard) {
    // A save already under way goes on: it is what the user asked for.
    if (!mCalibrating) return;
    mCalibrating = false;
    mSavePending = false;
    applyState();
    if (tellKeyboard) sendStop();
}

void AlignSetForm::leave() {
    leaveCalibration(true);
}

void AlignSetForm::on_openAdcButton_clicked() {}

void AlignSetForm::on_closeAdcButton_clicked() {}

// ------------------------------------------------------------ answers

void AlignSetForm::usb_receive_get_calibration_state(uchar source, int current, int total,
                                                     QMap<uchar, uchar> keyboardCalibrationMap) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    if (!acceptSource(source, "usb_receive_get_calibration_state")) return;
    if (!mKeyboardWidget) {
        qInfo().noquote() << QStringLiteral(
            "=== AlignSetForm usb_receive_get_calibration_state mkeyboardWidget is nullptr ===");
        return;
    }
    for (auto it = keyboardCalibrationMap.cbegin(); it != keyboardCalibrationMap.cend(); ++it) {
        if (QAdjustKeyLabel* label = mLabelByKey.value(it.key()))
            label->setStatus(it.value() != 0 ? QAdjustKeyLabel::Passed
                                             : QAdjustKeyLabel::NotPassed);
    }
    mKeyboardWidget->update();
    if (UsbCommunicateUtil* e = engine()) e->setReportCalibration(this->source(), false, 1);
}

void AlignSetForm::usb_receive_report_calibration_switch(uchar source, int current, int total,
                                                         uchar result) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    if (!acceptSource(source, "usb_receive_report_calibration_switch")) return;
    if (result != 0) {
        mSavePending = false;
        toast(tr("打开校准失败"));
        invertState();
        return;
    }
    if (!mCalibrating && mSavePending) {
        mSavePending = false;
        mSaveTimer->start();
    }
}

void AlignSetForm::usb_receive_report_calibration(
    uchar source, int current, int total,
    QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> keyboardAlignList) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    if (!acceptSource(source, "usb_receive_report_calibration")) return;
    if (!mKeyboardWidget) {
        qInfo().noquote() << QStringLiteral(
            "=== AlignSetForm usb_receive_report_calibration mkeyboardWidget is nullptr ===");
        return;
    }
    const int full = maxTravel();
    // The first entry of a key counts. Labels only store what changed; the
    // picture then repaints once over the keys that look different, instead
    // of every label asking for its own repaint.
    bool seen[256] = {};
    QRect dirty;
    for (const QSharedPointer<KEYBOARD_ALIGN_INFO>& entry : keyboardAlignList) {
        if (!entry || seen[entry->keyItem]) continue;
        seen[entry->keyItem] = true;
        QAdjustKeyLabel* label = mLabelByKey.value(entry->keyItem);
        if (!label) continue;
        const quint8 status =
            entry->value >= full ? quint8(QAdjustKeyLabel::Passed) : label->status();
        if (label->takeTravel(entry->value, status)) dirty |= label->geometry();
    }
    if (!dirty.isNull()) mKeyboardWidget->update(dirty);
}

void AlignSetForm::usb_receive_save_calibration(uchar source, int current, int total) {
    Q_UNUSED(current)
    Q_UNUSED(total)
    acceptSource(source, "usb_receive_save_calibration");
}

void AlignSetForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
    if (source != this->source()) return;
    using namespace UsbProtocol;
    if (order == answerOf(GetCalibrationState)) {
        // The keyboard never entered calibration mode.
        endCalibration();
        toast(tr("打开校准失败"));
        return;
    }
    if (order == answerOf(SaveCalibration)) {
        toast(tr("保存校准失败"));
        return;
    }
    if (order != answerOf(SetReportCalibration)) return;
    // A switch cut off by the next command was written all the same (most
    // often the start, cut off by the stop of a save): nothing to undo.
    if (error == ErrorSuperseded) return;
    const UsbCommunicateUtil* e = engine();
    if (error == ErrorLinkClosed || !e || !e->isConnected()) {
        // No keyboard to be calibrating any more.
        endCalibration();
        return;
    }
    // The keyboard did not take the switch: it stays as it was.
    mSavePending = false;
    invertState();
}
