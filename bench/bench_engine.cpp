// Round trips through the whole path: engine -> HID seam -> simulated
// keyboard -> receive thread -> queued signal -> engine, and a full sync.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "bench/benchregistry.h"
#include "model/keyboardconfigutil.h"
#include "jobs/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simhidbackend.h"

namespace {

// Milliseconds for `count` chained GetWholeParam round trips.
double roundTrips(int latencyMs, int count) {
    SimHidBackend sim;
    sim.setLatencyMs(latencyMs);
    UsbCommunicateUtil engine(nullptr, &sim);
    engine.openCommunicate(0);
    engine.communicateDevice();
    QEventLoop loop;
    int done = 0;
    QObject::connect(&engine, &UsbCommunicateUtil::usb_receive_whole_param, &loop,
                     [&](uchar, int, int) {
                         if (++done == count)
                             loop.quit();
                         else
                             engine.getWholeParam(8, true);
                     });
    QObject::connect(&engine, &UsbCommunicateUtil::usb_communicate_error, &loop,
                     [&] { loop.exit(1); });
    QElapsedTimer clock;
    clock.start();
    engine.getWholeParam(8, true);
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    engine.closeCommunicate();
    return ms;
}

struct SyncRun {
    double ms = 0;
    int frames = 0;
};

SyncRun fullSync(int latencyMs) {
    SimHidBackend sim;
    sim.setLatencyMs(latencyMs);
    UsbCommunicateUtil engine(nullptr, &sim);
    KeyboardConfigUtil model;
    engine.openCommunicate(0);
    engine.communicateDevice();
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    SyncConfigUtil sync(&engine, &model, 1, 0, 0, QString());
    QObject::connect(&sync, &SyncConfigUtil::sync_config_result, &loop, [&](bool ok, int value) {
        if (!ok || value == 100) loop.quit();
    });
    loop.exec();
    SyncRun run;
    run.ms = clock.nsecsElapsed() / 1e6;
    run.frames = sim.writeCount();
    engine.closeCommunicate();
    return run;
}

}  // namespace

ZENTARO_BENCH(engine) {
    roundTrips(0, 200);  // warm up
    const int count = 20000;
    const double ms = roundTrips(0, count);
    bench::report(QStringLiteral("roundtrips_per_s"), count / (ms / 1000.0), 0);
    const int slow = 500;
    const double slowMs = roundTrips(1, slow);
    bench::report(QStringLiteral("engine_overhead_1ms"), slowMs / slow / 1.0, 3);
}

ZENTARO_BENCH(sync) {
    fullSync(0);  // warm up
    const SyncRun fast = fullSync(0);
    bench::report(QStringLiteral("sync_frames"), fast.frames, 0);
    bench::report(QStringLiteral("sync_ms_0ms"), fast.ms, 2);
    const SyncRun slow = fullSync(1);
    bench::report(QStringLiteral("sync_overhead_1ms"), slow.ms / (slow.frames * 1.0), 3);
}
