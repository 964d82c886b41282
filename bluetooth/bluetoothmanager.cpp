#include "bluetooth/bluetoothmanager.h"

#include <QDebug>
#include <QMetaEnum>
#include <QPointer>
#include <QTimer>

#include "bluetooth/bluetoothbackend.h"
#include "bluetooth/bluetoothlowenergy.h"
#include "bluetooth/bluetoothradio.h"
#include "bluetooth/bluetoothrules.h"
#include "bluetooth/classicbluetooth.h"
#include "common/applog.h"
#include "link/linkerrors.h"

namespace {
QPointer<BluetoothManager> gInstance;

}  // namespace

BluetoothManager::BluetoothManager(QObject* parent) : BluetoothManager(nullptr, parent) {}

BluetoothManager::BluetoothManager(BluetoothBackend* backend, QObject* parent)
    : BluetoothLink(parent), mBackend(backend ? backend : BluetoothBackend::system()) {
    AppLog::line(QStringLiteral("=== BluetoothManager 蓝牙管理初始化 ==="));
    gInstance = this;
    qRegisterMetaType<QBluetoothDeviceInfo>();
    mRadio = mBackend->createRadio(this);
    connect(mRadio, &BluetoothRadio::deviceDiscovered, this, &BluetoothManager::deviceDiscovered);
    connect(mRadio, &BluetoothRadio::finished, this, &BluetoothManager::discoveryFinished);
    connect(mRadio, &BluetoothRadio::errorOccurred, this, &BluetoothManager::discoveryError);
    mBle = new BluetoothLowEnergy(mBackend, this);
    mClassic = new ClassicBluetooth(mBackend, this);
    forward(mBle);
    forward(mClassic);

    // The engine listens to the link's own signals.
    connect(this, &BluetoothManager::ble_connected, this, &BluetoothLink::connected);
    connect(this, &BluetoothManager::ble_disconnected, this, &BluetoothLink::disconnected);
    connect(this, &BluetoothManager::ble_error_callback, this, &BluetoothLink::error);
    connect(this, &BluetoothManager::ble_data_received_callback, this,
            &BluetoothLink::frameReceived);
}

BluetoothManager::~BluetoothManager() {
    disconnect(mRadio, nullptr, this, nullptr);
    disconnect(mBle, nullptr, this, nullptr);
    disconnect(mClassic, nullptr, this, nullptr);
    AppLog::line(QStringLiteral("=== BluetoothManager 蓝牙管理销毁 ==="));
}

BluetoothManager* BluetoothManager::instance() {
    return gInstance.data();
}

template <typename Transport>
void BluetoothManager::forward(Transport* transport) {
    connect(transport, &Transport::ble_connected, this, &BluetoothManager::ble_connected);
    connect(transport, &Transport::ble_disconnected, this, &BluetoothManager::ble_disconnected);
    connect(transport, &Transport::ble_error_callback, this, &BluetoothManager::ble_error_callback);
    connect(transport, &Transport::ble_data_received_callback, this,
            &BluetoothManager::ble_data_received_callback);
}

bool BluetoothManager::startDeviceDiscovery() {
    // A search still running is replaced, not run twice.
    if (mDiscovering) stopDeviceDiscovery();
    const quint64 search = ++mSearch;
    mFailure = DiscoveryFailure::None;
    mDevice.reset();
    if (!mRadio->isValid()) {
        AppLog::line(QStringLiteral("=== BluetoothManager startDeviceDiscovery 蓝牙不可用 ==="));
        mDiscovering = true;
        // Reported from the event loop, as every other end of a search is,
        // so the caller has finished setting up before it hears of it.
        QTimer::singleShot(0, this, [this, search] {
            if (search == mSearch && mDiscovering) failSearch(DiscoveryFailure::NoAdapter);
        });
        return false;
    }
    mDiscovering = true;
    if (!mRadio->isPoweredOn()) {
        AppLog::line(QStringLiteral("=== BluetoothManager startDeviceDiscovery 开启蓝牙 ==="));
        mRadio->powerOn();
        // The adapter needs a moment; the window does not wait for it.
        QTimer::singleShot(kPowerOnWaitMs, this, [this, search] { beginSearch(search); });
        return true;
    }
    beginSearch(search);
    return true;
}

void BluetoothManager::beginSearch(quint64 search) {
    // Cancelled, or replaced by a newer search, while the adapter came up.
    if (search != mSearch || !mDiscovering) return;
    mConnectedAddresses = mRadio->connectedDevices();
    mRadio->startLowEnergyDiscovery(kDiscoveryTimeoutMs);
}

void BluetoothManager::stopDeviceDiscovery() {
    if (!mDiscovering) return;
    mDiscovering = false;
    mRadio->stopDiscovery();
}

void BluetoothManager::failSearch(DiscoveryFailure reason) {
    mDiscovering = false;
    mFailure = reason;
    emit ble_discovery_finished(false);
}

void BluetoothManager::deviceDiscovered(QBluetoothDeviceInfo device) {
    // Reports that arrive after the search ended (found, cancelled) are late.
    if (!mDiscovering) return;
    if (!device.isValid()) {
        AppLog::line(
            QStringLiteral("==== BluetoothManager deviceDiscovered 发现无效设备，跳过处理 ==="));
        return;
    }
    if (device.address().isNull()) {
        AppLog::line(
            QStringLiteral("==== BluetoothManager deviceDiscovered 设备地址无效，跳过处理 ==="));
        return;
    }
    AppLog::line(QStringLiteral("====BluetoothManager discoveryFinished 已发现设备, device:{ ") +
                 device.name() + QStringLiteral(" }, address:{ ") + device.address().toString() +
                 QStringLiteral(" } ==="));
    emit ble_device_discovered(device);
    if (!BluetoothRules::isKeyboard(device, mConnectedAddresses)) return;
    mDevice = QSharedPointer<QBluetoothDeviceInfo>::create(device);
    mLowEnergy = BluetoothRules::prefersLowEnergy(device);
    mDiscovering = false;
    mRadio->stopDiscovery();
    AppLog::line(QStringLiteral("=== BluetoothManager discoveryFinished 已成功检索到蓝牙设备 ==="));
    emit ble_discovery_finished(true);
}

void BluetoothManager::discoveryFinished() {
    // Nothing to report when the keyboard was chosen or the user cancelled.
    if (!mDiscovering) return;
    mDiscovering = false;
    if (mDevice) return;
    AppLog::line(QStringLiteral("=== BluetoothManager discoveryFinished 没有检索到蓝牙设备 ==="));
    failSearch(DiscoveryFailure::NoKeyboard);
}

void BluetoothManager::discoveryError(QBluetoothDeviceDiscoveryAgent::Error error) {
    AppLog::line(
        QStringLiteral("=== discoveryError error:{ ") +
        QLatin1String(
            QMetaEnum::fromType<QBluetoothDeviceDiscoveryAgent::Error>().valueToKey(error)) +
        QStringLiteral(" } ==="));
    if (!mDiscovering) return;
    switch (error) {
        case QBluetoothDeviceDiscoveryAgent::PoweredOffError:
            failSearch(DiscoveryFailure::PoweredOff);
            break;
        case QBluetoothDeviceDiscoveryAgent::InvalidBluetoothAdapterError:
            failSearch(DiscoveryFailure::NoAdapter);
            break;
        default:
            failSearch(DiscoveryFailure::SearchError);
            break;
    }
}

void BluetoothManager::openDevice() {
    if (!mDevice) {
        AppLog::line(QStringLiteral("=== BluetoothManager openDevice 没有合法的蓝牙设备 ==="));
        emit ble_error_callback(LinkError::OpenFailed);
        return;
    }
    mOpenedLowEnergy = mLowEnergy;
    if (mLowEnergy)
        mBle->openDevice(*mDevice, mFrameLength);
    else
        mClassic->openDevice(*mDevice, mFrameLength);
}

void BluetoothManager::closeDevice() {
    if (mOpenedLowEnergy)
        mBle->closeDevice();
    else
        mClassic->closeDevice();
}

bool BluetoothManager::isConnected() const {
    return mOpenedLowEnergy ? mBle->isConnected() : mClassic->isConnected();
}

bool BluetoothManager::sendData(const QByteArray& data) {
    AppLog::line(QStringLiteral("=== BluetoothManager sendData 发送数据:{ ") +
                 QString::fromLatin1(data.toHex(' ').toUpper()) + QStringLiteral(" } ==="));
    return mOpenedLowEnergy ? mBle->sendData(data) : mClassic->sendData(data);
}
