#include "model/keyboardconfigutil.h"

#include <QDebug>
#include <algorithm>

#include "catalogue/keycatalogue.h"
#include "catalogue/productdatautil.h"
#include "common/applog.h"

namespace {

QList<KeyboardConfigUtil*>& liveInstances() {
    static QList<KeyboardConfigUtil*> instances;
    return instances;
}

}  // namespace

KeyboardConfigUtil::KeyboardConfigUtil(QObject* parent) : KeyboardConfigUtil(nullptr, parent) {}

KeyboardConfigUtil::KeyboardConfigUtil(ProductDataUtil* catalogue, QObject* parent)
    : QObject(parent),
      keyboardProductInfo(KeyboardProductInfoPtr::create()),
      keyboardWholeParam(WholeParamPtr::create()),
      mCatalogue(catalogue),
      mCatalogueInjected(catalogue != nullptr) {
    liveInstances().append(this);
    AppLog::line(QStringLiteral("=== KeyboardConfigUtil 读取键盘配置开始 ==="));
}

KeyboardConfigUtil::~KeyboardConfigUtil() {
    AppLog::line(QStringLiteral("=== KeyboardConfigUtil 读取键盘配置销毁 ==="));
    liveInstances().removeAll(this);
}

KeyboardConfigUtil* KeyboardConfigUtil::instance() {
    return liveInstances().isEmpty() ? nullptr : liveInstances().constLast();
}

ProductDataUtil* KeyboardConfigUtil::catalogue() const {
    // An injected catalogue that has gone away must not silently be swapped
    // for another one.
    return mCatalogueInjected ? mCatalogue.data() : ProductDataUtil::instance();
}

bool KeyboardConfigUtil::loadProduct(qint16 serialNumber) {
    keyboardProduct.reset();
    keyboardPositionMap.clear();
    keyboardDefaultList.clear();
    keyboardDefaultFn1List.clear();

    ProductDataUtil* products = catalogue();
    if (!products) {
        AppLog::line(QStringLiteral("=== KeyboardConfigUtil loadProduct 没有产品数据库 ==="));
        return false;
    }
    keyboardProduct = products->findProduct(serialNumber);
    products->loadKeyPositions(serialNumber, keyboardPositionMap);
    products->loadDefaultKeys(serialNumber, keyboardDefaultList);
    products->loadDefaultFn1Keys(serialNumber, keyboardDefaultFn1List);
    return !keyboardProduct.isNull() && !keyboardPositionMap.isEmpty() &&
           !keyboardDefaultList.isEmpty() && !keyboardDefaultFn1List.isEmpty();
}

void KeyboardConfigUtil::resetData() {
    AppLog::line(QStringLiteral("=== KeyboardConfigUtil 重置数据 ==="));
    keyboardProduct.reset();
    keyboardPositionMap.clear();
    keyboardDefaultList.clear();
    keyboardDefaultFn1List.clear();
    keyboardConfigList.clear();
    keyboardCustomLightMap.clear();
    keyboardEffectLightMap.clear();
    keyboardFnMap.clear();
    keyboardFn1Map.clear();
    keyboardHighKeyList.clear();
    for (MacroEventList& macro : keyboardMacroList) macro.clear();
    keyboardTriggerMap.clear();
}

KeyBindingPtr KeyboardConfigUtil::keyConfig(int layer, quint8 keyItem) const {
    if (layer == 0) return keyboardFnMap.value(keyItem);
    if (layer == 1) return keyboardFn1Map.value(keyItem);
    return {};
}

DefaultKeyPtr KeyboardConfigUtil::defaultKey(quint8 keyItem, int layer) const {
    const DefaultKeyList* list = layer == 0   ? &keyboardDefaultList
                                 : layer == 1 ? &keyboardDefaultFn1List
                                              : nullptr;
    if (!list) return {};
    for (const DefaultKeyPtr& entry : *list) {
        if (entry && entry->keyItem == keyItem) return entry;
    }
    return {};
}

CustomLightPtr KeyboardConfigUtil::customLight(quint8 keyItem) const {
    return keyboardCustomLightMap.value(keyItem);
}

EffectLightPtr KeyboardConfigUtil::effectLight(quint8 item) const {
    return keyboardEffectLightMap.value(item);
}

TriggerSettingPtr KeyboardConfigUtil::triggerConfig(quint8 keyItem) const {
    return keyboardTriggerMap.value(keyItem);
}

quint8 KeyboardConfigUtil::highKeyAttribute(quint8 item) const {
    for (const HighKeyPtr& slot : keyboardHighKeyList) {
        if (slot && slot->item == item) return slot->attribute;
    }
    return NoSlot;
}

int KeyboardConfigUtil::highKeyCount() const {
    return static_cast<int>(
        std::count_if(keyboardHighKeyList.cbegin(), keyboardHighKeyList.cend(),
                      [](const HighKeyPtr& slot) { return slot && slot->item != NoSlot; }));
}

quint8 KeyboardConfigUtil::freeHighKeySlot(int start) const {
    // Slot numbers are bytes and 255 means "none", so slots past 254 cannot be offered.
    const int end = std::min<int>(static_cast<int>(keyboardHighKeyList.size()), NoSlot);
    for (int slot = std::max(start, 0); slot < end; ++slot) {
        const HighKeyPtr& entry = keyboardHighKeyList.at(slot);
        if (entry && entry->item == NoSlot) return static_cast<quint8>(slot);
    }
    return NoSlot;
}

void KeyboardConfigUtil::clearHighKey(int slot) {
    if (slot < 0 || slot >= keyboardHighKeyList.size()) return;
    HighKeyPtr& entry = keyboardHighKeyList[slot];
    if (!entry) entry = HighKeyPtr::create();
    entry->item = NoSlot;
    entry->attribute = 0;
    std::fill(std::begin(entry->data), std::end(entry->data), quint8(0));
}

QList<HIGH_KEY_INFO> KeyboardConfigUtil::highKeysOnlyInLayer(int layer) const {
    QList<HIGH_KEY_INFO> records;
    if (layer != 0 && layer != 1) return records;
    auto itemsOf = [](const KeyBindingMap& map) {
        QList<quint8> items;
        for (const KeyBindingPtr& b : map)
            if (b && b->type == KeyCatalogue::TypeAdvanced && !items.contains(b->lValue))
                items.append(b->lValue);
        return items;
    };
    const QList<quint8> reset = itemsOf(layer == 1 ? keyboardFn1Map : keyboardFnMap);
    const QList<quint8> kept = itemsOf(layer == 1 ? keyboardFnMap : keyboardFn1Map);
    for (const HighKeyPtr& slot : keyboardHighKeyList) {
        if (slot && slot->item != NoSlot && reset.contains(slot->item) &&
            !kept.contains(slot->item))
            records.append(*slot);
    }
    return records;
}

KeyBindingMap* KeyboardConfigUtil::layerMap(int layer) {
    if (layer == 0) return &keyboardFnMap;
    if (layer == 1) return &keyboardFn1Map;
    return nullptr;
}

void KeyboardConfigUtil::bindPosition(KeyBindingMap& map, quint8 keyItem, quint8 type,
                                      quint8 hValue, quint8 lValue) {
    const KeyPositionPtr position = keyboardPositionMap.value(keyItem);
    if (!position) return;
    for (const KeyPositionPtr& other : std::as_const(keyboardPositionMap)) {
        if (!other || other->posItem != position->posItem) continue;
        const KeyBindingPtr binding = map.value(other->keyItem);
        if (!binding) continue;
        binding->type = type;
        binding->hValue = hValue;
        binding->lValue = lValue;
    }
}

QList<quint8> KeyboardConfigUtil::keysAtPosition(int layer, quint8 keyItem) const {
    QList<quint8> keys{keyItem};
    const KeyPositionPtr position = keyboardPositionMap.value(keyItem);
    if (!position) return keys;
    for (const KeyPositionPtr& other : keyboardPositionMap) {
        if (other && other->keyItem != keyItem && other->posItem == position->posItem &&
            keyConfig(layer, other->keyItem))
            keys.append(other->keyItem);
    }
    return keys;
}

void KeyboardConfigUtil::setKeyConfig(int layer, quint8 keyItem, quint8 type, quint8 hValue,
                                      quint8 lValue) {
    KeyBindingMap* map = layerMap(layer);
    if (!map) return;
    bindPosition(*map, keyItem, type, hValue, lValue);
}

void KeyboardConfigUtil::restoreDefaultKey(quint8 keyItem, int layer) {
    const DefaultKeyPtr factory = defaultKey(keyItem, layer);
    KeyBindingMap* map = layerMap(layer);
    if (!factory || !map) return;
    // The factory binding belongs to the layer it came from; putting the Fn
    // layer's default into the normal layer would corrupt that layer.
    bindPosition(*map, keyItem, factory->type, factory->hValue, factory->lValue);
}
