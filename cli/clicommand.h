#pragma once
// Commands of zentaro-cli register themselves here (one file per command).

#include <QString>
#include <QStringList>
#include <functional>

class CliSession;

struct CliCommand {
    QString name;
    QString usage;  // one line for the help text
    QString help;   // what `COMMAND --help` prints under the usage line
    std::function<int(CliSession& session, const QStringList& args)> run;

    static const QList<CliCommand>& all();
    static const CliCommand* find(const QString& name);

    struct Registrar {
        Registrar(const char* name, const char* usage,
                  std::function<int(CliSession&, const QStringList&)> run,
                  const char* help = nullptr);
    };
};
