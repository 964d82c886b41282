#pragma once
// A central connection to one low-energy device, as BluetoothLowEnergy uses
// it. The program runs on QLowEnergyController; tests use a fake.

#include <QBluetoothUuid>
#include <QLowEnergyController>
#include <QObject>

class LeService;

class LeController : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~LeController() override = default;

    virtual void connectToDevice() = 0;
    virtual void disconnectFromDevice() = 0;
    virtual void discoverServices() = 0;
    virtual int mtu() const = 0;
    // A new service object owned by the caller, or null when the device
    // does not offer the service.
    virtual LeService* createServiceObject(const QBluetoothUuid& service) = 0;

signals:
    void connected();
    void disconnected();
    void serviceDiscovered(const QBluetoothUuid& service);
    void discoveryFinished();
    void errorOccurred(QLowEnergyController::Error error);
};
