#pragma once
// Finds the keyboard among the devices the system's Bluetooth reports and
// links it to the command engine, over BLE when the keyboard supports it and
// over a classic serial socket otherwise.
//
// A search that cannot start (no adapter, no Bluetooth service, adapter
// that stays off) ends at once with ble_discovery_finished(false);
// discoveryFailure() then tells why.

#include <QBluetoothAddress>
#include <QBluetoothDeviceDiscoveryAgent>
#include <QBluetoothDeviceInfo>
#include <QList>
#include <QSharedPointer>

#include "protocol/bluetoothlink.h"

class BluetoothBackend;
class BluetoothLowEnergy;
class BluetoothRadio;
class ClassicBluetooth;

class BluetoothManager : public BluetoothLink {
    Q_OBJECT
public:
    enum class DiscoveryFailure {
        None,
        NoAdapter,    // no usable adapter, or no Bluetooth service on this computer
        PoweredOff,   // the adapter is off and could not be switched on
        NoKeyboard,   // the search ended without a paired, connected keyboard
        SearchError,  // the search failed for another reason
    };
    Q_ENUM(DiscoveryFailure)

    // Time the adapter gets to come up after it was switched on.
    static constexpr int kPowerOnWaitMs = 1000;
    static constexpr int kDiscoveryTimeoutMs = 5000;
    static constexpr int kFrameLength = 64;

    // backend null: the system's Bluetooth through Qt Bluetooth.
    explicit BluetoothManager(QObject* parent = nullptr);
    explicit BluetoothManager(BluetoothBackend* backend, QObject* parent = nullptr);
    ~BluetoothManager() override;

    static BluetoothManager* instance();

    // False when there is no usable adapter (ble_discovery_finished(false)
    // follows from the event loop).
    bool startDeviceDiscovery();
    void stopDeviceDiscovery();
    void openDevice();
    void closeDevice();
    bool sendData(const QByteArray& data);

    bool isDiscovering() const { return mDiscovering; }
    QSharedPointer<QBluetoothDeviceInfo> chosenDevice() const { return mDevice; }
    bool lowEnergy() const { return mLowEnergy; }
    // Why the last search ended without a keyboard (None while searching or
    // after one was found).
    DiscoveryFailure discoveryFailure() const { return mFailure; }

    // The engine's view of the link.
    void connectDevice() override { openDevice(); }
    void disconnectDevice() override { closeDevice(); }
    bool isConnected() const override;
    bool sendFrame(const QByteArray& frame) override { return sendData(frame); }

signals:
    void ble_device_discovered(QBluetoothDeviceInfo deviceInfo);
    void ble_discovery_finished(bool flag);
    void ble_connected();
    void ble_disconnected();
    void ble_error_callback(int error);
    void ble_data_received_callback(uchar order, uchar frame, uchar total, uchar length,
                                    QByteArray data);

public slots:
    void deviceDiscovered(QBluetoothDeviceInfo device);
    void discoveryFinished();
    void discoveryError(QBluetoothDeviceDiscoveryAgent::Error error);

private:
    void beginSearch(quint64 search);
    void failSearch(DiscoveryFailure reason);
    template <typename Transport>
    void forward(Transport* transport);

    BluetoothBackend* mBackend;
    BluetoothRadio* mRadio;  // the local adapter and its discovery agent
    int mFrameLength = kFrameLength;
    QList<QBluetoothAddress> mConnectedAddresses;
    QSharedPointer<QBluetoothDeviceInfo> mDevice;
    bool mLowEnergy = false;
    BluetoothLowEnergy* mBle;
    ClassicBluetooth* mClassic;
    bool mDiscovering = false;
    // The transport the last open used; close and send go to it.
    bool mOpenedLowEnergy = false;
    // Counts searches, so that a step scheduled for an older one is skipped.
    quint64 mSearch = 0;
    DiscoveryFailure mFailure = DiscoveryFailure::None;
};
