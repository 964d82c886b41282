#pragma once
// Everything the simulated keyboard keeps in its "flash": identity,
// configuration tables (each a whole profile), effect names, calibration.
// Saved to and loaded from a JSON file so a simulated keyboard keeps its
// settings between runs.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QVector>
#include <array>

struct SimKey {
    quint8 type = 0;
    quint8 hValue = 0;
    quint8 lValue = 0;
};

struct SimLight {
    quint8 light = 0, r = 0, g = 0, b = 0;
};

struct SimEffect {
    quint8 item = 0, functionFlag = 0, light = 0, speed = 0, fullColor = 0, r = 0, g = 0, b = 0;
};

struct SimMacroEvent {
    quint8 type = 0, state = 0, lValue = 0, hValue = 0;
    quint16 time = 0;
};

struct SimTrigger {
    quint16 trigger = 0;
    bool model = false;
    bool quick = false;
    quint16 quickTrigger = 0;
    quint16 resetTrigger = 0;
};

// One configuration table: a whole profile.
struct SimProfile {
    quint8 index = 0;
    QString name;
    // Whole parameters, bytes 0..10 as on the wire.
    QByteArray wholeParam;
    QVector<SimLight> lights;    // per key
    QVector<SimEffect> effects;  // ordered by item
    quint8 selectedEffect = 0;
    std::array<QVector<SimKey>, 2> layers;  // per key, layer 0 and 1
    QVector<QByteArray> highKeys;           // 20-byte HIGH_KEY_INFO records, item 255 = free
    std::array<QVector<SimMacroEvent>, 10> macros;
    QVector<SimTrigger> triggers;  // per key
};

struct SimKeyboardState {
    qint16 serialNumber = 0;
    qint16 version = 0;
    quint8 flags = 0;
    QString customerName;
    QString productName;
    QString logoName;
    int keyCount = 0;
    quint8 configIndex = 0;
    QList<SimProfile> profiles;  // ordered by index
    // Factory key maps, used by SetKeyboardDefault and by new tables.
    std::array<QVector<SimKey>, 2> factoryLayers;
    // Effect names per language code (0 English, 1 Chinese, 7 Vietnamese).
    QMap<int, QStringList> effectNames;
    QVector<quint8> calibrated;  // per key, non-zero = calibrated
    quint16 firmwareIdentifier = 0;

    SimProfile* profile(quint8 index);
    SimProfile* activeProfile();
    SimProfile makeProfile(quint8 index, const QString& name) const;

    QJsonObject toJson() const;
    static bool fromJson(const QJsonObject& json, SimKeyboardState* out);

    // A believable factory state: 82 keys, three tables, lights, effects with
    // names in three languages, some advanced keys, some macros.
    static SimKeyboardState factory();
    // Same, with the factory key maps of a catalogue product.
    static SimKeyboardState factory(qint16 serialNumber, const QString& productName,
                                    const QVector<SimKey>& layer0, const QVector<SimKey>& layer1);
};
