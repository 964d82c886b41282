#pragma once
// The computer's Bluetooth adapter and its device search, as the manager
// uses them. The program runs on Qt Bluetooth; tests use a fake.

#include <QBluetoothAddress>
#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QList>
#include <QObject>

class BluetoothRadio : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~BluetoothRadio() override = default;

    // False when there is no adapter or no Bluetooth service to reach it.
    virtual bool isValid() = 0;
    virtual bool isPoweredOn() const = 0;
    virtual void powerOn() = 0;
    // Devices the operating system reports as connected now.
    virtual QList<QBluetoothAddress> connectedDevices() const = 0;
    virtual void startLowEnergyDiscovery(int timeoutMs) = 0;
    virtual void stopDiscovery() = 0;

signals:
    void deviceDiscovered(const QBluetoothDeviceInfo& device);
    void finished();
    void errorOccurred(QBluetoothDeviceDiscoveryAgent::Error error);
};
