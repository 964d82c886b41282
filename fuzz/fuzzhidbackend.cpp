#include "fuzz/fuzzhidbackend.h"

#include "fuzz/fuzzsupport.h"
#include "link/usbprotocol.h"

FuzzHidBackend::FuzzHidBackend(int frameSize) : mFrameSize(frameSize) {}

FuzzHidBackend::~FuzzHidBackend() {
    delete mOpen;
}

QList<HidDeviceInfo> FuzzHidBackend::enumerate(quint16 vendorId, quint16 productId) {
    HidDeviceInfo info;
    info.path = QByteArrayLiteral("fuzz");
    info.vendorId = 0x3A7E;
    info.productId = 0x1026;
    info.usagePage = mFrameSize == 64 ? 0xFF02 : 0xFF00;
    info.usage = mFrameSize == 64 ? 0x0002 : 0x0001;
    info.interfaceNumber = 1;
    if ((vendorId && vendorId != info.vendorId) || (productId && productId != info.productId))
        return {};
    return {info};
}

HidDevice* FuzzHidBackend::open(const QByteArray&) {
    if (mOpen) return nullptr;
    mOpen = new HidDevice;
    return mOpen;
}

int FuzzHidBackend::setNonblocking(HidDevice*, int) {
    return 0;
}

int FuzzHidBackend::readTimeout(HidDevice*, unsigned char*, size_t, int) {
    return 0;
}

int FuzzHidBackend::write(HidDevice* device, const unsigned char* data, size_t length) {
    FuzzSupport::require(device && device == mOpen, "write on a device that is not open");
    const QByteArray report(reinterpret_cast<const char*>(data), int(length));
    FuzzSupport::require(report.size() == mFrameSize + 1, "report is not one frame + report ID");
    FuzzSupport::require(report.at(0) == 0, "report ID is not 0");
    FuzzSupport::require(uchar(report.at(1)) == UsbProtocol::kTag, "frame without the tag");
    FuzzSupport::require(uchar(report.at(6)) <= mFrameSize - UsbProtocol::kHeaderSize,
                         "length byte larger than the frame's payload");
    mWritten.append(report);
    return mFailWrites ? -1 : int(length);
}

QString FuzzHidBackend::error(HidDevice*) {
    return mFailWrites ? QStringLiteral("write refused") : QString();
}

void FuzzHidBackend::close(HidDevice* device) {
    if (device == mOpen) {
        delete mOpen;
        mOpen = nullptr;
    }
}

int FuzzHidBackend::exit() {
    return 0;
}
