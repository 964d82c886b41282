#pragma once
// Reads input reports from the open command interface on its own thread and
// hands every well-formed frame to the command engine as a queued signal.
// A device that keeps failing reads (unplugged) ends the loop with linkLost().

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
    // Requests interruption, wakes the blocked read and waits for the
    // thread. Every backend shipped can wake a read; one that cannot makes
    // stop() wait up to one read time-out.
    void stop();

    // One read. Reads are woken by stop(), so this only sets how often an
    // idle link wakes the thread (twice a second).
    static constexpr int kReadTimeoutMs = 500;
    // Pause after a failed read: an unplugged device fails at once.
    static constexpr int kErrorPauseMs = 50;
    // Failed reads in a row (about half a second) that mean the link is gone.
    static constexpr int kErrorsBeforeLinkLost = 10;

signals:
    void usb_receive_data(uchar order, uchar frame, uchar total, uchar length, QByteArray data);
    // Reads kept failing: the device is gone and the thread stopped reading.
    void linkLost();

protected:
    void run() override;

private:
    // Sleeps up to `ms`, ending early when interruption is requested.
    void pause(int ms);

    HidBackend* mBackend;
    HidDevice* mHandle = nullptr;
    std::atomic<bool> mRunning{false};
};
