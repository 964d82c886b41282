// The backup store on disk: what a backup holds, that a damaged one is seen
// and never loaded, that nothing half-written is left behind, and which
// backups pruning keeps.
#include <QDir>
#include <QFile>
#include <QTest>

#include "jobs/backupstore.h"
#include "model/profilejson.h"
#include "support/configfilerig.h"

namespace {

using testsupport::KeyboardRig;

bool overwrite(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace

class TestBackupStore : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void writesReadsBackAndLists();
    void damageIsShownAndNeverLoaded();
    void unwritableFolderLeavesNothing();
    void pruneKeepsManualBackups();

private:
    BackupStore::Backup fresh(bool automatic) const;
    KeyboardRig rig;
    QList<Profile> profiles;
};

void TestBackupStore::initTestCase() {
    QVERIFY(rig.openSyncAndLoad());
    Profile a = ProfileJson::fromModel(*rig.model);
    Profile b = a;
    b.name = QStringLiteral("Zweites Profil");
    b.params.pollingRate = 2;
    profiles = {a, b};
}

BackupStore::Backup TestBackupStore::fresh(bool automatic) const {
    BackupStore::Backup b;
    b.product = profiles.first().product;
    b.productName = profiles.first().productName;
    b.firmware = QStringLiteral("0.1.0.5");
    b.automatic = automatic;
    b.active = 1;
    b.entries = {{1, profiles.at(0).name, {}, {}}, {4, profiles.at(1).name, {}, {}}};
    return b;
}

void TestBackupStore::writesReadsBackAndLists() {
    QTemporaryDir root;
    BackupStore store(root.path());
    BackupStore::Backup made = fresh(false);
    QString why;
    QVERIFY2(store.write(&made, profiles, &why), qPrintable(why));
    QVERIFY(BackupStore::isValidId(made.id));
    const QString dir = store.folder(made.product) + QLatin1Char('/') + made.id;
    QCOMPARE(QDir(dir).entryList(QDir::Files),
             QStringList({"manifest.json", "profile-1.json", "profile-4.json"}));
    // Nothing but the finished backup in the keyboard's folder.
    QCOMPARE(QDir(store.folder(made.product))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{made.id});

    // A second one in the same second gets its own id.
    BackupStore::Backup second = fresh(true);
    QVERIFY(store.write(&second, profiles, &why));
    QVERIFY(second.id != made.id);

    const QList<BackupStore::Backup> listed = store.list(made.product);
    QCOMPARE(listed.size(), 2);
    QCOMPARE(listed.first().id, second.id);  // newest first
    QVERIFY(listed.first().automatic);
    QVERIFY(!listed.last().automatic);
    QCOMPARE(listed.last().firmware, QStringLiteral("0.1.0.5"));
    QCOMPARE(listed.last().names(), QStringList({profiles.at(0).name, "Zweites Profil"}));
    QVERIFY(!listed.last().isDamaged());

    BackupStore::Backup loaded;
    QList<Profile> back;
    QVERIFY(store.load(made.product, made.id, &loaded, &back, &why));
    QCOMPARE(loaded.active, 1);
    QCOMPARE(back.size(), 2);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(ProfileJson::write(back.at(i)), ProfileJson::write(profiles.at(i)));
    // Another keyboard's folder holds none of them.
    QVERIFY(store.list(made.product + 1).isEmpty());
    QVERIFY(!store.load(made.product + 1, made.id, &loaded, &back, &why));
    QVERIFY(!store.load(made.product, QStringLiteral("../x"), &loaded, &back, &why));

    QVERIFY(store.remove(made.product, made.id, &why));
    QCOMPARE(store.list(made.product).size(), 1);
    QVERIFY(!store.remove(made.product, made.id, &why));
}

void TestBackupStore::damageIsShownAndNeverLoaded() {
    QTemporaryDir root;
    BackupStore store(root.path());
    struct Case {
        const char* what;
        std::function<void(const QString& dir)> spoil;
        const char* reason;
    };
    const int product = fresh(false).product;
    const QList<Case> cases = {
        {"a profile edited",
         [](const QString& d) {
             QFile f(d + "/profile-4.json");
             QVERIFY(f.open(QIODevice::Append));
             f.write(" ");
         },
         "has changed"},
        {"a profile missing", [](const QString& d) { QFile::remove(d + "/profile-1.json"); },
         "missing"},
        {"manifest garbage", [](const QString& d) { overwrite(d + "/manifest.json", "{{"); },
         "manifest"},
        {"manifest climbs out",
         [](const QString& d) {
             QFile f(d + "/manifest.json");
             QVERIFY(f.open(QIODevice::ReadOnly));
             QByteArray m = f.readAll();
             f.close();
             m.replace("\"profile-1.json\"", "\"../../x.json\"");
             QVERIFY(overwrite(d + "/manifest.json", m));
         },
         "cannot hold"},
        {"another product",
         [product](const QString& d) {
             QFile f(d + "/manifest.json");
             QVERIFY(f.open(QIODevice::ReadOnly));
             QByteArray m = f.readAll();
             f.close();
             const QByteArray own = "\"product\": " + QByteArray::number(product);
             QVERIFY(m.contains(own));
             m.replace(own, "\"product\": 4242");
             QVERIFY(overwrite(d + "/manifest.json", m));
         },
         "product 4242"},
    };
    for (const Case& c : cases) {
        BackupStore::Backup made = fresh(false);
        QString why;
        QVERIFY(store.write(&made, profiles, &why));
        c.spoil(store.folder(made.product) + QLatin1Char('/') + made.id);
        bool seen = false;
        for (const BackupStore::Backup& b : store.list(made.product))
            if (b.id == made.id) {
                seen = true;
                QVERIFY2(b.damage.contains(QLatin1String(c.reason)),
                         qPrintable(QStringLiteral("%1: %2").arg(c.what, b.damage)));
            }
        QVERIFY2(seen, c.what);
        BackupStore::Backup loaded;
        QList<Profile> back;
        QVERIFY2(!store.load(made.product, made.id, &loaded, &back, &why), c.what);
        QVERIFY(back.isEmpty());
        QVERIFY(why.contains(QLatin1String("damaged")));
        // Damage is not pruned away either: the user decides.
        QVERIFY(store.remove(made.product, made.id, &why));
    }
}

void TestBackupStore::unwritableFolderLeavesNothing() {
    QTemporaryDir root;
    BackupStore::Backup made = fresh(true);
    QString why;
    // A file where the folder should be.
    QVERIFY(overwrite(root.filePath("blocked"), "x"));
    BackupStore blocked(root.filePath("blocked"));
    QVERIFY(!blocked.write(&made, profiles, &why));
    QVERIFY(why.contains(QLatin1String("cannot create")));

    BackupStore store(root.filePath("ro"));
    QVERIFY(QDir().mkpath(store.folder(made.product)));
    QFile::setPermissions(store.folder(made.product), QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(store.folder(made.product)).isWritable()) QSKIP("running as root");
    QVERIFY(!store.write(&made, profiles, &why));
    QVERIFY(!why.isEmpty());
    QFile::setPermissions(store.folder(made.product),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(store.list(made.product).isEmpty());
    QCOMPARE(QDir(store.folder(made.product))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TestBackupStore::pruneKeepsManualBackups() {
    QTemporaryDir root;
    BackupStore store(root.path());
    QString why;
    QStringList manual, automatic;
    for (int i = 0; i < 14; ++i) {
        BackupStore::Backup b = fresh(i % 5 != 0);
        QVERIFY(store.write(&b, profiles, &why));
        (b.automatic ? automatic : manual) << b.id;
    }
    QCOMPARE(manual.size(), 3);
    const QStringList removed = store.prune(fresh(true).product, 10);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.first(), automatic.first());  // the oldest automatic one
    QStringList left;
    for (const BackupStore::Backup& b : store.list(fresh(true).product)) left << b.id;
    QCOMPARE(left.size(), 13);
    for (const QString& id : manual) QVERIFY(left.contains(id));
}

QTEST_GUILESS_MAIN(TestBackupStore)
#include "tst_backupstore.moc"
