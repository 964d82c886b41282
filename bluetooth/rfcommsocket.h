#pragma once
// A classic Bluetooth serial socket, as ClassicBluetooth uses it. The
// program runs on QBluetoothSocket; tests use a fake.

#include <QBluetoothAddress>
#include <QBluetoothSocket>
#include <QBluetoothUuid>
#include <QByteArray>
#include <QObject>
#include <QString>

class RfcommSocket : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~RfcommSocket() override = default;

    virtual void connectToService(const QBluetoothAddress& address,
                                  const QBluetoothUuid& service) = 0;
    virtual void disconnectFromService() = 0;
    virtual QBluetoothSocket::SocketState state() const = 0;
    // Bytes written, or -1.
    virtual qint64 write(const QByteArray& data) = 0;
    virtual QByteArray readAll() = 0;
    virtual QString errorString() const = 0;

signals:
    void readyRead();
    void connected();
    void disconnected();
    void errorOccurred(QBluetoothSocket::SocketError error);
};
