#pragma once
// The keyboard over Bluetooth Low Energy: one GATT service with a write and
// a notify characteristic. Frames go out in pieces that fit the ATT MTU,
// paced by a timer so that the GUI thread never sleeps; each notification
// is one frame.

#include <QBluetoothDeviceInfo>
#include <QBluetoothUuid>
#include <QByteArray>
#include <QList>
#include <QLowEnergyController>
#include <QLowEnergyService>
#include <QObject>

class BluetoothBackend;
class LeController;
class LeService;
class QTimer;

class BluetoothLowEnergy : public QObject {
    Q_OBJECT
public:
    // Pause between two writes of one frame, so the keyboard keeps up.
    static constexpr int kPieceIntervalMs = 10;

    static const QBluetoothUuid kServiceUuid;
    static const QBluetoothUuid kWriteUuid;
    static const QBluetoothUuid kNotifyUuid;

    explicit BluetoothLowEnergy(BluetoothBackend* backend, QObject* parent = nullptr);
    ~BluetoothLowEnergy() override;

    void openDevice(const QBluetoothDeviceInfo& device, int frameLength);
    void closeDevice();
    bool isConnected() const;
    // Queues the frame's pieces; false (with ble_error_callback) when the
    // service cannot take it.
    bool sendData(const QByteArray& frame);

    // Pieces written so far are gone; these are still to be written.
    int pendingPieces() const { return int(mPending.size()); }

    static QString errorText(QLowEnergyController::Error error);

signals:
    void ble_connected();
    void ble_disconnected();
    void ble_error_callback(int error);
    void ble_data_received_callback(uchar order, uchar frame, uchar total, uchar length,
                                    QByteArray data);

public slots:
    void onDeviceConnected();
    void onDeviceDisconnected();
    void onServiceDiscovered(QBluetoothUuid serviceUuid);
    void onServiceDiscoveredFinished();
    void onServiceStateChanged(QLowEnergyService::ServiceState state);
    void onCharacteristicChanged(QBluetoothUuid characteristic, QByteArray value);
    void onCharacteristicWritten(QBluetoothUuid characteristic, QByteArray value);
    void onError(QLowEnergyController::Error error);

private:
    struct Piece {
        QByteArray bytes;
        QByteArray frame;  // set on the last piece of a frame, for the log
        QLowEnergyService::WriteMode mode;
    };

    void setupService();
    void dropService();
    void dropController();
    void writeNextPiece();

    BluetoothBackend* mBackend;
    int mFrameLength = 64;
    LeController* mController = nullptr;
    LeService* mService = nullptr;
    bool mWriteCharacteristic = false;
    bool mNotifyCharacteristic = false;
    // The pieces of a frame received so far.
    QByteArray mBuffer;
    QList<Piece> mPending;
    QTimer* mPaceTimer;
};
