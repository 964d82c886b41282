#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "catalogue/productdatautil.h"
#include "catalogue/samplecatalogue.h"
#include "model/keyboardconfigutil.h"

namespace {

// What a sync would have left: every key bound to its factory function.
void bindDefaults(const DefaultKeyList& defaults, KeyBindingMap& map) {
    map.clear();
    for (const DefaultKeyPtr& entry : defaults) {
        auto binding = KeyBindingPtr::create();
        binding->keyItem = entry->keyItem;
        binding->type = entry->type;
        binding->hValue = entry->hValue;
        binding->lValue = entry->lValue;
        map.insert(entry->keyItem, binding);
    }
}

HighKeyPtr slot(quint8 item, quint8 attribute) {
    auto entry = HighKeyPtr::create();
    entry->item = item;
    entry->attribute = attribute;
    if (item != 255)
        for (int i = 0; i < 18; ++i) entry->data[i] = static_cast<quint8>(i + 1);
    return entry;
}

struct Binding {
    quint8 type, hValue, lValue;
};

Binding bindingOf(const KeyBindingPtr& b) {
    return {b->type, b->hValue, b->lValue};
}
bool operator==(const Binding& a, const Binding& b) {
    return a.type == b.type && a.hValue == b.hValue && a.lValue == b.lValue;
}

}  // namespace

class TestKeyboardConfigUtil : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void constructionAndInstance();
    void loadProduct();
    void loadProductFailsWithoutFnLayer();
    void lookupsByLayer();
    void setKeyConfigOnSharedPosition();
    void setKeyConfigIgnoresUnknownKeyAndLayer();
    void restoreDefaultKey();
    void highKeySlots();
    void resetDataKeepsReportedIdentity();

private:
    // The two key numbers that share the backslash position of the 75% board.
    QPair<quint8, quint8> sharedPair() const;

    QTemporaryDir m_dir;
    QScopedPointer<ProductDataUtil> m_catalogue;
    QScopedPointer<KeyboardConfigUtil> m_model;
};

void TestKeyboardConfigUtil::initTestCase() {
    QVERIFY(QFileInfo::exists(samplecatalogue::path()));
    QVERIFY(samplecatalogue::copyTo(m_dir.path()));
    m_catalogue.reset(new ProductDataUtil(m_dir.path()));
}

void TestKeyboardConfigUtil::init() {
    m_model.reset(new KeyboardConfigUtil(m_catalogue.data()));
    QVERIFY(m_model->loadProduct(samplecatalogue::SeventyFive));
    bindDefaults(m_model->keyboardDefaultList, m_model->keyboardFnMap);
    bindDefaults(m_model->keyboardDefaultFn1List, m_model->keyboardFn1Map);
}

void TestKeyboardConfigUtil::cleanup() {
    m_model.reset();
}

QPair<quint8, quint8> TestKeyboardConfigUtil::sharedPair() const {
    QMap<quint8, QList<quint8>> byPosition;
    for (const KeyPositionPtr& key : std::as_const(m_model->keyboardPositionMap))
        byPosition[key->posItem].append(key->keyItem);
    for (const QList<quint8>& keys : std::as_const(byPosition))
        if (keys.size() == 2) return {keys.at(0), keys.at(1)};
    return {255, 255};
}

void TestKeyboardConfigUtil::constructionAndInstance() {
    KeyboardConfigUtil fresh;
    QCOMPARE(KeyboardConfigUtil::instance(), &fresh);
    QVERIFY(fresh.keyboardProductInfo && fresh.keyboardWholeParam);
    // Without an injected catalogue the process-wide one is used.
    QVERIFY(fresh.loadProduct(samplecatalogue::Compact));
    QCOMPARE(fresh.keyboardProduct->serialNumber, samplecatalogue::Compact);
}

void TestKeyboardConfigUtil::loadProduct() {
    QCOMPARE(m_model->keyboardProduct->serialNumber, samplecatalogue::SeventyFive);
    QCOMPARE(m_model->keyboardPositionMap.size(), 82);
    QCOMPARE(m_model->keyboardDefaultList.size(), 82);
    QCOMPARE(m_model->keyboardDefaultFn1List.size(), 82);

    // Loading replaces, it does not add up.
    QVERIFY(m_model->loadProduct(samplecatalogue::Compact));
    QCOMPARE(m_model->keyboardPositionMap.size(), 68);
    QCOMPARE(m_model->keyboardDefaultList.size(), 68);

    QVERIFY(!m_model->loadProduct(4242));
    QVERIFY(m_model->keyboardProduct.isNull());
    QVERIFY(m_model->keyboardPositionMap.isEmpty());
    QVERIFY(m_model->keyboardDefaultList.isEmpty());
    QVERIFY(m_model->keyboardDefaultFn1List.isEmpty());

    // A catalogue that went away finds nothing.
    {
        QTemporaryDir other;
        auto* gone = new ProductDataUtil(other.path());
        KeyboardConfigUtil model(gone);
        delete gone;
        QVERIFY(!model.loadProduct(samplecatalogue::SeventyFive));
    }
}

void TestKeyboardConfigUtil::loadProductFailsWithoutFnLayer() {
    QTemporaryDir dir;
    QVERIFY(samplecatalogue::copyTo(dir.path()));
    {
        ProductDataUtil catalogue(dir.path());
        QSqlQuery query(QSqlDatabase::database(catalogue.connectionName()));
        QVERIFY(query.exec(QStringLiteral("DROP TABLE keyboard_default_fn1_table")));
        KeyboardConfigUtil model(&catalogue);
        QVERIFY(!model.loadProduct(samplecatalogue::SeventyFive));
        QVERIFY(model.keyboardProduct);  // the rest was still taken
        QCOMPARE(model.keyboardPositionMap.size(), 82);
    }
}

void TestKeyboardConfigUtil::lookupsByLayer() {
    QVERIFY(m_model->keyConfig(0, 0) && m_model->keyConfig(1, 0));
    QVERIFY(m_model->keyConfig(0, 0) != m_model->keyConfig(1, 0));
    QVERIFY(m_model->keyConfig(2, 0).isNull());
    QCOMPARE(m_model->defaultKey(0, 1), m_model->keyboardDefaultFn1List.first());
    QVERIFY(m_model->defaultKey(0, 2).isNull());
    QVERIFY(m_model->defaultKey(200, 0).isNull());

    // The first entry wins when a key is listed twice.
    auto duplicate = DefaultKeyPtr::create(*m_model->keyboardDefaultList.first());
    m_model->keyboardDefaultList.append(duplicate);
    QCOMPARE(m_model->defaultKey(duplicate->keyItem, 0), m_model->keyboardDefaultList.first());
}

void TestKeyboardConfigUtil::setKeyConfigOnSharedPosition() {
    const auto [first, second] = sharedPair();
    QVERIFY(first != 255);
    const Binding fn1Before = bindingOf(m_model->keyConfig(1, first));
    const Binding neighbour = bindingOf(m_model->keyConfig(0, first - 1));

    m_model->setKeyConfig(0, second, 2, 0x00, 0xE2);
    for (quint8 key : {first, second}) {
        const KeyBindingPtr binding = m_model->keyConfig(0, key);
        QVERIFY((bindingOf(binding) == Binding{2, 0x00, 0xE2}));
        QCOMPARE(binding->keyItem, key);
    }
    QVERIFY(bindingOf(m_model->keyConfig(1, first)) == fn1Before);
    QVERIFY(bindingOf(m_model->keyConfig(0, first - 1)) == neighbour);

    // A member of the group without a binding is skipped.
    m_model->keyboardFn1Map.remove(second);
    m_model->setKeyConfig(1, second, 5, 0, 234);
    QVERIFY((bindingOf(m_model->keyConfig(1, first)) == Binding{5, 0, 234}));
    QVERIFY(m_model->keyConfig(1, second).isNull());
}

void TestKeyboardConfigUtil::setKeyConfigIgnoresUnknownKeyAndLayer() {
    // Both layers, key by key: a layer 2 taken for the Fn layer must show.
    auto snapshot = [this] {
        QList<QPair<int, Binding>> all;
        for (const KeyBindingMap* map : {&m_model->keyboardFnMap, &m_model->keyboardFn1Map})
            for (auto it = map->cbegin(); it != map->cend(); ++it)
                all << qMakePair(int(it.key()) + (map == &m_model->keyboardFn1Map ? 256 : 0),
                                 bindingOf(it.value()));
        return all;
    };
    const QList<QPair<int, Binding>> before = snapshot();
    QVERIFY(!m_model->keyboardFn1Map.isEmpty());

    m_model->setKeyConfig(0, 200, 1, 0, 4);  // no position record
    m_model->setKeyConfig(2, 0, 1, 0, 4);    // no such layer
    m_model->restoreDefaultKey(200, 0);
    m_model->restoreDefaultKey(0, 2);

    QVERIFY(snapshot() == before);
}

void TestKeyboardConfigUtil::restoreDefaultKey() {
    const auto [first, second] = sharedPair();
    const DefaultKeyPtr secondDefault = m_model->defaultKey(second, 0);
    const Binding factory0{secondDefault->type, secondDefault->hValue, secondDefault->lValue};
    const Binding factory1 = bindingOf(m_model->keyConfig(1, first));
    QVERIFY(!(factory0 == factory1));  // the Fn layer redefines this position

    m_model->setKeyConfig(0, first, 3, 0, 2);
    m_model->setKeyConfig(1, first, 3, 0, 4);
    // The whole position takes the factory binding of the key asked for.
    m_model->restoreDefaultKey(second, 0);
    QVERIFY(bindingOf(m_model->keyConfig(0, first)) == factory0);
    QVERIFY(bindingOf(m_model->keyConfig(0, second)) == factory0);
    QCOMPARE(m_model->keyConfig(0, first)->keyItem, first);
    QVERIFY((bindingOf(m_model->keyConfig(1, first)) == Binding{3, 0, 4}));

    // The Fn layer's factory binding goes to the Fn layer, not the normal one.
    m_model->setKeyConfig(0, first, 3, 0, 2);
    m_model->restoreDefaultKey(first, 1);
    QVERIFY(bindingOf(m_model->keyConfig(1, first)) == factory1);
    QVERIFY(bindingOf(m_model->keyConfig(1, second)) == factory1);
    QVERIFY((bindingOf(m_model->keyConfig(0, first)) == Binding{3, 0, 2}));
}

void TestKeyboardConfigUtil::highKeySlots() {
    m_model->keyboardHighKeyList = {slot(0, 2), slot(255, 0), slot(5, 3), slot(255, 0)};
    QCOMPARE(m_model->highKeyCount(), 2);
    QCOMPARE(m_model->highKeyAttribute(5), quint8(3));
    QCOMPARE(m_model->highKeyAttribute(0), quint8(2));
    QCOMPARE(m_model->highKeyAttribute(9), quint8(255));
    QCOMPARE(m_model->freeHighKeySlot(0), quint8(1));
    QCOMPARE(m_model->freeHighKeySlot(2), quint8(3));
    QCOMPARE(m_model->freeHighKeySlot(3), quint8(3));
    QCOMPARE(m_model->freeHighKeySlot(4), quint8(255));
    QCOMPARE(m_model->freeHighKeySlot(400), quint8(255));

    m_model->clearHighKey(2);
    const HighKeyPtr cleared = m_model->keyboardHighKeyList.at(2);
    QCOMPARE(cleared->item, quint8(255));
    QCOMPARE(cleared->attribute, quint8(0));
    for (quint8 byte : cleared->data) QCOMPARE(byte, quint8(0));
    QCOMPARE(m_model->highKeyCount(), 1);
    QCOMPARE(m_model->freeHighKeySlot(2), quint8(2));

    // Slots outside the list are ignored rather than created or crashed on.
    m_model->clearHighKey(4);
    m_model->clearHighKey(-1);
    m_model->clearHighKey(1000);
    QCOMPARE(m_model->keyboardHighKeyList.size(), 4);
    QCOMPARE(m_model->keyboardHighKeyList.at(0)->data[17], quint8(18));
}

void TestKeyboardConfigUtil::resetDataKeepsReportedIdentity() {
    KeyboardConfigUtil& m = *m_model;
    m.keyboardProductInfo->serialNumber = samplecatalogue::SeventyFive;
    m.keyboardProductInfo->productName = QStringLiteral("Lusk");
    m.keyboardConfigIndex = 2;
    m.keyboardConfigList.append(ConfigTableEntryPtr::create());
    const WholeParamPtr whole = m.keyboardWholeParam;
    whole->pollingRate = 3;
    auto name = EffectNamePtr::create();
    name->item = 4;
    name->name = QStringLiteral("Wave");
    m.keyboardEffectNameMap.insert(4, name);
    m.keyboardEffectLightMap.insert(4, EffectLightPtr::create());
    m.keyboardCustomLightMap.insert(0, CustomLightPtr::create());
    m.keyboardTriggerMap.insert(0, TriggerSettingPtr::create());
    m.keyboardHighKeyList = {slot(0, 1), slot(255, 0)};
    for (MacroEventList& macro : m.keyboardMacroList) macro.append(MacroEventPtr::create());

    m.resetData();

    QVERIFY(m.keyboardProduct.isNull());
    QVERIFY(m.keyboardPositionMap.isEmpty());
    QVERIFY(m.keyboardDefaultList.isEmpty() && m.keyboardDefaultFn1List.isEmpty());
    QVERIFY(m.keyboardConfigList.isEmpty());
    for (int key = 0; key < 256; ++key) {
        QVERIFY(m.keyConfig(0, quint8(key)).isNull());
        QVERIFY(m.keyConfig(1, quint8(key)).isNull());
        QVERIFY(m.customLight(quint8(key)).isNull());
        QVERIFY(m.triggerConfig(quint8(key)).isNull());
    }
    QVERIFY(m.effectLight(4).isNull());
    QCOMPARE(m.highKeyCount(), 0);
    QCOMPARE(m.freeHighKeySlot(0), quint8(255));
    QCOMPARE(int(m.keyboardMacroList.size()), 10);
    for (const MacroEventList& macro : m.keyboardMacroList) QVERIFY(macro.isEmpty());

    QCOMPARE(m.keyboardWholeParam, whole);
    QCOMPARE(m.keyboardWholeParam->pollingRate, qint8(3));
    QCOMPARE(m.keyboardEffectNameMap.value(4)->name, QStringLiteral("Wave"));
    QCOMPARE(m.keyboardProductInfo->serialNumber, samplecatalogue::SeventyFive);
    QCOMPARE(m.keyboardConfigIndex, quint8(2));

    // The reported product number still opens the product again.
    QVERIFY(m.loadProduct(m.keyboardProductInfo->serialNumber));
}

QTEST_GUILESS_MAIN(TestKeyboardConfigUtil)
#include "tst_keyboardconfigutil.moc"
