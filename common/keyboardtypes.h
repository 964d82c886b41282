#pragma once
// Records shared by the keyboard link, the command engine, the configuration
// model, the catalogue and the pages. Every record is held by a shared
// pointer; maps are ordered by key number.

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QSharedPointer>
#include <QString>
#include <QtGlobal>

// One row of the catalogue's product_table.
struct ProductRecord {
    qint16 serialNumber = 0;
    quint16 vendorId = 0;
    quint16 productId = 0;
    qint32 interface = 0;
    QString productName;
    QString productData;
    quint16 triggerMin = 0;
    quint16 triggerMax = 0;
    quint16 qttMin = 0;
    quint16 qttMax = 0;
    quint16 qrtMin = 0;
    quint16 qrtMax = 0;
    qint32 width = 0;
    qint32 height = 0;
    QList<qint32> strCol;
};

// Where a key sits on the product's picture (key_position_table).
struct KeyPositionRecord {
    quint8 keyItem = 0;
    quint8 posItem = 0;
    bool flag = false;
    quint8 row = 0;
    quint8 col = 0;
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;
};

// Factory binding of one key (keyboard_default_table / keyboard_default_fn1_table).
struct DefaultKeyRecord {
    quint8 keyItem = 0;
    quint8 type = 0;
    quint8 hValue = 0;
    quint8 lValue = 0;
    QString label;
};

// One device: a row of device_table, or one matching HID interface found by
// enumeration.
struct DeviceRecord {
    qint16 serialNumber = 0;
    quint16 vendorId = 0;
    quint16 productId = 0;
    qint32 interface = 0;
    qint32 version = 0;
    QString manufacturer;
    QString productStr;
    QString path;
};

// What the keyboard says about itself (GetProductInfo).
struct KeyboardProductInfo {
    qint16 serialNumber = 0;
    qint16 version = 0;
    QString customerName;
    QString productName;
    QString logoName;
    bool flag0 = false;  // bit 0: hide polling rate and debounce
    bool flag1 = false;  // bit 1: carried
    bool flag7 = false;  // bit 7: carried
};

// One stored profile on the keyboard.
struct ConfigTableEntry {
    quint8 index = 0;
    QString configName;
};

struct WholeParam {
    qint8 reserve = 0;
    bool touchOptimize = false;
    qint16 deadDown = 0;
    qint16 deadUp = 0;
    qint8 pollingRate = 0;
    qint8 shakeLevel = 0;
    bool calibration = false;
    bool sportsMode = false;
    qint8 currentLayer = 0;
};

struct CustomLightEntry {
    quint8 keyItem = 0;
    quint8 light = 0;
    quint8 colorR = 0;
    quint8 colorG = 0;
    quint8 colorB = 0;
};

struct EffectNameEntry {
    quint8 item = 0;
    QString name;
};

struct EffectLightEntry {
    quint8 item = 0;
    quint8 functionFlag = 0;
    quint8 light = 0;
    quint8 speed = 0;
    quint8 fullColor = 0;
    quint8 colorR = 0;
    quint8 colorG = 0;
    quint8 colorB = 0;
};

// What a key does in one layer. type 4: lValue is an advanced key's item.
struct KeyBinding {
    quint8 keyItem = 0;
    quint8 type = 0;
    quint8 hValue = 0;
    quint8 lValue = 0;
};

// One advanced-key slot (20 bytes). item 255 marks a free slot.
struct HIGH_KEY_INFO {
    quint8 item = 255;
    quint8 attribute = 0;  // 0 TGL, 1 MT, 2 DKS, 3 RS, 4 OKS, 5 SOCD
    quint8 data[18] = {};
};

struct MacroEvent {
    quint8 type = 0;
    quint8 state = 0;
    quint8 lValue = 0;
    quint8 hValue = 0;
    quint16 time = 0;
};

// Actuation and rapid-trigger settings of one key, in hundredths of a mm.
struct TriggerSetting {
    quint8 keyItem = 0;
    quint16 trigger = 0;
    bool model = false;
    bool quick = false;
    quint16 quickTrigger = 0;
    quint16 resetTrigger = 0;
};

// Rapid-trigger part of a trigger setting, as SetQuickTriggerConfig sends it.
struct QuickTriggerEntry {
    quint8 keyItem = 0;
    bool model = false;
    bool quick = false;
    quint16 quickTrigger = 0;
    quint16 resetTrigger = 0;
};

// Live travel of one key during calibration.
struct KEYBOARD_ALIGN_INFO {
    quint8 keyItem = 0;
    quint16 value = 0;
};

using ProductRecordPtr = QSharedPointer<ProductRecord>;
using KeyPositionPtr = QSharedPointer<KeyPositionRecord>;
using DefaultKeyPtr = QSharedPointer<DefaultKeyRecord>;
using DeviceRecordPtr = QSharedPointer<DeviceRecord>;
using KeyboardProductInfoPtr = QSharedPointer<KeyboardProductInfo>;
using ConfigTableEntryPtr = QSharedPointer<ConfigTableEntry>;
using WholeParamPtr = QSharedPointer<WholeParam>;
using CustomLightPtr = QSharedPointer<CustomLightEntry>;
using EffectNamePtr = QSharedPointer<EffectNameEntry>;
using EffectLightPtr = QSharedPointer<EffectLightEntry>;
using KeyBindingPtr = QSharedPointer<KeyBinding>;
using HighKeyPtr = QSharedPointer<HIGH_KEY_INFO>;
using MacroEventPtr = QSharedPointer<MacroEvent>;
using TriggerSettingPtr = QSharedPointer<TriggerSetting>;
using QuickTriggerPtr = QSharedPointer<QuickTriggerEntry>;
using AlignInfoPtr = QSharedPointer<KEYBOARD_ALIGN_INFO>;

using KeyPositionMap = QMap<quint8, KeyPositionPtr>;
using DefaultKeyList = QList<DefaultKeyPtr>;
using ConfigTableList = QList<ConfigTableEntryPtr>;
using CustomLightMap = QMap<quint8, CustomLightPtr>;
using EffectNameMap = QMap<quint8, EffectNamePtr>;
using EffectLightMap = QMap<quint8, EffectLightPtr>;
using KeyBindingMap = QMap<quint8, KeyBindingPtr>;
using HighKeyList = QList<HighKeyPtr>;
using MacroEventList = QList<MacroEventPtr>;
using TriggerMap = QMap<quint8, TriggerSettingPtr>;
using QuickTriggerList = QList<QuickTriggerPtr>;
using AlignInfoList = QList<AlignInfoPtr>;
using CalibrationStateMap = QMap<quint8, quint8>;

Q_DECLARE_METATYPE(HIGH_KEY_INFO)
Q_DECLARE_METATYPE(AlignInfoList)
Q_DECLARE_METATYPE(CalibrationStateMap)
