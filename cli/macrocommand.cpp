// macro get N [--json] | macro set N FILE.json | macro clear N: the ten
// macros, sent and confirmed as the macro page does it.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cstdio>

#include "catalogue/keycatalogue.h"
#include "cli/clicommand.h"
#include "cli/clierrors.h"
#include "cli/cliinput.h"
#include "cli/clisession.h"
#include "model/keyboardconfigutil.h"

namespace {

constexpr uchar kSource = 7;  // the macro page's source
// "3" or "M3": macro 3, index 2.
bool macroNumber(const QString& text, int* index, QString* why) {
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('M'), Qt::CaseInsensitive)) t = t.mid(1);
    int n = 0;
    if (!CliInput::number(t, 1, KeyboardConfigUtil::MacroCount, QStringLiteral("the macro number"),
                          &n, why))
        return false;
    *index = n - 1;
    return true;
}

// The key of an event as a name that reads back to the same key.
QString keyText(const MacroEvent& e) {
    const QString name = KeyCatalogue::displayName(e.type, e.hValue, e.lValue);
    quint8 type = 0, h = 0, l = 0;
    if (!name.isEmpty() && KeyCatalogue::bindingForName(name, &type, &h, &l) && type == e.type &&
        h == e.hValue && l == e.lValue)
        return name;
    return QStringLiteral("%1:%2:%3").arg(e.type).arg(e.hValue).arg(e.lValue);
}

QJsonObject toJson(int index, const MacroEventList& events) {
    QJsonArray list;
    for (const MacroEventPtr& e : events)
        list.append(QJsonObject{
            {"key", keyText(*e)}, {"action", e->state ? "down" : "up"}, {"time", e->time}});
    return {{"macro", index + 1}, {"events", list}};
}

// Reads the events of a JSON file as "macro get --json" writes them; every
// field is checked, nothing is guessed.
bool readEvents(const QString& path, MacroEventList* events, QString* why) {
    const QString cannot = CliErrors::unreadable(path);
    if (!cannot.isEmpty()) {
        *why = cannot;
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    return CliInput::macroEvents(file.readAll(), path, events, why);
}

QString eventsText(const MacroEventList& events) {
    QStringList parts;
    for (const MacroEventPtr& e : events)
        parts << QStringLiteral("%1 %2 %3ms")
                     .arg(keyText(*e), e->state ? QStringLiteral("down") : QStringLiteral("up"))
                     .arg(e->time);
    return parts.isEmpty() ? QStringLiteral("empty") : parts.join(QStringLiteral(", "));
}

int run(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    QString why;
    int index = 0;
    const bool json =
        verb == QLatin1String("get") && args.size() == 3 && args.at(2) == QLatin1String("--json");
    if (verb == QLatin1String("get")) {
        if (args.size() < 2 || (args.size() == 3 && !json) || args.size() > 3)
            return s.refuse(QStringLiteral("usage: zentaro-cli macro get N [--json]"));
    } else if (verb == QLatin1String("set")) {
        if (args.size() != 3)
            return s.refuse(QStringLiteral("usage: zentaro-cli macro set N FILE.json"));
    } else if (verb == QLatin1String("clear")) {
        if (args.size() != 2) return s.refuse(QStringLiteral("usage: zentaro-cli macro clear N"));
    } else {
        return s.refuse(QStringLiteral("macro: say get, set or clear (zentaro-cli macro --help)"));
    }
    if (!macroNumber(args.at(1), &index, &why)) return s.refuse(why);
    MacroEventList events;
    if (verb == QLatin1String("set") && !readEvents(args.at(2), &events, &why))
        return s.refuse(why);
    if (!s.readKeyboard()) return 1;
    KeyboardConfigUtil& m = s.model();
    MacroEventList& held = m.keyboardMacroList[size_t(index)];
    if (verb == QLatin1String("get")) {
        if (json)
            std::printf("%s", QJsonDocument(toJson(index, held)).toJson().constData());
        else
            s.say(QStringLiteral("M%1: %2").arg(index + 1).arg(eventsText(held)));
        return 0;
    }
    if (verb == QLatin1String("set")) {
        const int error =
            s.exchange(kSource, &UsbCommunicateUtil::usb_receive_set_macro_config,
                       [&] { s.engine().setMacroConfig(kSource, true, uchar(index), events); });
        if (error) return s.fail(QStringLiteral("cannot store macro M%1").arg(index + 1), error);
        held = events;
        s.say(QStringLiteral("M%1: %2").arg(index + 1).arg(eventsText(held)));
        return 0;
    }
    const int error = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_del_macro_config,
                                 [&] { s.engine().delMacroConfig(kSource, true, uchar(index)); });
    if (error) return s.fail(QStringLiteral("cannot clear macro M%1").arg(index + 1), error);
    held.clear();
    s.say(QStringLiteral("M%1: empty").arg(index + 1));
    return 0;
}

}  // namespace

static CliCommand::Registrar registerMacro(
    "macro",
    "macro get N [--json]         print macro N (1 to 10, or M1 to M10)\n"
    "macro set N FILE.json        store the events of FILE.json as macro N\n"
    "macro clear N                empty macro N",
    run,
    "FILE.json is what \"macro get N --json\" prints: {\"events\": [{\"key\": \"A\",\n"
    "\"action\": \"down\", \"time\": 30}, ...]}, or just the list. A key is a key or\n"
    "modifier name (\"Left Ctrl\") or TYPE:H:L; time is how many milliseconds to wait\n"
    "after the event (0 to 65535). At most 20 events; a bad file sends nothing.");
