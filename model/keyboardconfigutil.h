#pragma once
// In-memory copy of the open keyboard's configuration: what the catalogue
// says about the product and what the keyboard reported about itself. The
// containers are public; pages read them and change records in place once the
// keyboard has confirmed a write.

#include <QObject>
#include <QPointer>
#include <array>

#include "common/keyboardtypes.h"

class ProductDataUtil;

class KeyboardConfigUtil : public QObject {
    Q_OBJECT
public:
    static constexpr int MacroCount = 10;
    static constexpr quint8 NoSlot = 255;
    using MacroListArray = std::array<MacroEventList, MacroCount>;

    // Reads the catalogue through ProductDataUtil::instance().
    explicit KeyboardConfigUtil(QObject* parent = nullptr);
    // Reads the given catalogue instead (tests, tools).
    explicit KeyboardConfigUtil(ProductDataUtil* catalogue, QObject* parent = nullptr);
    ~KeyboardConfigUtil() override;

    // The most recently constructed model that is still alive.
    static KeyboardConfigUtil* instance();

    // Takes the product record, key positions and both factory key maps from
    // the catalogue. True only when all four were found.
    bool loadProduct(qint16 serialNumber);
    // Forgets the product and what the keyboard reported, except the product
    // info, whole parameters, active table number and effect names.
    void resetData();

    KeyBindingPtr keyConfig(int layer, quint8 keyItem) const;
    DefaultKeyPtr defaultKey(quint8 keyItem, int layer) const;
    CustomLightPtr customLight(quint8 keyItem) const;
    EffectLightPtr effectLight(quint8 item) const;
    TriggerSettingPtr triggerConfig(quint8 keyItem) const;

    // Kind of the advanced key numbered `item`; 255 when there is none.
    quint8 highKeyAttribute(quint8 item) const;
    int highKeyCount() const;
    // First free advanced-key slot at or after `start`; 255 when there is none.
    quint8 freeHighKeySlot(int start) const;
    // Frees a slot; a slot outside the list is ignored.
    void clearHighKey(int slot);
    // The used advanced-key records that keys of `layer` carry and no key of
    // the other layer does: what a reset of that layer leaves without a key.
    QList<HIGH_KEY_INFO> highKeysOnlyInLayer(int layer) const;

    // Binds every key that shares the key's position in the layer.
    void setKeyConfig(int layer, quint8 keyItem, quint8 type, quint8 hValue, quint8 lValue);
    // The key, then the other key numbers drawn as the same key (same
    // posItem) that `layer` binds. The model binds a whole position, so the
    // keyboard must be sent each of them.
    QList<quint8> keysAtPosition(int layer, quint8 keyItem) const;
    // Gives every key that shares the key's position its factory binding of the layer.
    void restoreDefaultKey(quint8 keyItem, int layer);

    ProductRecordPtr keyboardProduct;
    KeyPositionMap keyboardPositionMap;
    DefaultKeyList keyboardDefaultList;
    DefaultKeyList keyboardDefaultFn1List;
    KeyboardProductInfoPtr keyboardProductInfo;
    ConfigTableList keyboardConfigList;
    quint8 keyboardConfigIndex = 0;
    WholeParamPtr keyboardWholeParam;
    CustomLightMap keyboardCustomLightMap;
    EffectNameMap keyboardEffectNameMap;
    EffectLightMap keyboardEffectLightMap;
    KeyBindingMap keyboardFnMap;
    KeyBindingMap keyboardFn1Map;
    HighKeyList keyboardHighKeyList;
    MacroListArray keyboardMacroList;
    TriggerMap keyboardTriggerMap;

private:
    KeyBindingMap* layerMap(int layer);
    void bindPosition(KeyBindingMap& map, quint8 keyItem, quint8 type, quint8 hValue,
                      quint8 lValue);
    ProductDataUtil* catalogue() const;

    QPointer<ProductDataUtil> mCatalogue;
    bool mCatalogueInjected = false;
};
