#pragma once
// The table of accepted HID interfaces, enumeration for the device pages and
// the open procedure shared by the command engine and the firmware thread.

#include <QList>
#include <QObject>

#include "link/hidbackend.h"
#include "common/keyboardtypes.h"

struct UsbDeviceFilter {
    quint16 vendorId;
    quint16 productId;
    quint16 usage;
    quint16 usagePage;
    int frameSize;
};

class UsbHidUtil : public QObject {
    Q_OBJECT
public:
    explicit UsbHidUtil(HidBackend* backend = nullptr, QObject* parent = nullptr);
    ~UsbHidUtil() override;

    static UsbHidUtil* instance();
    static const QList<UsbDeviceFilter>& filters();
    static bool match(quint16 vendorId, quint16 productId, quint16 usage, quint16 usagePage);

    // Matching interfaces among all HID devices.
    unsigned connectedCount() const;
    // Appends one device record per matching interface.
    void enumerate(QList<DeviceRecordPtr>& list) const;

    enum class OpenPolicy {
        NextEntryOnBlockingFailure,  // command engine
        GiveUpOnBlockingFailure      // firmware thread
    };
    // Opens the first interface of the table that can be opened, puts it in
    // blocking mode and sets the process-wide frame size. `who` names the
    // caller in log lines. Returns nullptr when nothing could be opened.
    static HidDevice* openDevice(HidBackend* backend, const QString& who, OpenPolicy policy);
    // True when the last openDevice() found a matching interface that this
    // user may not open (no udev rule): the device page says so.
    static bool lastOpenDenied();

private:
    HidBackend* backend() const;
    HidBackend* mBackend;
};
