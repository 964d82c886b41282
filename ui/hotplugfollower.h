#pragma once
// Follows the keyboard's plugging and the chosen communication type, and
// tells the window when the device list must be read again or the link was
// lost. USB events while a Bluetooth keyboard talks, and repeated events of
// the same plug (one per HID interface), are ignored.

#include <QObject>
#include <memory>

class HidWatcher;

class HotplugFollower : public QObject {
    Q_OBJECT
public:
    explicit HotplugFollower(QObject* parent = nullptr);
    ~HotplugFollower() override;

    HidWatcher* watcher() const { return mWatcher.get(); }

    // 0 USB, 1 Bluetooth; a change closes the link and reads the devices.
    void chooseCommType(int type);

signals:
    // Read the device list again; with autoOpen also open a keyboard.
    void devicesChanged(bool autoOpen);
    // The keyboard was unplugged (after its other interfaces went too).
    void unplugged();
    // The engine lost the keyboard; the type is back to USB.
    void linkLost();

private:
    void deviceConnected();
    void deviceDisconnected();
    void engineLostDevice();

    std::unique_ptr<HidWatcher> mWatcher;
    bool mUsbPresent = false;
};
