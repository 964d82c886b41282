// Backing up every profile of a keyboard, seeing that a firmware reset lost
// them and writing them back: the whole road on a simulated keyboard, and a
// keyboard that goes away midway or a backup of another product.
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#include "jobs/backuprestore.h"
#include "jobs/backupstore.h"
#include "jobs/firmwarebackup.h"
#include "model/profilejson.h"
#include "support/configfilerig.h"

namespace {

using testsupport::KeyboardRig;

struct Ending {
    bool ended = false, ok = false;
    int error = 0;
};

// Runs a job to its finished(); `during` runs at its first progress above 0.
template <typename Job>
Ending finish(Job& job, const std::function<void()>& start,
              const std::function<void()>& during = {}) {
    Ending e;
    QEventLoop loop;
    bool fired = false;
    QObject::connect(&job, &Job::progress, &loop, [&](int percent) {
        if (during && percent > 0 && !fired) {
            fired = true;
            during();
        }
    });
    QObject::connect(&job, &Job::finished, &loop, [&](bool ok, int error) {
        e = {true, ok, error};
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    start();
    if (!e.ended) loop.exec();
    return e;
}

// Every table of the simulated keyboard, names included.
QByteArray tables(const SimKeyboardState& s) {
    QJsonObject o = s.toJson();
    QJsonObject keep;
    keep.insert(QStringLiteral("profiles"), o.value(QStringLiteral("profiles")));
    keep.insert(QStringLiteral("active"), int(s.configIndex));
    return QJsonDocument(keep).toJson();
}

// Personal settings in every table, so that a factory reset shows.
void personalise(SimKeyboardState& s) {
    for (int i = 0; i < s.profiles.size(); ++i) {
        SimProfile& p = s.profiles[i];
        p.name = QStringLiteral("Mine %1").arg(i);
        p.layers[0][17] = {1, 0, quint8(0x68 + i)};
        p.lights[17] = {2, quint8(10 * i), 20, 30};
        p.triggers[17] = {quint16(150 + i), true, true, 20, 25};
        p.macros[4] = {{1, 1, 4, 0, 25}, {1, 0, 4, 0, 5}};
    }
    s.configIndex = s.profiles.at(1).index;
}

}  // namespace

class TestFirmwareBackup : public QObject {
    Q_OBJECT
private slots:
    void backupResetCompareRestore();
    void unpluggedDuringBackupLeavesNoBackup();
    void unpluggedDuringRestoreSaysHowFar();
    void otherProductIsRefusedBeforeSending();
};

void TestFirmwareBackup::backupResetCompareRestore() {
    KeyboardRig rig;
    personalise(rig.state());
    QVERIFY(rig.openSyncAndLoad());
    const QByteArray mine = tables(rig.state());
    QTemporaryDir root;
    BackupStore store(root.path());

    FirmwareBackup backup(rig.engine.data(), rig.model.data(), &store);
    Ending e = finish(backup, [&] { backup.backUp(true); });
    QVERIFY(e.ok);
    QCOMPARE(backup.backup().entries.size(), rig.state().profiles.size());
    QCOMPARE(backup.backup().entries.first().name, QStringLiteral("Mine 1"));  // the active one
    QVERIFY(backup.backup().automatic);
    // Reading every table left the user on the one they had.
    QCOMPARE(int(rig.state().configIndex), int(rig.state().profiles.at(1).index));
    QCOMPARE(int(rig.model->keyboardConfigIndex), int(rig.state().configIndex));
    QCOMPARE(tables(rig.state()), mine);

    // Unchanged keyboard: equal.
    BackupStore::Backup loaded;
    QList<Profile> profiles;
    QString why;
    QVERIFY(store.load(backup.backup().product, backup.backup().id, &loaded, &profiles, &why));
    FirmwareBackup same(rig.engine.data(), rig.model.data(), &store);
    QVERIFY(finish(same, [&] { same.compare(loaded, profiles); }).ok);
    QCOMPARE(same.differing(), QStringList());

    // The firmware puts everything back to the factory's, and the keyboard
    // has one table fewer.
    SimKeyboardState factory = rig.state();
    const SimKeyboardState fresh =
        SimKeyboardState::factory(factory.serialNumber, factory.productName,
                                  factory.factoryLayers[0], factory.factoryLayers[1]);
    factory.profiles = fresh.profiles;
    factory.profiles.removeLast();
    factory.configIndex = factory.profiles.first().index;
    rig.sim.setKeyboardState(factory);
    QVERIFY(rig.sync());
    FirmwareBackup after(rig.engine.data(), rig.model.data(), &store);
    QVERIFY(finish(after, [&] { after.compare(loaded, profiles); }).ok);
    QCOMPARE(after.differing().size(), profiles.size());

    BackupRestore restore(rig.engine.data(), rig.model.data(), loaded, profiles);
    e = finish(restore, [&] { restore.start(); });
    QVERIFY2(e.ok, qPrintable(QString::number(e.error)));
    QCOMPARE(restore.restored(), loaded.names());
    QCOMPARE(tables(rig.state()), mine);
}

void TestFirmwareBackup::unpluggedDuringBackupLeavesNoBackup() {
    KeyboardRig rig;
    QVERIFY(rig.openSyncAndLoad());
    QTemporaryDir root;
    BackupStore store(root.path());
    FirmwareBackup backup(rig.engine.data(), rig.model.data(), &store);
    const Ending e = finish(
        backup, [&] { backup.backUp(false); }, [&] { rig.sim.unplug(); });
    QVERIFY(e.ended);
    QVERIFY(!e.ok);
    QVERIFY(e.error != 0);
    QVERIFY(!QDir(store.folder(rig.state().serialNumber)).exists() ||
            QDir(store.folder(rig.state().serialNumber))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty());
}

void TestFirmwareBackup::unpluggedDuringRestoreSaysHowFar() {
    KeyboardRig rig;
    personalise(rig.state());
    QVERIFY(rig.openSyncAndLoad());
    QTemporaryDir root;
    BackupStore store(root.path());
    FirmwareBackup backup(rig.engine.data(), rig.model.data(), &store);
    QVERIFY(finish(backup, [&] { backup.backUp(false); }).ok);
    BackupStore::Backup loaded;
    QList<Profile> profiles;
    QString why;
    QVERIFY(store.load(backup.backup().product, backup.backup().id, &loaded, &profiles, &why));
    for (SimProfile& p : rig.state().profiles) p.layers[0][17] = {1, 0, 0x04};

    BackupRestore restore(rig.engine.data(), rig.model.data(), loaded, profiles);
    const Ending e = finish(
        restore, [&] { restore.start(); }, [&] { rig.sim.unplug(); });
    QVERIFY(e.ended);
    QVERIFY(!e.ok);
    QVERIFY(e.error != BackupRestore::ErrorIncomplete);
    // The first profile was restored before the keyboard went; the restore
    // names the one it stopped at and claims no more.
    QCOMPARE(restore.restored(), QStringList{loaded.entries.first().name});
    QCOMPARE(restore.stoppedAt(), loaded.entries.at(1).name);
}

void TestFirmwareBackup::otherProductIsRefusedBeforeSending() {
    KeyboardRig rig;
    QVERIFY(rig.openSyncAndLoad());
    QTemporaryDir root;
    BackupStore store(root.path());
    FirmwareBackup backup(rig.engine.data(), rig.model.data(), &store);
    QVERIFY(finish(backup, [&] { backup.backUp(false); }).ok);
    BackupStore::Backup other = backup.backup();
    QList<Profile> profiles = backup.profiles();
    other.product += 1;
    for (Profile& p : profiles) p.product = other.product;
    const int writes = rig.sim.writeCount();
    BackupRestore restore(rig.engine.data(), rig.model.data(), other, profiles);
    const Ending e = finish(restore, [&] { restore.start(); });
    QCOMPARE(e.error, int(BackupRestore::ErrorOtherProduct));
    QCOMPARE(rig.sim.writeCount(), writes);
}

QTEST_GUILESS_MAIN(TestFirmwareBackup)
#include "tst_firmwarebackup.moc"
