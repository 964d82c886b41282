// trigger get KEYS | trigger set KEYS ACTUATION [--rapid PRESS RELEASE|off]
// [--continuous on|off]: actuation points and rapid trigger per key, sent and
// confirmed as the performance page does it.
#include "cli/clicommand.h"
#include "cli/cliinput.h"
#include "cli/clisession.h"
#include "model/keyboardconfigutil.h"

namespace {

constexpr uchar kSource = 8;  // the performance page's source

struct Request {
    QByteArray keys;
    quint16 actuation = 0;
    bool rapidGiven = false;
    bool rapid = false;
    quint16 press = 0;
    quint16 release = 0;
    bool continuousGiven = false;
    bool continuous = false;
};

QString settingText(const TriggerSetting& t) {
    QString text = QStringLiteral("actuation %1 mm").arg(CliInput::millimetres(t.trigger));
    if (t.model)
        text +=
            QStringLiteral(", rapid trigger %1/%2 mm%3")
                .arg(CliInput::millimetres(t.quickTrigger), CliInput::millimetres(t.resetTrigger),
                     t.quick ? QStringLiteral(", continuous") : QString());
    else
        text += QStringLiteral(", rapid trigger off");
    return text;
}

// Everything is checked against the product's ranges before a byte is sent.
bool parse(CliSession& s, const QStringList& args, Request* r, QString* why) {
    const ProductRecord& p = *s.model().keyboardProduct;
    if (!CliInput::keys(s.model(), args.at(1), &r->keys, why)) return false;
    for (char k : std::as_const(r->keys)) {
        if (!s.model().triggerConfig(quint8(k))) {
            *why = QStringLiteral("%1 has no magnetic switch setting")
                       .arg(CliInput::keyName(s.model(), quint8(k)));
            return false;
        }
    }
    if (!CliInput::distance(args.at(2), p.triggerMin, p.triggerMax, &r->actuation, why)) {
        *why = QStringLiteral("actuation: ") + *why;
        return false;
    }
    for (int i = 3; i < args.size(); ++i) {
        const QString& option = args.at(i);
        if (option == QLatin1String("--rapid") && !r->rapidGiven) {
            r->rapidGiven = true;
            if (args.value(i + 1) == QLatin1String("off")) {
                ++i;
                continue;
            }
            if (i + 2 >= args.size()) {
                *why = QStringLiteral("--rapid takes PRESS RELEASE in millimetres, or off");
                return false;
            }
            r->rapid = true;
            if (!CliInput::distance(args.at(i + 1), p.qttMin, p.qttMax, &r->press, why)) {
                *why = QStringLiteral("rapid trigger press: ") + *why;
                return false;
            }
            if (!CliInput::distance(args.at(i + 2), p.qrtMin, p.qrtMax, &r->release, why)) {
                *why = QStringLiteral("rapid trigger release: ") + *why;
                return false;
            }
            i += 2;
        } else if (option == QLatin1String("--continuous") && !r->continuousGiven) {
            r->continuousGiven = true;
            if (!CliInput::onOff(args.value(i + 1), QStringLiteral("--continuous"), &r->continuous,
                                 why))
                return false;
            ++i;
        } else {
            *why = QStringLiteral("trigger set: unexpected argument \"%1\"").arg(option);
            return false;
        }
    }
    return true;
}

int set(CliSession& s, const Request& r) {
    KeyboardConfigUtil& m = s.model();
    TriggerSetting setting;
    setting.trigger = r.actuation;
    int error = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_set_trigger_config,
                           [&] { s.engine().setTriggerConfig(kSource, true, setting, r.keys); });
    if (error) return s.fail(QStringLiteral("cannot set the actuation point"), error);
    s.engine().commitSetTriggerConfig(&m);
    if (r.rapidGiven || r.continuousGiven) {
        // One record per key, each keeping what was not asked for.
        QuickTriggerList list;
        for (char k : r.keys) {
            const TriggerSettingPtr t = m.triggerConfig(quint8(k));
            auto q = QuickTriggerPtr::create();
            q->keyItem = quint8(k);
            q->model = r.rapidGiven ? r.rapid : t->model;
            q->quick = r.continuousGiven ? r.continuous : t->quick;
            q->quickTrigger = r.rapid ? r.press : t->quickTrigger;
            q->resetTrigger = r.rapid ? r.release : t->resetTrigger;
            list.append(q);
        }
        error = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_set_quick_trigger_config,
                           [&] { s.engine().setQuickTriggerConfig(kSource, true, list); });
        if (error) {
            s.say(QStringLiteral("actuation set to %1 mm").arg(CliInput::millimetres(r.actuation)));
            return s.fail(QStringLiteral("cannot set rapid trigger"), error);
        }
        s.engine().commitSetQuickTriggerConfig(&m);
    }
    for (char k : r.keys)
        s.say(QStringLiteral("%1: %2").arg(CliInput::keyName(m, quint8(k)),
                                           settingText(*m.triggerConfig(quint8(k)))));
    return 0;
}

int run(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    if (verb != QLatin1String("get") && verb != QLatin1String("set"))
        return s.refuse(QStringLiteral("trigger: say get or set (zentaro-cli trigger --help)"));
    if (verb == QLatin1String("get") && args.size() != 2)
        return s.refuse(QStringLiteral("trigger get: give one comma list of keys"));
    if (verb == QLatin1String("set") && args.size() < 3)
        return s.refuse(QStringLiteral("trigger set: missing arguments"));
    if (!s.readKeyboard()) return 1;
    if (!s.model().keyboardProduct) return s.fail(QStringLiteral("the product is not known"));
    QString why;
    if (verb == QLatin1String("get")) {
        QByteArray keys;
        if (!CliInput::keys(s.model(), args.at(1), &keys, &why)) return s.refuse(why);
        for (char k : std::as_const(keys)) {
            const TriggerSettingPtr t = s.model().triggerConfig(quint8(k));
            s.say(QStringLiteral("%1: %2").arg(
                CliInput::keyName(s.model(), quint8(k)),
                t ? settingText(*t) : QStringLiteral("no magnetic switch setting")));
        }
        return 0;
    }
    Request r;
    if (!parse(s, args, &r, &why)) return s.refuse(why);
    return set(s, r);
}

}  // namespace

static CliCommand::Registrar registerTrigger(
    "trigger",
    "trigger get KEYS             print actuation and rapid trigger of KEYS\n"
    "trigger set KEYS ACTUATION [--rapid PRESS RELEASE|off] [--continuous on|off]",
    run,
    "KEYS is a comma list of keys (numbers or labels: \"A,S,D\"). Distances are in\n"
    "millimetres as the performance page shows them (\"1.20\") and must lie within\n"
    "the keyboard's ranges. --rapid turns rapid trigger on with the press and\n"
    "release sensitivities, or off; without it rapid trigger stays as it is.");
