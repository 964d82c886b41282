#include "services/hidwatcher.h"

#include <QDebug>
#include <QRegularExpression>

#include "sim/simhidbackend.h"

HidWatcher::HidWatcher(QObject* parent) : QObject(parent) {
    qInfo().noquote() << QStringLiteral("=== HidWatcher HID设备平台检测对象创建 ===");
    mPlatform = createPlatform(this);
}

HidWatcher::~HidWatcher() {
    destroyPlatform(mPlatform);
    mPlatform = nullptr;
    qInfo().noquote() << QStringLiteral("=== HidWatcher HID设备平台检测对象销毁 ===");
}

bool HidWatcher::isListening() const {
    return platformListening(mPlatform);
}

void HidWatcher::watch(SimHidBackend* backend) {
    if (!backend) return;
    connect(backend, &SimHidBackend::devicePlugged, this,
            [this](const QString& path) { simulatedDeviceChange(true, path); });
    connect(backend, &SimHidBackend::deviceUnplugged, this,
            [this](const QString& path) { simulatedDeviceChange(false, path); });
}

bool HidWatcher::isTargetDevice(const QString& devicePath) {
    qInfo().noquote() << QStringLiteral("=== HidWatcher isTargetDevice devicePath:{ ") +
                             devicePath + QStringLiteral(" } ===");
    static const QRegularExpression windowsForm(
        QStringLiteral("vid_([0-9a-fA-F]{4})&pid_([0-9a-fA-F]{4})"),
        QRegularExpression::CaseInsensitiveOption);
    // Linux: HID_ID of the hid parent, bus:vendor:product.
    static const QRegularExpression linuxForm(
        QStringLiteral("(?:^|[^0-9a-fA-F:])[0-9a-fA-F]{4}:([0-9a-fA-F]{8}):([0-9a-fA-F]{8})"
                       "(?![0-9a-fA-F:])"));
    QRegularExpressionMatch match = windowsForm.match(devicePath);
    if (!match.hasMatch()) match = linuxForm.match(devicePath);
    if (!match.hasMatch()) return false;

    bool vendorOk = false;
    bool productOk = false;
    const uint vendorId = match.captured(1).toUInt(&vendorOk, 16);
    const uint productId = match.captured(2).toUInt(&productOk, 16);
    qInfo().noquote() << QStringLiteral("=== Found VID:{ ") + QString::number(vendorId) +
                             QStringLiteral(" },PID:{ ") + QString::number(productId) +
                             QStringLiteral(" } ===");
    return vendorOk && productOk && vendorId == kVendorId && productId == kProductId;
}

void HidWatcher::handleDeviceChange(bool arrived, const QString& devicePath) {
    if (!isTargetDevice(devicePath)) return;
    if (arrived) {
        emit deviceConnected(kConnectedText);
    } else {
        emit deviceDisconnected(kDisconnectedText);
    }
}

// Every interface of the simulated keyboard is the keyboard, whatever its
// path looks like.
void HidWatcher::simulatedDeviceChange(bool arrived, const QString& path) {
    qInfo().noquote() << QStringLiteral("=== HidWatcher 模拟键盘") +
                             (arrived ? QStringLiteral("插入") : QStringLiteral("拔出")) +
                             QStringLiteral(":{ ") + path + QStringLiteral(" } ===");
    if (arrived) {
        emit deviceConnected(kConnectedText);
    } else {
        emit deviceDisconnected(kDisconnectedText);
    }
}

#if !defined(Q_OS_LINUX) && !defined(Q_OS_WIN)
// No device notifications on this system: the watcher stays silent.
class HidWatcherPlatform {};
HidWatcherPlatform* HidWatcher::createPlatform(HidWatcher*) {
    qWarning().noquote() << QStringLiteral("Failed to register device notification");
    return nullptr;
}
void HidWatcher::destroyPlatform(HidWatcherPlatform*) {}
bool HidWatcher::platformListening(const HidWatcherPlatform*) {
    return false;
}
#endif
