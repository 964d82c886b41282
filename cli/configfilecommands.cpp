// export FILE / import FILE: the encrypted configuration file from a terminal.
#include <functional>

#include "cli/clicommand.h"
#include "cli/clisession.h"
#include "model/configwritedatabase.h"
#include "model/importconfigutil.h"

namespace {

// Runs a job that reports (status, value) until success or failure; progress
// on stderr. `detail` may add to the failure line what the code alone does
// not say.
template <typename Job, typename Signal>
int runJob(CliSession& s, Job& job, Signal signal, const QString& what,
           const std::function<QString(int)>& detail = {}) {
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
    if (code != 100) {
        QString line = QStringLiteral("%1 failed (error %2)").arg(what).arg(code);
        const QString more = detail ? detail(code) : QString();
        if (!more.isEmpty()) line += QStringLiteral(": ") + more;
        return s.fail(line);
    }
    return 0;
}

int usageError(CliSession& s, const char* command) {
    s.fail(QStringLiteral("usage: zentaro-cli [options] %1 FILE").arg(QLatin1String(command)));
    return 2;
}

}  // namespace

static CliCommand::Registrar registerExport(
    "export", "export FILE          read the whole configuration and write it to FILE",
    [](CliSession& s, const QStringList& args) {
        if (args.size() != 1) return usageError(s, "export");
        if (!s.open() || !s.sync(0) || !s.loadProduct()) return 1;
        ConfigWriteDatabase job(&s.model(), args.first());
        return runJob(s, job, &ConfigWriteDatabase::config_write_result, QStringLiteral("export"));
    });

static CliCommand::Registrar registerImport(
    "import", "import FILE          write the configuration in FILE to the keyboard",
    [](CliSession& s, const QStringList& args) {
        if (args.size() != 1) return usageError(s, "import");
        if (!s.open() || !s.sync(0) || !s.loadProduct()) return 1;
        ImportConfigUtil job(&s.engine(), &s.model(), args.first());
        return runJob(
            s, job, &ImportConfigUtil::import_config_result, QStringLiteral("import"),
            [&job](int code) {
                const ImportConfigUtil::KeyMismatch& m = job.keyMismatch();
                if (code != ImportConfigUtil::ErrorKeySet || m.table.isEmpty()) return QString();
                return m.missing
                           ? QStringLiteral("key %1 is missing from %2").arg(m.key).arg(m.table)
                           : QStringLiteral("%2 has key %1, which the keyboard lacks")
                                 .arg(m.key)
                                 .arg(m.table);
            });
    });
