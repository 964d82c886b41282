#pragma once
// The backups card of the other page: this keyboard's backups (date,
// firmware version, number of profiles, automatic or manual; a damaged one
// says so and cannot be restored) with Back up now, Restore and Delete. It
// only shows and asks; the other page runs the jobs.

#include <QFrame>
#include <memory>

#include "jobs/backupstore.h"

namespace Ui {
class BackupListForm;
}

class BackupListForm : public QFrame {
    Q_OBJECT
public:
    explicit BackupListForm(QWidget* parent = nullptr);
    ~BackupListForm() override;

    // Lists the backups of `product` (0: no keyboard, an empty list).
    void refresh(int product);
    void retranslate();
    // Buttons off while a job runs.
    void setBusy(bool busy);

    QString selectedId() const;
    // Selects the backup `id` (tests, and the one just made).
    void select(const QString& id);
    const QList<BackupStore::Backup>& backups() const { return mBackups; }

signals:
    void backUpRequested();
    void restoreRequested(const QString& id);
    void deleteRequested(const QString& id);

private:
    void updateButtons();
    const BackupStore::Backup* selected() const;

    std::unique_ptr<Ui::BackupListForm> ui;
    QList<BackupStore::Backup> mBackups;
    int mProduct = 0;
    bool mBusy = false;
};
