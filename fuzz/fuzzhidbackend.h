#pragma once
// A HID device that shows one vendor interface, takes every write and never
// answers by itself: a fuzz target hands the answers to the engine directly.
// Checks each written report as it arrives (size, report ID, tag, length).

#include <QByteArray>
#include <QList>

#include "link/hidbackend.h"

class FuzzHidBackend : public HidBackend {
public:
    // frameSize 128: the usage-page 0xFF00 interface; 64: the 0xFF02 one.
    explicit FuzzHidBackend(int frameSize);
    ~FuzzHidBackend() override;

    int frameSize() const { return mFrameSize; }
    // Reports written so far, report ID included.
    const QList<QByteArray>& written() const { return mWritten; }
    void failWrites(bool fail) { mFailWrites = fail; }

    QList<HidDeviceInfo> enumerate(quint16 vendorId, quint16 productId) override;
    HidDevice* open(const QByteArray& path) override;
    int setNonblocking(HidDevice* device, int nonblock) override;
    int readTimeout(HidDevice* device, unsigned char* data, size_t length, int timeoutMs) override;
    int write(HidDevice* device, const unsigned char* data, size_t length) override;
    QString error(HidDevice* device) override;
    void close(HidDevice* device) override;
    int exit() override;

private:
    int mFrameSize;
    HidDevice* mOpen = nullptr;
    bool mFailWrites = false;
    QList<QByteArray> mWritten;
};
