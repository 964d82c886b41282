#pragma once
// A simulated keyboard with its own command engine, catalogue and model, for
// the configuration file tests: open, full sync, load the product.

#include <QScopedPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "catalogue/productdatautil.h"
#include "catalogue/samplecatalogue.h"
#include "model/keyboardconfigutil.h"
#include "model/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simcatalogueseed.h"
#include "sim/simhidbackend.h"

namespace testsupport {

struct KeyboardRig {
    KeyboardRig() {
        samplecatalogue::copyTo(dir.path());
        catalogue.reset(new ProductDataUtil(dir.path()));
        seeded = SimCatalogueSeed::apply(sim, *catalogue);
        engine.reset(new UsbCommunicateUtil(nullptr, &sim));
        engine->setEffectiveLanguage(2);
        model.reset(new KeyboardConfigUtil(catalogue.data()));
    }
    ~KeyboardRig() {
        engine->closeCommunicate();
        model.reset();
        engine.reset();
    }
    SimKeyboardState& state() { return sim.keyboard().state(); }
    SimProfile& profile() { return *state().activeProfile(); }

    bool open() {
        if (!seeded) return false;
        engine->openCommunicate(0);
        engine->communicateDevice();
        return engine->isConnected();
    }
    // Full sync into the model; true once it reported 100.
    bool sync() {
        SyncConfigUtil job(engine.data(), model.data(), 1, 0, 0, QString());
        QSignalSpy spy(&job, &SyncConfigUtil::sync_config_result);
        for (int waited = 0; waited < 20000; waited += 10) {
            if (!spy.isEmpty() && (!spy.last().at(0).toBool() || spy.last().at(1).toInt() == 100))
                break;
            QTest::qWait(10);
        }
        return !spy.isEmpty() && spy.last().at(0).toBool() && spy.last().at(1).toInt() == 100;
    }
    bool openSyncAndLoad() {
        return open() && sync() && model->loadProduct(model->keyboardProductInfo->serialNumber);
    }

    QTemporaryDir dir;
    SimHidBackend sim;
    QScopedPointer<ProductDataUtil> catalogue;
    QScopedPointer<UsbCommunicateUtil> engine;
    QScopedPointer<KeyboardConfigUtil> model;
    bool seeded = false;
};

// Runs until the job's (status, value) signal reports success or failure;
// the spy holds every value. False when it never ended.
inline bool waitForResult(QSignalSpy& spy, int ms = 20000) {
    for (int waited = 0; waited < ms; waited += 5) {
        if (!spy.isEmpty() && (!spy.last().at(0).toBool() || spy.last().at(1).toInt() == 100))
            return true;
        QTest::qWait(5);
    }
    return false;
}

}  // namespace testsupport
