#include "jobs/backuprestore.h"

#include <QDebug>

#include "jobs/profileapply.h"
#include "jobs/profileplan.h"
#include "jobs/syncconfigutil.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"

BackupRestore::BackupRestore(UsbCommunicateUtil* engine, KeyboardConfigUtil* model,
                             const BackupStore::Backup& backup, const QList<Profile>& profiles,
                             QObject* parent)
    : QObject(parent), mEngine(engine), mModel(model), mBackup(backup), mProfiles(profiles) {
    mQueue = new RequestQueue(engine, Source, this);
    mQueue->setWatchdogMs(kTableAnswerMs + 2000);
}

BackupRestore::~BackupRestore() {
    delete mSync.data();
    delete mApply.data();
}

void BackupRestore::start() {
    if (!mEngine || !mModel || !mModel->keyboardProductInfo) return end(false, -200);
    // Checked before the first command: a profile of another keyboard would
    // land on other keys.
    if (mBackup.product != mModel->keyboardProductInfo->serialNumber ||
        mBackup.entries.size() != mProfiles.size())
        return end(false, ErrorOtherProduct);
    for (const Profile& p : std::as_const(mProfiles))
        if (p.product != mBackup.product) return end(false, ErrorOtherProduct);
    qInfo().noquote() << QStringLiteral("=== BackupRestore 开始 backup={%1};profiles={%2} ===")
                             .arg(mBackup.id)
                             .arg(mProfiles.size());
    emit progress(0);
    // Which tables the keyboard holds and their names decide what is added
    // and renamed: read them now, not from what the model last saw.
    sync([this] { restoreNext(); });
}

bool BackupRestore::hasTable(int table, QString* name) const {
    for (const ConfigTableEntryPtr& t : std::as_const(mModel->keyboardConfigList))
        if (t && t->index == table) {
            if (name) *name = t->configName;
            return true;
        }
    return false;
}

void BackupRestore::restoreNext() {
    if (mEnded) return;
    if (mNext >= mProfiles.size()) {
        auto finish = [this] {
            end(mNotRestored.isEmpty(), mNotRestored.isEmpty() ? 0 : int(ErrorIncomplete));
        };
        if (!hasTable(mBackup.active, nullptr) || mModel->keyboardConfigIndex == mBackup.active)
            return finish();
        const int table = mBackup.active;
        return send(
            UsbProtocol::answerOf(UsbProtocol::SwitchConfigTable),
            [table](UsbCommunicateUtil& e) { e.switchConfigTable(Source, true, uchar(table)); },
            [this, finish] { sync(finish); });
    }
    const BackupStore::Entry entry = mBackup.entries.at(mNext);
    const Profile profile = mProfiles.at(mNext);
    const int table = entry.table;
    auto skip = [this, entry] {
        mNotRestored << entry.name;
        ++mNext;
        restoreNext();
    };
    auto write = [this, entry, profile, table, skip] {
        QString name;
        if (mModel->keyboardConfigIndex != table || !hasTable(table, &name) || name != entry.name)
            return skip();
        ProfilePlan plan;
        ProfileJson::Error error;
        if (!ProfilePlan::build(profile, *mModel, profile.sections, &plan, &error)) {
            qInfo().noquote() << QStringLiteral("=== BackupRestore 无法写入 %1: %2 ===")
                                     .arg(entry.name, error.englishText());
            return skip();
        }
        mApply = new ProfileApply(mEngine, mModel, plan, this);
        connect(mApply.data(), &ProfileApply::finished, this,
                [this, entry, skip](bool ok, int code) {
                    mApply->deleteLater();
                    if (ok) {
                        mRestored << entry.name;
                        ++mNext;
                        emit progress(mNext * 100 / int(mProfiles.size() + 1));
                        return restoreNext();
                    }
                    if (code == ProfileApply::ErrorMismatch) return skip();
                    mStoppedAt = entry.name;
                    end(false, code);
                });
        mApply->start();
    };
    auto activate = [this, table, write] {
        if (mModel->keyboardConfigIndex == table) return sync(write);
        send(
            UsbProtocol::answerOf(UsbProtocol::SwitchConfigTable),
            [table](UsbCommunicateUtil& e) { e.switchConfigTable(Source, true, uchar(table)); },
            [this, write] { sync(write); });
    };
    auto rename = [this, entry, table, activate] {
        QString name;
        if (!hasTable(table, &name)) {
            // The keyboard holds no more tables: this profile stays out.
            mNotRestored << entry.name;
            ++mNext;
            return restoreNext();
        }
        if (name == entry.name) return activate();
        const QString wanted = entry.name;
        send(
            UsbProtocol::answerOf(UsbProtocol::SetConfigInfo),
            [table, wanted](UsbCommunicateUtil& e) {
                e.setConfigInfo(Source, false, uchar(table), wanted);
            },
            activate);
    };
    if (hasTable(table, nullptr)) return rename();
    send(
        UsbProtocol::answerOf(UsbProtocol::AddConfigTable),
        [table](UsbCommunicateUtil& e) { e.addConfigTable(Source, false, uchar(table)); },
        [this, rename] { sync(rename); });
}

void BackupRestore::send(uchar answer, const std::function<void(UsbCommunicateUtil&)>& command,
                         const std::function<void()>& then) {
    QPointer<UsbCommunicateUtil> engine = mEngine;
    mQueue->enqueue(
        answer,
        [engine, command] {
            if (!engine) return false;
            command(*engine);
            return true;
        },
        [this, then](bool ok, int error) {
            if (!ok) {
                mStoppedAt =
                    mNext < mBackup.entries.size() ? mBackup.entries.at(mNext).name : QString();
                return end(false, error);
            }
            then();
        });
}

void BackupRestore::sync(const std::function<void()>& then) {
    mSync = SyncConfigUtil::readTables(mEngine, mModel, this, [this, then](bool ok, int error) {
        mSync = nullptr;
        if (!ok) {
            mStoppedAt =
                mNext < mBackup.entries.size() ? mBackup.entries.at(mNext).name : QString();
            return end(false, error);
        }
        then();
    });
}

void BackupRestore::end(bool ok, int error) {
    if (mEnded) return;
    mEnded = true;
    mQueue->clear();
    if (ok) emit progress(100);
    qInfo().noquote() << QStringLiteral(
                             "=== BackupRestore 结束 ok={%1};error={%2};restored={%3};not={%4} ===")
                             .arg(ok)
                             .arg(error)
                             .arg(mRestored.join(QLatin1Char(',')))
                             .arg(mNotRestored.join(QLatin1Char(',')));
    emit finished(ok, error);
}
