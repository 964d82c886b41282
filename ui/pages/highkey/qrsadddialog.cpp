#include "ui/pages/highkey/qrsadddialog.h"

#include "ui_qrsadddialog.h"

QRsAddDialog::QRsAddDialog(quint8 item, quint8 firstKey, QWidget* parent)
    : QHighKeyDialog(item, newPairRecord(kKind, firstKey), parent),
      ui(std::make_unique<Ui::QRsAddDialog>()) {
    ui->setupUi(this);
    setupCommon(ui->delBtn);
    setupPair(ui->key1Label, ui->key2Label, ui->pictureWidget);
}

QRsAddDialog::~QRsAddDialog() = default;
