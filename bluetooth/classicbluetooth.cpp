#include "bluetooth/classicbluetooth.h"

#include <QDebug>

#include "bluetooth/bluetoothbackend.h"
#include "bluetooth/bluetoothrules.h"
#include "bluetooth/rfcommsocket.h"
#include "common/applog.h"
#include "link/linkerrors.h"
#include "link/usbprotocol.h"

namespace {}  // namespace

ClassicBluetooth::ClassicBluetooth(BluetoothBackend* backend, QObject* parent)
    : QObject(parent), mBackend(backend) {}

ClassicBluetooth::~ClassicBluetooth() {
    dropSocket();
}

void ClassicBluetooth::dropSocket() {
    if (!mSocket) return;
    disconnect(mSocket, nullptr, this, nullptr);
    mSocket->disconnectFromService();
    mSocket->deleteLater();
    mSocket = nullptr;
}

void ClassicBluetooth::openDevice(const QBluetoothDeviceInfo& device, int frameLength) {
    dropSocket();
    mFrameLength = frameLength;
    const QBluetoothAddress address(device.address().toString());
    if (address.isNull()) {
        AppLog::line(QStringLiteral("=== ClassicBluetooth openDevice 无效蓝牙设备地址 ==="));
        emit ble_error_callback(LinkError::OpenFailed);
        return;
    }
    mBuffer.clear();
    mSocket = mBackend->createRfcommSocket(this);
    connect(mSocket, &RfcommSocket::readyRead, this, &ClassicBluetooth::onDataReceived);
    connect(mSocket, &RfcommSocket::connected, this, &ClassicBluetooth::onConnected);
    connect(mSocket, &RfcommSocket::disconnected, this, &ClassicBluetooth::onDisconnected);
    connect(mSocket, &RfcommSocket::errorOccurred, this, &ClassicBluetooth::onError);
    mSocket->connectToService(address,
                              QBluetoothUuid(QBluetoothUuid::ServiceClassUuid::SerialPort));
}

void ClassicBluetooth::closeDevice() {
    mBuffer.clear();
    // A socket still connecting is dropped too: it must not report a
    // connection after the link was closed.
    dropSocket();
}

bool ClassicBluetooth::isConnected() const {
    return mSocket && mSocket->state() == QBluetoothSocket::SocketState::ConnectedState;
}

bool ClassicBluetooth::sendData(const QByteArray& frame) {
    if (!isConnected()) {
        AppLog::line(QStringLiteral("=== ClassicBluetooth sendData 没有连接任何设备 ==="));
        emit ble_error_callback(LinkError::NotConnected);
        return false;
    }
    if (mSocket->write(frame) != frame.size()) {
        AppLog::line(QStringLiteral("=== ClassicBluetooth sendData 发送数据失败:{ ") +
                     mSocket->errorString() + QStringLiteral(" } ==="));
        emit ble_error_callback(LinkError::SendFailed);
        return false;
    }
    return true;
}

void ClassicBluetooth::onDataReceived() {
    if (!mSocket) return;
    mBuffer.append(mSocket->readAll());
    for (;;) {
        UsbProtocol::Frame frame;
        QByteArray skipped;
        const UsbProtocol::ParseResult result =
            BluetoothRules::takeStreamFrame(&mBuffer, mFrameLength, &frame, &skipped);
        // Zero bytes between frames are padding; anything else is noise.
        if (skipped.count('\0') != skipped.size()) {
            AppLog::line(QStringLiteral("=== ClassicBluetooth onDataReceived 丢弃无效数据:{ ") +
                         QString::fromLatin1(skipped.toHex(' ').toUpper()) +
                         QStringLiteral(" } ==="));
        }
        if (result == UsbProtocol::ParseResult::Ok) {
            emit ble_data_received_callback(frame.order, frame.frame, frame.total, frame.length,
                                            frame.data);
            // The receiver may have closed the link.
            if (!mSocket) return;
            continue;
        }
        if (result == UsbProtocol::ParseResult::LengthTooLarge) {
            AppLog::line(QStringLiteral("=== ClassicBluetooth onDataReceived 数据长度无效 ==="));
            continue;
        }
        return;  // no tag, or a frame still arriving
    }
}

void ClassicBluetooth::onConnected() {
    AppLog::line(QStringLiteral("=== ClassicBluetooth onConnected 蓝牙串口已连接 ==="));
    emit ble_connected();
}

void ClassicBluetooth::onDisconnected() {
    AppLog::line(QStringLiteral("=== ClassicBluetooth onDisconnected 蓝牙串口已断开 ==="));
    emit ble_disconnected();
}

QString ClassicBluetooth::errorLine(QBluetoothSocket::SocketError error,
                                    const QString& errorString) {
    using E = QBluetoothSocket::SocketError;
    switch (error) {
        case E::NoSocketError:
            return QStringLiteral("=== ClassicBluetooth onSocketError Socket error ===");
        case E::UnknownSocketError:
            return QStringLiteral("=== ClassicBluetooth onSocketError Unknown socket error ===");
        case E::RemoteHostClosedError:
            return QStringLiteral(
                "=== ClassicBluetooth onSocketError Remote host closed the connection ===");
        case E::HostNotFoundError:
            return QStringLiteral("=== ClassicBluetooth onSocketError Host not found ===");
        case E::ServiceNotFoundError:
            return QStringLiteral(
                "=== ClassicBluetooth onSocketError Serial Port service not found on the device "
                "===");
        case E::NetworkError:
            return QStringLiteral("=== ClassicBluetooth onSocketError Network error occurred ===");
        case E::UnsupportedProtocolError:
            return QStringLiteral("=== ClassicBluetooth onSocketError Unsupported protocol ===");
        case E::OperationError:
            return QStringLiteral("=== ClassicBluetooth onSocketError Operation error ===");
        case E::MissingPermissionsError:
            return QStringLiteral("=== onSocketError Missing permissions error ===");
    }
    return QStringLiteral("=== ClassicBluetooth onSocketError Unknown error:{ ") + errorString +
           QStringLiteral(" } ===");
}

void ClassicBluetooth::onError(QBluetoothSocket::SocketError error) {
    AppLog::line(errorLine(error, mSocket ? mSocket->errorString() : QString()));
    emit ble_error_callback(LinkError::OpenFailed);
}
