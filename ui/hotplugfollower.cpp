#include "ui/hotplugfollower.h"

#include <QDebug>
#include <QTimer>

#include "link/usbhidutil.h"
#include "protocol/usbcommunicateutil.h"
#include "services/hidwatcher.h"
#include "services/systemconfigutil.h"

namespace {
// The other interfaces of the same keyboard arrive (or go) meanwhile.
constexpr int kSettleMs = 100;

void logLine(const QString& text) {
    qInfo().noquote() << QStringLiteral("=== ") + text + QStringLiteral(" ===");
}

bool bluetoothTalks() {
    UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
    return engine && engine->isBluetoothConnected();
}
}  // namespace

HotplugFollower::HotplugFollower(QObject* parent)
    : QObject(parent), mWatcher(std::make_unique<HidWatcher>()) {
    connect(mWatcher.get(), &HidWatcher::deviceConnected, this, &HotplugFollower::deviceConnected);
    connect(mWatcher.get(), &HidWatcher::deviceDisconnected, this,
            &HotplugFollower::deviceDisconnected);
    if (UsbHidUtil* hid = UsbHidUtil::instance()) mUsbPresent = hid->connectedCount() > 0;
    if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance())
        connect(engine, &UsbCommunicateUtil::protocol_device_disconnected, this,
                &HotplugFollower::engineLostDevice);
}

HotplugFollower::~HotplugFollower() = default;

void HotplugFollower::chooseCommType(int type) {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config || config->commType() == type) return;
    if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance()) engine->closeCommunicate();
    config->setCommType(type);
    emit devicesChanged(true);
}

void HotplugFollower::engineLostDevice() {
    if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance()) engine->closeCommunicate();
    if (SystemConfigUtil* config = SystemConfigUtil::instance()) config->setCommType(0);
    emit linkLost();
}

void HotplugFollower::deviceConnected() {
    if (bluetoothTalks()) {
        logLine(QStringLiteral("USB插入是，蓝牙设备已经在通讯"));
        return;
    }
    if (mUsbPresent) {
        logLine(QStringLiteral("USB设备已检测过插入"));
        return;
    }
    logLine(QStringLiteral("USB设备已插入"));
    mUsbPresent = true;
    QTimer::singleShot(kSettleMs, this, [this] { emit devicesChanged(true); });
}

void HotplugFollower::deviceDisconnected() {
    if (bluetoothTalks()) {
        logLine(QStringLiteral("USB拔出，蓝牙设备已经在通讯"));
        return;
    }
    if (!mUsbPresent) {
        logLine(QStringLiteral("USB设备已检测过拔出"));
        return;
    }
    logLine(QStringLiteral("USB设备已拔出"));
    mUsbPresent = false;
    QTimer::singleShot(kSettleMs, this, &HotplugFollower::unplugged);
}
