// export [--json] FILE / import FILE [--only SECTIONS] [--dry-run] / import
// --code CODE: the encrypted configuration file and the readable profile
// from a terminal. Every import ends with a read-back of what it wrote.
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <functional>

#include "cli/clicommand.h"
#include "cli/clierrors.h"
#include "cli/clisession.h"
#include "jobs/configwritedatabase.h"
#include "jobs/importconfigutil.h"
#include "model/keyboardconfigutil.h"
#include "jobs/profileapply.h"
#include "model/profilejson.h"
#include "jobs/profileplan.h"
#include "model/sharecode.h"

namespace {

// Runs a job that reports (status, value) until success or failure; progress
// on stderr. `cause` says in words what a failure code means.
template <typename Job, typename Signal>
int runJob(CliSession& s, Job& job, Signal signal, const QString& what,
           const std::function<QString(int)>& cause) {
    bool done = false;
    int code = 0;
    QObject::connect(&job, signal, &s, [&](bool status, int value) {
        if (!status) {
            done = true;
            code = value;
            s.wake();
        } else if (value == 100) {
            done = true;
            code = 100;
            s.wake();
        } else {
            s.progress(what, value);
        }
    });
    // The engine gives up on a silent keyboard after 3 s per step; the guard
    // only catches a job that never reports.
    if (!s.waitUntil(done, 120000)) code = -2;
    s.endProgress();
    if (code != 100) return s.fail(QStringLiteral("%1 (error %2)").arg(cause(code)).arg(code));
    return 0;
}

int usageError(CliSession& s, const char* usage) {
    s.fail(QStringLiteral("usage: zentaro-cli [options] %1").arg(QLatin1String(usage)));
    return 2;
}

// Runs a write-and-read-back (or only the read-back) to its end. Values
// that read back otherwise are printed one a line.
int runApply(CliSession& s, const ProfilePlan& plan, bool write, const QString& what) {
    ProfileApply job(&s.engine(), &s.model(), plan);
    bool done = false;
    int code = 0;
    QObject::connect(&job, &ProfileApply::progress, &s, [&](int n, int total) {
        if (total > 0) s.progress(what, n * 99 / total);
    });
    QObject::connect(&job, &ProfileApply::finished, &s, [&](bool, int error) {
        done = true;
        code = error;
        s.wake();
    });
    if (write)
        job.start();
    else
        job.verify();
    if (!s.waitUntil(done, 600000)) code = -2;
    s.endProgress();
    if (code == ProfileApply::ErrorMismatch) {
        for (const ProfilePlan::Difference& d : job.differences())
            s.say(QStringLiteral("differs: %1").arg(d.englishText()));
        return s.fail(QStringLiteral("the keyboard holds %1 values other than written (error %2)")
                          .arg(job.differences().size())
                          .arg(code));
    }
    if (code != 0) return s.fail(QStringLiteral("cannot write the profile"), code);
    return 0;
}

struct ImportArgs {
    QString path;
    QString code;
    int sections = Profile::AllSections;
    bool dryRun = false;
};

bool parseImport(const QStringList& args, ImportArgs* a, QString* why) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--dry-run")) {
            a->dryRun = true;
        } else if (arg == QLatin1String("--only") && i + 1 < args.size()) {
            a->sections = 0;
            for (const QString& name : args.at(++i).split(QLatin1Char(','))) {
                const int section = Profile::sectionFromName(name.trimmed());
                if (!section) {
                    *why = QStringLiteral(
                               "--only: \"%1\" is no section (keys, lighting, advancedKeys, "
                               "macros, performance, parameters)")
                               .arg(name);
                    return false;
                }
                a->sections |= section;
            }
        } else if (arg == QLatin1String("--code") && i + 1 < args.size() && a->code.isEmpty()) {
            a->code = args.at(++i);
        } else if (!arg.startsWith(QLatin1String("--")) && a->path.isEmpty()) {
            a->path = arg;
        } else {
            *why = QStringLiteral("import: unexpected argument \"%1\"").arg(arg);
            return false;
        }
    }
    if (a->path.isEmpty() == a->code.isEmpty()) {
        *why = QStringLiteral(
            "usage: zentaro-cli [options] import FILE [--only SECTIONS] "
            "[--dry-run] | import --code CODE [--only SECTIONS] [--dry-run]");
        return false;
    }
    return true;
}

bool isProfileFile(const QString& path) {
    return path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive);
}

// A readable profile, from a file or a share code: checked whole before the
// keyboard is opened, then previewed or written.
int importProfile(CliSession& s, const ImportArgs& a) {
    QByteArray bytes;
    const QString source = a.path.isEmpty() ? QStringLiteral("share code") : a.path;
    if (!a.code.isEmpty()) {
        const ShareCode::Error e = ShareCode::decode(a.code, &bytes);
        if (e != ShareCode::Ok) return s.refuse(ShareCode::englishText(e));
    } else {
        const QString unreadable = CliErrors::unreadable(a.path);
        if (!unreadable.isEmpty()) return s.refuse(unreadable);
        QFile file(a.path);
        if (!file.open(QIODevice::ReadOnly)) return s.refuse(file.errorString());
        bytes = file.read(ProfileJson::MaxBytes + 1);
    }
    Profile profile;
    ProfileJson::Error error;
    if (!ProfileJson::read(bytes, &profile, &error))
        return s.refuse(QStringLiteral("%1: %2").arg(source, error.englishText()));
    if (!s.readKeyboard()) return 1;
    ProfilePlan plan;
    if (!ProfilePlan::build(profile, s.model(), a.sections, &plan, &error))
        return s.refuse(QStringLiteral("%1: %2").arg(source, error.englishText()));
    if (profile.product != s.model().keyboardProductInfo->serialNumber)
        s.say(QStringLiteral("%1 is a profile of product %2 (%3); keys are matched by label")
                  .arg(source)
                  .arg(profile.product)
                  .arg(profile.productName));
    if (a.dryRun) {
        std::fputs(plan.englishPreview(s.model()).toUtf8().constData(), stdout);
        return 0;
    }
    const int changes = int(plan.changes(s.model()).size());
    if (runApply(s, plan, true, QStringLiteral("import"))) return 1;
    s.say(QStringLiteral("wrote %1 changes from %2 into the keyboard; it reads back as written")
              .arg(changes)
              .arg(source));
    return 0;
}

}  // namespace

static CliCommand::Registrar registerExport(
    "export",
    "export FILE                  read the whole configuration and write it to FILE\n"
    "export --json FILE           write the active profile as readable JSON",
    [](CliSession& s, const QStringList& args) {
        const bool json = args.size() == 2 && args.first() == QLatin1String("--json");
        if (args.size() != 1 && !json) return usageError(s, "export [--json] FILE");
        const QString path = args.last();
        // A target that cannot be written is named before the keyboard is read.
        const QString unwritable = CliErrors::unwritable(path);
        if (!unwritable.isEmpty())
            return s.fail(QStringLiteral("%1 (error %2)")
                              .arg(unwritable)
                              .arg(ConfigWriteDatabase::ErrorTargetUnwritable));
        if (!s.readKeyboard()) return 1;
        if (json) {
            QSaveFile file(path);
            const QByteArray bytes = ProfileJson::write(s.model());
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
                !file.commit())
                return s.fail(QStringLiteral("cannot write %1: %2 (error %3)")
                                  .arg(path, file.errorString())
                                  .arg(ConfigWriteDatabase::ErrorTargetUnwritable));
            s.say(QStringLiteral("wrote the active profile to %1").arg(path));
            return 0;
        }
        ConfigWriteDatabase job(&s.model(), path);
        if (runJob(s, job, &ConfigWriteDatabase::config_write_result, QStringLiteral("export"),
                   [&](int code) { return CliErrors::exportFailure(path, code); }))
            return 1;
        s.say(QStringLiteral("wrote the whole configuration to %1").arg(path));
        return 0;
    },
    "FILE ending in .aaa is the encrypted configuration file; --json writes the\n"
    "active profile as a readable profile (format zentaro-profile, version 1):\n"
    "keys by label and number, functions by name, colours as #rrggbb,\n"
    "distances in millimetres, times in milliseconds.");

static CliCommand::Registrar registerImport(
    "import",
    "import FILE                  write the configuration in FILE to the keyboard\n"
    "import FILE.json [--only SECTIONS] [--dry-run]\n"
    "import --code CODE [--only SECTIONS] [--dry-run]",
    [](CliSession& s, const QStringList& args) {
        ImportArgs a;
        QString why;
        if (!parseImport(args, &a, &why)) return s.refuse(why);
        if (!a.code.isEmpty() || isProfileFile(a.path)) return importProfile(s, a);
        if (a.dryRun || a.sections != Profile::AllSections)
            return s.refuse(QStringLiteral("--only and --dry-run take a .json profile or a code"));
        const QString path = a.path;
        const QString unreadable = CliErrors::unreadable(path);
        if (!unreadable.isEmpty())
            return s.fail(
                QStringLiteral("%1 (error %2)").arg(unreadable).arg(ImportConfigUtil::ErrorOpen));
        if (!s.readKeyboard()) return 1;
        ImportConfigUtil job(&s.engine(), &s.model(), path);
        if (runJob(s, job, &ImportConfigUtil::import_config_result, QStringLiteral("import"),
                   [&](int code) {
                       QString line = CliErrors::importFailure(path, code);
                       const ImportConfigUtil::KeyMismatch& m = job.keyMismatch();
                       if (code == ImportConfigUtil::ErrorKeySet && !m.table.isEmpty())
                           line += m.missing ? QStringLiteral(": key %1 is missing from %2")
                                                   .arg(m.key)
                                                   .arg(m.table)
                                             : QStringLiteral(
                                                   ": %2 has key %1, which the "
                                                   "keyboard lacks")
                                                   .arg(m.key)
                                                   .arg(m.table);
                       return line;
                   }))
            return 1;
        // Written is not yet kept: read it back before saying so.
        if (runApply(s, ProfilePlan::fromContent(job.content(), s.model()), false,
                     QStringLiteral("read-back")))
            return 1;
        s.say(QStringLiteral("wrote %1 into the keyboard").arg(path));
        return 0;
    },
    "A .json profile (or a share code) is checked whole before anything is sent;\n"
    "a section it leaves out leaves that part of the keyboard alone.\n"
    "  --only SECTIONS  comma list of keys, lighting, advancedKeys, macros,\n"
    "                   performance, parameters: write only these\n"
    "  --dry-run        print per section the values that differ from the\n"
    "                   keyboard, and what it cannot match; send nothing\n"
    "A profile of another product is matched by key label and number; what\n"
    "cannot be matched is listed and left as it is. Every import reads the\n"
    "keyboard back and fails (error -61) naming each value it holds otherwise.");

static CliCommand::Registrar registerShare(
    "share", "share                        print the active profile as a share code",
    [](CliSession& s, const QStringList& args) {
        if (!args.isEmpty()) return usageError(s, "share");
        if (!s.readKeyboard()) return 1;
        s.say(ShareCode::encode(ProfileJson::write(s.model())));
        return 0;
    },
    "The code is \"ZP1.\" and the packed profile in base64url; give it to\n"
    "\"import --code CODE\" on any keyboard.");
