#pragma once
// Makes the Bluetooth objects of the manager and its transports. The
// default backend drives the system's Bluetooth stack through Qt Bluetooth;
// tests install a fake one.

#include <QBluetoothDeviceInfo>

class BluetoothRadio;
class LeController;
class QObject;
class RfcommSocket;

class BluetoothBackend {
public:
    virtual ~BluetoothBackend() = default;

    virtual BluetoothRadio* createRadio(QObject* parent) = 0;
    virtual LeController* createCentral(const QBluetoothDeviceInfo& device, QObject* parent) = 0;
    virtual RfcommSocket* createRfcommSocket(QObject* parent) = 0;

    // The Qt Bluetooth backend, created on first use.
    static BluetoothBackend* system();
};
