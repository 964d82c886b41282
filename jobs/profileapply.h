#pragma once
// Writes a plan into the keyboard one change at a time (each confirmed
// change is taken into the model), then reads the whole configuration back
// and compares the written sections with what was meant. Success only when
// they are equal; otherwise `differences` names every value the keyboard
// holds otherwise. A plan with no changes only reads back (the check after
// a configuration file import).

#include <QList>
#include <QPointer>

#include "jobs/profileplan.h"

class KeyboardConfigUtil;
class RequestQueue;
class SyncConfigUtil;
class UsbCommunicateUtil;

class ProfileApply : public QObject {
    Q_OBJECT
public:
    static constexpr uchar Source = 3;  // the import's
    enum Error : int {
        ErrorCancelled = -60,
        ErrorMismatch = -61,  // written, but the keyboard holds other values
    };

    ProfileApply(UsbCommunicateUtil* engine, KeyboardConfigUtil* model, const ProfilePlan& plan,
                 QObject* parent = nullptr);
    ~ProfileApply() override;

    // Sends the plan's changes, then reads back.
    void start();
    // Only reads back and compares.
    void verify();
    // Stops after the change in flight; what the keyboard confirmed stays.
    void cancel();

    int total() const { return int(mChanges.size()); }
    const QList<ProfilePlan::Difference>& differences() const { return mDifferences; }

signals:
    // done of total changes confirmed.
    void progress(int done, int total);
    // The writes are done; the read-back begins.
    void readingBack();
    // The read-back moves on (0..99).
    void readProgress(int value);
    // ok: every written value reads back as meant. error: 0, the engine's
    // code, ErrorCancelled or ErrorMismatch.
    void finished(bool ok, int error);

private:
    void sendNext();
    void readBack();
    void end(bool ok, int error);

    QPointer<UsbCommunicateUtil> mEngine;
    QPointer<KeyboardConfigUtil> mModel;
    ProfilePlan mPlan;
    QList<ProfilePlan::Change> mChanges;
    QList<ProfilePlan::Difference> mDifferences;
    RequestQueue* mQueue = nullptr;
    QPointer<SyncConfigUtil> mSync;
    int mDone = 0;
    bool mCancelled = false;
    bool mEnded = false;
};
