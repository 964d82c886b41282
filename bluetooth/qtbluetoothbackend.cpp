#include "bluetooth/qtbluetoothbackend.h"

#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothLocalDevice>
#include <QBluetoothServiceInfo>
#include <QBluetoothSocket>
#include <QLowEnergyController>
#include <QLowEnergyDescriptor>
#include <QLowEnergyService>
#include <memory>

#include "bluetooth/bluetoothradio.h"
#include "bluetooth/lecontroller.h"
#include "bluetooth/leservice.h"
#include "bluetooth/rfcommsocket.h"

// Thin adapters: each forwards the Qt object's calls and signals unchanged.
namespace {

class QtRadio : public BluetoothRadio {
public:
    using BluetoothRadio::BluetoothRadio;

    bool isValid() override {
        if (!mLocal) mLocal = new QBluetoothLocalDevice(this);
        return mLocal->isValid();
    }
    bool isPoweredOn() const override {
        return mLocal && mLocal->hostMode() != QBluetoothLocalDevice::HostPoweredOff;
    }
    void powerOn() override {
        if (mLocal) mLocal->powerOn();
    }
    QList<QBluetoothAddress> connectedDevices() const override {
        return mLocal ? mLocal->connectedDevices() : QList<QBluetoothAddress>();
    }
    void startLowEnergyDiscovery(int timeoutMs) override {
        if (!mAgent) {
            mAgent = new QBluetoothDeviceDiscoveryAgent(this);
            connect(mAgent, &QBluetoothDeviceDiscoveryAgent::deviceDiscovered, this,
                    &BluetoothRadio::deviceDiscovered);
            connect(mAgent, &QBluetoothDeviceDiscoveryAgent::finished, this,
                    &BluetoothRadio::finished);
            connect(mAgent, &QBluetoothDeviceDiscoveryAgent::errorOccurred, this,
                    &BluetoothRadio::errorOccurred);
        }
        mAgent->setLowEnergyDiscoveryTimeout(timeoutMs);
        mAgent->start(QBluetoothDeviceDiscoveryAgent::LowEnergyMethod);
    }
    void stopDiscovery() override {
        if (mAgent && mAgent->isActive()) mAgent->stop();
    }

private:
    QBluetoothLocalDevice* mLocal = nullptr;
    QBluetoothDeviceDiscoveryAgent* mAgent = nullptr;
};

class QtService : public LeService {
public:
    QtService(QLowEnergyService* service, QObject* parent) : LeService(parent), mService(service) {
        mService->setParent(this);
        connect(mService, &QLowEnergyService::stateChanged, this, &LeService::stateChanged);
        connect(mService, &QLowEnergyService::characteristicChanged, this,
                [this](const QLowEnergyCharacteristic& c, const QByteArray& value) {
                    emit characteristicChanged(c.uuid(), value);
                });
        connect(mService, &QLowEnergyService::characteristicWritten, this,
                [this](const QLowEnergyCharacteristic& c, const QByteArray& value) {
                    emit characteristicWritten(c.uuid(), value);
                });
    }

    QLowEnergyService::ServiceState state() const override { return mService->state(); }
    void discoverDetails() override { mService->discoverDetails(QLowEnergyService::FullDiscovery); }
    bool hasCharacteristic(const QBluetoothUuid& uuid) const override {
        return mService->characteristic(uuid).isValid();
    }
    QLowEnergyCharacteristic::PropertyTypes properties(const QBluetoothUuid& uuid) const override {
        return mService->characteristic(uuid).properties();
    }
    bool hasClientConfiguration(const QBluetoothUuid& uuid) const override {
        return mService->characteristic(uuid).clientCharacteristicConfiguration().isValid();
    }
    void writeClientConfiguration(const QBluetoothUuid& uuid, const QByteArray& value) override {
        const QLowEnergyDescriptor descriptor =
            mService->characteristic(uuid).clientCharacteristicConfiguration();
        if (descriptor.isValid()) mService->writeDescriptor(descriptor, value);
    }
    void writeCharacteristic(const QBluetoothUuid& uuid, const QByteArray& value,
                             QLowEnergyService::WriteMode mode) override {
        const QLowEnergyCharacteristic c = mService->characteristic(uuid);
        if (c.isValid()) mService->writeCharacteristic(c, value, mode);
    }

private:
    QLowEnergyService* mService;
};

class QtController : public LeController {
public:
    QtController(const QBluetoothDeviceInfo& device, QObject* parent)
        : LeController(parent), mController(QLowEnergyController::createCentral(device, this)) {
        connect(mController, &QLowEnergyController::connected, this, &LeController::connected);
        connect(mController, &QLowEnergyController::disconnected, this,
                &LeController::disconnected);
        connect(mController, &QLowEnergyController::serviceDiscovered, this,
                &LeController::serviceDiscovered);
        connect(mController, &QLowEnergyController::discoveryFinished, this,
                &LeController::discoveryFinished);
        connect(mController, &QLowEnergyController::errorOccurred, this,
                &LeController::errorOccurred);
    }

    void connectToDevice() override { mController->connectToDevice(); }
    void disconnectFromDevice() override { mController->disconnectFromDevice(); }
    void discoverServices() override { mController->discoverServices(); }
    int mtu() const override { return mController->mtu(); }
    LeService* createServiceObject(const QBluetoothUuid& uuid) override {
        QLowEnergyService* service = mController->createServiceObject(uuid);
        return service ? new QtService(service, nullptr) : nullptr;
    }

private:
    QLowEnergyController* mController;
};

class QtSocket : public RfcommSocket {
public:
    explicit QtSocket(QObject* parent)
        : RfcommSocket(parent),
          mSocket(new QBluetoothSocket(QBluetoothServiceInfo::RfcommProtocol, this)) {
        connect(mSocket, &QBluetoothSocket::readyRead, this, &RfcommSocket::readyRead);
        connect(mSocket, &QBluetoothSocket::connected, this, &RfcommSocket::connected);
        connect(mSocket, &QBluetoothSocket::disconnected, this, &RfcommSocket::disconnected);
        connect(mSocket, &QBluetoothSocket::errorOccurred, this, &RfcommSocket::errorOccurred);
    }

    void connectToService(const QBluetoothAddress& address, const QBluetoothUuid& uuid) override {
        mSocket->connectToService(address, uuid, QIODevice::ReadWrite);
    }
    void disconnectFromService() override { mSocket->disconnectFromService(); }
    QBluetoothSocket::SocketState state() const override { return mSocket->state(); }
    qint64 write(const QByteArray& data) override { return mSocket->write(data); }
    QByteArray readAll() override { return mSocket->readAll(); }
    QString errorString() const override { return mSocket->errorString(); }

private:
    QBluetoothSocket* mSocket;
};

}  // namespace

BluetoothRadio* QtBluetoothBackend::createRadio(QObject* parent) {
    return new QtRadio(parent);
}

LeController* QtBluetoothBackend::createCentral(const QBluetoothDeviceInfo& device,
                                                QObject* parent) {
    return new QtController(device, parent);
}

RfcommSocket* QtBluetoothBackend::createRfcommSocket(QObject* parent) {
    return new QtSocket(parent);
}

BluetoothBackend* BluetoothBackend::system() {
    static QtBluetoothBackend backend;
    return &backend;
}
