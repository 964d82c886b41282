#include "jobs/firmwarebackup.h"

#include <QDebug>

#include "jobs/syncconfigutil.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "model/profilejson.h"
#include "protocol/firmwarefile.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"

FirmwareBackup::FirmwareBackup(UsbCommunicateUtil* engine, KeyboardConfigUtil* model,
                               BackupStore* store, QObject* parent)
    : QObject(parent), mEngine(engine), mModel(model), mStore(store) {
    mQueue = new RequestQueue(engine, Source, this);
}

FirmwareBackup::~FirmwareBackup() {
    delete mSync.data();
}

void FirmwareBackup::backUp(bool automatic) {
    mComparing = false;
    mAutomatic = automatic;
    begin();
}

void FirmwareBackup::compare(const BackupStore::Backup& backup, const QList<Profile>& profiles) {
    mComparing = true;
    mExpectedBackup = backup;
    mExpected = profiles;
    begin();
}

void FirmwareBackup::begin() {
    if (!mEngine || !mModel || !mModel->keyboardProductInfo || mModel->keyboardConfigList.isEmpty())
        return end(false, ErrorNoKeyboard);
    mActive = mModel->keyboardConfigIndex;
    // The active table first: when it is the only one nothing is switched.
    mTables = {mActive};
    for (const ConfigTableEntryPtr& t : std::as_const(mModel->keyboardConfigList))
        if (t && t->index != mActive) mTables.append(t->index);
    qInfo().noquote() << QStringLiteral("=== FirmwareBackup 开始 compare={%1};tables={%2} ===")
                             .arg(mComparing)
                             .arg(mTables.size());
    emit progress(0);
    readNext();
}

void FirmwareBackup::readNext() {
    if (mEnded) return;
    if (mNext >= mTables.size()) {
        if (mTables.size() == 1) return done();
        // Back to the table the user had; the model follows it.
        return switchTo(mActive, [this] { sync([this] { done(); }); });
    }
    const int table = mTables.at(mNext);
    auto collect = [this, table] {
        if (mModel->keyboardConfigIndex != table) return end(false, UsbProtocol::ErrorNoAnswer);
        mProfiles.append(ProfileJson::fromModel(*mModel));
        ++mNext;
        emit progress(mNext * 90 / int(mTables.size()));
        readNext();
    };
    if (mNext == 0)
        sync(collect);
    else
        switchTo(table, [this, collect] { sync(collect); });
}

void FirmwareBackup::switchTo(int table, const std::function<void()>& then) {
    QPointer<UsbCommunicateUtil> engine = mEngine;
    mQueue->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SwitchConfigTable),
        [engine, table] {
            if (!engine) return false;
            engine->switchConfigTable(Source, true, uchar(table));
            return true;
        },
        [this, then](bool ok, int error) {
            if (!ok) return end(false, error);
            then();
        });
}

void FirmwareBackup::sync(const std::function<void()>& then) {
    mSync = SyncConfigUtil::readTables(mEngine, mModel, this, [this, then](bool ok, int error) {
        mSync = nullptr;
        if (!ok) return end(false, error);
        then();
    });
}

void FirmwareBackup::done() {
    if (mComparing) {
        for (int i = 0; i < mExpected.size() && i < mExpectedBackup.entries.size(); ++i) {
            const BackupStore::Entry& e = mExpectedBackup.entries.at(i);
            const int at = int(mTables.indexOf(e.table));
            if (at < 0 ||
                ProfileJson::write(mProfiles.at(at)) != ProfileJson::write(mExpected.at(i)))
                mDiffering << e.name;
        }
        return end(true, 0);
    }
    mBackup = BackupStore::Backup();
    mBackup.product = mModel->keyboardProductInfo->serialNumber;
    mBackup.productName = mProfiles.first().productName;
    mBackup.firmware = FirmwareFile::formatVersion(quint16(mModel->keyboardProductInfo->version));
    mBackup.automatic = mAutomatic;
    mBackup.active = mActive;
    for (int i = 0; i < mTables.size(); ++i)
        mBackup.entries.append({mTables.at(i), mProfiles.at(i).name, QString(), QByteArray()});
    if (!mStore->write(&mBackup, mProfiles, &mStoreError)) {
        qInfo().noquote() << QStringLiteral("=== FirmwareBackup 写入失败 %1 ===").arg(mStoreError);
        return end(false, ErrorStore);
    }
    if (mAutomatic) mStore->prune(mBackup.product);
    end(true, 0);
}

void FirmwareBackup::end(bool ok, int error) {
    if (mEnded) return;
    mEnded = true;
    mQueue->clear();
    if (ok) emit progress(100);
    qInfo().noquote()
        << QStringLiteral("=== FirmwareBackup 结束 ok={%1};error={%2} ===").arg(ok).arg(error);
    emit finished(ok, error);
}
