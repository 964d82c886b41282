#include "bluetooth/bluetoothlowenergy.h"

#include <QDebug>
#include <QMetaEnum>
#include <QTimer>

#include "bluetooth/bluetoothbackend.h"
#include "bluetooth/bluetoothrules.h"
#include "bluetooth/lecontroller.h"
#include "bluetooth/leservice.h"
#include "common/applog.h"
#include "link/linkerrors.h"
#include "link/usbprotocol.h"

namespace {

QString hexText(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
}  // namespace

const QBluetoothUuid BluetoothLowEnergy::kServiceUuid(
    QStringLiteral("{0000ae40-0000-1000-8000-00805f9b34fb}"));
const QBluetoothUuid BluetoothLowEnergy::kWriteUuid(
    QStringLiteral("{0000ae41-0000-1000-8000-00805f9b34fb}"));
const QBluetoothUuid BluetoothLowEnergy::kNotifyUuid(
    QStringLiteral("{0000ae42-0000-1000-8000-00805f9b34fb}"));

BluetoothLowEnergy::BluetoothLowEnergy(BluetoothBackend* backend, QObject* parent)
    : QObject(parent), mBackend(backend), mPaceTimer(new QTimer(this)) {
    mPaceTimer->setSingleShot(true);
    mPaceTimer->setInterval(kPieceIntervalMs);
    connect(mPaceTimer, &QTimer::timeout, this, &BluetoothLowEnergy::writeNextPiece);
}

BluetoothLowEnergy::~BluetoothLowEnergy() {
    dropService();
    dropController();
}

void BluetoothLowEnergy::openDevice(const QBluetoothDeviceInfo& device, int frameLength) {
    mFrameLength = frameLength;
    mBuffer.clear();
    dropService();
    dropController();

    mController = mBackend->createCentral(device, this);
    connect(mController, &LeController::connected, this, &BluetoothLowEnergy::onDeviceConnected);
    connect(mController, &LeController::disconnected, this,
            &BluetoothLowEnergy::onDeviceDisconnected);
    connect(mController, &LeController::serviceDiscovered, this,
            &BluetoothLowEnergy::onServiceDiscovered);
    connect(mController, &LeController::discoveryFinished, this,
            &BluetoothLowEnergy::onServiceDiscoveredFinished);
    connect(mController, &LeController::errorOccurred, this, &BluetoothLowEnergy::onError);
    mController->connectToDevice();
}

void BluetoothLowEnergy::closeDevice() {
    dropService();
    dropController();
    mBuffer.clear();
}

bool BluetoothLowEnergy::isConnected() const {
    return mService && mWriteCharacteristic;
}

void BluetoothLowEnergy::dropService() {
    mPaceTimer->stop();
    mPending.clear();
    mWriteCharacteristic = false;
    mNotifyCharacteristic = false;
    if (!mService) return;
    disconnect(mService, nullptr, this, nullptr);
    mService->deleteLater();
    mService = nullptr;
}

void BluetoothLowEnergy::dropController() {
    if (!mController) return;
    disconnect(mController, nullptr, this, nullptr);
    mController->disconnectFromDevice();
    mController->deleteLater();
    mController = nullptr;
}

void BluetoothLowEnergy::onDeviceConnected() {
    AppLog::line(QStringLiteral("=== BluetoothLowEnergy onDeviceConnected BLE设备已连接 ==="));
    if (mController) mController->discoverServices();
}

void BluetoothLowEnergy::onDeviceDisconnected() {
    AppLog::line(QStringLiteral("=== BluetoothLowEnergy onDeviceDisconnected BLE设备断开连接 ==="));
    // Pieces of a frame can no longer reach the keyboard.
    mPaceTimer->stop();
    mPending.clear();
    emit ble_disconnected();
}

void BluetoothLowEnergy::onServiceDiscovered(QBluetoothUuid serviceUuid) {
    AppLog::line(QStringLiteral("=== BluetoothLowEnergy onServiceDiscovered 发现服务:{ ") +
                 serviceUuid.toString() + QStringLiteral(" } ==="));
    if (serviceUuid != kServiceUuid || !mController) return;
    dropService();
    mService = mController->createServiceObject(serviceUuid);
    if (!mService) return;
    mService->setParent(this);
    connect(mService, &LeService::stateChanged, this, &BluetoothLowEnergy::onServiceStateChanged);
    connect(mService, &LeService::characteristicChanged, this,
            &BluetoothLowEnergy::onCharacteristicChanged);
    connect(mService, &LeService::characteristicWritten, this,
            &BluetoothLowEnergy::onCharacteristicWritten);
    mService->discoverDetails();
    AppLog::line(QStringLiteral("=== BluetoothLowEnergy onServiceDiscovered 当前MTU::{ %1 } ===")
                     .arg(mController ? mController->mtu() : 0));
}

void BluetoothLowEnergy::onServiceDiscoveredFinished() {
    // The keyboard service, when present, was taken up as it was reported.
}

void BluetoothLowEnergy::onServiceStateChanged(QLowEnergyService::ServiceState state) {
    if (state != QLowEnergyService::RemoteServiceDiscovered) return;
    AppLog::line(QStringLiteral("=== BluetoothLowEnergy onServiceStateChanged 服务详情已发现 ==="));
    setupService();
}

void BluetoothLowEnergy::setupService() {
    if (!mService) {
        AppLog::line(QStringLiteral("=== BluetoothLowEnergy setupService mService is null ==="));
        return;
    }
    // A service that cannot carry frames both ways is not a link: report it
    // once and do not announce a connection.
    mWriteCharacteristic = mService->hasCharacteristic(kWriteUuid);
    if (!mWriteCharacteristic) {
        AppLog::line(QStringLiteral("=== BluetoothLowEnergy setupService 未找到写特征 ==="));
        emit ble_error_callback(LinkError::OpenFailed);
        return;
    }
    mNotifyCharacteristic = mService->hasCharacteristic(kNotifyUuid);
    if (!mNotifyCharacteristic) {
        AppLog::line(QStringLiteral("=== BluetoothLowEnergy setupService 未找到通知特征 ==="));
        mWriteCharacteristic = false;
        emit ble_error_callback(LinkError::OpenFailed);
        return;
    }
    if (mService->hasClientConfiguration(kNotifyUuid))
        mService->writeClientConfiguration(kNotifyUuid, QByteArray::fromHex("0100"));
    emit ble_connected();
}

bool BluetoothLowEnergy::sendData(const QByteArray& frame) {
    if (!mService || !mWriteCharacteristic) {
        AppLog::line(QStringLiteral("=== BluetoothLowEnergy sendData 服务或特征未准备好 ==="));
        emit ble_error_callback(LinkError::SendFailed);
        return false;
    }
    const QLowEnergyService::ServiceState state = mService->state();
    if (state != QLowEnergyService::RemoteServiceDiscovered) {
        AppLog::line(QStringLiteral("=== BluetoothLowEnergy sendData 服务未就绪, 当前状态：{ ") +
                     QLatin1String(
                         QMetaEnum::fromType<QLowEnergyService::ServiceState>().valueToKey(state)) +
                     QStringLiteral(" } ==="));
        emit ble_error_callback(LinkError::SendFailed);
        return false;
    }
    const QLowEnergyCharacteristic::PropertyTypes properties = mService->properties(kWriteUuid);
    const bool withoutResponse = properties.testFlag(QLowEnergyCharacteristic::WriteNoResponse);
    if (!withoutResponse && !properties.testFlag(QLowEnergyCharacteristic::Write)) {
        AppLog::line(QStringLiteral("=== BluetoothLowEnergy sendData 特征不支持写入 ==="));
        emit ble_error_callback(LinkError::SendFailed);
        return false;
    }
    const int mtu = mController ? mController->mtu() : 0;
    AppLog::line(
        QStringLiteral("=== BluetoothLowEnergy sendData currentMtu:{ %1 },maxPayload:{ %2 } ===")
            .arg(mtu)
            .arg(BluetoothRules::maxPayload(mtu)));
    const QList<QByteArray> pieces = BluetoothRules::pieces(frame, mtu);
    const QLowEnergyService::WriteMode mode = withoutResponse
                                                  ? QLowEnergyService::WriteWithoutResponse
                                                  : QLowEnergyService::WriteWithResponse;
    // An answer never starts before its request: pieces of a frame still
    // incomplete belong to one that was lost, and must not prefix the next.
    mBuffer.clear();
    for (int i = 0; i < pieces.size(); ++i)
        mPending.append({pieces.at(i), i + 1 == pieces.size() ? frame : QByteArray(), mode});
    // Frames queue behind each other and never interleave; the first piece
    // goes out now unless an earlier frame is still being paced.
    if (!mPaceTimer->isActive()) writeNextPiece();
    return true;
}

void BluetoothLowEnergy::writeNextPiece() {
    if (mPending.isEmpty()) return;
    if (!mService || !mWriteCharacteristic ||
        mService->state() != QLowEnergyService::RemoteServiceDiscovered) {
        mPending.clear();
        AppLog::line(QStringLiteral("=== BluetoothLowEnergy sendData 服务或特征未准备好 ==="));
        emit ble_error_callback(LinkError::SendFailed);
        return;
    }
    const Piece piece = mPending.takeFirst();
    mService->writeCharacteristic(kWriteUuid, piece.bytes, piece.mode);
    if (!piece.frame.isEmpty()) {
        AppLog::line(QStringLiteral("=== BluetoothLowEnergy sendData 已发送数据:{ ") +
                     hexText(piece.frame) + QStringLiteral(" } ==="));
    }
    // The pause follows every piece, so the next frame waits for it too.
    mPaceTimer->start();
}

void BluetoothLowEnergy::onCharacteristicChanged(QBluetoothUuid characteristic, QByteArray value) {
    if (characteristic != kNotifyUuid) return;
    AppLog::line(QStringLiteral("=== BluetoothLowEnergy onCharacteristicChanged 收到数据:{ ") +
                 hexText(value) + QStringLiteral(" } ==="));
    UsbProtocol::Frame frame;
    switch (BluetoothRules::joinNotification(&mBuffer, value, mFrameLength, &frame)) {
        case UsbProtocol::ParseResult::Ok:
            emit ble_data_received_callback(frame.order, frame.frame, frame.total, frame.length,
                                            frame.data);
            break;
        case UsbProtocol::ParseResult::Truncated:
            break;  // the frame's next piece follows
        case UsbProtocol::ParseResult::LengthTooLarge:
            // The frame was dropped (its length byte promises more than a frame
            // holds); the engine's resend after its timeout covers the loss.
            AppLog::line(
                QStringLiteral("=== BluetoothLowEnergy onCharacteristicChanged 数据长度无效 "
                               "read={%1};length={%2} ===")
                    .arg(value.size())
                    .arg(value.size() > 5 ? uchar(value.at(5)) : 0));
            break;
        case UsbProtocol::ParseResult::BadTag:
            break;
    }
}

void BluetoothLowEnergy::onCharacteristicWritten(QBluetoothUuid characteristic, QByteArray value) {
    Q_UNUSED(value);
    if (characteristic == kWriteUuid)
        AppLog::line(
            QStringLiteral("=== BluetoothLowEnergy onCharacteristicWritten 数据写入成功 ==="));
}

QString BluetoothLowEnergy::errorText(QLowEnergyController::Error error) {
    switch (error) {
        case QLowEnergyController::NoError:
            return QStringLiteral("没有错误");
        case QLowEnergyController::UnknownError:
            return QStringLiteral("未知错误");
        case QLowEnergyController::UnknownRemoteDeviceError:
            return QStringLiteral("未知远程设备错误");
        case QLowEnergyController::NetworkError:
            return QStringLiteral("网络错误");
        case QLowEnergyController::InvalidBluetoothAdapterError:
            return QStringLiteral("无效的蓝牙适配器错误");
        case QLowEnergyController::ConnectionError:
            return QStringLiteral("连接错误");
        case QLowEnergyController::AdvertisingError:
            return QStringLiteral("广播错误");
        case QLowEnergyController::RemoteHostClosedError:
            return QStringLiteral("远程主机关闭错误");
        case QLowEnergyController::AuthorizationError:
            return QStringLiteral("授权错误");
        default:
            return QStringLiteral("未知错误代码: %1").arg(int(error));
    }
}

void BluetoothLowEnergy::onError(QLowEnergyController::Error error) {
    AppLog::line(QStringLiteral("=== BluetoothLowEnergy onError:{ ") + errorText(error) +
                 QStringLiteral(" } ==="));
    mPaceTimer->stop();
    mPending.clear();
    emit ble_disconnected();
}
