#pragma once
// What the command engine needs from a Bluetooth transport. The Bluetooth
// manager of the GUI implements it; tests use a fake.

#include <QByteArray>
#include <QObject>

class BluetoothLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~BluetoothLink() override = default;

    virtual void connectDevice() = 0;
    virtual void disconnectDevice() = 0;
    virtual bool isConnected() const = 0;
    // One whole frame of gUsbFrameMaxsize bytes, without a report ID.
    virtual bool sendFrame(const QByteArray& frame) = 0;

signals:
    void connected();
    void disconnected();
    void error(int error);
    // Same five values the USB receive thread delivers.
    void frameReceived(uchar order, uchar frame, uchar total, uchar length, const QByteArray& data);
};
