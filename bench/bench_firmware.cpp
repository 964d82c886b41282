// A 128 KB firmware image to the simulated keyboard at 1 ms per answer,
// through the road the firmware page takes (FirmwareTransfer on the
// engine), against the time the answers alone take.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <vector>

#include "bench/benchregistry.h"
#include "link/usbprotocol.h"
#include "protocol/firmwaretransfer.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simhidbackend.h"

namespace {

struct TransferRun {
    double ms = -1;
    int blocks = 0;
    // The typical block, from one confirmed block to the next: what the road
    // costs when no other process holds the cores at that moment.
    double medianBlockMs = -1;
};

QByteArray firmwareImage(quint16 product, int imageSize) {
    QByteArray header(FirmwareFile::kHeaderSize, '\0');
    qToLittleEndian<quint16>(product, header.data());
    qToLittleEndian<quint32>(0x01020304, header.data() + 4);
    qToLittleEndian<quint32>(0x05060708, header.data() + 8);
    QByteArray image(imageSize, '\0');
    for (int i = 0; i < imageSize; ++i) image[i] = char(i * 13 + 5);
    return header + image;
}

TransferRun transfer(int latencyMs, int imageSize) {
    SimHidBackend sim;
    sim.setLatencyMs(latencyMs);
    UsbCommunicateUtil engine(nullptr, &sim);
    engine.openCommunicate(0);
    engine.communicateDevice();
    {
        // Lets the connect's own exchange finish before the clock starts.
        QEventLoop settle;
        QTimer::singleShot(100, &settle, &QEventLoop::quit);
        settle.exec();
    }
    const quint16 product = quint16(sim.keyboard().state().serialNumber);
    FirmwareFile file;
    file.setBytes(firmwareImage(product, imageSize), FirmwareFile::KeyboardFirmware);
    FirmwareTransfer job(&engine, UsbProtocol::SourceOther);
    QEventLoop loop;
    int result = -1;
    QObject::connect(&job, &FirmwareTransfer::finished, &loop, [&](int error) {
        result = error;
        loop.quit();
    });
    std::vector<qint64> confirmed;
    confirmed.reserve(4096);
    QElapsedTimer clock;
    QObject::connect(&job, &FirmwareTransfer::progress, &loop,
                     [&](int) { confirmed.push_back(clock.nsecsElapsed()); });
    TransferRun run;
    const int writesBefore = sim.writeCount();
    clock.start();
    if (job.start(file, product) != FirmwareTransfer::Accepted) return run;
    if (job.isRunning()) loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    engine.closeCommunicate();
    if (result != 0) return run;
    run.ms = ms;
    run.blocks = sim.writeCount() - writesBefore;
    std::vector<double> gaps;
    for (size_t i = 1; i < confirmed.size(); ++i)
        gaps.push_back((confirmed[i] - confirmed[i - 1]) / 1e6);
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
        run.medianBlockMs = gaps[gaps.size() / 2];
    }
    return run;
}

}  // namespace

ZENTARO_BENCH(firmware) {
    transfer(0, 16 * 1024);  // warm up
    // Without answer latency: what the road itself costs.
    const TransferRun fast = transfer(0, 128 * 1024);
    bench::report(QStringLiteral("firmware_128k_ms_0ms"), fast.ms);
    const TransferRun run = transfer(1, 128 * 1024);
    bench::report(QStringLiteral("firmware_128k_ms"), run.ms);
    bench::report(QStringLiteral("firmware_blocks"), run.blocks, 0);
    bench::report(QStringLiteral("firmware_ratio_1ms"),
                  run.blocks > 0 ? run.ms / (run.blocks * 1.0) : -1, 3);
    bench::report(QStringLiteral("firmware_block_median_ms"), run.medianBlockMs, 3);
}
