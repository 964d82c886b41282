// Keyboard frames: reports as the receive thread reads them, cut by its
// parser and handed to the command engine while a command of any kind is in
// flight, on both channel sizes. Input: channel byte, then steps (start a
// command, deliver a report, let the answer time out, fail writes).
//
// Checks besides the sanitizers: the parser never takes payload from beyond
// the report; every report the engine writes is one well-formed frame; one
// answer makes the engine send at most one frame; every request ends at most
// once; staged answers hold only what the frames carried.

#include <QMap>
#include <QScopedPointer>
#include <QTimer>

#include "fuzz/framescript.h"
#include "fuzz/fuzzhidbackend.h"
#include "fuzz/fuzzinput.h"
#include "fuzz/fuzzsupport.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"

namespace {

using namespace UsbProtocol;

// A report as the device gives it: some answer code that is in flight or
// near it, a header and a payload, cut at any length.
void deliverReport(UsbCommunicateUtil& e, FuzzInput& in, int frameSize) {
    const int size = in.byte() % (frameSize + 2);
    const QByteArray report = in.bytes(size_t(size));
    Frame frame;
    const ParseResult r =
        parseFrame(reinterpret_cast<const uchar*>(report.constData()), int(report.size()), &frame);
    if (r != ParseResult::Ok) return;
    FuzzSupport::require(frame.data.size() == frame.length, "payload size differs from its length");
    FuzzSupport::require(kHeaderSize + frame.length <= report.size(), "payload beyond the report");
    FuzzSupport::require(frame.data == report.mid(kHeaderSize, frame.length), "payload moved");
    e.usb_receive_data(frame.order, frame.frame, frame.total, frame.length, frame.data);
}

void checkStaged(const UsbCommunicateUtil& e) {
    for (const ConfigTableEntryPtr& c : e.stagedConfigList())
        FuzzSupport::require(c->configName.toUtf8().size() <= 29, "table name beyond its slot");
    const KeyboardProductInfo& p = e.stagedProductInfo();
    FuzzSupport::require(p.customerName.toUtf8().size() <= 30 &&
                             p.productName.toUtf8().size() <= 20 && p.logoName.toUtf8().size() <= 8,
                         "product text beyond its slot");
    for (const EffectNamePtr& n : e.stagedEffectName())
        FuzzSupport::require(n->name.toUtf8().size() <= gUsbDataMaxsize,
                             "effect name beyond a frame");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    FuzzInput in(data, size);
    const int frameSize = in.byte() & 1 ? 64 : 128;
    FuzzHidBackend hid(frameSize);
    QScopedPointer<UsbCommunicateUtil> engine(new UsbCommunicateUtil(nullptr, &hid));
    engine->openCommunicate(0);
    FuzzSupport::require(engine->isConnected() && gUsbFrameMaxsize == frameSize,
                         "the fake interface did not open with its frame size");

    const QTimer* timer = engine->findChild<QTimer*>();
    FuzzSupport::require(timer, "the engine has no answer timer");
    // Ends per request; each request gets a source of its own.
    QMap<uchar, int> ends;
    QObject::connect(engine.data(), &UsbCommunicateUtil::usb_request_done, engine.data(),
                     [&](uchar source, uchar) { ++ends[source]; });
    QObject::connect(engine.data(), &UsbCommunicateUtil::usb_communicate_error, engine.data(),
                     [&](uchar source, uchar, int) {
                         if (source) ++ends[source];
                     });
    uchar source = 0;
    for (int steps = 0; !in.atEnd() && steps < 64; ++steps) {
        const qsizetype before = hid.written().size();
        switch (in.byte() % 8) {
            case 0:
            case 1:
                source = uchar(source % 250 + 1);
                FrameScript::startCommand(*engine, in, source);
                break;
            case 5:
                // Only a running answer timer can fire.
                if (timer->isActive()) engine->onCommunicateTimeout();
                break;
            case 6:
                hid.failWrites(in.byte() & 1);
                break;
            case 7:
                FuzzSupport::processEvents();
                break;
            default:
                deliverReport(*engine, in, frameSize);
                FuzzSupport::require(hid.written().size() - before <= 1,
                                     "one answer sent more than one frame");
                break;
        }
        checkStaged(*engine);
    }
    engine->closeCommunicate();
    FuzzSupport::processEvents();
    for (auto it = ends.cbegin(); it != ends.cend(); ++it)
        FuzzSupport::require(it.value() <= 1, "a request ended more than once");
    // The staging buffers can be taken by the model whatever arrived.
    KeyboardConfigUtil model;
    engine->commitProductInfo(&model);
    engine->commitConfigInfo(&model);
    engine->commitWholeParam(&model);
    engine->commitCustomLight(&model);
    engine->commitEffectLight(&model);
    engine->commitEffectName(&model);
    engine->commitKeyboardConfig(&model, 0);
    engine->commitKeyboardConfig(&model, 1);
    engine->commitHighKey(&model);
    for (uchar i = 0; i < 10; ++i) engine->commitMacro(&model, i);
    engine->commitTriggerConfig(&model);
    return 0;
}
