// Keyboard choice, GATT write pieces and the turning of received bytes into
// frames: the parts of the Bluetooth link that need no radio.
#include <QTest>

#include "bluetooth/bluetoothrules.h"
#include "fakebluetooth.h"
#include "link/usbprotocol.h"

using namespace BluetoothRules;
using UsbProtocol::ParseResult;

namespace {
const QBluetoothAddress kA(QStringLiteral("11:22:33:44:55:66"));
const QBluetoothAddress kB(QStringLiteral("11:22:33:44:55:77"));

QByteArray frame(uchar order, const QByteArray& payload, int size = 64) {
    return UsbProtocol::buildFrame(order, 1, 1, payload, size);
}
}  // namespace

class TestBluetoothRules : public QObject {
    Q_OBJECT
private slots:
    void keyboardChoice();
    void piecesFollowTheMtu();
    void messagesBecomeFrames();
    void streamFramesSurviveAnyCut();
    void streamDropsOverlongLengthAndResynchronises();
};

void TestBluetoothRules::keyboardChoice() {
    const QList<QBluetoothAddress> connected{kA};
    QVERIFY(isKeyboard(fakebt::device(kA.toString(), "QMX_75", true), connected));
    // Case-sensitive prefix, and only devices the system has connected.
    QVERIFY(!isKeyboard(fakebt::device(kA.toString(), "qmx_75", true), connected));
    QVERIFY(!isKeyboard(fakebt::device(kA.toString(), "My QMX_75", true), connected));
    QVERIFY(!isKeyboard(fakebt::device(kB.toString(), "QMX_75", true), connected));
    QVERIFY(!isKeyboard(QBluetoothDeviceInfo(), connected));

    const QList<QBluetoothDeviceInfo> seen{fakebt::device(kB.toString(), "QMX_other", true),
                                           fakebt::device(kA.toString(), "QMX_dual", true)};
    QCOMPARE(chooseKeyboard(seen, connected).address(), kA);
    QVERIFY(!chooseKeyboard(seen, {}).isValid());

    // A dual-mode keyboard (classic and LE) goes over BLE.
    QBluetoothDeviceInfo dual = fakebt::device(kA.toString(), "QMX_dual", false);
    QVERIFY(!prefersLowEnergy(dual));
    dual.setCoreConfigurations(QBluetoothDeviceInfo::BaseRateAndLowEnergyCoreConfiguration);
    QVERIFY(prefersLowEnergy(dual));
}

void TestBluetoothRules::piecesFollowTheMtu() {
    QByteArray f(64, '\0');
    for (int i = 0; i < f.size(); ++i) f[i] = char(i);
    QList<int> sizes;
    const QList<QByteArray> small = pieces(f, 23);
    for (const QByteArray& p : small) sizes.append(int(p.size()));
    QCOMPARE(sizes, (QList<int>{20, 20, 20, 4}));
    QCOMPARE(small.join(), f);
    QCOMPARE(pieces(f, 247), QList<QByteArray>{f});
    // An unknown or tiny MTU still writes 20 bytes at a time.
    QCOMPARE(maxPayload(0), 20);
    QCOMPARE(maxPayload(23), 20);
    QCOMPARE(maxPayload(24), 21);
    QCOMPARE(pieces(f, 67).size(), 1);
    QCOMPARE(pieces(f, 66).size(), 2);
}

void TestBluetoothRules::messagesBecomeFrames() {
    UsbProtocol::Frame out;
    QCOMPARE(decodeMessage(frame(0x81, "\x01\x02\x03"), 64, &out), ParseResult::Ok);
    QCOMPARE(out.order, uchar(0x81));
    QCOMPARE(out.data, QByteArray("\x01\x02\x03"));
    // A short message is zero-padded: the payload may end in zeros.
    QByteArray shortOne = frame(0x81, "\x05\x06").left(7);
    QCOMPARE(decodeMessage(shortOne, 64, &out), ParseResult::Ok);
    QCOMPARE(out.data, QByteArray("\x05\x00", 2));
    // A message longer than the frame is cut to the frame.
    QCOMPARE(decodeMessage(frame(0x81, QByteArray(58, 'x')) + "tail", 64, &out), ParseResult::Ok);
    QCOMPARE(out.data, QByteArray(58, 'x'));

    QCOMPARE(decodeMessage(QByteArray("\x00\x81\x01\x01\x00\x02", 6), 64, &out),
             ParseResult::BadTag);
    // A length byte beyond what the frame holds after its header.
    QByteArray overlong = frame(0x81, "\x01");
    overlong[5] = char(59);
    QCOMPARE(decodeMessage(overlong, 64, &out), ParseResult::LengthTooLarge);
    overlong[5] = char(0xFF);
    QCOMPARE(decodeMessage(overlong, 64, &out), ParseResult::LengthTooLarge);
}

void TestBluetoothRules::streamFramesSurviveAnyCut() {
    const QByteArray a = frame(0x81, "\x01\x02\x03");
    const QByteArray b = frame(0xF1, QByteArray("\x00\x02\x07", 3));
    const QByteArray shortC = frame(0x82, "\x09").left(7);  // a peer that sends no padding
    const QByteArray stream = a + b + shortC + a;
    for (int cut = 1; cut < stream.size(); cut += 5) {
        QByteArray buffer;
        QList<uchar> orders;
        for (int at = 0; at < stream.size(); at += cut) {
            buffer += stream.mid(at, cut);
            UsbProtocol::Frame out;
            QByteArray skipped;
            ParseResult r;
            while ((r = takeStreamFrame(&buffer, 64, &out, &skipped)) == ParseResult::Ok) {
                orders.append(out.order);
                if (out.order == 0xF1) QCOMPARE(out.data, QByteArray("\x00\x02\x07", 3));
            }
            QCOMPARE(skipped.count('\0'), skipped.size());
        }
        QCOMPARE(orders, (QList<uchar>{0x81, 0xF1, 0x82, 0x81}));
    }
}

void TestBluetoothRules::streamDropsOverlongLengthAndResynchronises() {
    QByteArray bad = frame(0x81, "\x01");
    bad[5] = char(200);
    QByteArray buffer = QByteArray("\x11\x22") + bad + frame(0x83, "\x04");
    UsbProtocol::Frame out;
    QByteArray skipped;
    QCOMPARE(takeStreamFrame(&buffer, 64, &out, &skipped), ParseResult::LengthTooLarge);
    QCOMPARE(skipped, QByteArray("\x11\x22"));
    QCOMPARE(takeStreamFrame(&buffer, 64, &out, &skipped), ParseResult::Ok);
    QCOMPARE(out.order, uchar(0x83));
    QVERIFY(skipped.contains('\x81'));  // the rest of the bad frame
    QCOMPARE(takeStreamFrame(&buffer, 64, &out, &skipped), ParseResult::BadTag);
    QVERIFY(buffer.isEmpty());
}

QTEST_GUILESS_MAIN(TestBluetoothRules)
#include "tst_bluetoothrules.moc"
