#include "services/services.h"

#include <QObject>

#include "services/customtooltip.h"
#include "services/systemconfigutil.h"
#include "services/tooltiputil.h"
#include "bluetooth/bluetoothmanager.h"
#include "catalogue/productdatautil.h"
#include "link/usbhidutil.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simcatalogueseed.h"
#include "sim/simhidbackend.h"

namespace {
Services* gCurrent = nullptr;
}

Services::Services() : Services(Options()) {}

Services::Services(const Options& options) : mPrevious(gCurrent) {
    gCurrent = this;
    mSystemConfig = options.configFile.isEmpty()
                        ? std::make_unique<SystemConfigUtil>()
                        : std::make_unique<SystemConfigUtil>(options.configFile);
    if (options.installTranslator) mSystemConfig->loadTranslator();
    mToolTips = std::make_unique<ToolTipUtil>();
    mCustomToolTip = std::make_unique<CustomToolTip>();
    mProductData = options.catalogueFolder.isEmpty()
                       ? std::make_unique<ProductDataUtil>()
                       : std::make_unique<ProductDataUtil>(options.catalogueFolder);
    // A new simulated keyboard starts as a catalogue product, so its factory
    // key maps and the catalogue agree.
    if (options.simulated && options.simulatedProduct > 0 && !options.simulated->loadedFromFile())
        SimCatalogueSeed::apply(*options.simulated, *mProductData, options.simulatedProduct);
    mBluetooth = std::make_unique<BluetoothManager>();
    mUsbHid = std::make_unique<UsbHidUtil>();
    mCommunicate = std::make_unique<UsbCommunicateUtil>(mBluetooth.get(), nullptr);
    mKeyboardConfig = std::make_unique<KeyboardConfigUtil>();

    // Effect names come in the language of the program.
    SystemConfigUtil* config = mSystemConfig.get();
    UsbCommunicateUtil* engine = mCommunicate.get();
    engine->setEffectiveLanguage(config->effectiveLanguage());
    QObject::connect(config, &SystemConfigUtil::languageChanged, engine, [config, engine] {
        engine->setEffectiveLanguage(config->effectiveLanguage());
    });
}

Services::~Services() {
    reset();
    if (gCurrent == this) gCurrent = mPrevious;
}

void Services::reset() {
    mKeyboardConfig.reset();
    mCommunicate.reset();
    mUsbHid.reset();
    mBluetooth.reset();
    mProductData.reset();
    mCustomToolTip.reset();
    mToolTips.reset();
    mSystemConfig.reset();
}

void Services::replaceToolTips() {
    // The old reader goes first so that the new one is the process-wide one.
    mToolTips.reset();
    mToolTips = std::make_unique<ToolTipUtil>();
}

Services* Services::instance() {
    return gCurrent;
}
