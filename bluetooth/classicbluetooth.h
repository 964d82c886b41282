#pragma once
// The keyboard over classic Bluetooth: an RFCOMM socket to its Serial Port
// service. The socket is a byte stream, so received bytes are gathered
// until whole frames can be taken from them.

#include <QBluetoothDeviceInfo>
#include <QBluetoothSocket>
#include <QByteArray>
#include <QObject>

class BluetoothBackend;
class RfcommSocket;

class ClassicBluetooth : public QObject {
    Q_OBJECT
public:
    explicit ClassicBluetooth(BluetoothBackend* backend, QObject* parent = nullptr);
    ~ClassicBluetooth() override;

    void openDevice(const QBluetoothDeviceInfo& device, int frameLength);
    void closeDevice();
    bool isConnected() const;
    bool sendData(const QByteArray& frame);

    static QString errorLine(QBluetoothSocket::SocketError error, const QString& errorString);

signals:
    void ble_connected();
    void ble_disconnected();
    void ble_error_callback(int error);
    void ble_data_received_callback(uchar order, uchar frame, uchar total, uchar length,
                                    QByteArray data);

public slots:
    void onError(QBluetoothSocket::SocketError error);
    void onDataReceived();
    void onConnected();
    void onDisconnected();

private:
    void dropSocket();

    BluetoothBackend* mBackend;
    RfcommSocket* mSocket = nullptr;
    int mFrameLength = 64;
    QByteArray mBuffer;
};
