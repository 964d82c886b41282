#include "link/hidapibackend.h"

#include <hidapi/hidapi.h>

#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <atomic>

#include "link/interruptiblereader.h"

namespace {

// hid_read_timeout cannot be woken, so reports are read from a descriptor of
// our own on the same hidraw node, waited for together with a wake-up. Where
// that node cannot be opened, reads go through hidapi in short slices.
struct HidapiDevice : HidDevice {
    hid_device* handle = nullptr;
    InterruptibleReader reader;
    std::atomic<bool> interrupted{false};
};

constexpr int kSliceMs = 20;

hid_device* raw(HidDevice* device) {
    auto* d = static_cast<HidapiDevice*>(device);
    return d ? d->handle : nullptr;
}

QString fromWide(const wchar_t* text) {
    return text ? QString::fromWCharArray(text) : QString();
}

// hidapi keeps a process-wide error for calls without a device; keep our own
// copy so it survives the next call.
QMutex gErrorMutex;
QString gLastError;

void rememberError(const QString& text) {
    QMutexLocker lock(&gErrorMutex);
    gLastError = text;
}

HidBackend* gCurrent = nullptr;

}  // namespace

HidBackend* HidBackend::current() {
    return gCurrent ? gCurrent : HidapiBackend::instance();
}

void HidBackend::setCurrent(HidBackend* backend) {
    gCurrent = backend;
}

HidapiBackend* HidapiBackend::instance() {
    static HidapiBackend backend;
    return &backend;
}

QList<HidDeviceInfo> HidapiBackend::enumerate(quint16 vendorId, quint16 productId) {
    QList<HidDeviceInfo> result;
    if (hid_init() != 0) {
        rememberError(fromWide(hid_error(nullptr)));
        return result;
    }
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (hid_device_info* it = list; it; it = it->next) {
        HidDeviceInfo info;
        info.path = QByteArray(it->path ? it->path : "");
        info.vendorId = it->vendor_id;
        info.productId = it->product_id;
        info.releaseNumber = it->release_number;
        info.usagePage = it->usage_page;
        info.usage = it->usage;
        info.interfaceNumber = it->interface_number;
        info.manufacturer = fromWide(it->manufacturer_string);
        info.product = fromWide(it->product_string);
        info.serial = fromWide(it->serial_number);
        result.append(info);
    }
    if (list) hid_free_enumeration(list);
    return result;
}

HidDevice* HidapiBackend::open(const QByteArray& path) {
    hid_device* handle = hid_open_path(path.constData());
    if (!handle) {
        rememberError(fromWide(hid_error(nullptr)));
        return nullptr;
    }
    auto* device = new HidapiDevice;
    device->handle = handle;
    if (path.startsWith("/dev/hidraw")) device->reader.open(path);
    return device;
}

int HidapiBackend::setNonblocking(HidDevice* device, int nonblock) {
    hid_device* handle = raw(device);
    return handle ? hid_set_nonblocking(handle, nonblock) : -1;
}

int HidapiBackend::readTimeout(HidDevice* device, unsigned char* data, size_t length,
                               int timeoutMs) {
    hid_device* handle = raw(device);
    if (!handle) return -1;
    auto* d = static_cast<HidapiDevice*>(device);
    if (d->reader.isOpen()) return d->reader.read(data, length, timeoutMs);
    if (timeoutMs == 0) return hid_read_timeout(handle, data, length, 0);
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever
                                                : QDeadlineTimer(timeoutMs));
    for (;;) {
        if (d->interrupted.exchange(false)) return 0;
        const int slice =
            timeoutMs < 0 ? kSliceMs : int(qMin<qint64>(kSliceMs, deadline.remainingTime()));
        const int got = hid_read_timeout(handle, data, length, slice);
        if (got != 0 || deadline.hasExpired()) return got;
    }
}

void HidapiBackend::interruptRead(HidDevice* device) {
    auto* d = static_cast<HidapiDevice*>(device);
    if (!d || !d->handle) return;
    d->interrupted = true;
    d->reader.interrupt();
}

int HidapiBackend::write(HidDevice* device, const unsigned char* data, size_t length) {
    hid_device* handle = raw(device);
    return handle ? hid_write(handle, data, length) : -1;
}

QString HidapiBackend::error(HidDevice* device) {
    hid_device* handle = raw(device);
    if (handle) {
        const QString own = static_cast<HidapiDevice*>(device)->reader.lastError();
        return own.isEmpty() ? fromWide(hid_error(handle)) : own;
    }
    QMutexLocker lock(&gErrorMutex);
    return gLastError;
}

void HidapiBackend::close(HidDevice* device) {
    if (!device) return;
    if (hid_device* handle = raw(device)) hid_close(handle);
    delete static_cast<HidapiDevice*>(device);
}

int HidapiBackend::exit() {
    return hid_exit();
}
