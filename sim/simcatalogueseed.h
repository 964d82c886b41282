#pragma once
// Gives a simulated keyboard the factory key maps of a catalogue product, so
// the demo keyboard and the catalogue agree on what every key does.

#include <QtGlobal>

class ProductDataUtil;
class SimHidBackend;

class SimCatalogueSeed {
public:
    // The product the simulated keyboard presents by default (the 75 % board).
    static constexpr qint16 kDefaultProduct = 258;

    // Replaces the keyboard's state with the product's factory state. False
    // (and nothing changed) when the catalogue lacks the product or a key map.
    static bool apply(SimHidBackend& backend, const ProductDataUtil& catalogue,
                      qint16 serialNumber = kDefaultProduct);
};
