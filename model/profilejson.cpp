#include "model/profilejson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <limits>

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"

const QString ProfileJson::FormatName = QStringLiteral("zentaro-profile");

namespace {

using Error = ProfileJson::Error;

const QStringList kPolling{QStringLiteral("8K"), QStringLiteral("4K"), QStringLiteral("2K"),
                           QStringLiteral("1K")};
const QStringList kDebounce{QStringLiteral("low"), QStringLiteral("middle"),
                            QStringLiteral("high")};
const char* const kLayerNames[2] = {"layer0", "fn"};
constexpr int kMaxDistance = 65535;  // hundredths of a millimetre in 16 bits
constexpr int kMaxItems = 255;       // entries of any list: far more than a keyboard has

QString millimetres(int hundredths) {
    return QString::number(hundredths / 100.0, 'f', 2);
}

QJsonValue distance(int hundredths) {
    // Two decimals at most, and the shortest text that reads back the same.
    return QJsonValue(double(hundredths) / 100.0);
}

QString labelOf(const KeyboardConfigUtil& m, quint8 key) {
    const DefaultKeyPtr d = m.defaultKey(key, 0);
    return d ? d->label : QString();
}

Profile::Key keyOf(const KeyboardConfigUtil& m, quint8 key) {
    return {key, labelOf(m, key)};
}

void putKey(QJsonObject& o, const Profile::Key& k, const char* keyField = "key",
            const char* labelField = "label") {
    o[QLatin1String(keyField)] = k.number;
    o[QLatin1String(labelField)] = k.label;
}

// Members in a fixed order that reads well: what a file is, then whose, then
// the sections; in an entry the key and its label first.
int memberRank(const QString& name) {
    static const QStringList order{
        "format",    "version",    "name",      "product",      "number",     "slot",
        "macro",     "effect",     "key",       "label",        "secondKey",  "secondLabel",
        "kind",      "function",   "action",    "time",         "colour",     "brightness",
        "speed",     "fullColour", "actuation", "rapidTrigger", "continuous", "press",
        "release",   "data",       "events",    "keys",         "layer0",     "fn",
        "lighting",  "effects",    "custom",    "advancedKeys", "macros",     "performance",
        "parameters"};
    const int i = int(order.indexOf(name));
    return i < 0 ? int(order.size()) : i;
}

QList<QString> orderedMembers(const QJsonObject& o) {
    QList<QString> names = o.keys();
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return memberRank(a) < memberRank(b);
    });
    return names;
}

QByteArray scalar(const QJsonValue& v) {
    const QByteArray a = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return a.mid(1, a.size() - 2);
}

bool flat(const QJsonValue& v) {
    if (v.isObject()) {
        for (const QJsonValue& c : v.toObject())
            if (c.isObject() || (c.isArray() && !flat(c))) return false;
        return true;
    }
    if (v.isArray()) {
        for (const QJsonValue& c : v.toArray())
            if (c.isObject() || c.isArray()) return false;
        return true;
    }
    return true;
}

// One entry a line, nested lists indented: a file people can read and diff.
void pretty(const QJsonValue& v, int indent, QByteArray* out) {
    const bool inline_ = flat(v);
    const QByteArray pad(inline_ ? 0 : indent + 2, ' ');
    const QByteArray sep = inline_ ? QByteArray(", ") : QByteArray(",\n");
    const QByteArray open = inline_ ? QByteArray() : QByteArray("\n");
    const QByteArray close = inline_ ? QByteArray() : "\n" + QByteArray(indent, ' ');
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        if (o.isEmpty()) {
            out->append("{}");
            return;
        }
        out->append("{" + open);
        bool first = true;
        for (const QString& name : orderedMembers(o)) {
            if (!first) out->append(sep);
            first = false;
            out->append(pad + scalar(name) + ": ");
            pretty(o.value(name), indent + 2, out);
        }
        out->append(close + "}");
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        if (a.isEmpty()) {
            out->append("[]");
            return;
        }
        out->append("[" + open);
        for (int i = 0; i < a.size(); ++i) {
            if (i) out->append(sep);
            out->append(pad);
            pretty(a.at(i), indent + 2, out);
        }
        out->append(close + "]");
    } else {
        out->append(scalar(v));
    }
}

// Finds the first object member name that occurs twice in one object; the
// document parser keeps only one of them, silently.
bool duplicateMember(const QByteArray& text, QString* path) {
    struct Frame {
        bool object = false;
        QString path;
        QSet<QString> names;
        QString last;
        int index = 0;
        bool expectName = false;
    };
    QList<Frame> stack;
    auto childPath = [&]() -> QString {
        if (stack.isEmpty()) return QString();
        const Frame& f = stack.constLast();
        if (f.object) return f.path.isEmpty() ? f.last : f.path + QLatin1Char('.') + f.last;
        return f.path + QStringLiteral("[%1]").arg(f.index);
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '"') {
            QByteArray raw;
            for (++i; i < text.size() && text.at(i) != '"'; ++i) {
                if (text.at(i) == '\\' && i + 1 < text.size()) raw += text.at(i++);
                raw += text.at(i);
            }
            if (!stack.isEmpty() && stack.constLast().object && stack.constLast().expectName) {
                Frame& f = stack.last();
                // Escapes are compared as written: enough for what people type.
                const QString name = QString::fromUtf8(raw);
                f.last = name;
                f.expectName = false;
                if (f.names.contains(name)) {
                    *path = f.path.isEmpty() ? name : f.path + QLatin1Char('.') + name;
                    return true;
                }
                f.names.insert(name);
            }
        } else if (c == '{' || c == '[') {
            Frame f;
            f.object = c == '{';
            f.path = childPath();
            f.expectName = f.object;
            stack.append(f);
        } else if (c == '}' || c == ']') {
            if (!stack.isEmpty()) stack.removeLast();
        } else if (c == ',' && !stack.isEmpty()) {
            Frame& f = stack.last();
            if (f.object)
                f.expectName = true;
            else
                ++f.index;
        }
    }
    return false;
}

// Reads one document strictly; the first problem stops it.
class Reader {
public:
    Error error;

    bool fail(const QString& field, Error::Reason reason, const QString& value = QString(),
              const QString& detail = QString()) {
        if (!error.isError()) error = {field, reason, value, detail};
        return false;
    }

    static QString join(const QString& path, const QString& name) {
        return path.isEmpty() ? name : path + QLatin1Char('.') + name;
    }
    static QString at(const QString& path, int i) { return path + QStringLiteral("[%1]").arg(i); }
    static QString shown(const QJsonValue& v) {
        if (v.isString()) return QLatin1Char('"') + v.toString() + QLatin1Char('"');
        if (v.isDouble()) return QString::number(v.toDouble(), 'g', 12);
        if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        if (v.isNull()) return QStringLiteral("null");
        return v.isArray() ? QStringLiteral("a list") : QStringLiteral("an object");
    }

    // Every member is known, every required one is there.
    bool members(const QJsonObject& o, const QString& path, const QStringList& allowed,
                 const QStringList& required) {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!allowed.contains(it.key())) return fail(join(path, it.key()), Error::UnknownField);
        for (const QString& r : required)
            if (!o.contains(r)) return fail(join(path, r), Error::Missing);
        return true;
    }

    bool object(const QJsonValue& v, const QString& path, QJsonObject* out) {
        if (!v.isObject()) return fail(path, Error::WrongType, shown(v), QStringLiteral("object"));
        *out = v.toObject();
        return true;
    }

    bool list(const QJsonValue& v, const QString& path, QJsonArray* out) {
        if (!v.isArray()) return fail(path, Error::WrongType, shown(v), QStringLiteral("list"));
        *out = v.toArray();
        if (out->size() > kMaxItems)
            return fail(path, Error::OutOfRange, QStringLiteral("%1 entries").arg(out->size()),
                        QStringLiteral("0 to %1 entries").arg(kMaxItems));
        return true;
    }

    bool integer(const QJsonObject& o, const QString& path, const QString& name, int min, int max,
                 int* out) {
        const QJsonValue v = o.value(name);
        const QString field = join(path, name);
        const double d = v.toDouble();
        if (!v.isDouble() || d != std::floor(d))
            return fail(field, Error::WrongType, shown(v), QStringLiteral("whole number"));
        if (d < min || d > max)
            return fail(field, Error::OutOfRange, shown(v),
                        QStringLiteral("%1 to %2").arg(min).arg(max));
        *out = int(d);
        return true;
    }

    bool byte(const QJsonObject& o, const QString& path, const QString& name, quint8* out) {
        int v = 0;
        if (!integer(o, path, name, 0, 255, &v)) return false;
        *out = quint8(v);
        return true;
    }

    bool text(const QJsonObject& o, const QString& path, const QString& name, QString* out) {
        const QJsonValue v = o.value(name);
        if (!v.isString())
            return fail(join(path, name), Error::WrongType, shown(v), QStringLiteral("text"));
        *out = v.toString();
        return true;
    }

    bool boolean(const QJsonObject& o, const QString& path, const QString& name, bool* out) {
        const QJsonValue v = o.value(name);
        if (!v.isBool())
            return fail(join(path, name), Error::WrongType, shown(v),
                        QStringLiteral("true or false"));
        *out = v.toBool();
        return true;
    }

    // Millimetres with at most two decimals, as hundredths.
    bool millimetre(const QJsonObject& o, const QString& path, const QString& name, int max,
                    quint16* out) {
        const QJsonValue v = o.value(name);
        const QString field = join(path, name);
        if (!v.isDouble())
            return fail(field, Error::WrongType, shown(v), QStringLiteral("millimetres"));
        const double scaled = v.toDouble() * 100.0;
        const double rounded = std::round(scaled);
        if (std::fabs(scaled - rounded) > 1e-6) return fail(field, Error::BadDistance, shown(v));
        if (rounded < 0 || rounded > max)
            return fail(field, Error::OutOfRange, shown(v),
                        QStringLiteral("0.00 to %1 mm").arg(millimetres(max)));
        *out = quint16(rounded);
        return true;
    }

    bool colour(const QJsonObject& o, const QString& path, const QString& name, quint8* r,
                quint8* g, quint8* b) {
        static const QRegularExpression form(QStringLiteral("^#[0-9a-fA-F]{6}$"));
        QString t;
        if (!text(o, path, name, &t)) return false;
        if (!form.match(t).hasMatch())
            return fail(join(path, name), Error::BadColour,
                        QLatin1Char('"') + t + QLatin1Char('"'));
        const uint rgb = t.mid(1).toUInt(nullptr, 16);
        *r = quint8(rgb >> 16);
        *g = quint8(rgb >> 8);
        *b = quint8(rgb);
        return true;
    }

    bool key(const QJsonObject& o, const QString& path, Profile::Key* k,
             const QString& keyField = QStringLiteral("key"),
             const QString& labelField = QStringLiteral("label")) {
        int n = 0;
        if (!integer(o, path, keyField, 0, 255, &n)) return false;
        k->number = n;
        k->label.clear();
        return !o.contains(labelField) || text(o, path, labelField, &k->label);
    }

    bool function(const QJsonObject& o, const QString& path, const QString& name, quint8* type,
                  quint8* h, quint8* l) {
        QString t;
        if (!text(o, path, name, &t)) return false;
        if (!ProfileJson::functionFromName(t, type, h, l))
            return fail(join(path, name), Error::UnknownFunction,
                        QLatin1Char('"') + t + QLatin1Char('"'));
        return true;
    }

    // A key listed twice in one list would be written twice with two values.
    bool once(QSet<int>& seen, int number, const QString& field) {
        if (seen.contains(number)) return fail(field, Error::Duplicate, QString::number(number));
        seen.insert(number);
        return true;
    }

    bool readKeys(const QJsonValue& v, Profile* p) {
        QJsonObject o;
        if (!object(v, QStringLiteral("keys"), &o)) return false;
        if (!members(o, QStringLiteral("keys"), {kLayerNames[0], kLayerNames[1]}, {})) return false;
        for (int layer = 0; layer < 2; ++layer) {
            const QString name = QLatin1String(kLayerNames[layer]);
            if (!o.contains(name)) continue;
            const QString path = join(QStringLiteral("keys"), name);
            QJsonArray a;
            if (!list(o.value(name), path, &a)) return false;
            QSet<int> seen;
            for (int i = 0; i < a.size(); ++i) {
                QJsonObject e;
                Profile::Binding b;
                const QString here = at(path, i);
                if (!object(a.at(i), here, &e) ||
                    !members(e, here, {"key", "label", "function"}, {"key", "function"}) ||
                    !key(e, here, &b.key) ||
                    !function(e, here, QStringLiteral("function"), &b.type, &b.hValue, &b.lValue) ||
                    !once(seen, b.key.number, join(here, QStringLiteral("key"))))
                    return false;
                p->layers[size_t(layer)].append(b);
            }
        }
        return true;
    }

    bool readLighting(const QJsonValue& v, Profile* p) {
        QJsonObject o;
        const QString path = QStringLiteral("lighting");
        if (!object(v, path, &o) || !members(o, path, {"effects", "custom"}, {})) return false;
        if (o.contains(QStringLiteral("effects"))) {
            const QString lp = join(path, QStringLiteral("effects"));
            QJsonArray a;
            if (!list(o.value(QStringLiteral("effects")), lp, &a)) return false;
            QSet<int> seen;
            for (int i = 0; i < a.size(); ++i) {
                QJsonObject e;
                Profile::Effect f;
                const QString here = at(lp, i);
                if (!object(a.at(i), here, &e) ||
                    !members(e, here,
                             {"effect", "name", "brightness", "speed", "fullColour", "colour"},
                             {"effect", "brightness", "speed", "fullColour", "colour"}) ||
                    !byte(e, here, QStringLiteral("effect"), &f.item) ||
                    (e.contains(QStringLiteral("name")) &&
                     !text(e, here, QStringLiteral("name"), &f.name)) ||
                    !byte(e, here, QStringLiteral("brightness"), &f.light) ||
                    !byte(e, here, QStringLiteral("speed"), &f.speed) ||
                    !byte(e, here, QStringLiteral("fullColour"), &f.fullColor) ||
                    !colour(e, here, QStringLiteral("colour"), &f.r, &f.g, &f.b) ||
                    !once(seen, f.item, join(here, QStringLiteral("effect"))))
                    return false;
                p->effects.append(f);
            }
        }
        if (o.contains(QStringLiteral("custom"))) {
            const QString lp = join(path, QStringLiteral("custom"));
            QJsonArray a;
            if (!list(o.value(QStringLiteral("custom")), lp, &a)) return false;
            QSet<int> seen;
            for (int i = 0; i < a.size(); ++i) {
                QJsonObject e;
                Profile::Light l;
                const QString here = at(lp, i);
                if (!object(a.at(i), here, &e) ||
                    !members(e, here, {"key", "label", "colour", "brightness"},
                             {"key", "colour", "brightness"}) ||
                    !key(e, here, &l.key) ||
                    !colour(e, here, QStringLiteral("colour"), &l.r, &l.g, &l.b) ||
                    !byte(e, here, QStringLiteral("brightness"), &l.light) ||
                    !once(seen, l.key.number, join(here, QStringLiteral("key"))))
                    return false;
                p->lights.append(l);
            }
        }
        return true;
    }

    bool readAdvanced(const QJsonValue& v, Profile* p) {
        const QString path = QStringLiteral("advancedKeys");
        QJsonArray a;
        if (!list(v, path, &a)) return false;
        QSet<int> slotList;
        for (int i = 0; i < a.size(); ++i) {
            QJsonObject e;
            Profile::Advanced h;
            const QString here = at(path, i);
            int slot = 0;
            QString kind;
            if (!object(a.at(i), here, &e) ||
                !members(e, here,
                         {"slot", "kind", "key", "label", "secondKey", "secondLabel", "data"},
                         {"slot", "kind", "key", "data"}) ||
                !integer(e, here, QStringLiteral("slot"), 0, 254, &slot) ||
                !once(slotList, slot, join(here, QStringLiteral("slot"))) ||
                !text(e, here, QStringLiteral("kind"), &kind))
                return false;
            h.slot = quint8(slot);
            h.kind = 255;
            for (quint8 k = 0; k < 6; ++k)
                if (Profile::advancedKindName(k).compare(kind, Qt::CaseInsensitive) == 0)
                    h.kind = k;
            if (h.kind == 255)
                return fail(join(here, QStringLiteral("kind")), Error::OutOfRange,
                            QLatin1Char('"') + kind + QLatin1Char('"'),
                            QStringLiteral("TGL, MT, DKS, RS, OKS or SOCD"));
            if (!key(e, here, &h.key)) return false;
            const bool second = Profile::advancedHasSecondKey(h.kind);
            if (second && !e.contains(QStringLiteral("secondKey")))
                return fail(join(here, QStringLiteral("secondKey")), Error::Missing);
            if (!second && e.contains(QStringLiteral("secondKey")))
                return fail(join(here, QStringLiteral("secondKey")), Error::UnknownField);
            if (second && !key(e, here, &h.second, QStringLiteral("secondKey"),
                               QStringLiteral("secondLabel")))
                return false;
            QJsonArray data;
            const QString dp = join(here, QStringLiteral("data"));
            if (!list(e.value(QStringLiteral("data")), dp, &data)) return false;
            const int first = second ? 2 : 1;
            const int count = Profile::advancedBytes(h.kind) - first;
            if (data.size() != count)
                return fail(dp, Error::BadData, QStringLiteral("%1").arg(data.size()),
                            QStringLiteral("%1 %2").arg(count).arg(kind.toUpper()));
            h.data[0] = quint8(h.key.number);
            if (second) h.data[1] = quint8(h.second.number);
            for (int b = 0; b < count; ++b) {
                const QJsonValue d = data.at(b);
                const double x = d.toDouble(-1);
                if (!d.isDouble() || x != std::floor(x) || x < 0 || x > 255)
                    return fail(at(dp, b), Error::OutOfRange, shown(d), QStringLiteral("0 to 255"));
                h.data[first + b] = quint8(x);
            }
            p->advanced.append(h);
        }
        return true;
    }

    bool readMacros(const QJsonValue& v, Profile* p) {
        const QString path = QStringLiteral("macros");
        QJsonArray a;
        if (!list(v, path, &a)) return false;
        QSet<int> seen;
        for (int i = 0; i < a.size(); ++i) {
            QJsonObject e;
            const QString here = at(path, i);
            int number = 0;
            QJsonArray events;
            if (!object(a.at(i), here, &e) ||
                !members(e, here, {"macro", "events"}, {"macro", "events"}) ||
                !integer(e, here, QStringLiteral("macro"), 1, Profile::MacroCount, &number) ||
                !once(seen, number, join(here, QStringLiteral("macro"))) ||
                !list(e.value(QStringLiteral("events")), join(here, QStringLiteral("events")),
                      &events))
                return false;
            QList<MacroEvent> list;
            for (int j = 0; j < events.size(); ++j) {
                QJsonObject ev;
                MacroEvent m;
                const QString ep = at(join(here, QStringLiteral("events")), j);
                int time = 0;
                if (!object(events.at(j), ep, &ev) ||
                    !members(ev, ep, {"key", "action", "time"}, {"key", "action", "time"}) ||
                    !function(ev, ep, QStringLiteral("key"), &m.type, &m.hValue, &m.lValue) ||
                    !integer(ev, ep, QStringLiteral("time"), 0, 65535, &time))
                    return false;
                m.time = quint16(time);
                const QJsonValue action = ev.value(QStringLiteral("action"));
                if (action == QJsonValue(QStringLiteral("down")))
                    m.state = 1;
                else if (action == QJsonValue(QStringLiteral("up")))
                    m.state = 0;
                else if (!byte(ev, ep, QStringLiteral("action"), &m.state))
                    return fail(join(ep, QStringLiteral("action")), Error::OutOfRange,
                                shown(action), QStringLiteral("down or up"));
                list.append(m);
            }
            p->macroGiven[size_t(number - 1)] = true;
            p->macros[size_t(number - 1)] = list;
        }
        return true;
    }

    bool readPerformance(const QJsonValue& v, Profile* p) {
        const QString path = QStringLiteral("performance");
        QJsonArray a;
        if (!list(v, path, &a)) return false;
        QSet<int> seen;
        for (int i = 0; i < a.size(); ++i) {
            QJsonObject e;
            Profile::Trigger t;
            const QString here = at(path, i);
            if (!object(a.at(i), here, &e) ||
                !members(
                    e, here,
                    {"key", "label", "actuation", "rapidTrigger", "continuous", "press", "release"},
                    {"key", "actuation", "rapidTrigger", "continuous", "press", "release"}) ||
                !key(e, here, &t.key) ||
                !millimetre(e, here, QStringLiteral("actuation"), kMaxDistance, &t.trigger) ||
                !boolean(e, here, QStringLiteral("rapidTrigger"), &t.rapid) ||
                !boolean(e, here, QStringLiteral("continuous"), &t.continuous) ||
                !millimetre(e, here, QStringLiteral("press"), kMaxDistance, &t.press) ||
                !millimetre(e, here, QStringLiteral("release"), kMaxDistance, &t.release) ||
                !once(seen, t.key.number, join(here, QStringLiteral("key"))))
                return false;
            p->triggers.append(t);
        }
        return true;
    }

    bool readParameters(const QJsonValue& v, Profile* p) {
        const QString path = QStringLiteral("parameters");
        QJsonObject o;
        const QStringList all{"pollingRate", "debounce",      "deadZoneDown",
                              "deadZoneUp",  "touchOptimize", "sportsMode",
                              "calibration", "layer",         "reserve"};
        if (!object(v, path, &o) || !members(o, path, all, all)) return false;
        WholeParam& w = p->params;
        auto named = [&](const QString& name, const QStringList& names, qint8* out) {
            const QJsonValue value = o.value(name);
            for (int i = 0; value.isString() && i < names.size(); ++i) {
                if (names.at(i).compare(value.toString(), Qt::CaseInsensitive) != 0) continue;
                *out = qint8(i);
                return true;
            }
            int n = 0;
            if (value.isDouble() && integer(o, path, name, -128, 127, &n)) {
                *out = qint8(n);
                return true;
            }
            return fail(join(path, name), Error::OutOfRange, shown(value),
                        names.join(QStringLiteral(", ")));
        };
        quint16 down = 0, up = 0;
        int layer = 0, reserve = 0;
        if (!named(QStringLiteral("pollingRate"), kPolling, &w.pollingRate) ||
            !named(QStringLiteral("debounce"), kDebounce, &w.shakeLevel) ||
            !millimetre(o, path, QStringLiteral("deadZoneDown"), 32767, &down) ||
            !millimetre(o, path, QStringLiteral("deadZoneUp"), 32767, &up) ||
            !boolean(o, path, QStringLiteral("touchOptimize"), &w.touchOptimize) ||
            !boolean(o, path, QStringLiteral("sportsMode"), &w.sportsMode) ||
            !boolean(o, path, QStringLiteral("calibration"), &w.calibration) ||
            !integer(o, path, QStringLiteral("layer"), 0, 1, &layer) ||
            !integer(o, path, QStringLiteral("reserve"), -128, 127, &reserve))
            return false;
        w.deadDown = qint16(down);
        w.deadUp = qint16(up);
        w.currentLayer = qint8(layer);
        w.reserve = qint8(reserve);
        return true;
    }
};

}  // namespace

QString ProfileJson::functionName(quint8 type, quint8 hValue, quint8 lValue) {
    if (type != KeyCatalogue::TypeAdvanced) {
        const QString name = KeyCatalogue::displayName(type, hValue, lValue);
        quint8 t = 0, h = 0, l = 0;
        if (!name.isEmpty() && KeyCatalogue::bindingForName(name, &t, &h, &l) && t == type &&
            h == hValue && l == lValue)
            return name;
    }
    return QStringLiteral("%1:%2:%3").arg(type).arg(hValue).arg(lValue);
}

bool ProfileJson::functionFromName(const QString& name, quint8* type, quint8* hValue,
                                   quint8* lValue) {
    static const QRegularExpression numeric(QStringLiteral("^(\\d{1,3}):(\\d{1,3}):(\\d{1,3})$"));
    const QRegularExpressionMatch m = numeric.match(name.trimmed());
    if (m.hasMatch()) {
        const int t = m.captured(1).toInt(), h = m.captured(2).toInt(), l = m.captured(3).toInt();
        if (t > 255 || h > 255 || l > 255) return false;
        if (t > KeyCatalogue::TypeInternal && t != KeyCatalogue::TypeNone) return false;
        if (t == KeyCatalogue::TypeMacro && l >= Profile::MacroCount) return false;
        *type = quint8(t);
        *hValue = quint8(h);
        *lValue = quint8(l);
        return true;
    }
    return KeyCatalogue::bindingForName(name, type, hValue, lValue);
}

QString ProfileJson::colourName(quint8 r, quint8 g, quint8 b) {
    return QStringLiteral("#%1").arg((uint(r) << 16) | (uint(g) << 8) | b, 6, 16, QLatin1Char('0'));
}

QString ProfileJson::pollingName(int value) {
    return kPolling.value(value, QString::number(value));
}

QString ProfileJson::debounceName(int value) {
    return kDebounce.value(value, QString::number(value));
}

Profile ProfileJson::fromModel(const KeyboardConfigUtil& m) {
    Profile p;
    p.sections = Profile::AllSections;
    for (const ConfigTableEntryPtr& t : m.keyboardConfigList)
        if (t && t->index == m.keyboardConfigIndex) p.name = t->configName;
    p.product = m.keyboardProductInfo ? m.keyboardProductInfo->serialNumber : 0;
    if (m.keyboardProduct)
        p.productName = m.keyboardProduct->productName;
    else if (m.keyboardProductInfo)
        p.productName = m.keyboardProductInfo->productName;
    const KeyBindingMap* maps[2] = {&m.keyboardFnMap, &m.keyboardFn1Map};
    for (int layer = 0; layer < 2; ++layer)
        for (const KeyBindingPtr& k : *maps[layer])
            p.layers[size_t(layer)].append({keyOf(m, k->keyItem), k->type, k->hValue, k->lValue});
    for (const EffectLightPtr& e : m.keyboardEffectLightMap) {
        const EffectNamePtr n = m.keyboardEffectNameMap.value(e->item);
        p.effects.append({e->item, n ? n->name : QString(), e->light, e->speed, e->fullColor,
                          e->colorR, e->colorG, e->colorB});
    }
    for (const CustomLightPtr& l : m.keyboardCustomLightMap)
        p.lights.append({keyOf(m, l->keyItem), l->light, l->colorR, l->colorG, l->colorB});
    for (int slot = 0; slot < m.keyboardHighKeyList.size(); ++slot) {
        const HighKeyPtr& h = m.keyboardHighKeyList.at(slot);
        if (!h || h->item == KeyboardConfigUtil::NoSlot ||
            Profile::advancedBytes(h->attribute) == 0)
            continue;
        Profile::Advanced a;
        a.slot = quint8(slot);
        a.kind = h->attribute;
        a.key = keyOf(m, h->data[0]);
        if (Profile::advancedHasSecondKey(a.kind)) a.second = keyOf(m, h->data[1]);
        std::copy(std::begin(h->data), std::end(h->data), std::begin(a.data));
        p.advanced.append(a);
    }
    for (int i = 0; i < Profile::MacroCount; ++i) {
        p.macroGiven[size_t(i)] = true;
        for (const MacroEventPtr& e : m.keyboardMacroList[size_t(i)])
            p.macros[size_t(i)].append(*e);
    }
    for (const TriggerSettingPtr& t : m.keyboardTriggerMap)
        p.triggers.append({keyOf(m, t->keyItem), t->trigger, t->model, t->quick, t->quickTrigger,
                           t->resetTrigger});
    p.params = *m.keyboardWholeParam;
    return p;
}

QByteArray ProfileJson::write(const Profile& p) {
    QJsonObject root;
    root[QStringLiteral("format")] = FormatName;
    root[QStringLiteral("version")] = Version;
    root[QStringLiteral("name")] = p.name;
    root[QStringLiteral("product")] =
        QJsonObject{{QStringLiteral("number"), p.product}, {QStringLiteral("name"), p.productName}};
    if (p.sections & Profile::Keys) {
        QJsonObject keys;
        for (int layer = 0; layer < 2; ++layer) {
            QJsonArray a;
            for (const Profile::Binding& b : p.layers[size_t(layer)]) {
                QJsonObject o;
                putKey(o, b.key);
                o[QStringLiteral("function")] = functionName(b.type, b.hValue, b.lValue);
                a.append(o);
            }
            keys[QLatin1String(kLayerNames[layer])] = a;
        }
        root[QStringLiteral("keys")] = keys;
    }
    if (p.sections & Profile::Lighting) {
        QJsonArray effects, custom;
        for (const Profile::Effect& e : p.effects)
            effects.append(QJsonObject{{QStringLiteral("effect"), e.item},
                                       {QStringLiteral("name"), e.name},
                                       {QStringLiteral("brightness"), e.light},
                                       {QStringLiteral("speed"), e.speed},
                                       {QStringLiteral("fullColour"), e.fullColor},
                                       {QStringLiteral("colour"), colourName(e.r, e.g, e.b)}});
        for (const Profile::Light& l : p.lights) {
            QJsonObject o;
            putKey(o, l.key);
            o[QStringLiteral("colour")] = colourName(l.r, l.g, l.b);
            o[QStringLiteral("brightness")] = l.light;
            custom.append(o);
        }
        root[QStringLiteral("lighting")] =
            QJsonObject{{QStringLiteral("effects"), effects}, {QStringLiteral("custom"), custom}};
    }
    if (p.sections & Profile::AdvancedKeys) {
        QJsonArray a;
        for (const Profile::Advanced& h : p.advanced) {
            QJsonObject o;
            o[QStringLiteral("slot")] = h.slot;
            o[QStringLiteral("kind")] = Profile::advancedKindName(h.kind);
            putKey(o, h.key);
            const bool second = Profile::advancedHasSecondKey(h.kind);
            if (second) putKey(o, h.second, "secondKey", "secondLabel");
            QJsonArray data;
            for (int b = second ? 2 : 1; b < Profile::advancedBytes(h.kind); ++b)
                data.append(h.data[b]);
            o[QStringLiteral("data")] = data;
            a.append(o);
        }
        root[QStringLiteral("advancedKeys")] = a;
    }
    if (p.sections & Profile::Macros) {
        QJsonArray a;
        for (int i = 0; i < Profile::MacroCount; ++i) {
            if (!p.macroGiven[size_t(i)]) continue;
            QJsonArray events;
            for (const MacroEvent& e : p.macros[size_t(i)]) {
                const QJsonValue action = e.state == 1   ? QJsonValue(QStringLiteral("down"))
                                          : e.state == 0 ? QJsonValue(QStringLiteral("up"))
                                                         : QJsonValue(e.state);
                events.append(
                    QJsonObject{{QStringLiteral("key"), functionName(e.type, e.hValue, e.lValue)},
                                {QStringLiteral("action"), action},
                                {QStringLiteral("time"), e.time}});
            }
            a.append(
                QJsonObject{{QStringLiteral("macro"), i + 1}, {QStringLiteral("events"), events}});
        }
        root[QStringLiteral("macros")] = a;
    }
    if (p.sections & Profile::Performance) {
        QJsonArray a;
        for (const Profile::Trigger& t : p.triggers) {
            QJsonObject o;
            putKey(o, t.key);
            o[QStringLiteral("actuation")] = distance(t.trigger);
            o[QStringLiteral("rapidTrigger")] = t.rapid;
            o[QStringLiteral("continuous")] = t.continuous;
            o[QStringLiteral("press")] = distance(t.press);
            o[QStringLiteral("release")] = distance(t.release);
            a.append(o);
        }
        root[QStringLiteral("performance")] = a;
    }
    if (p.sections & Profile::Parameters) {
        const WholeParam& w = p.params;
        auto named = [](const QStringList& names, int v) {
            return v >= 0 && v < names.size() ? QJsonValue(names.at(v)) : QJsonValue(v);
        };
        root[QStringLiteral("parameters")] =
            QJsonObject{{QStringLiteral("pollingRate"), named(kPolling, w.pollingRate)},
                        {QStringLiteral("debounce"), named(kDebounce, w.shakeLevel)},
                        {QStringLiteral("deadZoneDown"), distance(qMax<int>(0, w.deadDown))},
                        {QStringLiteral("deadZoneUp"), distance(qMax<int>(0, w.deadUp))},
                        {QStringLiteral("touchOptimize"), w.touchOptimize},
                        {QStringLiteral("sportsMode"), w.sportsMode},
                        {QStringLiteral("calibration"), w.calibration},
                        {QStringLiteral("layer"), w.currentLayer},
                        {QStringLiteral("reserve"), w.reserve}};
    }
    // Fixed member order and layout: the same profile gives the same bytes.
    QByteArray out;
    pretty(root, 0, &out);
    return out + "\n";
}

bool ProfileJson::read(const QByteArray& bytes, Profile* p, Error* error) {
    Reader r;
    *p = Profile();
    auto done = [&](bool ok) {
        *error = ok ? Error() : r.error;
        return ok;
    };
    if (bytes.size() > MaxBytes)
        return done(r.fail(QString(), Error::TooLarge, QString::number(bytes.size()),
                           QString::number(MaxBytes)));
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError)
        return done(
            r.fail(QString(), Error::NotJson, QString::number(parse.offset), parse.errorString()));
    if (!doc.isObject())
        return done(r.fail(QString(), Error::WrongType, QString(), QStringLiteral("object")));
    QString duplicate;
    if (duplicateMember(bytes, &duplicate))
        return done(r.fail(duplicate, Error::Duplicate, QString()));
    const QJsonObject root = doc.object();
    // Format and version first: a file of another version is refused as such,
    // not for the fields it added.
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (!root.contains(QStringLiteral("format")))
        return done(r.fail(QStringLiteral("format"), Error::Missing));
    if (format != QJsonValue(FormatName))
        return done(
            r.fail(QStringLiteral("format"), Error::BadFormat, Reader::shown(format), FormatName));
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!root.contains(QStringLiteral("version")))
        return done(r.fail(QStringLiteral("version"), Error::Missing));
    if (version != QJsonValue(Version))
        return done(r.fail(QStringLiteral("version"), Error::BadVersion, Reader::shown(version),
                           QString::number(Version)));
    if (!r.members(root, QString(),
                   {"format", "version", "name", "product", "keys", "lighting", "advancedKeys",
                    "macros", "performance", "parameters"},
                   {"product"}))
        return done(false);
    if (root.contains(QStringLiteral("name")) &&
        !r.text(root, QString(), QStringLiteral("name"), &p->name))
        return done(false);
    QJsonObject product;
    int number = 0;
    if (!r.object(root.value(QStringLiteral("product")), QStringLiteral("product"), &product) ||
        !r.members(product, QStringLiteral("product"), {"number", "name"}, {"number"}) ||
        !r.integer(product, QStringLiteral("product"), QStringLiteral("number"),
                   std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max(),
                   &number) ||
        (product.contains(QStringLiteral("name")) &&
         !r.text(product, QStringLiteral("product"), QStringLiteral("name"), &p->productName)))
        return done(false);
    p->product = number;
    struct Part {
        const char* name;
        int section;
        bool (Reader::*read)(const QJsonValue&, Profile*);
    };
    const Part parts[] = {{"keys", Profile::Keys, &Reader::readKeys},
                          {"lighting", Profile::Lighting, &Reader::readLighting},
                          {"advancedKeys", Profile::AdvancedKeys, &Reader::readAdvanced},
                          {"macros", Profile::Macros, &Reader::readMacros},
                          {"performance", Profile::Performance, &Reader::readPerformance},
                          {"parameters", Profile::Parameters, &Reader::readParameters}};
    for (const Part& part : parts) {
        const QString name = QLatin1String(part.name);
        if (!root.contains(name)) continue;
        if (!(r.*part.read)(root.value(name), p)) return done(false);
        p->sections |= part.section;
    }
    return done(true);
}

QString ProfileJson::Error::englishText() const {
    const QString where = field.isEmpty() ? QString() : field + QStringLiteral(": ");
    switch (reason) {
        case None:
            return QString();
        case NotJson:
            return QStringLiteral("the file is no JSON: %1 at byte %2").arg(detail, value);
        case TooLarge:
            return QStringLiteral("the file is larger than %1 bytes").arg(detail);
        case WrongType:
            return where + QStringLiteral("%1 is no %2")
                               .arg(value.isEmpty() ? QStringLiteral("it") : value, detail);
        case UnknownField:
            return where + QStringLiteral("unknown field");
        case Missing:
            return where + QStringLiteral("missing");
        case BadFormat:
            return where + QStringLiteral("%1 is not %2").arg(value, detail);
        case BadVersion:
            return where +
                   QStringLiteral("version %1 is not supported (this program reads version %2)")
                       .arg(value, detail);
        case OutOfRange:
            return where + QStringLiteral("%1 is outside %2").arg(value, detail);
        case Duplicate:
            return where + (value.isEmpty() ? QStringLiteral("given twice")
                                            : QStringLiteral("%1 is listed twice").arg(value));
        case BadColour:
            return where + QStringLiteral("%1 is no colour (#rrggbb)").arg(value);
        case UnknownFunction:
            return where + QStringLiteral("%1 is no key function").arg(value);
        case BadDistance:
            return where + QStringLiteral("%1 has more than two decimals").arg(value);
        case BadData:
            return where + QStringLiteral("%1 bytes given, a %2 takes %3")
                               .arg(value, detail.section(QLatin1Char(' '), 1),
                                    detail.section(QLatin1Char(' '), 0, 0));
    }
    return where;
}
