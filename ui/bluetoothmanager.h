#pragma once
// The Bluetooth side of the keyboard link. Discovery and the BLE and classic
// transports come later; for now it is never connected and refuses to send,
// so the command engine reports Bluetooth as unavailable.

#include "protocol/bluetoothlink.h"

class BluetoothManager : public BluetoothLink {
    Q_OBJECT
public:
    explicit BluetoothManager(QObject* parent = nullptr);
    ~BluetoothManager() override;

    static BluetoothManager* instance();

    void connectDevice() override;
    void disconnectDevice() override;
    bool isConnected() const override;
    bool sendFrame(const QByteArray& frame) override;
};
