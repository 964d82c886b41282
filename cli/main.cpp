// zentaro-cli: the keyboard from a terminal, on the core library only.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "cli/clicommand.h"
#include "cli/clisession.h"
#include "zentaroversion.h"

namespace {

int usage(int code) {
    QTextStream err(stderr);
    err << "usage: zentaro-cli [--simulate[=STATE_FILE] [--unplugged] [--simulate-control=PIPE]] "
           "[--channel=128|64] [--server=URL] COMMAND [ARGS]\n       zentaro-cli --version\n"
           "       zentaro-cli COMMAND --help\n\ncommands:\n";
    for (const CliCommand& c : CliCommand::all())
        for (const QString& line : c.usage.split(QLatin1Char('\n'))) err << "  " << line << "\n";
    return code;
}

// COMMAND --help: on stdout, for people and for completion scripts alike.
int commandHelp(const CliCommand& c) {
    QTextStream out(stdout);
    out << "usage:\n";
    for (const QString& line : c.usage.split(QLatin1Char('\n'))) {
        // Lines that go on from the one before keep their indentation.
        if (line.startsWith(QLatin1Char(' ')))
            out << QString(24, QLatin1Char(' ')) << line << "\n";
        else
            out << "  zentaro-cli [options] " << line << "\n";
    }
    if (!c.help.isEmpty()) out << "\n" << c.help << (c.help.endsWith('\n') ? "" : "\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The engine logs every frame; a terminal tool keeps to warnings unless asked.
    if (!qEnvironmentVariableIsSet("ZENTARO_CLI_LOG")) {
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qPrintable(msg));
        });
    }
    CliOptions options;
    QStringList rest = app.arguments().mid(1);
    while (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--"))) {
        const QString arg = rest.takeFirst();
        if (arg == QLatin1String("--simulate")) {
            options.simulate = true;
        } else if (arg.startsWith(QLatin1String("--simulate="))) {
            options.simulate = true;
            options.stateFile = arg.mid(11);
        } else if (arg == QLatin1String("--unplugged")) {
            options.unplugged = true;
        } else if (arg.startsWith(QLatin1String("--simulate-control="))) {
            options.controlPath = arg.mid(19);
        } else if (arg == QLatin1String("--channel=128") || arg == QLatin1String("--channel=64")) {
            options.channel = arg.mid(10).toInt();
        } else if (arg.startsWith(QLatin1String("--server="))) {
            options.serverUrl = arg.mid(9);
        } else if (arg == QLatin1String("--help")) {
            return usage(0);
        } else if (arg == QLatin1String("--version")) {
            std::printf("zentaro-cli %s\n", kZentaroVersion);
            return 0;
        } else {
            std::fprintf(stderr, "zentaro-cli: unknown option %s\n", qPrintable(arg));
            return usage(2);
        }
    }
    if (rest.isEmpty() ||
        ((options.unplugged || !options.controlPath.isEmpty()) && !options.simulate))
        return usage(2);
    const CliCommand* command = CliCommand::find(rest.first());
    if (!command) {
        std::fprintf(stderr, "zentaro-cli: unknown command %s\n", qPrintable(rest.first()));
        return usage(2);
    }
    if (rest.mid(1).contains(QStringLiteral("--help"))) return commandHelp(*command);
    CliSession session(options);
    return command->run(session, rest.mid(1));
}
