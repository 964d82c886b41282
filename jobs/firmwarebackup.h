#pragma once
// Reads every on-keyboard profile (each table in turn made active and read
// whole, then the table that was active made so again) and either writes
// them as a backup into a BackupStore, read back and checked, or compares
// them with a backup (after a firmware transfer: did the keyboard keep its
// settings?). The model is what the keyboard holds once it ends; the
// caller's model must hold a synced keyboard with its product.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "jobs/backupstore.h"

class KeyboardConfigUtil;
class RequestQueue;
class SyncConfigUtil;
class UsbCommunicateUtil;

class FirmwareBackup : public QObject {
    Q_OBJECT
public:
    static constexpr uchar Source = 3;  // the import's: one profile job at a time
    enum Error : int {
        ErrorNoKeyboard = -70,  // no product, no profiles: nothing to read
        ErrorStore = -71,       // the backup cannot be written or does not read back
    };

    FirmwareBackup(UsbCommunicateUtil* engine, KeyboardConfigUtil* model, BackupStore* store,
                   QObject* parent = nullptr);
    ~FirmwareBackup() override;

    // Reads every profile and writes a backup; automatic ones are pruned to
    // the newest BackupStore::KeepAutomatic.
    void backUp(bool automatic);
    // Reads every profile and compares with `backup` (as loaded).
    void compare(const BackupStore::Backup& backup, const QList<Profile>& profiles);

    const BackupStore::Backup& backup() const { return mBackup; }
    const QList<Profile>& profiles() const { return mProfiles; }
    // compare(): names of backed-up profiles the keyboard holds otherwise or
    // no longer has.
    const QStringList& differing() const { return mDiffering; }
    // ErrorStore: why, in English (the store's words).
    const QString& storeError() const { return mStoreError; }

signals:
    void progress(int percent);
    // ok: written (backUp) or compared (compare; see differing()).
    void finished(bool ok, int error);

private:
    void begin();
    void readNext();
    void switchTo(int table, const std::function<void()>& then);
    void sync(const std::function<void()>& then);
    void done();
    void end(bool ok, int error);

    QPointer<UsbCommunicateUtil> mEngine;
    QPointer<KeyboardConfigUtil> mModel;
    BackupStore* mStore;
    RequestQueue* mQueue;
    QPointer<SyncConfigUtil> mSync;
    bool mComparing = false;
    bool mAutomatic = false;
    bool mEnded = false;
    QList<int> mTables;
    int mActive = 0;
    int mNext = 0;
    BackupStore::Backup mBackup;
    QList<Profile> mProfiles;
    QList<Profile> mExpected;
    BackupStore::Backup mExpectedBackup;
    QStringList mDiffering;
    QString mStoreError;
};
