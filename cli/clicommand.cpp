#include "cli/clicommand.h"

namespace {
QList<CliCommand>& registry() {
    static QList<CliCommand> list;
    return list;
}
}  // namespace

const QList<CliCommand>& CliCommand::all() {
    return registry();
}

const CliCommand* CliCommand::find(const QString& name) {
    for (const CliCommand& c : registry())
        if (c.name == name) return &c;
    return nullptr;
}

CliCommand::Registrar::Registrar(const char* name, const char* usage,
                                 std::function<int(CliSession&, const QStringList&)> run,
                                 const char* help) {
    registry().append({QString::fromLatin1(name), QString::fromLatin1(usage),
                       help ? QString::fromUtf8(help) : QString(), std::move(run)});
}
