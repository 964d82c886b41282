// export FILE / import FILE: the encrypted configuration file from a terminal.
#include <functional>

#include "cli/clicommand.h"
#include "cli/clierrors.h"
#include "cli/clisession.h"
#include "model/configwritedatabase.h"
#include "model/importconfigutil.h"

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

int usageError(CliSession& s, const char* command) {
    s.fail(QStringLiteral("usage: zentaro-cli [options] %1 FILE").arg(QLatin1String(command)));
    return 2;
}

}  // namespace

static CliCommand::Registrar registerExport(
    "export", "export FILE                  read the whole configuration and write it to FILE",
    [](CliSession& s, const QStringList& args) {
        if (args.size() != 1) return usageError(s, "export");
        const QString path = args.first();
        // A target that cannot be written is named before the keyboard is read.
        const QString unwritable = CliErrors::unwritable(path);
        if (!unwritable.isEmpty())
            return s.fail(QStringLiteral("%1 (error %2)")
                              .arg(unwritable)
                              .arg(ConfigWriteDatabase::ErrorTargetUnwritable));
        if (!s.readKeyboard()) return 1;
        ConfigWriteDatabase job(&s.model(), path);
        if (runJob(s, job, &ConfigWriteDatabase::config_write_result, QStringLiteral("export"),
                   [&](int code) { return CliErrors::exportFailure(path, code); }))
            return 1;
        s.say(QStringLiteral("wrote the whole configuration to %1").arg(path));
        return 0;
    });

static CliCommand::Registrar registerImport(
    "import", "import FILE                  write the configuration in FILE to the keyboard",
    [](CliSession& s, const QStringList& args) {
        if (args.size() != 1) return usageError(s, "import");
        const QString path = args.first();
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
        s.say(QStringLiteral("wrote %1 into the keyboard").arg(path));
        return 0;
    });
