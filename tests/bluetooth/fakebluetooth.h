#pragma once
// Fakes of the Bluetooth objects: a radio that reports a scripted list of
// devices, a low-energy controller and service, an RFCOMM socket. Each
// reports from the event loop, as the real stack does. A keyboard can be
// attached: it answers every whole frame written to it.

#include <QPointer>
#include <QTimer>
#include <functional>

#include "bluetooth/bluetoothbackend.h"
#include "bluetooth/bluetoothlowenergy.h"
#include "bluetooth/bluetoothradio.h"
#include "bluetooth/lecontroller.h"
#include "bluetooth/leservice.h"
#include "bluetooth/rfcommsocket.h"
#include "sim/simkeyboard.h"

namespace fakebt {

inline QBluetoothDeviceInfo device(const QString& address, const QString& name, bool lowEnergy) {
    QBluetoothDeviceInfo info(QBluetoothAddress(address), name, lowEnergy ? 0 : 0x000540);
    info.setCoreConfigurations(lowEnergy ? QBluetoothDeviceInfo::LowEnergyCoreConfiguration
                                         : QBluetoothDeviceInfo::BaseRateCoreConfiguration);
    return info;
}

inline void later(QObject* context, std::function<void()> f) {
    QTimer::singleShot(0, context, std::move(f));
}

// Gathers written bytes into frames and answers them like the keyboard.
struct Keyboard {
    SimKeyboard sim;
    QByteArray pending;
    int requests = 0;
    template <typename Deliver>
    void take(const QByteArray& bytes, Deliver deliver) {
        pending += bytes;
        while (pending.size() >= 64) {
            const QByteArray frame = pending.left(64);
            pending.remove(0, 64);
            ++requests;
            for (const QByteArray& answer : sim.handle(frame, 64)) deliver(answer);
        }
    }
};

class Radio : public BluetoothRadio {
public:
    using BluetoothRadio::BluetoothRadio;
    bool isValid() override { return valid; }
    bool isPoweredOn() const override { return powered; }
    void powerOn() override {
        ++powerOns;
        powered = poweringWorks;
    }
    QList<QBluetoothAddress> connectedDevices() const override { return connected; }
    void startLowEnergyDiscovery(int timeoutMs) override {
        timeout = timeoutMs;
        ++starts;
        active = true;
        later(this, [this] {
            if (!powered) {
                active = false;
                emit errorOccurred(QBluetoothDeviceDiscoveryAgent::PoweredOffError);
                return;
            }
            for (const QBluetoothDeviceInfo& d : devices) {
                if (!active) return;
                emit deviceDiscovered(d);
            }
            if (active && finishes) {
                active = false;
                emit finished();
            }
        });
    }
    void stopDiscovery() override {
        ++stops;
        active = false;
    }

    bool valid = true, powered = true, poweringWorks = true, finishes = true, active = false;
    QList<QBluetoothAddress> connected;
    QList<QBluetoothDeviceInfo> devices;
    int powerOns = 0, starts = 0, stops = 0, timeout = 0;
};

class Service : public LeService {
public:
    using LeService::LeService;
    QLowEnergyService::ServiceState state() const override { return mState; }
    void discoverDetails() override {
        setState(QLowEnergyService::RemoteServiceDiscovering);
        later(this, [this] { setState(QLowEnergyService::RemoteServiceDiscovered); });
    }
    bool hasCharacteristic(const QBluetoothUuid& uuid) const override {
        return uuid == BluetoothLowEnergy::kWriteUuid
                   ? hasWrite
                   : uuid == BluetoothLowEnergy::kNotifyUuid && hasNotify;
    }
    QLowEnergyCharacteristic::PropertyTypes properties(const QBluetoothUuid&) const override {
        return writeProperties;
    }
    bool hasClientConfiguration(const QBluetoothUuid&) const override { return true; }
    void writeClientConfiguration(const QBluetoothUuid& uuid, const QByteArray& value) override {
        if (uuid == BluetoothLowEnergy::kNotifyUuid) clientConfiguration = value;
    }
    void writeCharacteristic(const QBluetoothUuid& uuid, const QByteArray& value,
                             QLowEnergyService::WriteMode mode) override {
        if (uuid != BluetoothLowEnergy::kWriteUuid) return;
        writes.append(value);
        modes.append(mode);
        if (keyboard)
            keyboard->take(value,
                           [this](const QByteArray& a) { later(this, [this, a] { notify(a); }); });
    }
    void setState(QLowEnergyService::ServiceState s) {
        mState = s;
        emit stateChanged(s);
    }
    void notify(const QByteArray& value) {
        emit characteristicChanged(BluetoothLowEnergy::kNotifyUuid, value);
    }

    QLowEnergyService::ServiceState mState = QLowEnergyService::RemoteService;
    bool hasWrite = true, hasNotify = true;
    QLowEnergyCharacteristic::PropertyTypes writeProperties =
        QLowEnergyCharacteristic::Write | QLowEnergyCharacteristic::WriteNoResponse;
    QByteArray clientConfiguration;
    QList<QByteArray> writes;
    QList<QLowEnergyService::WriteMode> modes;
    Keyboard* keyboard = nullptr;
};

class Backend;

class Controller : public LeController {
public:
    Controller(Backend* backend, QObject* parent) : LeController(parent), mBackend(backend) {}
    void connectToDevice() override;
    void disconnectFromDevice() override { ++disconnects; }
    void discoverServices() override;
    int mtu() const override;
    LeService* createServiceObject(const QBluetoothUuid& uuid) override;
    int disconnects = 0;

private:
    Backend* mBackend;
};

class Socket : public RfcommSocket {
public:
    Socket(Keyboard* keyboard, bool refuse, QObject* parent)
        : RfcommSocket(parent), keyboard(keyboard), refuse(refuse) {}
    void connectToService(const QBluetoothAddress& a, const QBluetoothUuid& uuid) override {
        address = a;
        service = uuid;
        mState = QBluetoothSocket::SocketState::ConnectingState;
        later(this, [this] {
            if (refuse) {
                mState = QBluetoothSocket::SocketState::UnconnectedState;
                emit errorOccurred(QBluetoothSocket::SocketError::ServiceNotFoundError);
                return;
            }
            mState = QBluetoothSocket::SocketState::ConnectedState;
            emit connected();
        });
    }
    void disconnectFromService() override {
        mState = QBluetoothSocket::SocketState::UnconnectedState;
    }
    QBluetoothSocket::SocketState state() const override { return mState; }
    qint64 write(const QByteArray& data) override {
        if (failWrites) return -1;
        written.append(data);
        // The keyboard's answers arrive cut at an odd place, two at a time.
        if (keyboard)
            keyboard->take(data, [this](const QByteArray& a) {
                later(this, [this, a] { feed(a.left(37)); });
                later(this, [this, a] { feed(a.mid(37)); });
            });
        return data.size();
    }
    QByteArray readAll() override {
        QByteArray all = inbox;
        inbox.clear();
        return all;
    }
    QString errorString() const override { return QStringLiteral("write refused"); }
    void feed(const QByteArray& bytes) {
        inbox += bytes;
        emit readyRead();
    }

    Keyboard* keyboard;
    bool refuse;
    bool failWrites = false;
    QBluetoothAddress address;
    QBluetoothUuid service;
    QByteArray inbox;
    QList<QByteArray> written;
    QBluetoothSocket::SocketState mState = QBluetoothSocket::SocketState::UnconnectedState;
};

class Backend : public BluetoothBackend {
public:
    BluetoothRadio* createRadio(QObject* parent) override { return radio = new Radio(parent); }
    LeController* createCentral(const QBluetoothDeviceInfo& d, QObject* parent) override {
        centralFor = d;
        return controller = new Controller(this, parent);
    }
    RfcommSocket* createRfcommSocket(QObject* parent) override {
        return socket = new Socket(keyboard, refuseSocket, parent);
    }

    QPointer<Radio> radio;
    QPointer<Controller> controller;
    QPointer<Service> service;
    QPointer<Socket> socket;
    QBluetoothDeviceInfo centralFor;
    Keyboard* keyboard = nullptr;
    // What the next controller and service look like.
    int mtu = 23;
    bool connects = true, offersService = true, serviceHasWrite = true, serviceHasNotify = true;
    bool refuseSocket = false;
};

inline void Controller::connectToDevice() {
    if (mBackend->connects)
        later(this, [this] { emit connected(); });
    else
        later(this, [this] { emit errorOccurred(QLowEnergyController::ConnectionError); });
}
inline void Controller::discoverServices() {
    later(this, [this] {
        emit serviceDiscovered(QBluetoothUuid(QBluetoothUuid::ServiceClassUuid::GenericAccess));
        if (mBackend->offersService) emit serviceDiscovered(BluetoothLowEnergy::kServiceUuid);
        emit discoveryFinished();
    });
}
inline int Controller::mtu() const {
    return mBackend->mtu;
}
inline LeService* Controller::createServiceObject(const QBluetoothUuid& uuid) {
    if (uuid != BluetoothLowEnergy::kServiceUuid) return nullptr;
    Service* s = new Service(nullptr);
    s->hasWrite = mBackend->serviceHasWrite;
    s->hasNotify = mBackend->serviceHasNotify;
    s->keyboard = mBackend->keyboard;
    mBackend->service = s;
    return s;
}

}  // namespace fakebt
