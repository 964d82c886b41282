#include "ui/pages/highkey/qoksadddialog.h"

#include "ui_qoksadddialog.h"

QOksAddDialog::QOksAddDialog(quint8 item, quint8 firstKey, QWidget* parent)
    : QHighKeyDialog(item, newPairRecord(kKind, firstKey), parent),
      ui(std::make_unique<Ui::QOksAddDialog>()) {
    ui->setupUi(this);
    setupCommon(ui->delBtn);
    setupPair(ui->key1Label, ui->key2Label, ui->pictureWidget);
}

QOksAddDialog::~QOksAddDialog() = default;
