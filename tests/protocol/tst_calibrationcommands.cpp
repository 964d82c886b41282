// Calibration commands, the calibration report stream and firmware blocks
// sent through the command engine.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "link/usbprotocol.h"
#include "support/enginerig.h"
#include "support/testsupport.h"

using namespace UsbProtocol;
using testsupport::framesWritten;
using testsupport::requests;
using testsupport::ScriptRig;
using testsupport::SimRig;
using testsupport::waitFor;

class TestCalibrationCommands : public QObject {
    Q_OBJECT
private slots:
    void calibrationStateSignalsOnceWithAllKeys_data();
    void calibrationStateSignalsOnceWithAllKeys();
    void reportFramesAndSwitchAnswers();
    void reportStreamOnTheKeyboard();
    void lateSwitchAnswerKeepsAnotherCommandsRetry();
    void saveCalibration();
    void firmwareBlocksExactBytes();
    void firmwareErrorStatusIsSentAgain();
};

void TestCalibrationCommands::calibrationStateSignalsOnceWithAllKeys_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("frames");
    QTest::newRow("128-byte channel") << 128 << 2;
    QTest::newRow("64-byte channel") << 64 << 3;
}

void TestCalibrationCommands::calibrationStateSignalsOnceWithAllKeys() {
    QFETCH(int, channel);
    QFETCH(int, frames);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    // 150 keys: 58 + 58 + 34 on a 64-byte channel, 122 + 28 on 128.
    QVector<quint8>& calibrated = rig.sim.keyboard().state().calibrated;
    calibrated.resize(150);
    for (int k = 0; k < 150; ++k) calibrated[k] = k % 3 == 0 ? 0 : 1;
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_get_calibration_state);
    rig.engine->getCalibrationState(SourceAlign, true);
    QVERIFY(waitFor(spy, 1));
    QTest::qWait(30);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<uchar>(), uchar(SourceAlign));
    QCOMPARE(spy.at(0).at(1).toInt(), frames);
    QCOMPARE(spy.at(0).at(2).toInt(), frames);
    const auto map = spy.at(0).at(3).value<QMap<uchar, uchar>>();
    QCOMPARE(map.size(), 150);
    for (int k = 0; k < 150; ++k) QCOMPARE(map.value(uchar(k)), uchar(k % 3 == 0 ? 0 : 1));
    QList<int> expected;
    for (int f = 1; f <= frames; ++f) expected.append(f);
    QCOMPARE(framesWritten(rig.sim.writtenReports(), 0x52), expected);
    QCOMPARE(rig.engine->stagedCalibrationState().size(), 150);
}

void TestCalibrationCommands::reportFramesAndSwitchAnswers() {
    ScriptRig rig(128);
    QVERIFY(rig.ok);
    QSignalSpy reports(rig.engine.data(), &UsbCommunicateUtil::usb_receive_report_calibration);
    QSignalSpy switched(rig.engine.data(),
                        &UsbCommunicateUtil::usb_receive_report_calibration_switch);
    rig.expect(0x53, 1, 1, bytes({1}), {rig.frame(0xD3, 1, 1, bytes({1}))});
    rig.engine->setReportCalibration(SourceAlign, true, 1);
    QVERIFY(waitFor(switched, 1));
    QCOMPARE(switched.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceAlign)), 1, 1,
                                              QVariant::fromValue(uchar(1))}));

    // Length 8: two entries; byte 0 of each is ignored.
    rig.hid.push(rig.frame(0xD3, 1, 1, bytes({7, 10, 0x2C, 0x01, 7, 11, 5, 0})));
    QVERIFY(waitFor(reports, 1));
    auto list = reports.at(0).at(3).value<QList<QSharedPointer<KEYBOARD_ALIGN_INFO>>>();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(0)->keyItem, uchar(10));
    QCOMPARE(list.at(0)->value, quint16(300));
    QCOMPARE(list.at(1)->keyItem, uchar(11));
    QCOMPARE(list.at(1)->value, quint16(5));

    // A length-1 frame is a switch answer: the report list stays as it was.
    const AlignInfoList before = rig.engine->stagedAlignList();
    rig.hid.push(rig.frame(0xD3, 1, 1, bytes({0})));
    QVERIFY(waitFor(switched, 2));
    QCOMPARE(switched.at(1).at(3).value<uchar>(), uchar(0));
    QCOMPARE(rig.engine->stagedAlignList(), before);
    QCOMPARE(reports.count(), 1);

    // Each report replaces the list; a partial entry is not read.
    rig.hid.push(rig.frame(0xD3, 1, 1, bytes({0, 12, 1, 0, 0, 13})));
    QVERIFY(waitFor(reports, 2));
    list = reports.at(1).at(3).value<QList<QSharedPointer<KEYBOARD_ALIGN_INFO>>>();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.at(0)->keyItem, uchar(12));
    QCOMPARE(rig.engine->stagedAlignList().size(), 1);
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
}

void TestCalibrationCommands::reportStreamOnTheKeyboard() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    QSignalSpy reports(rig.engine.data(), &UsbCommunicateUtil::usb_receive_report_calibration);
    QSignalSpy switched(rig.engine.data(),
                        &UsbCommunicateUtil::usb_receive_report_calibration_switch);
    rig.engine->setReportCalibration(SourceAlign, true, 1);
    QVERIFY(waitFor(switched, 1));
    QVERIFY(waitFor(reports, 3));
    // The first key goes down step by step; never beyond the bottom.
    quint16 last = 0;
    int key = -1;
    for (const QList<QVariant>& r : reports) {
        const auto list = r.at(3).value<QList<QSharedPointer<KEYBOARD_ALIGN_INFO>>>();
        QCOMPARE(list.size(), 1);
        if (key < 0) key = list.at(0)->keyItem;
        QCOMPARE(int(list.at(0)->keyItem), key);
        QVERIFY(list.at(0)->value > last);
        QVERIFY(list.at(0)->value <= 400);
        last = list.at(0)->value;
        if (last == 400) break;
    }
    rig.engine->setReportCalibration(SourceAlign, true, 0);
    QVERIFY(waitFor(switched, 2));
    const int seen = reports.count();
    // Both switch answers stopped the answer timer: nothing is sent again,
    // and the stream has stopped.
    QTest::qWait(1150);
    QVERIFY(reports.count() <= seen + 1);
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x53);
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent.at(0).mid(6, 2), bytes({1, 1}));
    QCOMPARE(sent.at(1).mid(6, 2), bytes({1, 0}));
}

void TestCalibrationCommands::lateSwitchAnswerKeepsAnotherCommandsRetry() {
    ScriptRig rig(128);
    QVERIFY(rig.ok);
    rig.expect(0x5E, 1, 1, QByteArray());
    rig.expect(0x5E, 1, 1, QByteArray(), {rig.frame(0xDE, 1, 1, QByteArray(11, '\0'))});
    QSignalSpy switched(rig.engine.data(),
                        &UsbCommunicateUtil::usb_receive_report_calibration_switch);
    QSignalSpy param(rig.engine.data(), &UsbCommunicateUtil::usb_receive_whole_param);
    QElapsedTimer clock;
    clock.start();
    rig.engine->getWholeParam(SourcePerformance, true);
    rig.hid.push(rig.frame(0xD3, 1, 1, bytes({1})));
    QVERIFY(waitFor(switched, 1));
    // The unanswered read is still sent again when its time is up.
    QVERIFY(waitFor(param, 1, 2000));
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
}

void TestCalibrationCommands::saveCalibration() {
    {
        ScriptRig rig(64);
        QVERIFY(rig.ok);
        rig.expect(0x54, 1, 1, QByteArray(), {rig.frame(0xD4, 1, 1, QByteArray())});
        QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_save_calibration);
        rig.engine->saveCalibration(SourceAlign, true);
        QVERIFY(waitFor(spy, 1));
        QCOMPARE(spy.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceAlign)), 1, 1}));
        QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    }
    SimRig rig(128);
    QVERIFY(rig.ok);
    QVector<quint8>& calibrated = rig.sim.keyboard().state().calibrated;
    calibrated.fill(0);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_save_calibration);
    rig.engine->saveCalibration(SourceAlign, true);
    QVERIFY(waitFor(spy, 1));
    QVERIFY(!calibrated.isEmpty());
    QVERIFY(!calibrated.contains(0));
}

void TestCalibrationCommands::firmwareBlocksExactBytes() {
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    // The block number travels in the frame (low) and total (high) bytes.
    rig.expect(0x60, 0x02, 0x01, "ABCDE", {rig.frame(0xE0, 0x02, 0x01, bytes({0}))});
    QSignalSpy keyboard(rig.engine.data(),
                        &UsbCommunicateUtil::usb_receive_download_fireware_keyboard);
    rig.engine->downloadFirewareKeyboard(SourceOther, true, 0x0102, 5, "ABCDEFG");
    QVERIFY(waitFor(keyboard, 1));
    QCOMPARE(keyboard.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceOther)), 2, 1}));

    // A block is never longer than the payload of a frame.
    const QByteArray data(70, 'x');
    rig.expect(0x65, 0x07, 0x00, data.left(58), {rig.frame(0xE5, 0x07, 0x00, bytes({0}))});
    QSignalSpy fileData(rig.engine.data(), &UsbCommunicateUtil::usb_receive_download_fireware_data);
    rig.engine->downloadFirewareData(SourceOther, true, 7, 200, data);
    QVERIFY(waitFor(fileData, 1));

    // The end frame carries the second value first.
    rig.expect(0x63, 1, 1, QByteArray::fromHex("8877665544332211"),
               {rig.frame(0xE3, 1, 1, bytes({0}))});
    QSignalSpy end(rig.engine.data(),
                   &UsbCommunicateUtil::usb_receive_download_fireware_keyboard_end);
    rig.engine->downloadFirewareKeyboardEnd(SourceOther, true, 0x11223344, 0x55667788);
    QVERIFY(waitFor(end, 1));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
}

void TestCalibrationCommands::firmwareErrorStatusIsSentAgain() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    rig.sim.keyboard().failFirmwareBlocks(1);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_download_fireware_keyboard);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    QElapsedTimer clock;
    clock.start();
    rig.engine->downloadFirewareKeyboard(SourceOther, true, 1, 4, "\x01\x02\x03\x04");
    QVERIFY(waitFor(spy, 1, 2500));
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(framesWritten(rig.sim.writtenReports(), 0x60), (QList<int>{1, 1}));
    QCOMPARE(rig.sim.keyboard().firmwareImage(), QByteArray("\x01\x02\x03\x04"));
}

QTEST_GUILESS_MAIN(TestCalibrationCommands)
#include "tst_calibrationcommands.moc"
