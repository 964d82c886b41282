#include "jobs/profileplan.h"

#include <QMap>
#include <QSet>
#include <QTextStream>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"

namespace {

using Content = ConfigFileFormat::Content;
using Error = ProfileJson::Error;

QString folded(const QString& text) {
    QString out;
    for (const QChar c : text)
        if (!c.isSpace()) out += c.toLower();
    return out;
}

QString mm(int hundredths) {
    return QString::number(hundredths / 100.0, 'f', 2);
}

QString labelOf(const KeyboardConfigUtil& m, int key) {
    const DefaultKeyPtr d = key >= 0 && key < 256 ? m.defaultKey(quint8(key), 0) : DefaultKeyPtr();
    return d ? d->label : QString();
}

QString bindingText(const KeyBinding& b) {
    return ProfileJson::functionName(b.type, b.hValue, b.lValue);
}

QString lightText(const CustomLightEntry& l) {
    return QStringLiteral("%1 brightness %2")
        .arg(ProfileJson::colourName(l.colorR, l.colorG, l.colorB))
        .arg(l.light);
}

QString effectText(const EffectLightEntry& e) {
    return QStringLiteral("%1 brightness %2 speed %3 full colour %4")
        .arg(ProfileJson::colourName(e.colorR, e.colorG, e.colorB))
        .arg(e.light)
        .arg(e.speed)
        .arg(e.fullColor);
}

bool sameEffect(const EffectLightEntry& a, const EffectLightEntry& b) {
    return a.light == b.light && a.speed == b.speed && a.fullColor == b.fullColor &&
           a.colorR == b.colorR && a.colorG == b.colorG && a.colorB == b.colorB;
}

QString triggerText(const TriggerSetting& t) {
    QString text = QStringLiteral("%1 mm").arg(mm(t.trigger));
    if (t.model)
        text += QStringLiteral(", rapid trigger %1/%2 mm%3")
                    .arg(mm(t.quickTrigger), mm(t.resetTrigger),
                         t.quick ? QStringLiteral(", continuous") : QString());
    else
        text += QStringLiteral(", rapid trigger off");
    return text;
}

bool sameTrigger(const TriggerSetting& a, const TriggerSetting& b) {
    return a.trigger == b.trigger && a.model == b.model && a.quick == b.quick &&
           a.quickTrigger == b.quickTrigger && a.resetTrigger == b.resetTrigger;
}

bool sameSlot(const HIGH_KEY_INFO& a, const HIGH_KEY_INFO& b) {
    const bool freeA = a.item == KeyboardConfigUtil::NoSlot;
    const bool freeB = b.item == KeyboardConfigUtil::NoSlot;
    if (freeA || freeB) return freeA == freeB;
    if (a.item != b.item || a.attribute != b.attribute) return false;
    for (int i = 0; i < Profile::advancedBytes(a.attribute); ++i)
        if (a.data[i] != b.data[i]) return false;
    return true;
}

QString slotText(const KeyboardConfigUtil& m, const HIGH_KEY_INFO& h) {
    if (h.item == KeyboardConfigUtil::NoSlot) return QStringLiteral("free");
    QString kind = Profile::advancedKindName(h.attribute);
    if (kind.isEmpty()) kind = QStringLiteral("kind %1").arg(h.attribute);
    QStringList bytes;
    for (int i = 0; i < Profile::advancedBytes(h.attribute); ++i)
        bytes << QString::number(h.data[i]);
    const QString label = labelOf(m, h.data[0]);
    return QStringLiteral("%1 on key %2%3 [%4]")
        .arg(kind)
        .arg(h.data[0])
        .arg(label.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(label))
        .arg(bytes.join(QLatin1Char(' ')));
}

bool sameMacro(const MacroEventList& a, const MacroEventList& b) {
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i) {
        const MacroEvent &x = *a.at(i), &y = *b.at(i);
        if (x.type != y.type || x.state != y.state || x.lValue != y.lValue ||
            x.hValue != y.hValue || x.time != y.time)
            return false;
    }
    return true;
}

QString macroText(const MacroEventList& events) {
    QStringList parts;
    for (const MacroEventPtr& e : events)
        parts << QStringLiteral("%1 %2 %3ms")
                     .arg(ProfileJson::functionName(e->type, e->hValue, e->lValue),
                          e->state == 1   ? QStringLiteral("down")
                          : e->state == 0 ? QStringLiteral("up")
                                          : QString::number(e->state))
                     .arg(e->time);
    return parts.isEmpty() ? QStringLiteral("empty") : parts.join(QStringLiteral(", "));
}

// Keys of the profile to keys of this keyboard: same label and number, else
// the one key that carries the label; the same product also by number when
// the file gives no label. Each keyboard key is taken once per list.
class KeyMatcher {
public:
    KeyMatcher(const Profile& p, const KeyboardConfigUtil& m) {
        mSameProduct = m.keyboardProductInfo && m.keyboardProductInfo->serialNumber == p.product;
        QList<quint8> keys = m.keyboardPositionMap.keys();
        for (quint8 k : m.keyboardFnMap.keys())
            if (!keys.contains(k)) keys.append(k);
        for (quint8 k : std::as_const(keys)) {
            const QString l = folded(labelOf(m, k));
            mLabels.insert(k, l);
            if (!l.isEmpty()) mByLabel[l].append(k);
        }
    }
    // -1 when the key cannot be matched.
    int match(const Profile::Key& key) const {
        const QString l = folded(key.label);
        if (mLabels.contains(key.number) &&
            ((l.isEmpty() && mSameProduct) || (!l.isEmpty() && mLabels.value(key.number) == l)))
            return key.number;
        if (l.isEmpty()) return -1;
        const QList<quint8> candidates = mByLabel.value(l);
        if (candidates.size() != 1) return -1;
        return candidates.first();
    }

private:
    bool mSameProduct = false;
    QMap<int, QString> mLabels;
    QMap<QString, QList<quint8>> mByLabel;
};

}  // namespace

bool ProfilePlan::build(const Profile& p, const KeyboardConfigUtil& m, int sections,
                        ProfilePlan* plan, Error* error) {
    *plan = ProfilePlan();
    *error = Error();
    plan->mSections = sections & p.sections;
    plan->mIntended = Content::fromModel(m);
    Content& c = plan->mIntended;
    const KeyMatcher matcher(p, m);
    auto unmatchedKey = [&](int section, const Profile::Key& k) {
        for (const Unmatched& u : std::as_const(plan->mUnmatched))
            if (u.section == section && u.what == Unmatched::Key && u.key == k.number) return;
        plan->mUnmatched.append({section, Unmatched::Key, k.number, k.label, -1});
    };
    // One key of this keyboard takes one value of a list; a second file key
    // that lands on it is left out rather than overwrite the first.
    auto target = [&](int section, const Profile::Key& k, QSet<int>& taken, bool inMap) -> int {
        const int t = matcher.match(k);
        if (t < 0 || !inMap || taken.contains(t)) {
            unmatchedKey(section, k);
            return -1;
        }
        taken.insert(t);
        return t;
    };
    const int chosen = plan->mSections;

    if (chosen & Profile::Keys) {
        for (int layer = 0; layer < 2; ++layer) {
            KeyBindingMap& map = c.keyMaps[size_t(layer)];
            QSet<int> taken;
            for (const Profile::Binding& b : p.layers[size_t(layer)]) {
                const int t = matcher.match(b.key);
                const int k =
                    target(Profile::Keys, b.key, taken, t >= 0 && map.contains(quint8(t)));
                if (k < 0) continue;
                *map[quint8(k)] = KeyBinding{quint8(k), b.type, b.hValue, b.lValue};
            }
        }
    }
    if (chosen & Profile::Lighting) {
        for (const Profile::Effect& e : p.effects) {
            const EffectLightPtr entry = c.effectLights.value(e.item);
            if (!entry) {
                plan->mUnmatched.append({Profile::Lighting, Unmatched::Effect, -1, e.name, e.item});
                continue;
            }
            entry->light = e.light;
            entry->speed = e.speed;
            entry->fullColor = e.fullColor;
            entry->colorR = e.r;
            entry->colorG = e.g;
            entry->colorB = e.b;
        }
        QSet<int> taken;
        for (const Profile::Light& l : p.lights) {
            const int t = matcher.match(l.key);
            const int k = target(Profile::Lighting, l.key, taken,
                                 t >= 0 && c.customLights.contains(quint8(t)));
            if (k < 0) continue;
            *c.customLights[quint8(k)] = CustomLightEntry{quint8(k), l.light, l.r, l.g, l.b};
        }
    }
    if (chosen & Profile::AdvancedKeys) {
        // The profile holds the used slots; every other slot becomes free,
        // except one the file names but cannot place here, which stays.
        const HighKeyList current = c.highKeys;
        QSet<int> kept;
        for (const Profile::Advanced& a : p.advanced) {
            const int key = matcher.match(a.key);
            const bool second = Profile::advancedHasSecondKey(a.kind);
            const int key2 = second ? matcher.match(a.second) : 0;
            if (a.slot >= current.size()) {
                plan->mUnmatched.append({Profile::AdvancedKeys, Unmatched::AdvancedSlot,
                                         a.key.number, a.key.label, a.slot});
                continue;
            }
            if (key < 0 || key2 < 0) {
                unmatchedKey(Profile::AdvancedKeys, key < 0 ? a.key : a.second);
                kept.insert(a.slot);
            }
        }
        for (int slot = 0; slot < c.highKeys.size(); ++slot)
            if (!kept.contains(slot)) *c.highKeys[slot] = HIGH_KEY_INFO();
        for (const Profile::Advanced& a : p.advanced) {
            if (a.slot >= c.highKeys.size() || kept.contains(a.slot)) continue;
            HIGH_KEY_INFO h;
            h.item = a.slot;
            h.attribute = a.kind;
            std::copy(std::begin(a.data), std::end(a.data), std::begin(h.data));
            h.data[0] = quint8(matcher.match(a.key));
            if (Profile::advancedHasSecondKey(a.kind)) h.data[1] = quint8(matcher.match(a.second));
            *c.highKeys[a.slot] = h;
        }
    }
    if (chosen & Profile::Macros) {
        for (int i = 0; i < Profile::MacroCount; ++i) {
            if (!p.macroGiven[size_t(i)]) continue;
            c.macros[size_t(i)].clear();
            for (const MacroEvent& e : p.macros[size_t(i)])
                c.macros[size_t(i)].append(MacroEventPtr::create(e));
        }
    }
    if (chosen & Profile::Performance) {
        const ProductRecordPtr product = m.keyboardProduct;
        QSet<int> taken;
        for (int i = 0; i < p.triggers.size(); ++i) {
            const Profile::Trigger& t = p.triggers.at(i);
            const QString here = QStringLiteral("performance[%1].").arg(i);
            // This keyboard's ranges, as the performance page offers them.
            auto outside = [&](const char* field, int value, int min, int max) {
                if (!product || (value >= min && value <= max)) return false;
                *error = {here + QLatin1String(field), Error::OutOfRange, mm(value),
                          QStringLiteral("%1 to %2 mm").arg(mm(min), mm(max))};
                return true;
            };
            if (outside("actuation", t.trigger, product ? product->triggerMin : 0,
                        product ? product->triggerMax : 0))
                return false;
            if (t.rapid && (outside("press", t.press, product ? product->qttMin : 0,
                                    product ? product->qttMax : 0) ||
                            outside("release", t.release, product ? product->qrtMin : 0,
                                    product ? product->qrtMax : 0)))
                return false;
            const int k0 = matcher.match(t.key);
            const int k = target(Profile::Performance, t.key, taken,
                                 k0 >= 0 && c.triggers.contains(quint8(k0)));
            if (k < 0) continue;
            *c.triggers[quint8(k)] =
                TriggerSetting{quint8(k), t.trigger, t.rapid, t.continuous, t.press, t.release};
        }
    }
    if (chosen & Profile::Parameters) c.wholeParam = p.params;
    return true;
}

ProfilePlan ProfilePlan::fromContent(const Content& content, const KeyboardConfigUtil& model) {
    ProfilePlan plan;
    plan.mSections = Profile::AllSections;
    plan.mIntended = Content::fromModel(model);
    Content& c = plan.mIntended;
    c.wholeParam = content.wholeParam;
    c.customLights.clear();
    for (const CustomLightPtr& l : content.customLights)
        c.customLights.insert(l->keyItem, CustomLightPtr::create(*l));
    for (const EffectLightPtr& e : content.effectLights)
        if (c.effectLights.contains(e->item)) *c.effectLights[e->item] = *e;
    for (int layer = 0; layer < 2; ++layer) {
        c.keyMaps[size_t(layer)].clear();
        for (const KeyBindingPtr& k : content.keyMaps[size_t(layer)])
            c.keyMaps[size_t(layer)].insert(k->keyItem, KeyBindingPtr::create(*k));
    }
    const int slotList = int(qMax(c.highKeys.size(), content.highKeys.size()));
    c.highKeys.clear();
    for (int i = 0; i < slotList; ++i)
        c.highKeys.append(HighKeyPtr::create(i < content.highKeys.size() ? *content.highKeys.at(i)
                                                                         : HIGH_KEY_INFO()));
    for (int i = 0; i < Profile::MacroCount; ++i) {
        c.macros[size_t(i)].clear();
        for (const MacroEventPtr& e : content.macros[size_t(i)])
            c.macros[size_t(i)].append(MacroEventPtr::create(*e));
    }
    c.triggers.clear();
    for (const TriggerSettingPtr& t : content.triggers)
        c.triggers.insert(t->keyItem, TriggerSettingPtr::create(*t));
    return plan;
}

QList<ProfilePlan::Difference> ProfilePlan::differences(const KeyboardConfigUtil& m) const {
    QList<Difference> out;
    const Content& c = mIntended;
    auto keyed = [&](int section, Difference::What what, int key) {
        Difference d;
        d.section = section;
        d.what = what;
        d.key = key;
        d.label = labelOf(m, key);
        return d;
    };
    if (mSections & Profile::Keys) {
        const KeyBindingMap* maps[2] = {&m.keyboardFnMap, &m.keyboardFn1Map};
        for (int layer = 0; layer < 2; ++layer) {
            for (const KeyBindingPtr& b : c.keyMaps[size_t(layer)]) {
                const KeyBindingPtr now = maps[layer]->value(b->keyItem);
                if (now && now->type == b->type && now->hValue == b->hValue &&
                    now->lValue == b->lValue)
                    continue;
                Difference d = keyed(Profile::Keys, Difference::Binding, b->keyItem);
                d.layer = layer;
                d.meant = bindingText(*b);
                d.actual = now ? bindingText(*now) : QStringLiteral("none");
                out.append(d);
            }
        }
    }
    if (mSections & Profile::Lighting) {
        for (const EffectLightPtr& e : c.effectLights) {
            const EffectLightPtr now = m.keyboardEffectLightMap.value(e->item);
            if (now && sameEffect(*now, *e)) continue;
            Difference d;
            d.section = Profile::Lighting;
            d.what = Difference::Effect;
            d.index = e->item;
            const EffectNamePtr name = m.keyboardEffectNameMap.value(e->item);
            d.label = name ? name->name : QString();
            d.meant = effectText(*e);
            d.actual = now ? effectText(*now) : QStringLiteral("none");
            out.append(d);
        }
        for (const CustomLightPtr& l : c.customLights) {
            const CustomLightPtr now = m.keyboardCustomLightMap.value(l->keyItem);
            if (now && now->light == l->light && now->colorR == l->colorR &&
                now->colorG == l->colorG && now->colorB == l->colorB)
                continue;
            Difference d = keyed(Profile::Lighting, Difference::CustomLight, l->keyItem);
            d.meant = lightText(*l);
            d.actual = now ? lightText(*now) : QStringLiteral("none");
            out.append(d);
        }
    }
    if (mSections & Profile::AdvancedKeys) {
        const int slotList = int(qMax(c.highKeys.size(), m.keyboardHighKeyList.size()));
        for (int slot = 0; slot < slotList; ++slot) {
            const HIGH_KEY_INFO meant =
                slot < c.highKeys.size() ? *c.highKeys.at(slot) : HIGH_KEY_INFO();
            const HIGH_KEY_INFO now =
                slot < m.keyboardHighKeyList.size() && m.keyboardHighKeyList.at(slot)
                    ? *m.keyboardHighKeyList.at(slot)
                    : HIGH_KEY_INFO();
            if (sameSlot(meant, now)) continue;
            const HIGH_KEY_INFO& shown = meant.item != KeyboardConfigUtil::NoSlot ? meant : now;
            Difference d = keyed(Profile::AdvancedKeys, Difference::AdvancedSlot, shown.data[0]);
            d.index = slot;
            d.meant = slotText(m, meant);
            d.actual = slotText(m, now);
            out.append(d);
        }
    }
    if (mSections & Profile::Macros) {
        for (int i = 0; i < Profile::MacroCount; ++i) {
            if (sameMacro(c.macros[size_t(i)], m.keyboardMacroList[size_t(i)])) continue;
            Difference d;
            d.section = Profile::Macros;
            d.what = Difference::Macro;
            d.index = i;
            d.meant = macroText(c.macros[size_t(i)]);
            d.actual = macroText(m.keyboardMacroList[size_t(i)]);
            out.append(d);
        }
    }
    if (mSections & Profile::Performance) {
        for (const TriggerSettingPtr& t : c.triggers) {
            const TriggerSettingPtr now = m.keyboardTriggerMap.value(t->keyItem);
            if (now && sameTrigger(*now, *t)) continue;
            Difference d = keyed(Profile::Performance, Difference::Trigger, t->keyItem);
            d.meant = triggerText(*t);
            d.actual = now ? triggerText(*now) : QStringLiteral("none");
            out.append(d);
        }
    }
    if (mSections & Profile::Parameters) {
        const WholeParam& w = c.wholeParam;
        const WholeParam& n = *m.keyboardWholeParam;
        auto field = [&](const char* name, bool same, const QString& meant, const QString& actual) {
            if (same) return;
            Difference d;
            d.section = Profile::Parameters;
            d.what = Difference::Parameter;
            d.field = QLatin1String(name);
            d.meant = meant;
            d.actual = actual;
            out.append(d);
        };
        auto onOff = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
        field("pollingRate", w.pollingRate == n.pollingRate,
              ProfileJson::pollingName(w.pollingRate), ProfileJson::pollingName(n.pollingRate));
        field("debounce", w.shakeLevel == n.shakeLevel, ProfileJson::debounceName(w.shakeLevel),
              ProfileJson::debounceName(n.shakeLevel));
        field("deadZoneDown", w.deadDown == n.deadDown, mm(w.deadDown) + QStringLiteral(" mm"),
              mm(n.deadDown) + QStringLiteral(" mm"));
        field("deadZoneUp", w.deadUp == n.deadUp, mm(w.deadUp) + QStringLiteral(" mm"),
              mm(n.deadUp) + QStringLiteral(" mm"));
        field("touchOptimize", w.touchOptimize == n.touchOptimize, onOff(w.touchOptimize),
              onOff(n.touchOptimize));
        field("sportsMode", w.sportsMode == n.sportsMode, onOff(w.sportsMode), onOff(n.sportsMode));
        field("calibration", w.calibration == n.calibration, onOff(w.calibration),
              onOff(n.calibration));
        field("layer", w.currentLayer == n.currentLayer, QString::number(w.currentLayer),
              QString::number(n.currentLayer));
        field("reserve", w.reserve == n.reserve, QString::number(w.reserve),
              QString::number(n.reserve));
    }
    return out;
}

int ProfilePlan::count(const QList<Difference>& differences, int section) {
    int n = 0;
    for (const Difference& d : differences) n += d.section == section ? 1 : 0;
    return n;
}

QList<ProfilePlan::Change> ProfilePlan::changes(const KeyboardConfigUtil& m) const {
    using P = UsbProtocol::Order;
    const QList<Difference> diffs = differences(m);
    QList<Change> out;
    const Content& c = mIntended;
    auto has = [&](int section) { return count(diffs, section) > 0; };
    // The order of a configuration file import: parameters, lighting, keys,
    // advanced keys, macros, triggers.
    if (has(Profile::Parameters)) {
        const WholeParam w = c.wholeParam;
        out.append({Profile::Parameters, UsbProtocol::answerOf(P::SetWholeParam),
                    [w](UsbCommunicateUtil& e, uchar s) { e.setWholeParam(s, true, w); },
                    [w](KeyboardConfigUtil& model) { *model.keyboardWholeParam = w; }});
    }
    for (const Difference& d : diffs) {
        if (d.what == Difference::Effect) {
            EffectLightEntry entry = *c.effectLights.value(quint8(d.index));
            // What an effect can change is the keyboard's own.
            if (const EffectLightPtr now = m.keyboardEffectLightMap.value(entry.item))
                entry.functionFlag = now->functionFlag;
            out.append(
                {Profile::Lighting, UsbProtocol::answerOf(P::SetEffectLight),
                 [entry](UsbCommunicateUtil& e, uchar s) { e.setEffectLight(s, true, entry); },
                 [entry](KeyboardConfigUtil& model) {
                     if (const EffectLightPtr p = model.keyboardEffectLightMap.value(entry.item))
                         *p = entry;
                 }});
        } else if (d.what == Difference::CustomLight) {
            const CustomLightEntry l = *c.customLights.value(quint8(d.key));
            out.append({Profile::Lighting, UsbProtocol::answerOf(P::SetCustomLightAll),
                        [l](UsbCommunicateUtil& e, uchar s) {
                            auto map = QSharedPointer<CustomLightMap>::create();
                            map->insert(l.keyItem, CustomLightPtr::create(l));
                            e.setCustomLightAll(s, true, map);
                        },
                        [l](KeyboardConfigUtil& model) {
                            model.keyboardCustomLightMap.insert(l.keyItem,
                                                                CustomLightPtr::create(l));
                        }});
        }
    }
    for (const Difference& d : diffs) {
        if (d.what != Difference::Binding) continue;
        const KeyBinding b = *c.keyMaps[size_t(d.layer)].value(quint8(d.key));
        const uchar layer = uchar(d.layer);
        out.append({Profile::Keys, UsbProtocol::answerOf(P::SetKeyboardConfig),
                    [b, layer](UsbCommunicateUtil& e, uchar s) {
                        auto map = QSharedPointer<KeyBindingMap>::create();
                        map->insert(b.keyItem, KeyBindingPtr::create(b));
                        e.setKeyboardConfig(s, true, layer, map);
                    },
                    [b, layer](KeyboardConfigUtil& model) {
                        KeyBindingMap& map =
                            layer == 0 ? model.keyboardFnMap : model.keyboardFn1Map;
                        map.insert(b.keyItem, KeyBindingPtr::create(b));
                    }});
    }
    if (has(Profile::AdvancedKeys)) {
        QList<HIGH_KEY_INFO> slotList;
        for (const HighKeyPtr& h : c.highKeys) slotList.append(*h);
        out.append({Profile::AdvancedKeys, UsbProtocol::answerOf(P::SetHighKey),
                    [slotList](UsbCommunicateUtil& e, uchar s) {
                        HighKeyList list;
                        for (const HIGH_KEY_INFO& h : slotList) list.append(HighKeyPtr::create(h));
                        e.setHighKey(s, true, list);
                    },
                    [slotList](KeyboardConfigUtil& model) {
                        model.keyboardHighKeyList.clear();
                        for (const HIGH_KEY_INFO& h : slotList)
                            model.keyboardHighKeyList.append(HighKeyPtr::create(h));
                    }});
    }
    for (const Difference& d : diffs) {
        if (d.what != Difference::Macro) continue;
        QList<MacroEvent> events;
        for (const MacroEventPtr& e : c.macros[size_t(d.index)]) events.append(*e);
        const uchar index = uchar(d.index);
        auto commit = [events, index](KeyboardConfigUtil& model) {
            MacroEventList& list = model.keyboardMacroList[index];
            list.clear();
            for (const MacroEvent& e : events) list.append(MacroEventPtr::create(e));
        };
        // A set with no events sends nothing: an empty macro is deleted.
        if (events.isEmpty())
            out.append(
                {Profile::Macros, UsbProtocol::answerOf(P::DelMacroConfig),
                 [index](UsbCommunicateUtil& e, uchar s) { e.delMacroConfig(s, true, index); },
                 commit});
        else
            out.append({Profile::Macros, UsbProtocol::answerOf(P::SetMacroConfig),
                        [events, index](UsbCommunicateUtil& e, uchar s) {
                            MacroEventList list;
                            for (const MacroEvent& ev : events)
                                list.append(MacroEventPtr::create(ev));
                            e.setMacroConfig(s, true, index, list);
                        },
                        commit});
    }
    for (const Difference& d : diffs) {
        if (d.what != Difference::Trigger) continue;
        const TriggerSetting t = *c.triggers.value(quint8(d.key));
        out.append({Profile::Performance, UsbProtocol::answerOf(P::SetTriggerConfigAll),
                    [t](UsbCommunicateUtil& e, uchar s) {
                        auto map = QSharedPointer<TriggerMap>::create();
                        map->insert(t.keyItem, TriggerSettingPtr::create(t));
                        e.setTriggerConfigAll(s, true, map);
                    },
                    [t](KeyboardConfigUtil& model) {
                        model.keyboardTriggerMap.insert(t.keyItem, TriggerSettingPtr::create(t));
                    }});
    }
    return out;
}

QString ProfilePlan::Difference::englishText() const {
    QString where;
    const QString named = label.isEmpty() ? QStringLiteral("key %1").arg(key)
                                          : QStringLiteral("%1 (key %2)").arg(label).arg(key);
    switch (what) {
        case Binding:
            where = named + (layer == 1 ? QStringLiteral(", Fn layer") : QString());
            break;
        case CustomLight:
        case Trigger:
            where = named;
            break;
        case Effect:
            where = label.isEmpty() ? QStringLiteral("effect %1").arg(index)
                                    : QStringLiteral("effect %1 (%2)").arg(index).arg(label);
            break;
        case AdvancedSlot:
            where = QStringLiteral("advanced key slot %1").arg(index);
            break;
        case Macro:
            where = QStringLiteral("M%1").arg(index + 1);
            break;
        case Parameter:
            where = field;
            break;
    }
    return QStringLiteral("%1: %2 -> %3").arg(where, actual, meant);
}

QString ProfilePlan::Unmatched::englishText() const {
    const QString named = label.isEmpty() ? QStringLiteral("key %1").arg(key)
                                          : QStringLiteral("%1 (key %2)").arg(label).arg(key);
    switch (what) {
        case Key:
            return QStringLiteral("%1: this keyboard has no such key").arg(named);
        case Effect:
            return QStringLiteral("effect %1: this keyboard has no such effect").arg(index);
        case AdvancedSlot:
            return QStringLiteral("advanced key slot %1 on %2: this keyboard has fewer slotList")
                .arg(index)
                .arg(named);
    }
    return named;
}

QString ProfilePlan::englishPreview(const KeyboardConfigUtil& m) const {
    const QList<Difference> diffs = differences(m);
    QString text;
    QTextStream out(&text);
    for (int section : Profile::allSections()) {
        if (!(mSections & section)) continue;
        out << Profile::sectionName(section) << ": " << count(diffs, section) << " values differ\n";
        for (const Difference& d : diffs)
            if (d.section == section) out << "  " << d.englishText() << "\n";
        for (const Unmatched& u : mUnmatched)
            if (u.section == section) out << "  not matched: " << u.englishText() << "\n";
    }
    return text;
}
