#pragma once
// The thin seam between the program and the HID library. Exactly one
// implementation talks to hidapi (HidapiBackend); the simulated keyboard
// (SimHidBackend) and the scripted fake (ScriptedHidBackend) plug in here.
// Results follow hidapi's conventions: negative on failure, 0 on a read
// time-out, else the number of bytes.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

struct HidDeviceInfo {
    QByteArray path;
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint16 releaseNumber = 0;
    quint16 usagePage = 0;
    quint16 usage = 0;
    int interfaceNumber = -1;
    QString manufacturer;
    QString product;
    QString serial;
};

// An open device. Each backend subclasses it; callers only pass it back.
class HidDevice {
public:
    virtual ~HidDevice() = default;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;

    // All devices with the given ids; 0 matches any.
    virtual QList<HidDeviceInfo> enumerate(quint16 vendorId, quint16 productId) = 0;
    // nullptr on failure (lastError() tells why).
    virtual HidDevice* open(const QByteArray& path) = 0;
    virtual int setNonblocking(HidDevice* device, int nonblock) = 0;
    // Blocks up to timeoutMs (-1: forever); 0 on time-out.
    virtual int readTimeout(HidDevice* device, unsigned char* data, size_t length,
                            int timeoutMs) = 0;
    virtual int write(HidDevice* device, const unsigned char* data, size_t length) = 0;
    // Error text of the device, or of the last open/enumerate when device is null.
    virtual QString error(HidDevice* device) = 0;
    virtual void close(HidDevice* device) = 0;
    // Makes a read blocked on the device return 0 now, so a reader that was
    // asked to stop does not sit out its time-out. Backends that cannot do
    // this keep the default: the read ends at its time-out.
    virtual void interruptRead(HidDevice* device) { Q_UNUSED(device); }
    virtual int exit() = 0;

    // The process-wide backend: hidapi unless another one was installed
    // (the --simulate mode and the tests install theirs). Not owned.
    static HidBackend* current();
    static void setCurrent(HidBackend* backend);
};
