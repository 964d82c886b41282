#pragma once
// The only place that calls hidapi.

#include "link/hidbackend.h"

class HidapiBackend : public HidBackend {
public:
    QList<HidDeviceInfo> enumerate(quint16 vendorId, quint16 productId) override;
    HidDevice* open(const QByteArray& path) override;
    int setNonblocking(HidDevice* device, int nonblock) override;
    int readTimeout(HidDevice* device, unsigned char* data, size_t length, int timeoutMs) override;
    int write(HidDevice* device, const unsigned char* data, size_t length) override;
    QString error(HidDevice* device) override;
    void close(HidDevice* device) override;
    void interruptRead(HidDevice* device) override;
    int exit() override;

    static HidapiBackend* instance();
};
