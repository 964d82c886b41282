#include "cli/modeljson.h"

#include <QJsonArray>
#include <QTextStream>

#include "model/keyboardconfigutil.h"

namespace {

QJsonObject productInfo(const KeyboardProductInfo& p) {
    return {{"serialNumber", p.serialNumber},
            {"version", p.version},
            {"customerName", p.customerName},
            {"productName", p.productName},
            {"logoName", p.logoName},
            {"flag0", p.flag0},
            {"flag1", p.flag1},
            {"flag7", p.flag7}};
}

QJsonObject wholeParam(const WholeParam& w) {
    return {{"reserve", w.reserve},          {"touchOptimize", w.touchOptimize},
            {"deadDown", w.deadDown},        {"deadUp", w.deadUp},
            {"pollingRate", w.pollingRate},  {"shakeLevel", w.shakeLevel},
            {"calibration", w.calibration},  {"sportsMode", w.sportsMode},
            {"currentLayer", w.currentLayer}};
}

QJsonArray keyMap(const KeyBindingMap& map) {
    QJsonArray a;
    for (const KeyBindingPtr& k : map)
        a.append(QJsonObject{{"keyItem", k->keyItem},
                             {"type", k->type},
                             {"hValue", k->hValue},
                             {"lValue", k->lValue}});
    return a;
}

}  // namespace

QJsonObject ModelJson::toJson(const KeyboardConfigUtil& m) {
    QJsonObject o;
    o["keyboardProductInfo"] = productInfo(*m.keyboardProductInfo);
    o["keyboardConfigIndex"] = m.keyboardConfigIndex;
    QJsonArray tables;
    for (const ConfigTableEntryPtr& t : m.keyboardConfigList)
        tables.append(QJsonObject{{"index", t->index}, {"configName", t->configName}});
    o["keyboardConfigList"] = tables;
    o["keyboardWholeParam"] = wholeParam(*m.keyboardWholeParam);
    QJsonArray lights;
    for (const CustomLightPtr& l : m.keyboardCustomLightMap)
        lights.append(QJsonObject{{"keyItem", l->keyItem},
                                  {"light", l->light},
                                  {"colorR", l->colorR},
                                  {"colorG", l->colorG},
                                  {"colorB", l->colorB}});
    o["keyboardCustomLightMap"] = lights;
    QJsonArray names;
    for (const EffectNamePtr& n : m.keyboardEffectNameMap)
        names.append(QJsonObject{{"item", n->item}, {"name", n->name}});
    o["keyboardEffectNameMap"] = names;
    QJsonArray effects;
    for (const EffectLightPtr& e : m.keyboardEffectLightMap)
        effects.append(QJsonObject{{"item", e->item},
                                   {"functionFlag", e->functionFlag},
                                   {"light", e->light},
                                   {"speed", e->speed},
                                   {"fullColor", e->fullColor},
                                   {"colorR", e->colorR},
                                   {"colorG", e->colorG},
                                   {"colorB", e->colorB}});
    o["keyboardEffectLightMap"] = effects;
    o["keyboardFnMap"] = keyMap(m.keyboardFnMap);
    o["keyboardFn1Map"] = keyMap(m.keyboardFn1Map);
    QJsonArray high;
    for (const HighKeyPtr& h : m.keyboardHighKeyList) {
        QJsonArray data;
        for (quint8 b : h->data) data.append(b);
        high.append(QJsonObject{{"item", h->item}, {"attribute", h->attribute}, {"data", data}});
    }
    o["keyboardHighKeyList"] = high;
    QJsonArray macros;
    for (const MacroEventList& list : m.keyboardMacroList) {
        QJsonArray events;
        for (const MacroEventPtr& e : list)
            events.append(QJsonObject{{"type", e->type},
                                      {"state", e->state},
                                      {"lValue", e->lValue},
                                      {"hValue", e->hValue},
                                      {"time", e->time}});
        macros.append(events);
    }
    o["keyboardMacroList"] = macros;
    QJsonArray triggers;
    for (const TriggerSettingPtr& t : m.keyboardTriggerMap)
        triggers.append(QJsonObject{{"keyItem", t->keyItem},
                                    {"trigger", t->trigger},
                                    {"model", t->model},
                                    {"quick", t->quick},
                                    {"quickTrigger", t->quickTrigger},
                                    {"resetTrigger", t->resetTrigger}});
    o["keyboardTriggerMap"] = triggers;
    return o;
}

QString ModelJson::summary(const KeyboardConfigUtil& m) {
    QString text;
    QTextStream out(&text);
    const KeyboardProductInfo& p = *m.keyboardProductInfo;
    out << "Keyboard:        " << p.productName << " (product " << p.serialNumber << ", firmware "
        << QString::number(p.version, 16) << ")\n";
    if (m.keyboardProduct) out << "Catalogue:       " << m.keyboardProduct->productName << "\n";
    out << "Tables:          ";
    for (const ConfigTableEntryPtr& t : m.keyboardConfigList)
        out << (t->index == m.keyboardConfigIndex ? "*" : "") << t->index << " " << t->configName
            << "  ";
    out << "\n";
    const WholeParam& w = *m.keyboardWholeParam;
    out << "Parameters:      polling " << w.pollingRate << ", debounce " << w.shakeLevel
        << ", dead zones " << w.deadDown << "/" << w.deadUp << ", sports mode "
        << (w.sportsMode ? "on" : "off") << "\n";
    out << "Keys:            " << m.keyboardFnMap.size() << " in layer 0, "
        << m.keyboardFn1Map.size() << " in the Fn layer\n";
    out << "Lighting:        " << m.keyboardEffectLightMap.size() << " effects, "
        << m.keyboardCustomLightMap.size() << " keys with custom light\n";
    out << "Effects:         ";
    for (const EffectNamePtr& n : m.keyboardEffectNameMap) out << n->name << "  ";
    out << "\n";
    out << "Advanced keys:   " << m.highKeyCount() << " of " << m.keyboardHighKeyList.size()
        << " slots used\n";
    out << "Macros:          ";
    for (int i = 0; i < int(m.keyboardMacroList.size()); ++i)
        out << "M" << i + 1 << "=" << m.keyboardMacroList[size_t(i)].size() << " ";
    out << "\n";
    int rapid = 0;
    for (const TriggerSettingPtr& t : m.keyboardTriggerMap) rapid += t->model ? 1 : 0;
    out << "Triggers:        " << m.keyboardTriggerMap.size() << " keys, " << rapid
        << " with rapid trigger\n";
    return text;
}
