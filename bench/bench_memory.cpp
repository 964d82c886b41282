// Memory of the program once the user reached the key page: resident and
// anonymous (heap and other private) memory. Measured in a fresh process
// of this program, so what the other benchmarks left behind does not count.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

#include "bench/benchregistry.h"
#include "support/gui/guisession.h"

namespace {

const char* const kChildVariable = "ZENTARO_BENCH_MEMORY_CHILD";

// kB of a /proc/self/status line such as "VmRSS:  72000 kB"; -1 if absent.
double statusKb(const QByteArray& status, const char* key) {
    const QRegularExpression line(QStringLiteral("^%1:\\s+(\\d+) kB$").arg(QLatin1String(key)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(status));
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

}  // namespace

// Runs only in the child started by "memory".
ZENTARO_BENCH(memory_probe) {
    if (qEnvironmentVariableIsEmpty(kChildVariable)) return;
    GuiSession::Options options;
    options.latencyMs = 0;
    GuiSession session(options);
    if (!session.start() || !session.reachKeyPage(30000)) return;
    session.waitForEngineIdle(5000);
    GuiSession::settle(200);
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray status = file.readAll();
    const double rss = statusKb(status, "VmRSS");
    const double anon = statusKb(status, "RssAnon");
    bench::report(QStringLiteral("rss_mb"), rss < 0 ? -1 : rss / 1024.0, 1);
    bench::report(QStringLiteral("anon_mb"), anon < 0 ? -1 : anon / 1024.0, 1);
}

ZENTARO_BENCH(memory) {
    if (!qEnvironmentVariableIsEmpty(kChildVariable)) return;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildVariable), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("memory_probe")});
    QString out;
    if (child.waitForFinished(60000)) out = QString::fromLocal8Bit(child.readAllStandardOutput());
    const bool complete =
        out.contains(QLatin1String("rss_mb:")) && out.contains(QLatin1String("anon_mb:"));
    if (!complete) {
        bench::report(QStringLiteral("rss_mb"), -1);
        bench::report(QStringLiteral("anon_mb"), -1);
        return;
    }
    QTextStream(stdout) << out;
}
