#pragma once
// A Bluetooth transport for tests: records sent frames and lets the test
// connect, disconnect and deliver frames.

#include <QList>

#include "protocol/bluetoothlink.h"

class FakeBluetoothLink : public BluetoothLink {
    Q_OBJECT
public:
    using BluetoothLink::BluetoothLink;
    void connectDevice() override {
        ++connectCalls;
        if (autoConnect) setConnected(true);
    }
    void disconnectDevice() override { setConnected(false); }
    bool isConnected() const override { return up; }
    bool sendFrame(const QByteArray& frame) override {
        sent.append(frame);
        return up;
    }
    void setConnected(bool on) {
        if (on == up) return;
        up = on;
        if (on)
            emit connected();
        else
            emit disconnected();
    }
    void deliver(const QByteArray& frame) {
        const auto b = [&](int i) { return uchar(frame.at(i)); };
        emit frameReceived(b(1), b(2), b(3), b(5), frame.mid(6, b(5)));
    }

    QList<QByteArray> sent;
    int connectCalls = 0;
    bool autoConnect = true;
    bool up = false;
};
