#include <QCoreApplication>
#ifdef ZENTARO_BENCH_GUI
#include <QApplication>
#endif
#include <QStringList>
#include <QTextStream>
#include <vector>

#include "bench/benchregistry.h"

namespace bench {
namespace {
struct Entry {
    QString group;
    Function function;
};
std::vector<Entry>& entries() {
    static std::vector<Entry> list;
    return list;
}
}  // namespace

Registrar::Registrar(const char* group, Function function) {
    entries().push_back({QString::fromLatin1(group), std::move(function)});
}

void report(const QString& name, double value, int decimals) {
    QTextStream out(stdout);
    out << name << ": " << QString::number(value, 'f', decimals) << Qt::endl;
}
}  // namespace bench

int main(int argc, char** argv) {
#ifdef ZENTARO_BENCH_GUI
    // Pages and pictures are measured offscreen, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    // Benchmarks log nothing: keep the output to result lines.
    qSetMessagePattern(QString());
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
            fprintf(stderr, "%s\n", qPrintable(msg));
    });
    const QStringList wanted = app.arguments().mid(1);
    for (const auto& entry : bench::entries()) {
        if (!wanted.isEmpty() && !wanted.contains(entry.group)) continue;
        entry.function();
    }
    return 0;
}
