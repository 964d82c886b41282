#include <QJsonDocument>
#include <QTextStream>

#include "cli/clicommand.h"
#include "cli/clisession.h"
#include "cli/modeljson.h"
#include "model/keyboardconfigutil.h"

static CliCommand::Registrar registerDump(
    "dump", "dump [--json]                read the whole configuration and print it",
    [](CliSession& s, const QStringList& args) {
        const bool json = args == QStringList{QStringLiteral("--json")};
        if (!json && !args.isEmpty()) return s.refuse(QStringLiteral("dump takes only --json"));
        if (!s.open() || !s.sync(0) || !s.loadProduct()) return 1;
        QTextStream out(stdout);
        if (json)
            out << QJsonDocument(ModelJson::toJson(s.model())).toJson(QJsonDocument::Indented);
        else
            out << ModelJson::summary(s.model());
        return 0;
    });
