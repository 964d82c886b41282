// The automatic profile switch's /proc scan with five process rules, as the
// switch repeats it every 2 s with one source. Two measures: the real /proc
// of this machine, scaled to 500 processes (time per entry, kernel threads
// included, times 500: the kernel builds each cmdline, which a file tree
// cannot show), and a made-up tree of 500 processes in a temporary folder.
// The median of 50 scans each, and the real first scan on its own (it
// opens every file that later scans only read).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "bench/benchregistry.h"
#include "jobs/autoswitchrules.h"
#include "jobs/procprocesssource.h"

namespace {

constexpr int kProcesses = 500;

double scanUs(ProcProcessSource& source, const AutoSwitchRules& rules) {
    QElapsedTimer t;
    t.start();
    const QList<RunningProcess> list = source.processes(false);
    rules.match(list, FocusedWindow(), RunningProcess());
    return double(t.nsecsElapsed()) / 1000.0;
}

// Median microseconds of one scan and match after the first.
double medianScanUs(ProcProcessSource& source, const AutoSwitchRules& rules) {
    QList<double> times;
    for (int i = 0; i < 50; ++i) times.append(scanUs(source, rules));
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

}  // namespace

ZENTARO_BENCH(auto_scan) {
    AutoSwitchRules rules;
    for (const char* name : {"cs2", "dota2", "valorant", "blender", "krita"}) {
        AutoSwitchRule rule;
        rule.pattern = QString::fromLatin1(name);
        rule.profile = QStringLiteral("FPS");
        rules.rules.append(rule);
    }
    ProcProcessSource real;
    const double firstUs = scanUs(real, rules);
    const int entries = real.lastScanEntries();
    const double realUs = medianScanUs(real, rules);
    if (entries > 0) {
        bench::report(QStringLiteral("auto_scan_us"), realUs * kProcesses / entries);
        bench::report(QStringLiteral("auto_scan_first_us"), firstUs * kProcesses / entries);
    }

    QTemporaryDir dir;
    const QDir root(dir.path());
    for (int pid = 1000; pid < 1000 + kProcesses; ++pid) {
        const QString folder = QString::number(pid);
        root.mkpath(folder);
        QFile f(root.filePath(folder + QStringLiteral("/cmdline")));
        if (!f.open(QIODevice::WriteOnly)) return;
        f.write(QByteArray("/usr/lib/some/program-") + QByteArray::number(pid) +
                QByteArray("\0--flag\0", 8));
    }
    ProcProcessSource fake(dir.path());
    scanUs(fake, rules);
    bench::report(QStringLiteral("auto_scan_fake500_us"), medianScanUs(fake, rules));
}
