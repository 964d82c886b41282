#include "sim/simcatalogueseed.h"

#include "catalogue/productdatautil.h"
#include "sim/simhidbackend.h"

bool SimCatalogueSeed::apply(SimHidBackend& backend, const ProductDataUtil& catalogue,
                             qint16 serialNumber) {
    const ProductRecordPtr product = catalogue.findProduct(serialNumber);
    KeyPositionMap positions;
    DefaultKeyList layer0, layer1;
    catalogue.loadKeyPositions(serialNumber, positions);
    catalogue.loadDefaultKeys(serialNumber, layer0);
    catalogue.loadDefaultFn1Keys(serialNumber, layer1);
    if (!product || positions.isEmpty() || layer0.isEmpty() || layer1.isEmpty()) return false;
    const int keys = positions.lastKey() + 1;
    QVector<SimKey> keys0(keys, SimKey{0xFF, 0xFF, 0xFF}), keys1(keys, SimKey{0xFF, 0xFF, 0xFF});
    for (const DefaultKeyPtr& d : layer0)
        if (d->keyItem < keys) keys0[d->keyItem] = {d->type, d->hValue, d->lValue};
    for (const DefaultKeyPtr& d : layer1)
        if (d->keyItem < keys) keys1[d->keyItem] = {d->type, d->hValue, d->lValue};
    backend.setKeyboardState(
        SimKeyboardState::factory(serialNumber, product->productData, keys0, keys1));
    return true;
}
