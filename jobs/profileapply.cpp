#include "jobs/profileapply.h"

#include <QDebug>

#include "jobs/syncconfigutil.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"

ProfileApply::ProfileApply(UsbCommunicateUtil* engine, KeyboardConfigUtil* model,
                           const ProfilePlan& plan, QObject* parent)
    : QObject(parent), mEngine(engine), mModel(model), mPlan(plan) {
    mQueue = new RequestQueue(engine, Source, this);
}

ProfileApply::~ProfileApply() {
    delete mSync.data();
}

void ProfileApply::start() {
    if (!mEngine || !mModel) return end(false, -200);
    mChanges = mPlan.changes(*mModel);
    qInfo().noquote()
        << QStringLiteral("=== ProfileApply 写入开始 changes={%1} ===").arg(mChanges.size());
    emit progress(0, total());
    sendNext();
}

void ProfileApply::verify() {
    if (!mEngine || !mModel) return end(false, -200);
    readBack();
}

void ProfileApply::cancel() {
    if (mEnded || mSync) return;
    mCancelled = true;
    // The change in flight still ends and is taken; then nothing more.
    if (!mQueue->busy()) end(false, ErrorCancelled);
}

void ProfileApply::sendNext() {
    if (mEnded) return;
    if (mCancelled) return end(false, ErrorCancelled);
    if (mDone >= mChanges.size()) return readBack();
    const ProfilePlan::Change change = mChanges.at(mDone);
    QPointer<UsbCommunicateUtil> engine = mEngine;
    mQueue->enqueue(
        change.answer,
        [engine, change] {
            if (!engine) return false;
            change.send(*engine, Source);
            return true;
        },
        [this, change](bool ok, int error) {
            if (!ok) return end(false, error);
            if (mModel) change.commit(*mModel);
            emit progress(++mDone, total());
            sendNext();
        });
}

void ProfileApply::readBack() {
    emit readingBack();
    // The whole configuration, committed to the model: afterwards the model
    // is what the keyboard holds, whatever the comparison says.
    mSync = new SyncConfigUtil(mEngine, mModel, 1, 1, 0, QString(), this);
    connect(
        mSync.data(), &SyncConfigUtil::sync_config_result, this, [this](bool status, int value) {
            if (status && value < 100) {
                emit readProgress(value);
                return;
            }
            mSync->deleteLater();
            mSync = nullptr;
            if (!status) return end(false, value);
            mDifferences = mPlan.differences(*mModel);
            for (const ProfilePlan::Difference& d : std::as_const(mDifferences))
                qInfo().noquote()
                    << QStringLiteral("=== ProfileApply 回读不一致 %1 ===").arg(d.englishText());
            end(mDifferences.isEmpty(), mDifferences.isEmpty() ? 0 : int(ErrorMismatch));
        });
}

void ProfileApply::end(bool ok, int error) {
    if (mEnded) return;
    mEnded = true;
    mQueue->clear();
    qInfo().noquote()
        << QStringLiteral("=== ProfileApply 结束 ok={%1};error={%2} ===").arg(ok).arg(error);
    emit finished(ok, error);
}
