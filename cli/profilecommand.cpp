// profile list | switch N | add | delete N | rename N NAME: the keyboard's
// stored profiles (configuration tables), as the main window's list does it.
#include <cstdio>

#include "cli/clicommand.h"
#include "cli/cliinput.h"
#include "cli/clisession.h"
#include "model/keyboardconfigutil.h"

namespace {

constexpr uchar kSource = 2;  // the main window's source: tables are its business
// Add, delete and rename go out without the engine's retries (the keyboard
// writes its flash first); the main window waits this long for them too.
constexpr int kTableAnswerMs = 10000;
constexpr int kNameBytes = 28;

int rowOf(const KeyboardConfigUtil& m, int table) {
    for (int row = 0; row < m.keyboardConfigList.size(); ++row)
        if (m.keyboardConfigList.at(row) && m.keyboardConfigList.at(row)->index == table)
            return row;
    return -1;
}

QString nameOf(const KeyboardConfigUtil& m, int table) {
    const int row = rowOf(m, table);
    return row < 0 ? QString() : m.keyboardConfigList.at(row)->configName;
}

// A table number the keyboard holds, else a refusal naming the ones it has.
bool tableArg(CliSession& s, const QString& text, int* table, QString* why) {
    const KeyboardConfigUtil& m = s.model();
    bool ok = false;
    const int n = text.toInt(&ok);
    if (ok && rowOf(m, n) >= 0) {
        *table = n;
        return true;
    }
    QStringList have;
    for (const ConfigTableEntryPtr& t : m.keyboardConfigList) have << QString::number(t->index);
    *why = QStringLiteral("the keyboard has no profile \"%1\" (it has %2)")
               .arg(text, have.join(QStringLiteral(", ")));
    return false;
}

// Cuts a name to what its slot holds, at a character boundary: a cut inside
// a character would store bytes that no longer read as text.
QString fitName(const QString& name, bool* cut) {
    QString out;
    int bytes = 0;
    *cut = false;
    for (int i = 0; i < name.size();) {
        const int width = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QString ch = name.mid(i, width);
        const int size = int(ch.toUtf8().size());
        if (bytes + size > kNameBytes) {
            *cut = true;
            break;
        }
        out += ch;
        bytes += size;
        i += width;
    }
    return out;
}

// The list after a change, read back from the keyboard.
bool reread(CliSession& s) {
    return s.sync(1);
}

int list(CliSession& s) {
    const KeyboardConfigUtil& m = s.model();
    for (const ConfigTableEntryPtr& t : m.keyboardConfigList)
        s.say(
            QStringLiteral("%1 %2 %3")
                .arg(t->index == m.keyboardConfigIndex ? QStringLiteral("*") : QStringLiteral(" "))
                .arg(t->index)
                .arg(t->configName));
    return 0;
}

int switchTo(CliSession& s, int table) {
    KeyboardConfigUtil& m = s.model();
    if (table == m.keyboardConfigIndex) {
        s.say(QStringLiteral("profile %1 (%2) is already active").arg(table).arg(nameOf(m, table)));
        return 0;
    }
    const int error =
        s.exchange(kSource, &UsbCommunicateUtil::usb_receive_switch_config_table,
                   [&] { s.engine().switchConfigTable(kSource, true, uchar(table)); });
    if (error) return s.fail(QStringLiteral("cannot switch to profile %1").arg(table), error);
    if (!reread(s)) return 1;
    if (m.keyboardConfigIndex != table)
        return s.fail(
            QStringLiteral("the keyboard stayed on profile %1").arg(m.keyboardConfigIndex));
    s.say(QStringLiteral("switched to profile %1 (%2)").arg(table).arg(nameOf(m, table)));
    return 0;
}

int add(CliSession& s) {
    KeyboardConfigUtil& m = s.model();
    int table = 0;
    while (rowOf(m, table) >= 0) ++table;
    if (table > 255) return s.fail(QStringLiteral("the keyboard holds no more profiles"));
    const int before = m.keyboardConfigList.size();
    const int error = s.exchange(
        kSource, &UsbCommunicateUtil::usb_receive_add_config_table,
        [&] { s.engine().addConfigTable(kSource, false, uchar(table)); }, kTableAnswerMs);
    if (error) return s.fail(QStringLiteral("cannot add a profile"), error);
    if (!reread(s)) return 1;
    if (rowOf(m, table) < 0 || m.keyboardConfigList.size() <= before)
        return s.fail(QStringLiteral("the keyboard did not add a profile (it may hold no more)"));
    s.say(QStringLiteral("added profile %1 (%2)").arg(table).arg(nameOf(m, table)));
    return 0;
}

int remove(CliSession& s, int table) {
    KeyboardConfigUtil& m = s.model();
    const QString name = nameOf(m, table);
    const int error = s.exchange(
        kSource, &UsbCommunicateUtil::usb_receive_del_config_table,
        [&] { s.engine().delConfigTable(kSource, false, uchar(table)); }, kTableAnswerMs);
    if (error) return s.fail(QStringLiteral("cannot delete profile %1").arg(table), error);
    if (!reread(s)) return 1;
    if (rowOf(m, table) >= 0)
        return s.fail(QStringLiteral("the keyboard kept profile %1").arg(table));
    s.say(QStringLiteral("deleted profile %1 (%2)").arg(table).arg(name));
    return 0;
}

int rename(CliSession& s, int table, const QString& wanted) {
    KeyboardConfigUtil& m = s.model();
    bool cut = false;
    const QString name = fitName(wanted, &cut);
    if (cut)
        std::fprintf(stderr, "zentaro-cli: warning: the name is cut to %d bytes: \"%s\"\n",
                     kNameBytes, qPrintable(name));
    const int error = s.exchange(
        kSource, &UsbCommunicateUtil::usb_receive_set_config_info,
        [&] { s.engine().setConfigInfo(kSource, false, uchar(table), name); }, kTableAnswerMs);
    if (error) return s.fail(QStringLiteral("cannot rename profile %1").arg(table), error);
    if (!reread(s)) return 1;
    if (nameOf(m, table) != name)
        return s.fail(
            QStringLiteral("the keyboard did not take the name of profile %1").arg(table));
    s.say(QStringLiteral("renamed profile %1 to %2").arg(table).arg(name));
    return 0;
}

int run(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    const int wanted = verb == QLatin1String("list") || verb == QLatin1String("add")        ? 1
                       : verb == QLatin1String("switch") || verb == QLatin1String("delete") ? 2
                       : verb == QLatin1String("rename")                                    ? 3
                                                                                            : 0;
    if (!wanted)
        return s.refuse(
            QStringLiteral("profile: say list, switch, add, delete or rename "
                           "(zentaro-cli profile --help)"));
    if (args.size() != wanted)
        return s.refuse(QStringLiteral("profile %1: %2")
                            .arg(verb, args.size() > wanted ? QStringLiteral("too many arguments")
                                                            : QStringLiteral("missing arguments")));
    if (verb == QLatin1String("rename") && args.at(2).trimmed().isEmpty())
        // An empty name slot reads as no table at all: the profile would vanish from every list.
        return s.refuse(QStringLiteral("profile rename: the name must not be empty"));
    if (!s.readKeyboard()) return 1;
    if (verb == QLatin1String("list")) return list(s);
    if (verb == QLatin1String("add")) return add(s);
    int table = 0;
    QString why;
    if (!tableArg(s, args.at(1), &table, &why)) return s.refuse(why);
    if (verb == QLatin1String("switch")) return switchTo(s, table);
    if (verb == QLatin1String("rename")) return rename(s, table, args.at(2));
    if (s.model().keyboardConfigList.size() < 2)
        return s.refuse(
            QStringLiteral("cannot delete the only profile: a keyboard keeps at "
                           "least one"));
    return remove(s, table);
}

}  // namespace

static CliCommand::Registrar registerProfile(
    "profile",
    "profile list                 list the profiles (* marks the active one)\n"
    "profile switch N             make profile N the active one\n"
    "profile add                  add a profile\n"
    "profile delete N             delete profile N (never the last one)\n"
    "profile rename N NAME        name profile N (at most 28 bytes of UTF-8)",
    run,
    "N is a profile number as \"profile list\" prints it. Every change is read back\n"
    "from the keyboard before it is reported.");
