// key get LAYER KEY | key set LAYER KEY BINDING | key reset LAYER [KEY]: the
// key map of both layers, sent and confirmed as the key page does it.
#include <cstdio>

#include "catalogue/keycatalogue.h"
#include "cli/clicommand.h"
#include "cli/cliinput.h"
#include "cli/clisession.h"
#include "model/keyboardconfigutil.h"

namespace {

constexpr uchar kSource = 4;  // the key page's source

QString describe(const KeyboardConfigUtil& m, const KeyBinding& b) {
    const quint8 kind =
        b.type == KeyCatalogue::TypeAdvanced ? m.highKeyAttribute(b.lValue) : KeyCatalogue::NoKind;
    return CliInput::bindingName(b.type, b.hValue, b.lValue, kind);
}

KeyBinding bindingOf(const KeyboardConfigUtil& m, int layer, quint8 keyItem) {
    const KeyBindingPtr b = m.keyConfig(layer, keyItem);
    return b ? *b : KeyBinding{keyItem, KeyCatalogue::TypeNone, 0xFF, 0xFF};
}

// A TGL, MT or DKS key that loses its binding frees its record, as on the key
// page; the keyboard frees it too, the model follows its answer.
void releaseAdvancedKey(CliSession& s, const KeyBinding& before) {
    if (before.type != KeyCatalogue::TypeAdvanced) return;
    KeyboardConfigUtil& m = s.model();
    if (m.highKeyAttribute(before.lValue) > 2) return;
    for (int slot = 0; slot < m.keyboardHighKeyList.size(); ++slot) {
        const HighKeyPtr record = m.keyboardHighKeyList.at(slot);
        if (!record || record->item != before.lValue) continue;
        const HIGH_KEY_INFO info = *record;
        const int error = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_del_high_key,
                                     [&] { s.engine().delHighKey(kSource, true, info); });
        if (error) {
            std::fprintf(stderr, "zentaro-cli: warning: advanced key %d was not freed (error %d)\n",
                         info.item, error);
            return;
        }
        m.clearHighKey(slot);
        s.say(QStringLiteral("freed advanced key %1").arg(info.item));
        return;
    }
}

int get(CliSession& s, int layer, quint8 key) {
    const KeyboardConfigUtil& m = s.model();
    const KeyBinding b = bindingOf(m, layer, key);
    s.say(QStringLiteral("layer %1 %2: %3 (%4:%5:%6)")
              .arg(layer)
              .arg(CliInput::keyName(m, key), describe(m, b))
              .arg(b.type)
              .arg(b.hValue)
              .arg(b.lValue));
    return 0;
}

int set(CliSession& s, int layer, quint8 key, quint8 type, quint8 hValue, quint8 lValue) {
    KeyboardConfigUtil& m = s.model();
    const KeyBinding before = bindingOf(m, layer, key);
    // Every key number drawn as this key, as the key page sends them.
    auto map = QSharedPointer<KeyBindingMap>::create();
    for (quint8 k : m.keysAtPosition(layer, key))
        map->insert(k, KeyBindingPtr::create(KeyBinding{k, type, hValue, lValue}));
    const int error =
        s.exchange(kSource, &UsbCommunicateUtil::usb_receive_set_keyboard_config,
                   [&] { s.engine().setKeyboardConfig(kSource, true, uchar(layer), map); });
    const QString what = QStringLiteral("layer %1 %2").arg(layer).arg(CliInput::keyName(m, key));
    if (error) return s.fail(QStringLiteral("cannot bind %1").arg(what), error);
    m.setKeyConfig(layer, key, type, hValue, lValue);
    s.say(QStringLiteral("%1: %2 -> %3")
              .arg(what, describe(m, before), describe(m, bindingOf(m, layer, key))));
    releaseAdvancedKey(s, before);
    return 0;
}

int reset(CliSession& s, int layer, int key) {
    KeyboardConfigUtil& m = s.model();
    const bool whole = key < 0;
    const KeyBinding before = whole ? KeyBinding{} : bindingOf(m, layer, quint8(key));
    // Records no key carries once the layer is reset.
    const QList<HIGH_KEY_INFO> orphaned =
        whole ? m.highKeysOnlyInLayer(layer) : QList<HIGH_KEY_INFO>();
    bool everything = false;
    QMetaObject::Connection flag =
        QObject::connect(&s.engine(), &UsbCommunicateUtil::usb_receive_set_keyboard_default, &s,
                         [&](uchar, int, int, uchar, bool f) { everything = f; });
    // 0xFF twice: the keyboard restores the whole layer. One key goes with
    // the other key number drawn as it (two at most in one request).
    QByteArray keys(2, char(0xFF));
    if (!whole) {
        const QList<quint8> drawn = m.keysAtPosition(layer, quint8(key));
        for (int i = 0; i < 2 && i < drawn.size(); ++i) keys[i] = char(drawn[i]);
    }
    const int error =
        s.exchange(kSource, &UsbCommunicateUtil::usb_receive_set_keyboard_default,
                   [&] { s.engine().setKeyboardDefault(kSource, true, uchar(layer), keys); });
    QObject::disconnect(flag);
    const QString what =
        whole ? QStringLiteral("layer %1").arg(layer)
              : QStringLiteral("layer %1 %2").arg(layer).arg(CliInput::keyName(m, quint8(key)));
    if (error) return s.fail(QStringLiteral("cannot reset %1").arg(what), error);
    if (whole || everything) {
        for (const HIGH_KEY_INFO& info : orphaned) {
            const int freeing = s.exchange(kSource, &UsbCommunicateUtil::usb_receive_del_high_key,
                                           [&] { s.engine().delHighKey(kSource, true, info); });
            if (freeing) {
                std::fprintf(stderr,
                             "zentaro-cli: warning: advanced key %d was not freed (error %d)\n",
                             info.item, freeing);
                break;
            }
            s.say(QStringLiteral("freed advanced key %1").arg(info.item));
        }
        // The keyboard rewrote the layer; read back what it holds now.
        if (!s.sync(1)) return 1;
        s.say(QStringLiteral("%1: every key has its factory binding").arg(what));
        return 0;
    }
    s.engine().commitSetKeyboardDefault(&m, uchar(layer));
    s.say(QStringLiteral("%1: %2 -> %3")
              .arg(what, describe(m, before), describe(m, bindingOf(m, layer, quint8(key)))));
    releaseAdvancedKey(s, before);
    return 0;
}

int run(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    int min = 0, max = 0;
    if (verb == QLatin1String("get")) {
        min = max = 3;
    } else if (verb == QLatin1String("set")) {
        min = max = 4;
    } else if (verb == QLatin1String("reset")) {
        min = 2;
        max = 3;
    } else {
        return s.refuse(QStringLiteral("key: say get, set or reset (zentaro-cli key --help)"));
    }
    if (args.size() < min || args.size() > max)
        return s.refuse(QStringLiteral("key %1: %2")
                            .arg(verb, args.size() > max ? QStringLiteral("too many arguments")
                                                         : QStringLiteral("missing arguments")));
    QString why;
    int layer = 0;
    if (!CliInput::layer(args.at(1), &layer, &why)) return s.refuse(why);
    quint8 type = 0, hValue = 0, lValue = 0;
    if (verb == QLatin1String("set") &&
        !CliInput::binding(args.at(3), &type, &hValue, &lValue, &why))
        return s.refuse(why);
    if (!s.readKeyboard()) return 1;
    if (args.size() < 3) return reset(s, layer, -1);
    quint8 key = 0;
    if (!CliInput::key(s.model(), args.at(2), &key, &why)) return s.refuse(why);
    if (verb == QLatin1String("get")) return get(s, layer, key);
    if (verb == QLatin1String("set")) return set(s, layer, key, type, hValue, lValue);
    return reset(s, layer, key);
}

}  // namespace

static CliCommand::Registrar registerKey(
    "key",
    "key get LAYER KEY            print what KEY does in LAYER\n"
    "key set LAYER KEY BINDING    make KEY do BINDING in LAYER\n"
    "key reset LAYER [KEY]        give KEY (or every key) its factory binding",
    run,
    "LAYER is 0 or 1 (or fn, the Fn layer). KEY is a key number or the label of\n"
    "the key's factory binding: \"Esc\", \"A\", \"Left Shift\". BINDING is a key\n"
    "function by name (\"F13\", \"Left Ctrl\", \"M3\" for macro 3, \"mute\", \"none\")\n"
    "or TYPE:H:L. A key that held an advanced key (TGL, MT, DKS) frees its record.");
