// The generated sample catalogue must look like a real one: the pages draw
// its positions and the model takes its factory maps as they are.

#include <QFileInfo>
#include <QRect>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include "catalogue/productdatautil.h"
#include "catalogue/samplecatalogue.h"

class TestSampleCatalogue : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void products();
    void positions_data();
    void positions();
    void factoryMaps_data();
    void factoryMaps();

private:
    QTemporaryDir m_dir;
    QScopedPointer<ProductDataUtil> m_util;
};

void TestSampleCatalogue::initTestCase() {
    QVERIFY(QFileInfo::exists(samplecatalogue::path()));
    QVERIFY(samplecatalogue::copyTo(m_dir.path()));
    m_util.reset(new ProductDataUtil(m_dir.path()));
}

void TestSampleCatalogue::products() {
    const QList<ProductRecordPtr> all = m_util->allProducts();
    QCOMPARE(all.size(), 3);
    QSet<QString> names;
    for (const ProductRecordPtr& product : all) {
        QCOMPARE(product->vendorId, quint16(0x3A7E));
        QCOMPARE(product->productId, quint16(0x1026));
        QCOMPARE(product->triggerMin, quint16(10));
        QCOMPARE(product->triggerMax, quint16(400));
        QVERIFY(product->qttMin >= 1 && product->qttMin < product->qttMax);
        QVERIFY(product->qrtMin >= 1 && product->qrtMin < product->qrtMax);
        QVERIFY(!product->productData.isEmpty());
        names.insert(product->productName);
        const bool small = product->serialNumber == samplecatalogue::Compact;
        QCOMPARE(product->width, small ? 865 : 932);
        QCOMPARE(product->height, small ? 290 : 344);
    }
    QCOMPARE(names.size(), 3);
    QVERIFY(m_util->findProduct(samplecatalogue::Compact));
    // Without a version an older download would win over it.
    QVERIFY(ProductDataUtil::catalogueVersion(samplecatalogue::path()) > 0);
}

void TestSampleCatalogue::positions_data() {
    QTest::addColumn<qint16>("serial");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("drawn");
    QTest::addColumn<QSize>("picture");
    QTest::newRow("full size") << samplecatalogue::FullSize << 105 << 104 << QSize(932, 344);
    QTest::newRow("75%") << samplecatalogue::SeventyFive << 82 << 81 << QSize(932, 344);
    QTest::newRow("compact") << samplecatalogue::Compact << 68 << 68 << QSize(865, 290);
}

void TestSampleCatalogue::positions() {
    QFETCH(qint16, serial);
    QFETCH(int, records);
    QFETCH(int, drawn);
    QFETCH(QSize, picture);

    KeyPositionMap map;
    m_util->loadKeyPositions(serial, map);
    QCOMPARE(map.size(), records);
    QCOMPARE(int(map.lastKey()), records - 1);  // key numbers 0..n-1 without gaps

    const QRect area(QPoint(0, 0), picture);
    QList<QRect> drawnRects;
    QMap<quint8, int> perPosition;
    for (const KeyPositionPtr& key : std::as_const(map)) {
        const QRect rect(key->left, key->top, key->width, key->height);
        QVERIFY2(area.contains(rect), qPrintable(QStringLiteral("key %1").arg(key->keyItem)));
        QVERIFY(key->width >= 30 && key->height >= 30);
        ++perPosition[key->posItem];
        if (!key->flag) continue;
        for (const QRect& other : std::as_const(drawnRects))
            QVERIFY2(!other.intersects(rect),
                     qPrintable(QStringLiteral("key %1 overlaps").arg(key->keyItem)));
        drawnRects.append(rect);
    }
    QCOMPARE(drawnRects.size(), drawn);
    // Every record not drawn is a second key number on a drawn position.
    QCOMPARE(perPosition.size(), drawn);

    // A space bar of 6.25 units: the widest key, 6.25 times a letter key.
    int widest = 0;
    for (const KeyPositionPtr& key : std::as_const(map)) widest = std::max(widest, key->width);
    const int unit = map.first()->width + 4;
    QCOMPARE(widest + 4, unit * 25 / 4);
}

void TestSampleCatalogue::factoryMaps_data() {
    QTest::addColumn<qint16>("serial");
    QTest::newRow("full size") << samplecatalogue::FullSize;
    QTest::newRow("75%") << samplecatalogue::SeventyFive;
    QTest::newRow("compact") << samplecatalogue::Compact;
}

void TestSampleCatalogue::factoryMaps() {
    QFETCH(qint16, serial);
    KeyPositionMap map;
    DefaultKeyList normal, fn1;
    m_util->loadKeyPositions(serial, map);
    m_util->loadDefaultKeys(serial, normal);
    m_util->loadDefaultFn1Keys(serial, fn1);

    for (const DefaultKeyList* layer : {&normal, &fn1}) {
        QCOMPARE(layer->size(), map.size());
        QSet<quint8> keys;
        for (const DefaultKeyPtr& entry : *layer) {
            keys.insert(entry->keyItem);
            QVERIFY(!entry->label.isEmpty());
            QVERIFY(entry->type == 0 || entry->type == 1 || entry->type == 2 || entry->type == 5);
        }
        QCOMPARE(keys.size(), map.size());
    }

    QMap<quint8, int> types;
    int fnKeys = 0;
    for (const DefaultKeyPtr& entry : std::as_const(normal)) {
        ++types[entry->type];
        if (entry->type == 5 && entry->lValue == 254) ++fnKeys;
    }
    QCOMPARE(fnKeys, 1);
    QCOMPARE(types.value(2), 0);  // media keys live in the Fn layer
    QVERIFY(types.value(1) > 50);
    QCOMPARE(types.value(0), 7);  // seven modifiers; the Fn key takes the right Win place

    QMap<quint8, int> fnTypes;
    for (const DefaultKeyPtr& entry : std::as_const(fn1)) ++fnTypes[entry->type];
    QVERIFY(fnTypes.value(2) >= 3);
    QVERIFY(fnTypes.value(5) >= 10);
}

QTEST_GUILESS_MAIN(TestSampleCatalogue)
#include "tst_samplecatalogue.moc"
