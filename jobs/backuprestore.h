#pragma once
// Writes a backup's profiles back into the keyboard: per profile its table
// is added when the keyboard lacks it and named as it was, made active,
// written one change at a time and read back (ProfileApply); then the table
// that was active at the backup is made active again. A profile that reads
// back otherwise is named in notRestored() and the others go on; a lost
// keyboard stops the restore, and restored() says how far it came. A backup
// of another product is refused before anything is sent.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

#include "jobs/backupstore.h"

class KeyboardConfigUtil;
class ProfileApply;
class RequestQueue;
class SyncConfigUtil;
class UsbCommunicateUtil;

class BackupRestore : public QObject {
    Q_OBJECT
public:
    static constexpr uchar Source = 3;
    enum Error : int {
        ErrorOtherProduct = -72,  // the backup is of another keyboard; nothing sent
        ErrorIncomplete = -73,    // some profiles read back otherwise (notRestored())
        ErrorNoTable = -74,       // the keyboard did not add or name a table
    };
    // Adding and naming a table writes the keyboard's flash first.
    static constexpr int kTableAnswerMs = 10000;

    BackupRestore(UsbCommunicateUtil* engine, KeyboardConfigUtil* model,
                  const BackupStore::Backup& backup, const QList<Profile>& profiles,
                  QObject* parent = nullptr);
    ~BackupRestore() override;

    void start();

    const QStringList& restored() const { return mRestored; }
    const QStringList& notRestored() const { return mNotRestored; }
    // The profile being written when the restore stopped; empty otherwise.
    const QString& stoppedAt() const { return mStoppedAt; }

signals:
    void progress(int percent);
    // ok: every profile reads back as backed up. error: 0, the engine's
    // code, one of Error.
    void finished(bool ok, int error);

private:
    void restoreNext();
    void send(uchar answer, const std::function<void(UsbCommunicateUtil&)>& command,
              const std::function<void()>& then);
    void sync(const std::function<void()>& then);
    bool hasTable(int table, QString* name) const;
    void end(bool ok, int error);

    QPointer<UsbCommunicateUtil> mEngine;
    QPointer<KeyboardConfigUtil> mModel;
    BackupStore::Backup mBackup;
    QList<Profile> mProfiles;
    RequestQueue* mQueue;
    QPointer<SyncConfigUtil> mSync;
    QPointer<ProfileApply> mApply;
    int mNext = 0;
    bool mEnded = false;
    QStringList mRestored;
    QStringList mNotRestored;
    QString mStoppedAt;
};
