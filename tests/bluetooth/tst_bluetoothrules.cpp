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
    QByteArray pending;
    QCOMPARE(joinNotification(&pending, frame(0x81, "\x01\x02\x03"), 64, &out), ParseResult::Ok);
    QCOMPARE(out.order, uchar(0x81));
    QCOMPARE(out.data, QByteArray("\x01\x02\x03"));
    QVERIFY(pending.isEmpty());
    // A message shorter than its length byte claims is never zero-padded
    // into a frame: it waits for the rest, which the next pieces bring.
    const QByteArray whole = frame(0x81, QByteArray("\x05\x06\x07", 3)).left(9);
    QCOMPARE(joinNotification(&pending, whole.left(7), 64, &out), ParseResult::Truncated);
    QCOMPARE(joinNotification(&pending, whole.mid(7, 1), 64, &out), ParseResult::Truncated);
    QCOMPARE(joinNotification(&pending, whole.mid(8) + QByteArray(11, '\0'), 64, &out),
             ParseResult::Ok);
    QCOMPARE(out.data, QByteArray("\x05\x06\x07", 3));
    // A 64-byte frame in the pieces of an MTU of 23, header and all.
    QByteArray big(58, '\0');
    for (int i = 0; i < big.size(); ++i) big[i] = char(i + 1);
    const QList<QByteArray> parts = pieces(frame(0x82, big), 23);
    for (int i = 0; i < parts.size(); ++i)
        QCOMPARE(joinNotification(&pending, parts[i], 64, &out),
                 i + 1 < parts.size() ? ParseResult::Truncated : ParseResult::Ok);
    QCOMPARE(out.data, big);
    // A message longer than the frame is cut to the frame.
    QCOMPARE(joinNotification(&pending, frame(0x81, QByteArray(58, 'x')) + "tail", 64, &out),
             ParseResult::Ok);
    QCOMPARE(out.data, QByteArray(58, 'x'));

    // A message that starts no frame is dropped, also while nothing is pending.
    QCOMPARE(joinNotification(&pending, QByteArray("\x00\x81\x01\x01\x00\x02", 6), 64, &out),
             ParseResult::BadTag);
    QVERIFY(pending.isEmpty());
    // A length byte beyond what the frame holds after its header.
    QByteArray overlong = frame(0x81, "\x01");
    overlong[5] = char(59);
    QCOMPARE(joinNotification(&pending, overlong, 64, &out), ParseResult::LengthTooLarge);
    QVERIFY(pending.isEmpty());
    overlong[5] = char(0xFF);
    QCOMPARE(joinNotification(&pending, overlong.left(20), 64, &out), ParseResult::LengthTooLarge);
    QVERIFY(pending.isEmpty());
    // Pieces never pile up beyond one frame.
    QByteArray partial = frame(0x81, QByteArray(58, 'y')).left(20);
    QCOMPARE(joinNotification(&pending, partial, 64, &out), ParseResult::Truncated);
    QCOMPARE(joinNotification(&pending, QByteArray(200, 'z'), 64, &out), ParseResult::Ok);
    QCOMPARE(out.data, QByteArray(14, 'y') + QByteArray(44, 'z'));
    QVERIFY(pending.isEmpty());
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
