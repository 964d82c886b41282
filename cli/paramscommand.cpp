// params get | params set NAME=VALUE...: the keyboard's global parameters,
// sent and confirmed as the performance page does it.
#include "cli/clicommand.h"
#include "cli/cliinput.h"
#include "cli/clisession.h"
#include "model/keyboardconfigutil.h"

namespace {

constexpr uchar kSource = 8;  // the performance page's source
const QStringList kPolling{QStringLiteral("8K"), QStringLiteral("4K"), QStringLiteral("2K"),
                           QStringLiteral("1K")};
const QStringList kDebounce{QStringLiteral("low"), QStringLiteral("middle"),
                            QStringLiteral("high")};

QString onOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QStringList describe(const WholeParam& w, bool rates) {
    QStringList out;
    if (rates) {
        // A value no button stands for is shown as the keyboard holds it.
        out << QStringLiteral("polling=%1")
                   .arg(kPolling.value(w.pollingRate, QString::number(w.pollingRate)))
            << QStringLiteral("debounce=%1")
                   .arg(kDebounce.value(w.shakeLevel, QString::number(w.shakeLevel)));
    }
    out << QStringLiteral("dead-down=%1").arg(w.deadDown)
        << QStringLiteral("dead-up=%1").arg(w.deadUp)
        << QStringLiteral("touch=%1").arg(onOff(w.touchOptimize))
        << QStringLiteral("sports=%1").arg(onOff(w.sportsMode));
    return out;
}

// Applies NAME=VALUE to `w`; false with the reason when anything is wrong.
bool apply(const QString& arg, bool rates, WholeParam* w, QString* why) {
    const int eq = int(arg.indexOf(QLatin1Char('=')));
    const QString name = arg.left(eq).trimmed().toLower();
    const QString value = eq < 0 ? QString() : arg.mid(eq + 1).trimmed();
    if (eq < 0 || value.isEmpty()) {
        *why = QStringLiteral("\"%1\" is no NAME=VALUE").arg(arg);
        return false;
    }
    if ((name == QLatin1String("polling") || name == QLatin1String("debounce")) && !rates) {
        *why = QStringLiteral("this keyboard does not let %1 be set").arg(name);
        return false;
    }
    if (name == QLatin1String("polling")) {
        const int i = int(kPolling.indexOf(value.toUpper()));
        if (i < 0) {
            *why = QStringLiteral("polling takes 8K, 4K, 2K or 1K, not \"%1\"").arg(value);
            return false;
        }
        w->pollingRate = qint8(i);
    } else if (name == QLatin1String("debounce")) {
        const int i = int(kDebounce.indexOf(value.toLower()));
        if (i < 0) {
            *why = QStringLiteral("debounce takes low, middle or high, not \"%1\"").arg(value);
            return false;
        }
        w->shakeLevel = qint8(i);
    } else if (name == QLatin1String("dead-down") || name == QLatin1String("dead-up")) {
        int v = 0;
        if (!CliInput::number(value, 0, 100, name, &v, why)) return false;
        (name == QLatin1String("dead-down") ? w->deadDown : w->deadUp) = qint16(v);
    } else if (name == QLatin1String("touch")) {
        if (!CliInput::onOff(value, name, &w->touchOptimize, why)) return false;
    } else if (name == QLatin1String("sports")) {
        if (!CliInput::onOff(value, name, &w->sportsMode, why)) return false;
    } else {
        *why = QStringLiteral(
                   "unknown parameter \"%1\" (polling, debounce, dead-down, dead-up, "
                   "touch, sports)")
                   .arg(name);
        return false;
    }
    return true;
}

int run(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    if (verb == QLatin1String("get") && args.size() != 1)
        return s.refuse(QStringLiteral("params get: too many arguments"));
    if (verb == QLatin1String("set") && args.size() < 2)
        return s.refuse(QStringLiteral("params set: give at least one NAME=VALUE"));
    if (verb != QLatin1String("get") && verb != QLatin1String("set"))
        return s.refuse(QStringLiteral("params: say get or set (zentaro-cli params --help)"));
    // The syntax is refused before the keyboard is even opened.
    WholeParam probe;
    QString why;
    for (const QString& arg : args.mid(1))
        if (!apply(arg, true, &probe, &why)) return s.refuse(why);
    if (!s.readKeyboard()) return 1;
    KeyboardConfigUtil& m = s.model();
    // Keyboards that flag it have no polling rate or debounce setting.
    const bool rates = !m.keyboardProductInfo->flag0;
    if (verb == QLatin1String("get")) {
        s.say(describe(*m.keyboardWholeParam, rates).join(QLatin1Char(' ')));
        return 0;
    }
    WholeParam wanted = *m.keyboardWholeParam;
    for (const QString& arg : args.mid(1))
        if (!apply(arg, rates, &wanted, &why)) return s.refuse(why);
    const QStringList before = describe(*m.keyboardWholeParam, rates);
    const QStringList after = describe(wanted, rates);
    if (before == after) {
        s.say(QStringLiteral("nothing to change: ") + after.join(QLatin1Char(' ')));
        return 0;
    }
    const int error = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_set_whole_param,
                                 [&] { s.engine().setWholeParam(kSource, true, wanted); });
    if (error) return s.fail(QStringLiteral("cannot set the parameters"), error);
    *m.keyboardWholeParam = wanted;
    for (int i = 0; i < after.size(); ++i)
        if (before.at(i) != after.at(i))
            s.say(QStringLiteral("%1 -> %2").arg(before.at(i), after.at(i)));
    return 0;
}

}  // namespace

static CliCommand::Registrar registerParams(
    "params",
    "params get                   print the global parameters\n"
    "params set NAME=VALUE...     polling=8K|4K|2K|1K debounce=low|middle|high\n"
    "                             dead-down=N dead-up=N touch=on|off sports=on|off",
    run,
    "Dead zones N are 0 to 100 hundredths of a millimetre. Every value is checked\n"
    "before anything is sent; parameters not named keep their values.");
