#include "cli/cliinput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"

namespace {

QString folded(const QString& text) {
    QString out;
    for (const QChar c : text)
        if (!c.isSpace()) out += c.toLower();
    return out;
}

bool byteValue(const QString& text, quint8* value) {
    bool ok = false;
    const QString t = text.trimmed();
    const uint v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toUInt(&ok, 16)
                                                                          : t.toUInt(&ok, 10);
    if (!ok || v > 255) return false;
    *value = quint8(v);
    return true;
}

}  // namespace

bool CliInput::key(const KeyboardConfigUtil& model, const QString& text, quint8* keyItem,
                   QString* why) {
    const QString t = text.trimmed();
    bool isNumber = false;
    const uint number = t.toUInt(&isNumber);
    // Numbers are key numbers; a label made of digits ("1" on the keypad)
    // is reached by a number only when no key has that number.
    if (isNumber && t.at(0).isDigit() && number < 256 &&
        model.keyboardFnMap.contains(quint8(number))) {
        *keyItem = quint8(number);
        return true;
    }
    // Labels first ("Back Space" as "backspace"), then the catalogue's names
    // of the factory bindings ("Backspace", "F1").
    const QString wanted = folded(t);
    for (int pass = 0; pass < 2 && !wanted.isEmpty(); ++pass) {
        QList<quint8> found;
        QSet<int> positions;
        for (const DefaultKeyPtr& d : model.keyboardDefaultList) {
            if (!d || !model.keyboardFnMap.contains(d->keyItem)) continue;
            const QString name =
                pass == 0 ? d->label : KeyCatalogue::displayName(d->type, d->hValue, d->lValue);
            if (folded(name) != wanted) continue;
            found.append(d->keyItem);
            const KeyPositionPtr p = model.keyboardPositionMap.value(d->keyItem);
            positions.insert(p ? p->posItem : 1000 + d->keyItem);
        }
        if (found.isEmpty()) continue;
        // Keys of one position are one key on the keyboard.
        if (positions.size() > 1) {
            QStringList numbers;
            for (quint8 k : found) numbers << QString::number(k);
            *why = QStringLiteral("\"%1\" names several keys (%2); give the key number")
                       .arg(t, numbers.join(QStringLiteral(", ")));
            return false;
        }
        *keyItem = found.first();
        return true;
    }
    if (isNumber)
        *why = QStringLiteral("the keyboard has no key %1 (keys are 0 to %2)")
                   .arg(t)
                   .arg(model.keyboardFnMap.isEmpty() ? 0 : model.keyboardFnMap.lastKey());
    else
        *why = QStringLiteral("the keyboard has no key named \"%1\"").arg(t);
    return false;
}

bool CliInput::keys(const KeyboardConfigUtil& model, const QString& text, QByteArray* keyItems,
                    QString* why) {
    keyItems->clear();
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString& part : parts) {
        if (part.trimmed().isEmpty()) {
            *why = QStringLiteral("empty key name in \"%1\"").arg(text);
            return false;
        }
        quint8 k = 0;
        if (!key(model, part, &k, why)) return false;
        if (!keyItems->contains(char(k))) keyItems->append(char(k));
    }
    return true;
}

QString CliInput::keyName(const KeyboardConfigUtil& model, quint8 keyItem) {
    const DefaultKeyPtr d = model.defaultKey(keyItem, 0);
    if (d && !d->label.isEmpty()) return QStringLiteral("key %1 (%2)").arg(keyItem).arg(d->label);
    return QStringLiteral("key %1").arg(keyItem);
}

bool CliInput::binding(const QString& text, quint8* type, quint8* hValue, quint8* lValue,
                       QString* why) {
    const QString t = text.trimmed();
    const QStringList parts = t.split(QLatin1Char(':'));
    if (parts.size() == 3) {
        quint8 v[3] = {};
        for (int i = 0; i < 3; ++i) {
            if (!byteValue(parts.at(i), &v[i])) {
                *why =
                    QStringLiteral("\"%1\" is no TYPE:H:L binding (three numbers 0 to 255)").arg(t);
                return false;
            }
        }
        if (v[0] == KeyCatalogue::TypeAdvanced) {
            *why = QStringLiteral("advanced keys are set up with their own records, not bound");
            return false;
        }
        if (v[0] > KeyCatalogue::TypeInternal && v[0] != KeyCatalogue::TypeNone) {
            *why = QStringLiteral("binding type %1 does not exist").arg(v[0]);
            return false;
        }
        if (v[0] == KeyCatalogue::TypeMacro && v[2] >= KeyboardConfigUtil::MacroCount) {
            *why = QStringLiteral("there are only %1 macros").arg(KeyboardConfigUtil::MacroCount);
            return false;
        }
        *type = v[0];
        *hValue = v[1];
        *lValue = v[2];
        return true;
    }
    if (t.isEmpty() || !KeyCatalogue::bindingForName(t, type, hValue, lValue)) {
        *why = QStringLiteral(
                   "\"%1\" is no key function (try \"F13\", \"Left Ctrl\", \"M3\", "
                   "\"mute\", \"none\" or TYPE:H:L)")
                   .arg(t);
        return false;
    }
    return true;
}

QString CliInput::bindingName(quint8 type, quint8 hValue, quint8 lValue, quint8 advancedKind) {
    const QString name = KeyCatalogue::displayName(type, hValue, lValue, advancedKind);
    if (type == KeyCatalogue::TypeAdvanced && !name.isEmpty()) return name;
    // A printed binding is fed back to scripts: a name that stands for some
    // other record (a modifier with a stray high byte, say) would change the
    // key when it is set again, so such a binding is printed as its numbers.
    quint8 t = 0, h = 0, l = 0;
    if (!name.isEmpty() && KeyCatalogue::bindingForName(name, &t, &h, &l) && t == type &&
        h == hValue && l == lValue)
        return name;
    return QStringLiteral("%1:%2:%3").arg(type).arg(hValue).arg(lValue);
}

bool CliInput::layer(const QString& text, int* layer, QString* why) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("0")) {
        *layer = 0;
    } else if (t == QLatin1String("1") || t == QLatin1String("fn")) {
        *layer = 1;
    } else {
        *why = QStringLiteral("layer \"%1\" does not exist (0, or 1 for the Fn layer)").arg(text);
        return false;
    }
    return true;
}

QString CliInput::millimetres(int hundredths) {
    return QString::number(hundredths / 100.0, 'f', 2);
}

bool CliInput::distance(const QString& text, int min, int max, quint16* hundredths, QString* why) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3})(?:\\.(\\d{0,2}))?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch()) {
        *why = QStringLiteral("\"%1\" is no distance in millimetres (like 1.20)").arg(text);
        return false;
    }
    const QString decimals = m.captured(2).leftJustified(2, QLatin1Char('0'));
    const int value = m.captured(1).toInt() * 100 + decimals.toInt();
    if (value < min || value > max) {
        *why = QStringLiteral("%1 mm is outside %2 to %3 mm")
                   .arg(millimetres(value), millimetres(min), millimetres(max));
        return false;
    }
    *hundredths = quint16(value);
    return true;
}

bool CliInput::number(const QString& text, int min, int max, const QString& what, int* value,
                      QString* why) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < min || v > max) {
        *why = QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                   .arg(what)
                   .arg(min)
                   .arg(max)
                   .arg(text);
        return false;
    }
    *value = v;
    return true;
}

bool CliInput::onOff(const QString& text, const QString& what, bool* value, QString* why) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("on")) {
        *value = true;
    } else if (t == QLatin1String("off")) {
        *value = false;
    } else {
        *why = QStringLiteral("%1 takes on or off, not \"%2\"").arg(what, text);
        return false;
    }
    return true;
}

bool CliInput::macroEvents(const QByteArray& json, const QString& path, MacroEventList* events,
                           QString* why) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        *why = QStringLiteral("%1 is no JSON: %2 at byte %3")
                   .arg(path, error.errorString())
                   .arg(error.offset);
        return false;
    }
    const QJsonArray list = doc.isArray() ? doc.array() : doc.object().value("events").toArray();
    if (!doc.isArray() && !doc.object().value("events").isArray()) {
        *why = QStringLiteral("%1 holds no \"events\" list").arg(path);
        return false;
    }
    if (list.isEmpty()) {
        *why = QStringLiteral("%1 holds no events (\"macro clear\" empties a macro)").arg(path);
        return false;
    }
    if (list.size() > MaxMacroEvents) {
        *why = QStringLiteral("%1 holds %2 events; a macro takes at most %3")
                   .arg(path)
                   .arg(list.size())
                   .arg(MaxMacroEvents);
        return false;
    }
    MacroEventList parsed;
    static const QSet<QString> known{QStringLiteral("key"), QStringLiteral("action"),
                                     QStringLiteral("time")};
    for (int i = 0; i < list.size(); ++i) {
        const QString at = QStringLiteral("event %1").arg(i + 1);
        const QJsonObject o = list.at(i).toObject();
        if (!list.at(i).isObject()) {
            *why = at + QStringLiteral(" is no object");
            return false;
        }
        for (const QString& field : o.keys()) {
            if (!known.contains(field)) {
                *why =
                    QStringLiteral("%1: unknown field \"%2\" (key, action, time)").arg(at, field);
                return false;
            }
        }
        auto e = MacroEventPtr::create();
        QString reason;
        if (!CliInput::binding(o.value("key").toString(), &e->type, &e->hValue, &e->lValue,
                               &reason)) {
            *why = at + QStringLiteral(": ") + reason;
            return false;
        }
        if (e->type != KeyCatalogue::TypeKey && e->type != KeyCatalogue::TypeModifier) {
            *why = QStringLiteral("%1: a macro plays keys and modifiers only, not \"%2\"")
                       .arg(at, o.value("key").toString());
            return false;
        }
        const QString action = o.value("action").toString();
        if (action != QLatin1String("down") && action != QLatin1String("up")) {
            *why = at + QStringLiteral(": action is down or up");
            return false;
        }
        e->state = action == QLatin1String("down") ? 1 : 0;
        const QJsonValue time = o.value("time");
        const double t = time.toDouble(-1);
        if (!time.isDouble() || t < 0 || t > 65535 || t != double(qint64(t))) {
            *why = at + QStringLiteral(": time is a whole number of milliseconds, 0 to 65535");
            return false;
        }
        e->time = quint16(t);
        parsed.append(e);
    }
    // Nothing of a refused list reaches the caller.
    events->append(parsed);
    return true;
}
