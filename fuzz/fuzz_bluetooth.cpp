// Bluetooth: GATT notifications joined into frames (BLE) and the RFCOMM
// byte stream cut into frames (classic), the way the two transports call the
// rules. Input: first byte picks the transport and the frame length, then
// pieces, each a length byte and its bytes.
//
// Checks: the pending buffer never grows past one frame; a frame is handed
// on only with all the bytes its length names, exactly as they arrived; the
// stream loses no byte it was given (each is in a frame, skipped, dropped as
// a bad start, or still waiting) and never loops without taking any.

#include "bluetooth/bluetoothrules.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/fuzzsupport.h"

namespace {

using UsbProtocol::Frame;
using UsbProtocol::kHeaderSize;
using UsbProtocol::kTag;
using UsbProtocol::ParseResult;

void checkFrame(const Frame& frame, const QByteArray& whole, int frameLength) {
    FuzzSupport::require(frame.length <= frameLength - kHeaderSize, "frame longer than the link's");
    FuzzSupport::require(frame.data.size() == frame.length, "payload size differs from its length");
    FuzzSupport::require(whole.size() >= kHeaderSize + frame.length,
                         "frame delivered before it was in");
    FuzzSupport::require(uchar(whole.at(0)) == kTag && uchar(whole.at(1)) == frame.order &&
                             uchar(whole.at(2)) == frame.frame && uchar(whole.at(3)) == frame.total,
                         "header fields moved");
    FuzzSupport::require(whole.mid(kHeaderSize, frame.length) == frame.data, "payload bytes moved");
}

void lowEnergy(FuzzInput& in, int frameLength) {
    QByteArray pending;
    QByteArray started;  // what the frame being joined received, uncut
    while (!in.atEnd()) {
        const QByteArray value = in.bytes(in.byte() % 245);  // MTU up to 247
        const bool fresh = pending.isEmpty();
        Frame frame;
        const ParseResult r =
            BluetoothRules::joinNotification(&pending, value, frameLength, &frame);
        FuzzSupport::require(pending.size() <= frameLength, "pending frame longer than a frame");
        if (fresh) started.clear();
        started.append(value);
        switch (r) {
            case ParseResult::Ok:
                checkFrame(frame, started, frameLength);
                FuzzSupport::require(pending.isEmpty(), "a delivered frame left bytes pending");
                started.clear();
                break;
            case ParseResult::BadTag:
                FuzzSupport::require(fresh && pending.isEmpty(),
                                     "a started frame was dropped as BadTag");
                started.clear();
                break;
            case ParseResult::LengthTooLarge:
                FuzzSupport::require(pending.isEmpty(), "an oversized frame stayed pending");
                started.clear();
                break;
            case ParseResult::Truncated:
                FuzzSupport::require(!pending.isEmpty() && uchar(pending.at(0)) == kTag,
                                     "waiting on a frame that does not start with the tag");
                break;
        }
    }
}

void classic(FuzzInput& in, int frameLength) {
    QByteArray buffer;
    qint64 given = 0;
    qint64 accounted = 0;
    while (!in.atEnd()) {
        const QByteArray piece = in.bytes(in.byte());
        buffer.append(piece);
        given += piece.size();
        for (int rounds = 0;; ++rounds) {
            FuzzSupport::require(rounds <= given + 1, "the stream loops without taking bytes");
            const QByteArray before = buffer;
            Frame frame;
            QByteArray skipped;
            const ParseResult r =
                BluetoothRules::takeStreamFrame(&buffer, frameLength, &frame, &skipped);
            FuzzSupport::require(before.startsWith(skipped),
                                 "skipped bytes are not the buffer's start");
            accounted += skipped.size();
            if (r == ParseResult::Ok) {
                const QByteArray whole = before.mid(skipped.size());
                checkFrame(frame, whole, frameLength);
                accounted += kHeaderSize + frame.length;
                FuzzSupport::require(buffer == whole.mid(kHeaderSize + frame.length),
                                     "bytes after a frame were lost");
                continue;
            }
            if (r == ParseResult::LengthTooLarge) {
                FuzzSupport::require(buffer == before.mid(skipped.size() + 1),
                                     "a bad frame start took more than its tag");
                accounted += 1;
                continue;
            }
            if (r == ParseResult::Truncated)
                FuzzSupport::require(
                    !buffer.isEmpty() && uchar(buffer.at(0)) == kTag &&
                        buffer.size() <
                            qMax(kHeaderSize,
                                 kHeaderSize + uchar(buffer.size() > 5 ? buffer.at(5) : 0)),
                    "waiting with a whole frame in the buffer");
            else
                FuzzSupport::require(buffer.isEmpty(), "no tag, yet bytes kept");
            break;
        }
        FuzzSupport::require(accounted + buffer.size() == given, "the stream lost or made bytes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    FuzzInput in(data, size);
    const uchar mode = in.byte();
    // The link carries 64-byte frames; 128 checks the rules do not assume it.
    const int frameLength = mode & 2 ? 128 : 64;
    if (mode & 1)
        classic(in, frameLength);
    else
        lowEnergy(in, frameLength);
    return 0;
}
