#include "bluetooth/bluetoothrules.h"

namespace BluetoothRules {

using UsbProtocol::Frame;
using UsbProtocol::kHeaderSize;
using UsbProtocol::kTag;
using UsbProtocol::ParseResult;

bool isKeyboard(const QBluetoothDeviceInfo& device, const QList<QBluetoothAddress>& connected) {
    return device.isValid() && !device.address().isNull() &&
           device.name().startsWith(kKeyboardPrefix, Qt::CaseSensitive) &&
           connected.contains(device.address());
}

QBluetoothDeviceInfo chooseKeyboard(const QList<QBluetoothDeviceInfo>& devices,
                                    const QList<QBluetoothAddress>& connected) {
    for (const QBluetoothDeviceInfo& device : devices) {
        if (isKeyboard(device, connected)) return device;
    }
    return QBluetoothDeviceInfo();
}

bool prefersLowEnergy(const QBluetoothDeviceInfo& device) {
    return device.coreConfigurations().testFlag(QBluetoothDeviceInfo::LowEnergyCoreConfiguration);
}

int maxPayload(int mtu) {
    return mtu - 3 > 20 ? mtu - 3 : 20;
}

QList<QByteArray> pieces(const QByteArray& frame, int mtu) {
    const int size = maxPayload(mtu);
    QList<QByteArray> out;
    for (int at = 0; at < frame.size(); at += size) out.append(frame.mid(at, size));
    return out;
}

ParseResult joinNotification(QByteArray* pending, const QByteArray& value, int frameLength,
                             Frame* out) {
    if (pending->isEmpty() && (value.isEmpty() || uchar(value.at(0)) != kTag))
        return ParseResult::BadTag;
    pending->append(value.left(frameLength - int(pending->size())));
    if (pending->size() < kHeaderSize) return ParseResult::Truncated;
    const int length = uchar(pending->at(5));
    if (length > frameLength - kHeaderSize) {
        pending->clear();
        return ParseResult::LengthTooLarge;
    }
    // Never padded with zeros: a frame is delivered only with all its bytes.
    if (pending->size() < kHeaderSize + length) return ParseResult::Truncated;
    UsbProtocol::parseFrame(reinterpret_cast<const uchar*>(pending->constData()),
                            kHeaderSize + length, out);
    pending->clear();
    return ParseResult::Ok;
}

ParseResult takeStreamFrame(QByteArray* buffer, int frameLength, Frame* out, QByteArray* skipped) {
    skipped->clear();
    const int tag = int(buffer->indexOf(char(kTag)));
    if (tag < 0) {
        *skipped = *buffer;
        buffer->clear();
        return ParseResult::BadTag;
    }
    *skipped = buffer->left(tag);
    buffer->remove(0, tag);
    if (buffer->size() < kHeaderSize) return ParseResult::Truncated;
    const int length = uchar(buffer->at(5));
    if (length > frameLength - kHeaderSize) {
        // Resynchronise on the next tag after this one.
        buffer->remove(0, 1);
        return ParseResult::LengthTooLarge;
    }
    if (buffer->size() < kHeaderSize + length) return ParseResult::Truncated;
    UsbProtocol::parseFrame(reinterpret_cast<const uchar*>(buffer->constData()),
                            kHeaderSize + length, out);
    // The padding that follows is skipped as it arrives.
    buffer->remove(0, kHeaderSize + length);
    return ParseResult::Ok;
}

}  // namespace BluetoothRules
