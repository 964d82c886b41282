#pragma once
// The process-wide service objects, created in their fixed order (settings,
// tool tips, the shared tool-tip window, catalogue, Bluetooth, HID, command
// engine, model) and destroyed in the reverse one, so the engine goes before
// the transports it uses. The program, the GUI tests, zentaro-shots and
// zentaro-bench all build them through this class.

#include <QString>
#include <memory>

class BluetoothManager;
class CustomToolTip;
class KeyboardConfigUtil;
class ProductDataUtil;
class SimHidBackend;
class SystemConfigUtil;
class ToolTipUtil;
class UsbCommunicateUtil;
class UsbHidUtil;

class Services {
public:
    struct Options {
        // Settings file; empty: data/config.ini under the working directory.
        QString configFile;
        // Folder holding velmora.db3; empty: data/ in the application directory.
        QString catalogueFolder;
        // A simulated keyboard without saved state starts as this catalogue
        // product (0: leave it as it is). Not owned; null for a real keyboard.
        SimHidBackend* simulated = nullptr;
        qint16 simulatedProduct = 0;
        // Load and install the translator of the configured language.
        bool installTranslator = true;
    };

    Services();
    explicit Services(const Options& options);
    ~Services();
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    // Destroys everything now, in reverse order (also done by the destructor).
    void reset();

    // A new tool-tip reader for the current language replaces the old one.
    void replaceToolTips();

    SystemConfigUtil* systemConfig() const { return mSystemConfig.get(); }
    ToolTipUtil* toolTips() const { return mToolTips.get(); }
    CustomToolTip* customToolTip() const { return mCustomToolTip.get(); }
    ProductDataUtil* productData() const { return mProductData.get(); }
    BluetoothManager* bluetooth() const { return mBluetooth.get(); }
    UsbHidUtil* usbHid() const { return mUsbHid.get(); }
    UsbCommunicateUtil* communicate() const { return mCommunicate.get(); }
    KeyboardConfigUtil* keyboardConfig() const { return mKeyboardConfig.get(); }

    // The services of the running program (the most recent alive), or null.
    static Services* instance();

private:
    std::unique_ptr<SystemConfigUtil> mSystemConfig;
    std::unique_ptr<ToolTipUtil> mToolTips;
    std::unique_ptr<CustomToolTip> mCustomToolTip;
    std::unique_ptr<ProductDataUtil> mProductData;
    std::unique_ptr<BluetoothManager> mBluetooth;
    std::unique_ptr<UsbHidUtil> mUsbHid;
    std::unique_ptr<UsbCommunicateUtil> mCommunicate;
    std::unique_ptr<KeyboardConfigUtil> mKeyboardConfig;
    Services* mPrevious = nullptr;
};
