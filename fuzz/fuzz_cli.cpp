// zentaro-cli arguments and files: keys by number or label, key lists,
// bindings, layers, distances in millimetres, numbers, switches and macro
// JSON, read against the model of a synced simulated keyboard. First input
// byte picks the reader (and the range of a distance or number); the rest is
// the text.
//
// Checks: a refusal always says why and hands back nothing; what is taken
// lies within the documented ranges (keys of the keyboard, layers 0 and 1,
// distances within the asked range written with ASCII digits, macros of 1
// to 20 key or modifier events) and reads back to the same value from the
// words the tool prints for it.

#include <QRegularExpression>
#include <QSet>

#include "catalogue/keycatalogue.h"
#include "cli/cliinput.h"
#include "fuzz/fuzzsupport.h"
#include "support/configfilerig.h"

namespace {

struct Fixture {
    testsupport::KeyboardRig rig;
    bool ready = false;
};

Fixture& fixture() {
    static Fixture* f = [] {
        auto* made = new Fixture;
        made->ready = made->rig.openSyncAndLoad();
        return made;
    }();
    return *f;
}

bool isKeyOf(const KeyboardConfigUtil& m, quint8 key) {
    return m.keyboardFnMap.contains(key) || m.keyboardPositionMap.contains(key);
}

void refused(bool ok, const QString& why) {
    if (!ok) FuzzSupport::require(!why.isEmpty(), "refused without saying why");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    Fixture& f = fixture();
    FuzzSupport::require(f.ready, "the simulated keyboard did not sync");
    if (size < 2) return 0;
    const uchar mode = data[0];
    const uchar range = data[1];
    const QByteArray raw(reinterpret_cast<const char*>(data) + 2, int(size - 2));
    const QString text = QString::fromUtf8(raw);
    const KeyboardConfigUtil& m = *f.rig.model;
    QString why;
    switch (mode % 8) {
        case 0: {
            quint8 key = 0;
            const bool ok = CliInput::key(m, text, &key, &why);
            refused(ok, why);
            if (!ok) break;
            FuzzSupport::require(isKeyOf(m, key), "took a key the keyboard does not have");
            quint8 again = 0;
            FuzzSupport::require(
                CliInput::key(m, QString::number(key), &again, &why) && again == key,
                "a key's number does not read back");
            FuzzSupport::require(!CliInput::keyName(m, key).isEmpty(), "a key without a name");
            break;
        }
        case 1: {
            QByteArray keys;
            const bool ok = CliInput::keys(m, text, &keys, &why);
            refused(ok, why);
            if (!ok) break;
            QSet<quint8> seen;
            for (char k : keys) {
                FuzzSupport::require(isKeyOf(m, quint8(k)),
                                     "took a key the keyboard does not have");
                FuzzSupport::require(!seen.contains(quint8(k)), "took a key twice");
                seen.insert(quint8(k));
            }
            break;
        }
        case 2: {
            quint8 type = 0, h = 0, l = 0;
            const bool ok = CliInput::binding(text, &type, &h, &l, &why);
            refused(ok, why);
            if (!ok) break;
            FuzzSupport::require(type != KeyCatalogue::TypeAdvanced,
                                 "took an advanced key's record");
            quint8 t2 = 0, h2 = 0, l2 = 0;
            const QString name = CliInput::bindingName(type, h, l);
            FuzzSupport::require(
                CliInput::binding(name, &t2, &h2, &l2, &why) && t2 == type && h2 == h && l2 == l,
                "a binding's printed name does not read back");
            break;
        }
        case 3: {
            int layer = -1;
            const bool ok = CliInput::layer(text, &layer, &why);
            refused(ok, why);
            if (ok) FuzzSupport::require(layer == 0 || layer == 1, "a layer other than 0 and 1");
            break;
        }
        case 4: {
            // The trigger ranges of the catalogue lie within 0.01 to 4.00 mm.
            const int min = range % 16 * 10;
            const int max = min + range / 16 * 40;
            quint16 h = 0;
            const bool ok = CliInput::distance(text, min, max, &h, &why);
            refused(ok, why);
            if (!ok) break;
            FuzzSupport::require(h >= min && h <= max, "a distance outside the asked range");
            static const QRegularExpression ascii(QStringLiteral("^[0-9]{1,3}(\\.[0-9]{0,2})?$"));
            FuzzSupport::require(ascii.match(text.trimmed()).hasMatch(),
                                 "took a distance not written in millimetres with ASCII digits");
            quint16 again = 0;
            FuzzSupport::require(
                CliInput::distance(CliInput::millimetres(h), min, max, &again, &why) && again == h,
                "a printed distance does not read back");
            break;
        }
        case 5: {
            const int min = int(qint8(range));
            const int max = min + (range & 0x3F);
            int value = 0;
            const bool ok = CliInput::number(text, min, max, QStringLiteral("n"), &value, &why);
            refused(ok, why);
            if (ok)
                FuzzSupport::require(value >= min && value <= max, "a number outside its range");
            break;
        }
        case 6: {
            bool on = false;
            refused(CliInput::onOff(text, QStringLiteral("switch"), &on, &why), why);
            break;
        }
        case 7: {
            MacroEventList events;
            const bool ok = CliInput::macroEvents(raw, QStringLiteral("macro.json"), &events, &why);
            refused(ok, why);
            if (!ok) {
                FuzzSupport::require(events.isEmpty(), "a refused macro handed back events");
                break;
            }
            FuzzSupport::require(!events.isEmpty() && events.size() <= CliInput::MaxMacroEvents,
                                 "a macro of no events or more than a macro takes");
            for (const MacroEventPtr& e : events)
                FuzzSupport::require(
                    (e->type == KeyCatalogue::TypeKey || e->type == KeyCatalogue::TypeModifier) &&
                        e->state <= 1,
                    "a macro event that is no key or modifier press or release");
            break;
        }
    }
    return 0;
}
