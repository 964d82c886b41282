#pragma once
// Reads input reports from the open command interface on its own thread and
// hands every well-formed frame to the command engine as a queued signal.

#include <QByteArray>
#include <QThread>
#include <atomic>

#include "link/hidbackend.h"

class UsbReceiveThread : public QThread {
    Q_OBJECT
public:
    explicit UsbReceiveThread(HidBackend* backend = nullptr, QObject* parent = nullptr);
    ~UsbReceiveThread() override;

    // Starts reading `handle` (not owned) with the caller's priority.
    void start(HidDevice* handle);
    // Requests interruption and waits for the thread, without time limit.
    void stop();

    static constexpr int kReadTimeoutMs = 500;

signals:
    void usb_receive_data(uchar order, uchar frame, uchar total, uchar length, QByteArray data);
    // Reads kept failing: the device is gone and the thread stopped reading.
    void linkLost();

protected:
    void run() override;

private:
    HidBackend* mBackend;
    HidDevice* mHandle = nullptr;
    std::atomic<bool> mRunning{false};
};
