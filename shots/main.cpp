// zentaro-shots OUTDIR [--theme=0|1] [--language=1|2|3] [--only=name,...]
// Starts the real main window offscreen on a fresh simulated keyboard,
// walks to the key page like a user and lets every registered view draw
// itself into OUTDIR.
#include <QApplication>
#include <QDir>
#include <QTextStream>

#include "shots/shotcontext.h"
#include "shots/shotregistry.h"

namespace shots {
namespace {
std::vector<Entry>& list() {
    static std::vector<Entry> all;
    return all;
}
}  // namespace

Registrar::Registrar(const char* name, Function function) {
    list().push_back({name, std::move(function)});
}

const std::vector<Entry>& entries() {
    return list();
}
}  // namespace shots

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    QString outDir;
    int theme = 0;
    int language = 1;
    QStringList only;
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument.startsWith(QStringLiteral("--theme=")))
            theme = argument.mid(8).toInt();
        else if (argument.startsWith(QStringLiteral("--language=")))
            language = argument.mid(11).toInt();
        else if (argument.startsWith(QStringLiteral("--only=")))
            only = argument.mid(7).split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (!argument.startsWith(QStringLiteral("--")))
            outDir = argument;
    }
    if (outDir.isEmpty()) {
        err << "usage: zentaro-shots OUTDIR [--theme=0|1] [--language=1|2|3] [--only=name,...]"
            << Qt::endl;
        return 2;
    }
    outDir = QDir(outDir).absolutePath();
    QDir().mkpath(outDir);

    // The program logs through its own handler; here only warnings matter.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type != QtDebugMsg && type != QtInfoMsg) fprintf(stderr, "%s\n", qPrintable(msg));
    });

    GuiSession::Options options;
    options.theme = theme;
    options.language = language;
    GuiSession session(options);
    if (!session.start()) {
        err << "zentaro-shots: the window did not start" << Qt::endl;
        return 1;
    }
    ShotContext context(session, outDir, theme, language);
    int failures = 0;
    for (const shots::Entry& entry : shots::entries()) {
        if (!only.isEmpty() && !only.contains(QString::fromLatin1(entry.name))) continue;
        const int before = context.written().size();
        entry.function(context);
        if (context.written().size() == before) {
            err << "zentaro-shots: view " << entry.name << " wrote nothing" << Qt::endl;
            ++failures;
        }
    }
    session.stop();
    if (!context.clipped().isEmpty()) {
        err << "zentaro-shots: " << context.clipped().size() << " clipped texts" << Qt::endl;
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
