// Closing the link and an idle link, with a backend that blocks in read as
// hidapi's does: it sleeps in the kernel until a report, a wake-up or the
// time-out (the real backend's reader, on a pipe that never carries data).
#include <unistd.h>

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <vector>

#include "bench/benchregistry.h"
#include "link/interruptiblereader.h"
#include "link/usbreceivethread.h"

namespace {

class BlockingHidBackend : public HidBackend {
public:
    BlockingHidBackend() {
        int fds[2];
        if (::pipe(fds) == 0) {
            mReader.adopt(fds[0]);
            mWriteEnd = fds[1];
        }
    }
    ~BlockingHidBackend() override {
        if (mWriteEnd >= 0) ::close(mWriteEnd);
    }
    int reads() const { return mReads; }

    QList<HidDeviceInfo> enumerate(quint16, quint16) override { return {}; }
    HidDevice* open(const QByteArray&) override { return &mDevice; }
    int setNonblocking(HidDevice*, int) override { return 0; }
    int readTimeout(HidDevice*, unsigned char* data, size_t length, int timeoutMs) override {
        const int got = mReader.read(data, length, timeoutMs);
        ++mReads;
        return got;
    }
    int write(HidDevice*, const unsigned char*, size_t length) override { return int(length); }
    QString error(HidDevice*) override { return mReader.lastError(); }
    void close(HidDevice*) override {}
    void interruptRead(HidDevice*) override { mReader.interrupt(); }
    int exit() override { return 0; }

private:
    HidDevice mDevice;
    InterruptibleReader mReader;
    int mWriteEnd = -1;
    std::atomic<int> mReads{0};
};

}  // namespace

ZENTARO_BENCH(link) {
    BlockingHidBackend hid;
    HidDevice* handle = hid.open(QByteArray());
    UsbReceiveThread thread(&hid);

    // Idle: how often the receive thread wakes when the keyboard says nothing.
    thread.start(handle);
    QThread::msleep(50);
    const int before = hid.reads();
    QElapsedTimer idle;
    idle.start();
    QThread::msleep(3000);
    const double perSecond = (hid.reads() - before) / (idle.nsecsElapsed() / 1e9);
    thread.stop();

    // Close: from stop() to the thread gone, while it waits in a read.
    std::vector<double> times;
    for (int round = 0; round < 10; ++round) {
        thread.start(handle);
        QThread::msleep(100);
        QElapsedTimer clock;
        clock.start();
        thread.stop();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    bench::report(QStringLiteral("close_ms"), *std::max_element(times.begin(), times.end()));
    bench::report(QStringLiteral("idle_wakeups_per_s"), perSecond);
}
