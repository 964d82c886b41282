#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "bench/benchregistry.h"
#include "catalogue/productdatautil.h"
#include "jobs/configwritedatabase.h"
#include "jobs/importconfigutil.h"
#include "model/keyboardconfigutil.h"
#include "jobs/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simcatalogueseed.h"
#include "sim/simhidbackend.h"

namespace {

// Runs the event loop until the job reports `until` (or fails); the time
// from `start` in ms, or -1.
template <typename Job, typename Signal>
double runUntil(Job& job, Signal signal, int until, const QElapsedTimer& start) {
    double ms = -1;
    QEventLoop loop;
    QObject::connect(&job, signal, &loop, [&](bool status, int value) {
        if (!status) {
            loop.quit();
        } else if (value >= until) {
            if (ms < 0) ms = double(start.nsecsElapsed()) / 1e6;
            loop.quit();
        }
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return ms;
}

}  // namespace

// One full export of the simulated keyboard's configuration, and the
// import's reading phase (decrypt, check, read every table) of that file.
ZENTARO_BENCH(configfile) {
    const QString data = QCoreApplication::applicationDirPath() + QStringLiteral("/data");
    ProductDataUtil catalogue(data);
    SimHidBackend sim;
    if (!SimCatalogueSeed::apply(sim, catalogue)) {
        bench::report(QStringLiteral("export_ms"), -1);
        return;
    }
    UsbCommunicateUtil engine(nullptr, &sim);
    KeyboardConfigUtil model(&catalogue);
    engine.openCommunicate(0);
    engine.communicateDevice();
    {
        QElapsedTimer t;
        t.start();
        SyncConfigUtil sync(&engine, &model, 1, 0, 0, QString());
        if (runUntil(sync, &SyncConfigUtil::sync_config_result, 100, t) < 0 ||
            !model.loadProduct(model.keyboardProductInfo->serialNumber)) {
            bench::report(QStringLiteral("export_ms"), -1);
            return;
        }
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.aaa"));

    constexpr int kRuns = 5;
    double bestExport = -1;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        ConfigWriteDatabase job(&model, file);
        const double ms = runUntil(job, &ConfigWriteDatabase::config_write_result, 100, t);
        if (ms >= 0 && (bestExport < 0 || ms < bestExport)) bestExport = ms;
    }
    bench::report(QStringLiteral("export_ms"), bestExport);

    // The reading phase ends at 27; nothing is sent before that.
    double bestRead = -1;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        ImportConfigUtil job(&engine, &model, file);
        const double ms = runUntil(job, &ImportConfigUtil::import_config_result, 27, t);
        if (ms >= 0 && (bestRead < 0 || ms < bestRead)) bestRead = ms;
        // Let the push finish before the next run.
        QElapsedTimer rest;
        rest.start();
        runUntil(job, &ImportConfigUtil::import_config_result, 100, rest);
    }
    bench::report(QStringLiteral("import_read_ms"), bestRead);
    engine.closeCommunicate();
}
