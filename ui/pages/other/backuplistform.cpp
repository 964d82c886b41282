#include "ui/pages/other/backuplistform.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

#include "ui_backuplistform.h"

BackupListForm::BackupListForm(QWidget* parent)
    : QFrame(parent), ui(std::make_unique<Ui::BackupListForm>()) {
    ui->setupUi(this);
    ui->backupList->header()->setStretchLastSection(true);
    connect(ui->backupNowBtn, &QPushButton::clicked, this, &BackupListForm::backUpRequested);
    connect(ui->restoreBackupBtn, &QPushButton::clicked, this, [this] {
        if (const BackupStore::Backup* b = selected(); b && !b->isDamaged())
            emit restoreRequested(b->id);
    });
    connect(ui->deleteBackupBtn, &QPushButton::clicked, this, [this] {
        if (const BackupStore::Backup* b = selected()) emit deleteRequested(b->id);
    });
    connect(ui->backupList, &QTreeWidget::currentItemChanged, this, &BackupListForm::updateButtons);
    // Enter on a row restores it, as the button does.
    connect(ui->backupList, &QTreeWidget::itemActivated, ui->restoreBackupBtn, &QPushButton::click);
    updateButtons();
}

BackupListForm::~BackupListForm() = default;

void BackupListForm::retranslate() {
    ui->retranslateUi(this);
    refresh(mProduct);
}

void BackupListForm::refresh(int product) {
    const QString keep = selectedId();
    mProduct = product;
    mBackups = product ? BackupStore().list(product) : QList<BackupStore::Backup>();
    ui->backupList->clear();
    for (const BackupStore::Backup& b : std::as_const(mBackups)) {
        auto* item = new QTreeWidgetItem(ui->backupList);
        item->setData(0, Qt::UserRole, b.id);
        if (b.isDamaged()) {
            item->setText(0, b.id);
            item->setText(3, tr("已损坏"));
            item->setToolTip(3, b.damage);
            item->setForeground(3, QColor(0xf5, 0x3f, 0x3f));
            continue;
        }
        item->setText(0, QLocale().toString(b.created, QLocale::ShortFormat));
        item->setText(1, QStringLiteral("V") + b.firmware);
        item->setText(2, QString::number(b.entries.size()));
        item->setText(3, b.automatic ? tr("自动") : tr("手动"));
        item->setText(4, b.names().join(QStringLiteral(", ")));
    }
    for (int c = 0; c < 4; ++c) ui->backupList->resizeColumnToContents(c);
    select(keep);
    if (!ui->backupList->currentItem() && ui->backupList->topLevelItemCount() > 0)
        ui->backupList->setCurrentItem(ui->backupList->topLevelItem(0));
    ui->backupNowBtn->setEnabled(!mBusy && product != 0);
    updateButtons();
}

void BackupListForm::setBusy(bool busy) {
    mBusy = busy;
    ui->backupNowBtn->setEnabled(!busy && mProduct != 0);
    updateButtons();
}

QString BackupListForm::selectedId() const {
    const QTreeWidgetItem* item = ui->backupList->currentItem();
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

void BackupListForm::select(const QString& id) {
    for (int i = 0; i < ui->backupList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ui->backupList->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toString() == id) {
            ui->backupList->setCurrentItem(item);
            return;
        }
    }
}

const BackupStore::Backup* BackupListForm::selected() const {
    const QString id = selectedId();
    for (const BackupStore::Backup& b : mBackups)
        if (b.id == id) return &b;
    return nullptr;
}

void BackupListForm::updateButtons() {
    const BackupStore::Backup* b = selected();
    ui->restoreBackupBtn->setEnabled(!mBusy && b && !b->isDamaged());
    ui->deleteBackupBtn->setEnabled(!mBusy && b);
}
