#include "ui/pages/highkey/qdksadddialog.h"

#include <QPixmap>

#include "services/systemconfigutil.h"
#include "ui/pages/highkey/qdkslabel.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui_qdksadddialog.h"

QDksAddDialog::QDksAddDialog(quint8 item, QWidget* parent)
    : QHighKeyDialog(item, newRecord(), parent), ui(std::make_unique<Ui::QDksAddDialog>()) {
    ui->setupUi(this);
    setupCommon(ui->delBtn);
    QList<Function> functions;
    for (int row = 0; row < kRows; ++row)
        functions.append(functionAt(&mRecord.data[2 + 4 * row], true));
    setupFunctionSlots({ui->oneLabel, ui->twoLabel, ui->threeLabel, ui->fourLabel}, functions,
                       ui->pickerWidget);

    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const QString folder = config ? config->imageFolder() : SystemConfigUtil::imageFolder(0);
    const QStringList icons = {QStringLiteral("dks_down1.png"), QStringLiteral("dks_down2.png"),
                               QStringLiteral("dks_up1.png"), QStringLiteral("dks_up2.png")};
    QLabel* iconLabels[] = {ui->down1Icon, ui->down2Icon, ui->up1Icon, ui->up2Icon};
    for (int c = 0; c < kEvents; ++c) {
        iconLabels[c]->setPixmap(QPixmap(folder + icons[c]));
        iconLabels[c]->setAccessibleName(QDKSLabel::eventName(c));
    }

    for (int row = 0; row < kRows; ++row) {
        const quint8 mask = mRecord.data[1 + 4 * row];
        for (int column = 0; column < kEvents; ++column) {
            auto* cell = new QDKSLabel(row, column, this);
            cell->setSelected(mask & (1 << column));
            ui->dksGridLayout->addWidget(cell, row + 2, column + 1);
            connect(cell, &QDKSLabel::toggled, this, &QDksAddDialog::cellToggled);
            mCells.append(cell);
        }
    }
    // Each function, then its four stages, row by row; then the picker.
    const QList<QLabel*> slotLabels = {ui->oneLabel, ui->twoLabel, ui->threeLabel, ui->fourLabel};
    QWidget* previous = nullptr;
    for (int row = 0; row < kRows; ++row) {
        if (previous) setTabOrder(previous, slotLabels[row]);
        previous = slotLabels[row];
        for (int column = 0; column < kEvents; ++column) {
            setTabOrder(previous, cell(row, column));
            previous = cell(row, column);
        }
    }
    setTabOrder(previous, picker());
    orderTabs(picker());
}

QDksAddDialog::~QDksAddDialog() = default;

HIGH_KEY_INFO QDksAddDialog::newRecord() {
    HIGH_KEY_INFO r;
    r.item = 255;
    r.attribute = 2;
    r.data[0] = 255;
    for (int row = 0; row < kRows; ++row) {
        r.data[1 + 4 * row] = 0;
        r.data[2 + 4 * row] = r.data[3 + 4 * row] = r.data[4 + 4 * row] = 0xFF;
    }
    return r;
}

QDKSLabel* QDksAddDialog::cell(int row, int column) const {
    if (row < 0 || row >= kRows || column < 0 || column >= kEvents) return nullptr;
    return mCells.value(row * kEvents + column);
}

quint8 QDksAddDialog::rowMask(int row) const {
    quint8 mask = 0;
    for (int column = 0; column < kEvents; ++column)
        if (const QDKSLabel* c = cell(row, column); c && c->isSelected())
            mask |= quint8(1 << column);
    return mask;
}

void QDksAddDialog::cellToggled(int row, int, bool selected) {
    // Switching a stage on is choosing that row's function next.
    if (selected && selectedSlot() != row) selectSlot(row);
}

bool QDksAddDialog::storeValues(HIGH_KEY_INFO& record) {
    for (int row = 0; row < kRows; ++row) {
        record.data[1 + 4 * row] = rowMask(row);
        putFunction(&record.data[2 + 4 * row], mFunctions.value(row), true);
    }
    return true;
}
