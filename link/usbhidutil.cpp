#include "link/usbhidutil.h"

#include <QDebug>
#include <QFileInfo>
#include <QPointer>
#include <atomic>

#include "link/usbprotocol.h"

namespace {
QPointer<UsbHidUtil> gInstance;
std::atomic<bool> gLastOpenDenied{false};

void logNoPermission(const QByteArray& path) {
    qInfo().noquote() << QStringLiteral(
                             "=== UsbHidUtil 没有权限打开设备 path={%1}; install "
                             "resources/linux/70-zentaro.rules into /etc/udev/rules.d ===")
                             .arg(QString::fromLocal8Bit(path));
}
}  // namespace

UsbHidUtil::UsbHidUtil(HidBackend* backend, QObject* parent) : QObject(parent), mBackend(backend) {
    gInstance = this;
    qInfo().noquote() << QStringLiteral("=== UsbHidUtil USB初始化 ===");
}

UsbHidUtil::~UsbHidUtil() {
    qInfo().noquote() << QStringLiteral("=== UsbHidUtil USB销毁 ===");
}

UsbHidUtil* UsbHidUtil::instance() {
    return gInstance.data();
}

HidBackend* UsbHidUtil::backend() const {
    return mBackend ? mBackend : HidBackend::current();
}

const QList<UsbDeviceFilter>& UsbHidUtil::filters() {
    static const QList<UsbDeviceFilter> table = {
        {0x3A7E, 0x1026, 0x0001, 0xFF00, 128},
        {0x3A7E, 0x1026, 0x0002, 0xFF02, 64},
    };
    return table;
}

bool UsbHidUtil::match(quint16 vendorId, quint16 productId, quint16 usage, quint16 usagePage) {
    for (const UsbDeviceFilter& f : filters()) {
        if (f.vendorId == vendorId && f.productId == productId && f.usage == usage &&
            f.usagePage == usagePage)
            return true;
    }
    return false;
}

unsigned UsbHidUtil::connectedCount() const {
    unsigned count = 0;
    for (const HidDeviceInfo& info : backend()->enumerate(0, 0)) {
        if (match(info.vendorId, info.productId, info.usage, info.usagePage)) ++count;
    }
    return count;
}

void UsbHidUtil::enumerate(QList<DeviceRecordPtr>& list) const {
    for (const HidDeviceInfo& info : backend()->enumerate(0, 0)) {
        if (!match(info.vendorId, info.productId, info.usage, info.usagePage)) continue;
        auto record = DeviceRecordPtr::create();
        record->vendorId = info.vendorId;
        record->productId = info.productId;
        record->interface = info.interfaceNumber;
        record->version = info.releaseNumber;
        record->manufacturer = info.manufacturer;
        record->productStr = info.product;
        record->path = QString::fromLocal8Bit(info.path);
        list.append(record);
    }
}

bool UsbHidUtil::lastOpenDenied() {
    return gLastOpenDenied;
}

HidDevice* UsbHidUtil::openDevice(HidBackend* backend, const QString& who, OpenPolicy policy) {
    gLastOpenDenied = false;
    for (const UsbDeviceFilter& entry : filters()) {
        const QList<HidDeviceInfo> devices = backend->enumerate(entry.vendorId, entry.productId);
        HidDevice* handle = nullptr;
        for (const HidDeviceInfo& info : devices) {
            if (info.usage != entry.usage || info.usagePage != entry.usagePage) continue;
            handle = backend->open(info.path);
            if (handle) break;
            const QString why = backend->error(nullptr);
            const QFileInfo node(QString::fromLocal8Bit(info.path));
            if (why.contains(QLatin1String("Permission denied")) ||
                (node.exists() && (!node.isReadable() || !node.isWritable()))) {
                gLastOpenDenied = true;
                logNoPermission(info.path);
            }
        }
        if (!handle) continue;
        if (backend->setNonblocking(handle, 0) < 0) {
            const QString why = backend->error(handle);
            qInfo().noquote()
                << QStringLiteral("=== %1 设置阻塞失败,错误原因:{ %2 } ===\n").arg(who, why);
            backend->close(handle);
            if (policy == OpenPolicy::GiveUpOnBlockingFailure) {
                backend->exit();
                return nullptr;
            }
            continue;
        }
        setUsbFrameSize(entry.frameSize);
        return handle;
    }
    return nullptr;
}
