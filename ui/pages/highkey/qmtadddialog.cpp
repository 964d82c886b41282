#include "ui/pages/highkey/qmtadddialog.h"

#include "ui_qmtadddialog.h"

QMtAddDialog::QMtAddDialog(quint8 item, QWidget* parent)
    : QHighKeyDialog(item, newRecord(), parent), ui(std::make_unique<Ui::QMtAddDialog>()) {
    ui->setupUi(this);
    setupCommon(ui->delBtn);
    // Tap function: type, hValue, lValue; hold function: type, lValue, hValue.
    setupFunctionSlots({ui->clickLabel, ui->pressLabel},
                       {functionAt(&mRecord.data[4], false), functionAt(&mRecord.data[7], true)},
                       ui->pickerWidget);
    ui->clickLabel->setAccessibleName(ui->clickTitleLabel->text());
    ui->pressLabel->setAccessibleName(ui->pressTitleLabel->text());
    ui->timeTitleLabel->setBuddy(ui->timeSlider);
    ui->timeSlider->setRange(kMinHoldMs, kMaxHoldMs);
    connect(ui->timeSlider, &QSlider::valueChanged, this, &QMtAddDialog::showHoldTime);
    setHoldTime(mRecord.data[2] | (mRecord.data[3] << 8));
    showHoldTime(ui->timeSlider->value());
}

QMtAddDialog::~QMtAddDialog() = default;

HIGH_KEY_INFO QMtAddDialog::newRecord() {
    HIGH_KEY_INFO r;
    r.item = 255;
    r.attribute = 1;
    r.data[0] = 255;
    r.data[1] = 0xFF;
    r.data[2] = quint8(kNewHoldMs & 0xFF);
    r.data[3] = quint8(kNewHoldMs >> 8);
    for (int i = 4; i <= 9; ++i) r.data[i] = 0xFF;
    return r;
}

int QMtAddDialog::holdTime() const {
    return ui->timeSlider->value();
}

void QMtAddDialog::setHoldTime(int ms) {
    ui->timeSlider->setValue(ms);
}

void QMtAddDialog::showHoldTime(int ms) {
    ui->timeLabel->setText(QStringLiteral("%1ms").arg(ms));
}

bool QMtAddDialog::storeValues(HIGH_KEY_INFO& record) {
    const int ms = holdTime();
    record.data[2] = quint8(ms & 0xFF);
    record.data[3] = quint8(ms >> 8);
    putFunction(&record.data[4], mFunctions.value(0), false);
    putFunction(&record.data[7], mFunctions.value(1), true);
    return true;
}
