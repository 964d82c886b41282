// Linux side of HidWatcher: a udev monitor on the hidraw subsystem. The
// vendor and product id come from HID_ID of the hidraw node's hid parent;
// at removal the parent is gone from sysfs, so the ids are remembered per
// node from its arrival (or from the enumeration at start).
#include "services/hidwatcher.h"

#ifdef Q_OS_LINUX

#include <libudev.h>

#include <QDebug>
#include <QHash>
#include <QSocketNotifier>

class HidWatcherPlatform {
public:
    explicit HidWatcherPlatform(HidWatcher* watcher) : mWatcher(watcher) {
        mUdev = udev_new();
        if (!mUdev) {
            qWarning().noquote() << QStringLiteral("Failed to register device notification");
            return;
        }
        mMonitor = udev_monitor_new_from_netlink(mUdev, "udev");
        if (!mMonitor ||
            udev_monitor_filter_add_match_subsystem_devtype(mMonitor, "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(mMonitor) < 0) {
            qWarning().noquote() << QStringLiteral("Failed to register device notification");
            if (mMonitor) udev_monitor_unref(mMonitor);
            mMonitor = nullptr;
            return;
        }
        rememberPresentDevices();
        mNotifier =
            new QSocketNotifier(udev_monitor_get_fd(mMonitor), QSocketNotifier::Read, watcher);
        QObject::connect(mNotifier, &QSocketNotifier::activated, watcher, [this] { receive(); });
    }

    ~HidWatcherPlatform() {
        delete mNotifier;
        if (mMonitor) udev_monitor_unref(mMonitor);
        if (mUdev) udev_unref(mUdev);
    }

    bool isListening() const { return mNotifier != nullptr; }

private:
    static QString hidId(udev_device* device) {
        udev_device* parent = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
        if (!parent) return QString();
        // The parent belongs to `device`; it is not unreferenced here.
        return QString::fromLatin1(udev_device_get_property_value(parent, "HID_ID"));
    }

    static QString nodeName(udev_device* device) {
        const char* node = udev_device_get_devnode(device);
        return QString::fromLocal8Bit(node ? node : udev_device_get_syspath(device));
    }

    void rememberPresentDevices() {
        udev_enumerate* enumerate = udev_enumerate_new(mUdev);
        if (!enumerate) return;
        udev_enumerate_add_match_subsystem(enumerate, "hidraw");
        udev_enumerate_scan_devices(enumerate);
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            udev_device* device =
                udev_device_new_from_syspath(mUdev, udev_list_entry_get_name(entry));
            if (!device) continue;
            const QString id = hidId(device);
            if (!id.isEmpty()) mIds.insert(nodeName(device), id);
            udev_device_unref(device);
        }
        udev_enumerate_unref(enumerate);
    }

    void receive() {
        udev_device* device = udev_monitor_receive_device(mMonitor);
        if (!device) return;
        const QByteArray action = udev_device_get_action(device);
        const QString node = nodeName(device);
        if (action == "add") {
            const QString id = hidId(device);
            if (!id.isEmpty()) mIds.insert(node, id);
            mWatcher->handleDeviceChange(true, describe(node, id));
        } else if (action == "remove") {
            QString id = mIds.take(node);
            if (id.isEmpty()) id = hidId(device);
            mWatcher->handleDeviceChange(false, describe(node, id));
        }
        udev_device_unref(device);
    }

    static QString describe(const QString& node, const QString& id) {
        return id.isEmpty() ? node : node + QStringLiteral(" HID_ID=") + id;
    }

    HidWatcher* mWatcher;
    udev* mUdev = nullptr;
    udev_monitor* mMonitor = nullptr;
    QSocketNotifier* mNotifier = nullptr;
    QHash<QString, QString> mIds;  // node -> HID_ID
};

HidWatcherPlatform* HidWatcher::createPlatform(HidWatcher* watcher) {
    return new HidWatcherPlatform(watcher);
}

void HidWatcher::destroyPlatform(HidWatcherPlatform* platform) {
    delete platform;
}

bool HidWatcher::platformListening(const HidWatcherPlatform* platform) {
    return platform && platform->isListening();
}

#endif
