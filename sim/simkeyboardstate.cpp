#include "sim/simkeyboardstate.h"

#include <QJsonArray>

namespace {

// A 75 % board in key order: HID usages of the Keyboard page, 0xE0.. for
// modifiers (stored as type 0 with their modifier bit).
const quint8 kUsages75[82] = {0x29, 0x3A, 0x3B, 0x3C,          0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42,
                              0x43, 0x44, 0x45, 0x4C,  // Esc F1-F12 Del
                              0x35, 0x1E, 0x1F, 0x20,          0x21, 0x22, 0x23, 0x24, 0x25, 0x26,
                              0x27, 0x2D, 0x2E, 0x2A,          0x4A, 0x2B, 0x14, 0x1A, 0x08, 0x15,
                              0x17, 0x1C, 0x18, 0x0C,          0x12, 0x13, 0x2F, 0x30, 0x31, 0x4B,
                              0x39, 0x04, 0x16, 0x07,          0x09, 0x0A, 0x0B, 0x0D, 0x0E, 0x0F,
                              0x33, 0x34, 0x28, 0x4E,          0xE1, 0x1D, 0x1B, 0x06, 0x19, 0x05,
                              0x11, 0x10, 0x36, 0x37,          0x38, 0xE5, 0x52, 0x4D, 0xE0, 0xE3,
                              0xE2, 0x2C, 0xE6, 0x00 /* Fn */, 0xE4, 0x50, 0x51, 0x4F};

SimKey usageKey(quint8 usage) {
    if (usage >= 0xE0 && usage <= 0xE7) return {0, 0, quint8(1u << (usage - 0xE0))};
    if (usage == 0x00) return {5, 0, 254};  // Fn
    return {1, 0, usage};
}

QByteArray defaultWholeParam() {
    // reserve, touchOptimize, deadDown(2), deadUp(2), pollingRate, shakeLevel,
    // calibration, sportsMode, currentLayer
    return QByteArray::fromHex("ff0105000500000300000000").left(11);
}

QJsonArray bytesArray(const QByteArray& bytes) {
    QJsonArray a;
    for (char c : bytes) a.append(int(quint8(c)));
    return a;
}

QByteArray arrayBytes(const QJsonValue& v) {
    QByteArray out;
    for (const QJsonValue& x : v.toArray()) out.append(char(x.toInt()));
    return out;
}

QJsonArray keysToJson(const QVector<SimKey>& keys) {
    QJsonArray a;
    for (const SimKey& k : keys) a.append(QJsonArray{k.type, k.hValue, k.lValue});
    return a;
}

QVector<SimKey> keysFromJson(const QJsonValue& v) {
    QVector<SimKey> out;
    for (const QJsonValue& x : v.toArray()) {
        const QJsonArray k = x.toArray();
        out.append({quint8(k.at(0).toInt()), quint8(k.at(1).toInt()), quint8(k.at(2).toInt())});
    }
    return out;
}

}  // namespace

SimProfile* SimKeyboardState::profile(quint8 index) {
    for (SimProfile& p : profiles)
        if (p.index == index) return &p;
    return nullptr;
}

SimProfile* SimKeyboardState::activeProfile() {
    SimProfile* p = profile(configIndex);
    return p ? p : (profiles.isEmpty() ? nullptr : &profiles.first());
}

SimProfile SimKeyboardState::makeProfile(quint8 index, const QString& name) const {
    SimProfile p;
    p.index = index;
    p.name = name;
    p.wholeParam = defaultWholeParam();
    p.layers = factoryLayers;
    p.lights.resize(keyCount);
    for (int k = 0; k < keyCount; ++k) p.lights[k] = {4, quint8(255 - 2 * k), quint8(3 * k), 200};
    const quint8 flags[] = {0x01, 0x03, 0x07, 0x0F, 0x05, 0x00, 0x1F, 0x0B};
    for (quint8 i = 0; i < 8; ++i)
        p.effects.append({i, flags[i], quint8(4 - i % 5), quint8(i % 5), quint8(i % 2),
                          quint8(40 * i), 128, quint8(255 - 30 * i)});
    p.selectedEffect = 1;
    p.highKeys.fill(QByteArray(20, '\0'), 32);
    for (QByteArray& slot : p.highKeys) slot[0] = char(0xFF);
    p.triggers.resize(keyCount);
    for (SimTrigger& t : p.triggers) t = {120, false, false, 30, 30};
    return p;
}

SimKeyboardState SimKeyboardState::factory() {
    QVector<SimKey> layer0, layer1;
    for (quint8 usage : kUsages75) layer0.append(usageKey(usage));
    layer1 = layer0;
    // Fn layer: media on F1-F12, lighting on the arrows, Win lock on Left Win.
    const quint16 media[12] = {0x183, 0xE9, 0xEA, 0xE2, 0xCD,  0xB7,
                               0xB6,  0xB5, 0x6F, 0x70, 0x223, 0x192};
    for (int i = 0; i < 12; ++i)
        layer1[1 + i] = {2, quint8(media[i] >> 8), quint8(media[i] & 0xFF)};
    layer1[78] = {5, 0, 234};  // up: brightness up
    layer1[80] = {5, 0, 233};  // down: brightness down
    layer1[79] = {5, 0, 238};  // left: previous effect
    layer1[81] = {5, 0, 239};  // right: next effect
    layer1[73] = {5, 0, 249};  // Left Win: Win lock
    return factory(0x0102, QStringLiteral("Velmora 75 HE"), layer0, layer1);
}

SimKeyboardState SimKeyboardState::factory(qint16 serialNumber, const QString& productName,
                                           const QVector<SimKey>& layer0,
                                           const QVector<SimKey>& layer1) {
    SimKeyboardState s;
    s.serialNumber = serialNumber;
    s.version = 0x0105;
    s.flags = 0x02;
    s.customerName = QStringLiteral("Zentaro Simulated Keyboards");
    s.productName = productName;
    s.logoName = QStringLiteral("ZENTARO");
    s.keyCount = layer0.size();
    s.factoryLayers = {layer0, layer1};
    s.factoryLayers[1].resize(s.keyCount);
    // Not calibrated yet: a calibration shows every key pass as it is pressed.
    s.calibrated.fill(0, s.keyCount);
    s.firmwareIdentifier = quint16(serialNumber);
    s.effectNames[0] = {QStringLiteral("Static"),    QStringLiteral("Breathing"),
                        QStringLiteral("Wave"),      QStringLiteral("Ripple"),
                        QStringLiteral("Spectrum"),  QStringLiteral("Reactive"),
                        QStringLiteral("Starlight"), QStringLiteral("Off")};
    s.effectNames[1] = {QStringLiteral("常亮"), QStringLiteral("呼吸"), QStringLiteral("波浪"),
                        QStringLiteral("涟漪"), QStringLiteral("光谱"), QStringLiteral("触发"),
                        QStringLiteral("星光"), QStringLiteral("关闭")};
    s.effectNames[7] = {QStringLiteral("Tĩnh"),      QStringLiteral("Thở"),
                        QStringLiteral("Sóng"),      QStringLiteral("Gợn sóng"),
                        QStringLiteral("Quang phổ"), QStringLiteral("Phản hồi"),
                        QStringLiteral("Ánh sao"),   QStringLiteral("Tắt")};
    s.profiles = {s.makeProfile(0, QStringLiteral("Default")),
                  s.makeProfile(1, QStringLiteral("FPS")),
                  s.makeProfile(2, QStringLiteral("Typing"))};
    s.configIndex = 0;
    SimProfile& p = s.profiles[0];
    // A few advanced keys and macros so that reads have something to carry.
    auto slot = [](quint8 item, quint8 kind, std::initializer_list<int> data) {
        QByteArray r(20, '\0');
        r[0] = char(item);
        r[1] = char(kind);
        int i = 2;
        for (int d : data) r[i++] = char(d);
        return r;
    };
    if (s.keyCount > 47) {
        // Records as the dialogs write them, so that a user of the simulation
        // sees real bindings: DKS with A, B, C on three travel events; MT tap B,
        // hold Left Ctrl after 200 ms.
        p.highKeys[0] = slot(
            0, 2,
            {45, 0x01, 1, 0x04, 0, 0x02, 1, 0x05, 0, 0x0C, 1, 0x06, 0, 0x00, 0xFF, 0xFF, 0xFF});
        p.highKeys[1] = slot(1, 1, {30, 0xFF, 200, 0, 1, 0, 0x05, 0, 0x01, 0});
        p.highKeys[2] = slot(2, 5, {45, 47, 1});
        p.highKeys[3] = slot(3, 3, {46, 47});
        p.layers[0][45] = {4, 0, 0};
        p.layers[0][30] = {4, 0, 1};
    }
    p.macros[0] = {
        {1, 1, 0x04, 0, 30}, {1, 0, 0x04, 0, 50}, {1, 1, 0x05, 0, 30}, {1, 0, 0x05, 0, 50}};
    for (int i = 0; i < 25; ++i)
        p.macros[2].append({1, quint8(i % 2), quint8(0x04 + i / 2), 0, quint16(10 + i)});
    return s;
}

QJsonObject SimKeyboardState::toJson() const {
    QJsonObject o;
    o[QStringLiteral("serialNumber")] = serialNumber;
    o[QStringLiteral("version")] = version;
    o[QStringLiteral("flags")] = flags;
    o[QStringLiteral("customerName")] = customerName;
    o[QStringLiteral("productName")] = productName;
    o[QStringLiteral("logoName")] = logoName;
    o[QStringLiteral("keyCount")] = keyCount;
    o[QStringLiteral("configIndex")] = configIndex;
    o[QStringLiteral("firmwareIdentifier")] = firmwareIdentifier;
    o[QStringLiteral("factoryLayer0")] = keysToJson(factoryLayers[0]);
    o[QStringLiteral("factoryLayer1")] = keysToJson(factoryLayers[1]);
    QJsonObject names;
    for (auto it = effectNames.begin(); it != effectNames.end(); ++it)
        names[QString::number(it.key())] = QJsonArray::fromStringList(it.value());
    o[QStringLiteral("effectNames")] = names;
    QJsonArray cal;
    for (quint8 c : calibrated) cal.append(c);
    o[QStringLiteral("calibrated")] = cal;
    QJsonArray profs;
    for (const SimProfile& p : profiles) {
        QJsonObject j;
        j[QStringLiteral("index")] = p.index;
        j[QStringLiteral("name")] = p.name;
        j[QStringLiteral("wholeParam")] = bytesArray(p.wholeParam);
        QJsonArray lights, effects, high, macros, triggers;
        for (const SimLight& l : p.lights) lights.append(QJsonArray{l.light, l.r, l.g, l.b});
        for (const SimEffect& e : p.effects)
            effects.append(
                QJsonArray{e.item, e.functionFlag, e.light, e.speed, e.fullColor, e.r, e.g, e.b});
        for (const QByteArray& h : p.highKeys) high.append(bytesArray(h));
        for (const auto& m : p.macros) {
            QJsonArray events;
            for (const SimMacroEvent& e : m)
                events.append(QJsonArray{e.type, e.state, e.lValue, e.hValue, e.time});
            macros.append(events);
        }
        for (const SimTrigger& t : p.triggers)
            triggers.append(
                QJsonArray{t.trigger, t.model, t.quick, t.quickTrigger, t.resetTrigger});
        j[QStringLiteral("lights")] = lights;
        j[QStringLiteral("effects")] = effects;
        j[QStringLiteral("selectedEffect")] = p.selectedEffect;
        j[QStringLiteral("layer0")] = keysToJson(p.layers[0]);
        j[QStringLiteral("layer1")] = keysToJson(p.layers[1]);
        j[QStringLiteral("highKeys")] = high;
        j[QStringLiteral("macros")] = macros;
        j[QStringLiteral("triggers")] = triggers;
        profs.append(j);
    }
    o[QStringLiteral("profiles")] = profs;
    return o;
}

bool SimKeyboardState::fromJson(const QJsonObject& o, SimKeyboardState* out) {
    SimKeyboardState s;
    s.keyCount = o.value(QStringLiteral("keyCount")).toInt(-1);
    if (s.keyCount < 1 || s.keyCount > 256 || !o.value(QStringLiteral("profiles")).isArray())
        return false;
    s.serialNumber = qint16(o.value(QStringLiteral("serialNumber")).toInt());
    s.version = qint16(o.value(QStringLiteral("version")).toInt());
    s.flags = quint8(o.value(QStringLiteral("flags")).toInt());
    s.customerName = o.value(QStringLiteral("customerName")).toString();
    s.productName = o.value(QStringLiteral("productName")).toString();
    s.logoName = o.value(QStringLiteral("logoName")).toString();
    s.configIndex = quint8(o.value(QStringLiteral("configIndex")).toInt());
    s.firmwareIdentifier = quint16(o.value(QStringLiteral("firmwareIdentifier")).toInt());
    s.factoryLayers[0] = keysFromJson(o.value(QStringLiteral("factoryLayer0")));
    s.factoryLayers[1] = keysFromJson(o.value(QStringLiteral("factoryLayer1")));
    const QJsonObject names = o.value(QStringLiteral("effectNames")).toObject();
    for (auto it = names.begin(); it != names.end(); ++it) {
        QStringList list;
        for (const QJsonValue& v : it.value().toArray()) list.append(v.toString());
        s.effectNames[it.key().toInt()] = list;
    }
    for (const QJsonValue& v : o.value(QStringLiteral("calibrated")).toArray())
        s.calibrated.append(quint8(v.toInt()));
    for (const QJsonValue& pv : o.value(QStringLiteral("profiles")).toArray()) {
        const QJsonObject j = pv.toObject();
        SimProfile p;
        p.index = quint8(j.value(QStringLiteral("index")).toInt());
        p.name = j.value(QStringLiteral("name")).toString();
        p.wholeParam =
            arrayBytes(j.value(QStringLiteral("wholeParam"))).leftJustified(11, '\0', true);
        for (const QJsonValue& v : j.value(QStringLiteral("lights")).toArray()) {
            const QJsonArray a = v.toArray();
            p.lights.append({quint8(a.at(0).toInt()), quint8(a.at(1).toInt()),
                             quint8(a.at(2).toInt()), quint8(a.at(3).toInt())});
        }
        for (const QJsonValue& v : j.value(QStringLiteral("effects")).toArray()) {
            const QJsonArray a = v.toArray();
            SimEffect e;
            quint8* f[] = {&e.item, &e.functionFlag, &e.light, &e.speed, &e.fullColor, &e.r, &e.g,
                           &e.b};
            for (int i = 0; i < 8; ++i) *f[i] = quint8(a.at(i).toInt());
            p.effects.append(e);
        }
        p.selectedEffect = quint8(j.value(QStringLiteral("selectedEffect")).toInt());
        p.layers[0] = keysFromJson(j.value(QStringLiteral("layer0")));
        p.layers[1] = keysFromJson(j.value(QStringLiteral("layer1")));
        for (const QJsonValue& v : j.value(QStringLiteral("highKeys")).toArray())
            p.highKeys.append(arrayBytes(v).leftJustified(20, '\0', true));
        const QJsonArray macros = j.value(QStringLiteral("macros")).toArray();
        for (int m = 0; m < 10 && m < macros.size(); ++m) {
            for (const QJsonValue& v : macros.at(m).toArray()) {
                const QJsonArray a = v.toArray();
                p.macros[size_t(m)].append({quint8(a.at(0).toInt()), quint8(a.at(1).toInt()),
                                            quint8(a.at(2).toInt()), quint8(a.at(3).toInt()),
                                            quint16(a.at(4).toInt())});
            }
        }
        for (const QJsonValue& v : j.value(QStringLiteral("triggers")).toArray()) {
            const QJsonArray a = v.toArray();
            p.triggers.append({quint16(a.at(0).toInt()), a.at(1).toBool(), a.at(2).toBool(),
                               quint16(a.at(3).toInt()), quint16(a.at(4).toInt())});
        }
        // Keep per-key tables as long as the board so no answer reads past them.
        p.lights.resize(s.keyCount);
        p.triggers.resize(s.keyCount);
        p.layers[0].resize(s.keyCount);
        p.layers[1].resize(s.keyCount);
        s.profiles.append(p);
    }
    s.factoryLayers[0].resize(s.keyCount);
    s.factoryLayers[1].resize(s.keyCount);
    s.calibrated.resize(s.keyCount);
    if (s.profiles.isEmpty()) return false;
    *out = s;
    return true;
}
