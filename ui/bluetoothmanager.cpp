#include "ui/bluetoothmanager.h"

#include <QDebug>
#include <QPointer>

namespace {
QPointer<BluetoothManager> gInstance;
// Same code the full manager emits when no keyboard was chosen.
constexpr int kNoDeviceError = -200;
}  // namespace

BluetoothManager::BluetoothManager(QObject* parent) : BluetoothLink(parent) {
    qInfo().noquote() << QStringLiteral("=== BluetoothManager 蓝牙管理初始化 ===");
    gInstance = this;
}

BluetoothManager::~BluetoothManager() {
    qInfo().noquote() << QStringLiteral("=== BluetoothManager 蓝牙管理销毁 ===");
}

BluetoothManager* BluetoothManager::instance() {
    return gInstance.data();
}

void BluetoothManager::connectDevice() {
    qInfo().noquote() << QStringLiteral("=== BluetoothManager openDevice 没有合法的蓝牙设备 ===");
    emit error(kNoDeviceError);
}

void BluetoothManager::disconnectDevice() {}

bool BluetoothManager::isConnected() const {
    return false;
}

bool BluetoothManager::sendFrame(const QByteArray& frame) {
    Q_UNUSED(frame);
    return false;
}
