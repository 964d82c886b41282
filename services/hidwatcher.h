#pragma once
// Tells when an interface of the supported keyboard arrives or goes away.
// The operating-system side lives in hidwatcher_<os>.cpp; the simulated
// keyboard can be watched as well and reports through the same signals.
// A keyboard has several HID interfaces, so one plug gives several signals.

#include <QObject>
#include <QString>

class SimHidBackend;
class HidWatcherPlatform;  // one per operating system, in hidwatcher_<os>.cpp

class HidWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kVendorId = 0x3A7E;
    static constexpr quint16 kProductId = 0x1026;
    static inline const QString kConnectedText = QStringLiteral("Target HID Device Connected");
    static inline const QString kDisconnectedText =
        QStringLiteral("Target HID Device Disconnected");

    explicit HidWatcher(QObject* parent = nullptr);
    ~HidWatcher() override;

    // Whether the operating system's notifications are coming in.
    bool isListening() const;

    // Also report the simulated keyboard's plugs and unplugs (not owned).
    void watch(SimHidBackend* backend);

    // True for a device path naming the keyboard's vendor and product id,
    // either as "vid_3a7e&pid_1026" (any case) or as a Linux HID_ID
    // "bus:0000VVVV:0000PPPP".
    static bool isTargetDevice(const QString& devicePath);

signals:
    void deviceConnected(QString deviceInfo);
    void deviceDisconnected(QString deviceInfo);

private:
    friend class HidWatcherPlatform;
    // Called by the platform side for every HID interface event.
    void handleDeviceChange(bool arrived, const QString& devicePath);
    void simulatedDeviceChange(bool arrived, const QString& path);

    HidWatcherPlatform* mPlatform = nullptr;
    static HidWatcherPlatform* createPlatform(HidWatcher* watcher);
    static void destroyPlatform(HidWatcherPlatform* platform);
    static bool platformListening(const HidWatcherPlatform* platform);
};
