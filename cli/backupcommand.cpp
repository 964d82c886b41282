// backup create | list | restore ID | delete ID: the keyboard's profiles kept
// in the user's data folder, as the other page keeps them.
#include "cli/backupcommand.h"

#include "cli/clicommand.h"
#include "cli/clisession.h"
#include "jobs/backuprestore.h"
#include "jobs/firmwarebackup.h"
#include "model/keyboardconfigutil.h"

namespace {

int product(CliSession& s) {
    return s.model().keyboardProductInfo ? s.model().keyboardProductInfo->serialNumber : 0;
}

QString describe(const BackupStore::Backup& b) {
    if (b.isDamaged()) return QStringLiteral("%1  damaged: %2").arg(b.id, b.damage);
    return QStringLiteral("%1  %2  firmware %3  %4 profiles  %5  (%6)")
        .arg(b.id, b.created.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), b.firmware)
        .arg(b.entries.size())
        .arg(b.automatic ? QStringLiteral("automatic") : QStringLiteral("manual"),
             b.names().join(QStringLiteral(", ")));
}

// Starts a job that ends with finished(bool, int) and waits for it; its
// error code, or -2 when it never ends.
template <typename Job>
int run(CliSession& s, Job& job, const QString& what, const std::function<void()>& start) {
    bool done = false;
    int code = 0;
    QObject::connect(&job, &Job::progress, &s, [&](int percent) { s.progress(what, percent); });
    QObject::connect(&job, &Job::finished, &s, [&](bool, int error) {
        code = error;
        done = true;
        s.wake();
    });
    start();
    if (!s.waitUntil(done, 30 * 60 * 1000)) code = -2;
    s.endProgress();
    return code;
}

int list(CliSession& s) {
    const QList<BackupStore::Backup> backups = BackupStore().list(product(s));
    if (backups.isEmpty())
        s.say(QStringLiteral("no backups of this keyboard (product %1)").arg(product(s)));
    for (const BackupStore::Backup& b : backups) s.say(describe(b));
    return 0;
}

int restore(CliSession& s, const QString& id) {
    BackupStore store;
    BackupStore::Backup backup;
    QList<Profile> profiles;
    QString why;
    if (!store.load(product(s), id, &backup, &profiles, &why))
        return s.fail(why + QStringLiteral("; nothing was sent"));
    BackupRestore job(&s.engine(), &s.model(), backup, profiles);
    const int code = run(s, job, QStringLiteral("restore"), [&] { job.start(); });
    for (const QString& name : job.restored()) s.say(QStringLiteral("restored: %1").arg(name));
    for (const QString& name : job.notRestored())
        s.say(QStringLiteral("not restored: %1").arg(name));
    if (code == BackupRestore::ErrorOtherProduct)
        return s.fail(
            QStringLiteral("backup %1 is of another keyboard; nothing was sent (error %2)")
                .arg(id)
                .arg(code));
    if (code == BackupRestore::ErrorIncomplete)
        return s.fail(QStringLiteral("%1 of %2 profiles do not read back as backed up (error %3)")
                          .arg(job.notRestored().size())
                          .arg(profiles.size())
                          .arg(code));
    if (code) {
        const QString where =
            job.stoppedAt().isEmpty()
                ? QStringLiteral("the restore stopped")
                : QStringLiteral("the restore stopped at profile \"%1\"").arg(job.stoppedAt());
        return s.fail(where + (job.restored().isEmpty()
                                   ? QStringLiteral("; no profile was restored")
                                   : QStringLiteral("; restored before it: %1")
                                         .arg(job.restored().join(QStringLiteral(", ")))),
                      code);
    }
    s.say(QStringLiteral("restored backup %1: %2 profiles read back as backed up")
              .arg(id)
              .arg(profiles.size()));
    return 0;
}

int remove(CliSession& s, const QString& id) {
    BackupStore store;
    QString why;
    if (!store.remove(product(s), id, &why)) return s.fail(why);
    s.say(QStringLiteral("deleted backup %1").arg(id));
    return 0;
}

int runBackup(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    const int wanted = verb == QLatin1String("create") || verb == QLatin1String("list")      ? 1
                       : verb == QLatin1String("restore") || verb == QLatin1String("delete") ? 2
                                                                                             : 0;
    if (!wanted)
        return s.refuse(QStringLiteral(
            "backup: say create, list, restore or delete (zentaro-cli backup --help)"));
    if (args.size() != wanted)
        return s.refuse(QStringLiteral("backup %1: %2")
                            .arg(verb, args.size() > wanted ? QStringLiteral("too many arguments")
                                                            : QStringLiteral("missing arguments")));
    if (wanted == 2 && !BackupStore::isValidId(args.at(1)))
        return s.refuse(
            QStringLiteral("backup %1: \"%2\" is no backup id (backup list prints them)")
                .arg(verb, args.at(1)));
    if (verb == QLatin1String("list") || verb == QLatin1String("delete")) {
        // Only the product number is needed to find the keyboard's folder.
        if (!s.open() || !s.sync(0)) return 1;
        return verb == QLatin1String("list") ? list(s) : remove(s, args.at(1));
    }
    if (!s.readKeyboard()) return 1;
    if (verb == QLatin1String("restore")) return restore(s, args.at(1));
    BackupStore::Backup made;
    return CliBackup::create(s, false, &made);
}

}  // namespace

int CliBackup::create(CliSession& s, bool automatic, BackupStore::Backup* made) {
    BackupStore store;
    FirmwareBackup job(&s.engine(), &s.model(), &store);
    const int code = run(s, job, QStringLiteral("backup"), [&] { job.backUp(automatic); });
    if (code == FirmwareBackup::ErrorStore)
        return s.fail(QStringLiteral("cannot back up the profiles: %1 (error %2)")
                          .arg(job.storeError())
                          .arg(code));
    if (code) return s.fail(QStringLiteral("cannot back up the profiles"), code);
    *made = job.backup();
    s.say(QStringLiteral("backed up %1 profiles as %2 in %3")
              .arg(made->entries.size())
              .arg(made->id, store.folder(made->product)));
    return 0;
}

void CliBackup::compareAfterTransfer(CliSession& s, const BackupStore::Backup& backup) {
    const QString restoreHint = QStringLiteral("zentaro-cli backup restore %1").arg(backup.id);
    BackupStore store;
    BackupStore::Backup loaded;
    QList<Profile> profiles;
    QString why;
    if (!store.load(backup.product, backup.id, &loaded, &profiles, &why) || !s.sync(1)) {
        s.say(QStringLiteral("once the keyboard is back, compare and restore with: %1")
                  .arg(restoreHint));
        return;
    }
    FirmwareBackup job(&s.engine(), &s.model(), &store);
    const int code = run(s, job, QStringLiteral("compare"), [&] { job.compare(loaded, profiles); });
    if (code) {
        s.say(QStringLiteral("cannot read the profiles back; restore them with: %1")
                  .arg(restoreHint));
    } else if (job.differing().isEmpty()) {
        s.say(QStringLiteral("the keyboard kept its profiles (equal to backup %1)").arg(backup.id));
    } else {
        s.say(QStringLiteral("the keyboard's profiles differ from backup %1: %2")
                  .arg(backup.id, job.differing().join(QStringLiteral(", "))));
        s.say(QStringLiteral("restore my settings with: %1").arg(restoreHint));
    }
}

static CliCommand::Registrar registerBackup(
    "backup",
    "backup create                back up every profile of the keyboard\n"
    "backup list                  list this keyboard's backups (newest first)\n"
    "backup restore ID            write backup ID back into the keyboard\n"
    "backup delete ID             delete backup ID",
    runBackup,
    "Backups live in backups/<product>/<ID>/ under the user's data folder: one\n"
    "readable profile (.json) per profile and a manifest. \"firmware update\" and\n"
    "\"firmware write\" make one before sending anything (unless --no-backup); the\n"
    "newest 10 of those are kept, a backup made here is never deleted by itself.\n"
    "A restore adds and names tables as needed, writes every profile and reads\n"
    "it back; a damaged backup or one of another keyboard is never restored.");
