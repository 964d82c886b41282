#include "support/enginerig.h"

#include <QSignalSpy>
#include <QTest>

#include "link/usbprotocol.h"

namespace testsupport {

void channelRows() {
    QTest::addColumn<int>("channel");
    QTest::newRow("128-byte channel") << 128;
    QTest::newRow("64-byte channel") << 64;
}

SimRig::SimRig(int channel) {
    sim.setInterfaces(channel == 64 ? SimHidBackend::Interfaces::Only64
                                    : SimHidBackend::Interfaces::Both);
    engine.reset(new UsbCommunicateUtil(nullptr, &sim));
    QSignalSpy up(engine.data(), &UsbCommunicateUtil::protocol_device_connected);
    engine->openCommunicate(0);
    ok = up.count() == 1 && gUsbFrameMaxsize == channel;
    engine->communicateDevice();
}

SimRig::~SimRig() {
    engine->closeCommunicate();
}

ScriptRig::ScriptRig(int channelSize)
    : channel(channelSize),
      hid(channelSize == 64 ? 0xFF02 : 0xFF00, channelSize == 64 ? 0x0002 : 0x0001) {
    engine.reset(new UsbCommunicateUtil(nullptr, &hid));
    QSignalSpy up(engine.data(), &UsbCommunicateUtil::protocol_device_connected);
    engine->openCommunicate(0);
    ok = up.count() == 1 && gUsbFrameMaxsize == channel;
    engine->communicateDevice();
}

ScriptRig::~ScriptRig() {
    engine->closeCommunicate();
}

QByteArray ScriptRig::frame(uchar order, uchar index, uchar total,
                            const QByteArray& payload) const {
    return UsbProtocol::buildFrame(order, index, total, payload, channel);
}

void ScriptRig::expect(uchar order, uchar index, uchar total, const QByteArray& payload,
                       const QList<QByteArray>& answers) {
    hid.expect(QByteArray(1, '\0') + frame(order, index, total, payload), answers);
}

QString ScriptRig::problems() const {
    QStringList all = hid.mismatches();
    if (!hid.allConsumed()) all.append(QStringLiteral("script not used up"));
    return all.join(QLatin1Char('\n'));
}

}  // namespace testsupport
