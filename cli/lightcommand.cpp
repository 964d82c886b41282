// light effect N|custom | light custom KEYS #RRGGBB BRIGHTNESS: the lighting,
// sent and confirmed as the lighting page does it.
#include <QRegularExpression>
#include <QSet>

#include "cli/clicommand.h"
#include "cli/cliinput.h"
#include "cli/clisession.h"
#include "model/keyboardconfigutil.h"

namespace {

constexpr uchar kSource = 5;  // the lighting page's source
constexpr int kCustomMode = 255;

QString effectName(const KeyboardConfigUtil& m, int item) {
    if (item == kCustomMode) return QStringLiteral("custom");
    const EffectNamePtr n = m.keyboardEffectNameMap.value(quint8(item));
    return n && !n->name.isEmpty() ? n->name : QStringLiteral("effect %1").arg(item);
}

// An effect number the keyboard knows, its name, or "custom".
bool effectArg(const KeyboardConfigUtil& m, const QString& text, int* item, QString* why) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("custom"), Qt::CaseInsensitive) == 0) {
        *item = kCustomMode;
        return true;
    }
    bool ok = false;
    const int n = t.toInt(&ok);
    if (ok && n >= 0 && n < kCustomMode && m.keyboardEffectLightMap.contains(quint8(n))) {
        *item = n;
        return true;
    }
    QStringList known;
    for (const EffectLightPtr& e : m.keyboardEffectLightMap) {
        const QString name = effectName(m, e->item);
        if (name.compare(t, Qt::CaseInsensitive) == 0) {
            *item = e->item;
            return true;
        }
        known << QStringLiteral("%1 %2").arg(e->item).arg(name);
    }
    *why = QStringLiteral("the keyboard has no effect \"%1\" (it has custom, %2)")
               .arg(t, known.join(QStringLiteral(", ")));
    return false;
}

int effect(CliSession& s, const QString& text) {
    QString why;
    int item = 0;
    if (!effectArg(s.model(), text, &item, &why)) return s.refuse(why);
    const int error = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_select_effect_light,
                                 [&] { s.engine().selectEffectLight(kSource, true, uchar(item)); });
    if (error) return s.fail(QStringLiteral("cannot select the effect"), error);
    s.say(QStringLiteral("lighting effect: %1").arg(effectName(s.model(), item)));
    return 0;
}

struct Colour {
    quint8 r = 0, g = 0, b = 0;
    QString name() const {
        return QStringLiteral("#%1%2%3")
            .arg(r, 2, 16, QLatin1Char('0'))
            .arg(g, 2, 16, QLatin1Char('0'))
            .arg(b, 2, 16, QLatin1Char('0'))
            .toUpper();
    }
};

int custom(CliSession& s, const QByteArray& picked, const Colour& colour, int brightness) {
    KeyboardConfigUtil& m = s.model();
    // Keys of one position light together, as the page sends them.
    QByteArray keys = picked;
    for (char k : picked) {
        const KeyPositionPtr p = m.keyboardPositionMap.value(quint8(k));
        if (!p) continue;
        for (const KeyPositionPtr& other : std::as_const(m.keyboardPositionMap))
            if (other->posItem == p->posItem && !keys.contains(char(other->keyItem)))
                keys.append(char(other->keyItem));
    }
    EffectLightEntry entry;
    entry.light = quint8(brightness);
    entry.colorR = colour.r;
    entry.colorG = colour.g;
    entry.colorB = colour.b;
    const int error = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_set_custom_light,
                                 [&] { s.engine().setCustomLight(kSource, true, entry, keys); });
    if (error) return s.fail(QStringLiteral("cannot set the key light"), error);
    s.engine().commitSetCustomLight(&m);
    for (char k : std::as_const(picked))
        s.say(QStringLiteral("%1: %2, brightness %3")
                  .arg(CliInput::keyName(m, quint8(k)), colour.name())
                  .arg(brightness));
    return 0;
}

int run(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    QString why;
    if (verb == QLatin1String("effect")) {
        if (args.size() != 2) return s.refuse(QStringLiteral("usage: zentaro-cli light effect N"));
        if (!s.readKeyboard()) return 1;
        return effect(s, args.at(1));
    }
    if (verb != QLatin1String("custom"))
        return s.refuse(QStringLiteral("light: say effect or custom (zentaro-cli light --help)"));
    if (args.size() != 4)
        return s.refuse(QStringLiteral("usage: zentaro-cli light custom KEYS #RRGGBB BRIGHTNESS"));
    static const QRegularExpression hex(QStringLiteral("^#?[0-9A-Fa-f]{6}$"));
    const QString colourText = args.at(2).trimmed();
    if (!hex.match(colourText).hasMatch())
        return s.refuse(QStringLiteral("\"%1\" is no colour like #FF8800").arg(colourText));
    const uint rgb = colourText.right(6).toUInt(nullptr, 16);
    const Colour colour{quint8(rgb >> 16), quint8(rgb >> 8), quint8(rgb)};
    int brightness = 0;
    if (!CliInput::number(args.at(3), 0, 100, QStringLiteral("brightness"), &brightness, &why))
        return s.refuse(why);
    if (!s.readKeyboard()) return 1;
    QByteArray keys;
    if (!CliInput::keys(s.model(), args.at(1), &keys, &why)) return s.refuse(why);
    for (char k : std::as_const(keys))
        if (!s.model().customLight(quint8(k)))
            return s.refuse(QStringLiteral("%1 has no light of its own")
                                .arg(CliInput::keyName(s.model(), quint8(k))));
    return custom(s, keys, colour, brightness);
}

}  // namespace

static CliCommand::Registrar registerLight(
    "light",
    "light effect N               select effect N (a number, a name, or custom)\n"
    "light custom KEYS #RRGGBB BRIGHTNESS  light KEYS in one colour (0 to 100)",
    run,
    "KEYS is a comma list of keys. The custom colours show while the custom\n"
    "mode is selected (\"light effect custom\").");
