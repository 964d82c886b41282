#include "link/hidapibackend.h"

#include <hidapi/hidapi.h>

#include <QMutex>
#include <QMutexLocker>

namespace {

struct HidapiDevice : HidDevice {
    hid_device* handle = nullptr;
};

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
    return device;
}

int HidapiBackend::setNonblocking(HidDevice* device, int nonblock) {
    hid_device* handle = raw(device);
    return handle ? hid_set_nonblocking(handle, nonblock) : -1;
}

int HidapiBackend::readTimeout(HidDevice* device, unsigned char* data, size_t length,
                               int timeoutMs) {
    hid_device* handle = raw(device);
    return handle ? hid_read_timeout(handle, data, length, timeoutMs) : -1;
}

int HidapiBackend::write(HidDevice* device, const unsigned char* data, size_t length) {
    hid_device* handle = raw(device);
    return handle ? hid_write(handle, data, length) : -1;
}

QString HidapiBackend::error(HidDevice* device) {
    hid_device* handle = raw(device);
    if (handle) return fromWide(hid_error(handle));
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
