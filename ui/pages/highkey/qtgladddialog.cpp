#include "ui/pages/highkey/qtgladddialog.h"

#include "ui_qtgladddialog.h"

QTglAddDialog::QTglAddDialog(quint8 item, QWidget* parent)
    : QHighKeyDialog(item, newRecord(), parent), ui(std::make_unique<Ui::QTglAddDialog>()) {
    ui->setupUi(this);
    setupCommon(ui->delBtn);
    setupFunctionSlots({ui->triggerLabel}, {functionAt(&mRecord.data[1], true)}, ui->pickerWidget);
    ui->triggerLabel->setAccessibleName(ui->triggerTitleLabel->text());
}

QTglAddDialog::~QTglAddDialog() = default;

HIGH_KEY_INFO QTglAddDialog::newRecord() {
    HIGH_KEY_INFO r;
    r.item = 255;
    r.attribute = 0;
    r.data[0] = 255;
    r.data[1] = r.data[2] = r.data[3] = 0xFF;
    return r;
}

bool QTglAddDialog::storeValues(HIGH_KEY_INFO& record) {
    putFunction(&record.data[1], mFunctions.value(0), true);
    return true;
}
