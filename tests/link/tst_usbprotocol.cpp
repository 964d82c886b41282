#include <QTest>

#include "link/usbprotocol.h"

using namespace UsbProtocol;

class TestUsbProtocol : public QObject {
    Q_OBJECT
private slots:
    void splitting_data();
    void splitting();
    void lastFrameShare();
    void buildFrameLayout();
    void parseRefusesWhatTheReportDoesNotHold();
    void hexIsTwoUpperCaseDigits();
};

void TestUsbProtocol::splitting_data() {
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("dataMax");
    QTest::addColumn<int>("perFrame");
    QTest::newRow("key map, 128") << int(SetKeyboardConfig) << 122 << 40;
    QTest::newRow("key map, 64") << int(SetKeyboardConfig) << 58 << 18;
    QTest::newRow("high keys, 128") << int(SetHighKey) << 122 << 6;
    QTest::newRow("high keys, 64") << int(SetHighKey) << 58 << 3;
    QTest::newRow("macro, 64") << int(SetMacroConfig) << 58 << 9;
    QTest::newRow("custom light keys, 64") << int(SetCustomLight) << 58 << 54;
    QTest::newRow("custom light all") << int(SetCustomLightAll) << 122 << 30;
    QTest::newRow("effects") << int(SetEffectLightAll) << 122 << 15;
    QTest::newRow("default keys") << int(SetKeyboardDefault) << 58 << 57;
    QTest::newRow("trigger keys") << int(SetTriggerConfig) << 58 << 56;
    QTest::newRow("quick triggers") << int(SetQuickTriggerConfig) << 58 << 7;
    QTest::newRow("triggers all") << int(SetTriggerConfigAll) << 58 << 7;
    QTest::newRow("a read is not split") << int(GetKeyboardConfig) << 122 << 0;
}

void TestUsbProtocol::splitting() {
    QFETCH(int, request);
    QFETCH(int, dataMax);
    QFETCH(int, perFrame);
    QCOMPARE(itemsPerFrame(uchar(request), dataMax), perFrame);
}

void TestUsbProtocol::lastFrameShare() {
    // 100 keys on a 64-byte channel: five frames of 18, the last of 10.
    QCOMPARE(framesFor(100, 18), 6);
    QCOMPARE(itemsInFrame(1, 6, 100, 18), 18);
    QCOMPARE(itemsInFrame(6, 6, 100, 18), 10);
    // An exact multiple has no empty last frame.
    QCOMPARE(framesFor(36, 18), 2);
    QCOMPARE(itemsInFrame(2, 2, 36, 18), 18);
    // 130 keys of SetCustomLight on 64 bytes: 54, 54, 22.
    QCOMPARE(framesFor(130, 54), 3);
    QCOMPARE(itemsInFrame(3, 3, 130, 54), 22);
    // 25 macro events on 64 bytes: 9, 9, 7.
    QCOMPARE(framesFor(25, 9), 3);
    QCOMPARE(itemsInFrame(3, 3, 25, 9), 7);
}

void TestUsbProtocol::buildFrameLayout() {
    const QByteArray f = buildFrame(0x2A, 2, 3, bytes({1}), 64);
    QCOMPARE(f.size(), 64);
    QCOMPARE(f.left(7), bytes({0xFA, 0x2A, 2, 3, 0, 1, 1}));
    QCOMPARE(f.mid(7), QByteArray(57, '\0'));
    // A payload larger than the frame is cut, never written past it.
    const QByteArray big = buildFrame(0x20, 1, 1, QByteArray(200, 'x'), 64);
    QCOMPARE(big.size(), 64);
    QCOMPARE(uchar(big.at(5)), uchar(58));
}

void TestUsbProtocol::parseRefusesWhatTheReportDoesNotHold() {
    Frame frame;
    QByteArray report = buildFrame(0xAA, 1, 1, bytes({0, 0, 1, 4, 0}), 64);
    QCOMPARE(parseFrame(reinterpret_cast<const uchar*>(report.constData()), 64, &frame),
             ParseResult::Ok);
    QCOMPARE(frame.order, uchar(0xAA));
    QCOMPARE(frame.data, bytes({0, 0, 1, 4, 0}));

    // A length byte beyond the report is refused, not read past the end.
    report[5] = char(200);
    QCOMPARE(parseFrame(reinterpret_cast<const uchar*>(report.constData()), 64, &frame),
             ParseResult::LengthTooLarge);
    report[5] = char(59);
    QCOMPARE(parseFrame(reinterpret_cast<const uchar*>(report.constData()), 64, &frame),
             ParseResult::LengthTooLarge);
    report[5] = char(58);
    QCOMPARE(parseFrame(reinterpret_cast<const uchar*>(report.constData()), 64, &frame),
             ParseResult::Ok);
    QCOMPARE(frame.data.size(), 58);

    // A report ID the platform did not strip is a bad tag.
    const QByteArray withId = QByteArray(1, '\0') + report;
    QCOMPARE(parseFrame(reinterpret_cast<const uchar*>(withId.constData()), 65, &frame),
             ParseResult::BadTag);
    QCOMPARE(parseFrame(reinterpret_cast<const uchar*>(report.constData()), 4, &frame),
             ParseResult::Truncated);

    // Length 0 is a valid empty payload.
    const QByteArray empty = buildFrame(0xE2, 1, 1, QByteArray(), 128);
    QCOMPARE(parseFrame(reinterpret_cast<const uchar*>(empty.constData()), 128, &frame),
             ParseResult::Ok);
    QVERIFY(frame.data.isEmpty());
}

void TestUsbProtocol::hexIsTwoUpperCaseDigits() {
    QCOMPARE(hex(4), QStringLiteral("0X04"));
    QCOMPARE(hex(0xaa), QStringLiteral("0XAA"));
}

QTEST_GUILESS_MAIN(TestUsbProtocol)
#include "tst_usbprotocol.moc"
