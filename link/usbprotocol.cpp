#include "link/usbprotocol.h"

int gUsbFrameMaxsize = 128;
int gUsbDataMaxsize = 122;

void setUsbFrameSize(int frameSize) {
    gUsbFrameMaxsize = frameSize;
    gUsbDataMaxsize = frameSize - UsbProtocol::kHeaderSize;
}

namespace UsbProtocol {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    out.reserve(int(values.size()));
    for (int v : values) out.append(char(v));
    return out;
}

QString hex(uint value) {
    return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

int itemsPerFrame(uchar request, int m) {
    switch (request) {
        case SetCustomLight:
            return m - 4;
        case SetCustomLightAll:
            return (m - 1) / 4;
        case SetEffectLightAll:
            return m / 8;
        case SetKeyboardConfig:
            return (m - 2) / 3;
        case SetKeyboardDefault:
            return m - 1;
        case SetHighKey:
            return m / 19;
        case SetTriggerConfig:
            return m - 2;
        case SetQuickTriggerConfig:
            return m / 8;
        case SetTriggerConfigAll:
            return (m - 1) / 8;
        case SetMacroConfig:
            return (m - 2) / 6;
        default:
            return 0;
    }
}

int framesFor(int itemCount, int perFrame) {
    if (itemCount <= 0 || perFrame <= 0) return 1;
    return (itemCount - 1) / perFrame + 1;
}

int itemsInFrame(int frame, int total, int itemCount, int perFrame) {
    const int start = perFrame * (frame - 1);
    const int left = qMax(0, itemCount - start);
    return frame >= total ? left : qMin(perFrame, left);
}

QByteArray buildFrame(uchar order, uchar frame, uchar total, const QByteArray& payload,
                      int frameSize) {
    QByteArray out(frameSize, '\0');
    const int length = qMin<int>(payload.size(), qMin(255, frameSize - kHeaderSize));
    out[0] = char(kTag);
    out[1] = char(order);
    out[2] = char(frame);
    out[3] = char(total);
    out[4] = 0;
    out[5] = char(length);
    memcpy(out.data() + kHeaderSize, payload.constData(), size_t(length));
    return out;
}

ParseResult parseFrame(const uchar* report, int size, Frame* out) {
    if (size < 1 || report[0] != kTag) return ParseResult::BadTag;
    if (size < kHeaderSize) return ParseResult::Truncated;
    out->order = report[1];
    out->frame = report[2];
    out->total = report[3];
    out->length = report[5];
    if (out->length > size - kHeaderSize) return ParseResult::LengthTooLarge;
    out->data = QByteArray(reinterpret_cast<const char*>(report) + kHeaderSize, out->length);
    return ParseResult::Ok;
}

}  // namespace UsbProtocol
