#include "ui/pages/highkey/qsocdadddialog.h"

#include "services/tooltiputil.h"
#include "ui_qsocdadddialog.h"

QSocdAddDialog::QSocdAddDialog(quint8 item, quint8 firstKey, QWidget* parent)
    : QHighKeyDialog(item, newPairRecord(kKind, firstKey), parent),
      ui(std::make_unique<Ui::QSocdAddDialog>()) {
    ui->setupUi(this);
    setupCommon(ui->delBtn);
    setupPair(ui->key1Label, ui->key2Label, ui->pictureWidget);
    ui->key1Label->setAccessibleName(ui->key1TitleLabel->text());
    ui->key2Label->setAccessibleName(ui->key2TitleLabel->text());
    if (const ToolTipUtil* tips = ToolTipUtil::instance()) {
        tips->setToolTip(ui->lastRadio, QStringLiteral("QSocdAddDialog/lastRadio"));
        tips->setToolTip(ui->oneRadio, QStringLiteral("QSocdAddDialog/oneRadio"));
        tips->setToolTip(ui->twoRadio, QStringLiteral("QSocdAddDialog/twoRadio"));
        tips->setToolTip(ui->cancelRadio, QStringLiteral("QSocdAddDialog/cancelRadio"));
    }
    setRule(mRecord.data[2]);
}

QSocdAddDialog::~QSocdAddDialog() = default;

QList<QRadioButton*> QSocdAddDialog::radios() const {
    return {ui->lastRadio, ui->oneRadio, ui->twoRadio, ui->cancelRadio};
}

int QSocdAddDialog::rule() const {
    const QList<QRadioButton*> buttons = radios();
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked()) return i;
    return 0;
}

void QSocdAddDialog::setRule(int rule) {
    // An unknown rule reads as the first one.
    const QList<QRadioButton*> buttons = radios();
    buttons.value(rule >= 0 && rule < buttons.size() ? rule : 0)->setChecked(true);
}

bool QSocdAddDialog::storeValues(HIGH_KEY_INFO& record) {
    if (!storePair(record)) return false;
    record.data[2] = quint8(rule());
    return true;
}
