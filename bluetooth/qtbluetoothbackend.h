#pragma once
// The Bluetooth backend of the program: Qt Bluetooth, which drives BlueZ
// over D-Bus on Linux. Adapter and device search are created on first use,
// so a program that never searches never talks to the Bluetooth service.

#include "bluetooth/bluetoothbackend.h"

class QtBluetoothBackend : public BluetoothBackend {
public:
    BluetoothRadio* createRadio(QObject* parent) override;
    LeController* createCentral(const QBluetoothDeviceInfo& device, QObject* parent) override;
    RfcommSocket* createRfcommSocket(QObject* parent) override;
};
