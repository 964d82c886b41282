#include "ui/pages/highkey/qpairadddialog.h"

#include "ui_qpairadddialog.h"

QPairAddDialog::QPairAddDialog(quint8 kind, quint8 item, quint8 firstKey, QWidget* parent)
    : QHighKeyDialog(item, newPairRecord(kind, firstKey), parent),
      ui(std::make_unique<Ui::QPairAddDialog>()) {
    ui->setupUi(this);
    const bool rs = kind == kRs;
    ui->titleLabel->setText(rs ? tr("RS监控") : tr("OKS监控"));
    ui->describeLabel->setText(rs ? tr("RS监控2个选定的键，两个键同时按下时，按得更深的键生效。")
                                  : tr("OKS监控2个选定的键，松开其中一个键时，另一个键生效。"));
    setupCommon(ui->delBtn);
    setupPair(ui->key1Label, ui->key2Label, ui->pictureWidget);
    ui->key1Label->setAccessibleName(ui->key1TitleLabel->text());
    ui->key2Label->setAccessibleName(ui->key2TitleLabel->text());
}

QPairAddDialog::~QPairAddDialog() = default;
