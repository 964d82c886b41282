#pragma once
// A simulated keyboard with its own command engine, catalogue and model, for
// the configuration file tests: open, full sync, load the product.

#include <QEventLoop>
#include <QScopedPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "catalogue/productdatautil.h"
#include "catalogue/samplecatalogue.h"
#include "model/keyboardconfigutil.h"
#include "jobs/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simcatalogueseed.h"
#include "sim/simhidbackend.h"

namespace testsupport {

using Results = QList<QPair<bool, int>>;

// True when the values end with success (100) or a failure.
inline bool ended(const Results& r) {
    return !r.isEmpty() && (!r.constLast().first || r.constLast().second == 100);
}

// Runs the event loop until a job's (status, value) signal reports success
// or failure, or `ms` pass; every value it reported. Values are taken on
// this thread, whichever thread emits them.
template <typename Job, typename Signal>
Results collect(Job* job, Signal signal, int ms = 20000) {
    Results results;
    QEventLoop loop;
    QObject::connect(job, signal, &loop, [&](bool status, int value) {
        results << qMakePair(status, value);
        if (ended(results)) loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return results;
}

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
        const Results r = collect(&job, &SyncConfigUtil::sync_config_result);
        return ended(r) && r.constLast().first;
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

}  // namespace testsupport
