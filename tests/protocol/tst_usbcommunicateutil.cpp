// The command engine against the simulated keyboard (both channel sizes),
// the scripted fake (exact bytes) and a fake Bluetooth link.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/scriptedhidbackend.h"
#include "sim/simhidbackend.h"
#include "support/fakebluetoothlink.h"
#include "support/testsupport.h"

using namespace UsbProtocol;
using testsupport::framesWritten;
using testsupport::waitFor;

namespace {
// An engine on a simulated keyboard with the receive thread running.
struct Rig {
    explicit Rig(int channel) {
        sim.setInterfaces(channel == 64 ? SimHidBackend::Interfaces::Only64
                                        : SimHidBackend::Interfaces::Both);
        engine.reset(new UsbCommunicateUtil(nullptr, &sim));
        QSignalSpy up(engine.data(), &UsbCommunicateUtil::protocol_device_connected);
        engine->openCommunicate(0);
        ok = up.count() == 1 && gUsbFrameMaxsize == channel;
        engine->communicateDevice();
    }
    ~Rig() { engine->closeCommunicate(); }
    SimHidBackend sim;
    QScopedPointer<UsbCommunicateUtil> engine;
    bool ok = false;
};

int keyFrames(int keys) {
    return (keys - 1) / ((gUsbDataMaxsize - 2) / 3) + 1;
}
}  // namespace

class TestUsbCommunicateUtil : public QObject {
    Q_OBJECT
private slots:
    void channels_data();
    void multiFrameReadAsksForEveryFrame_data() { channels_data(); }
    void multiFrameReadAsksForEveryFrame();
    void productInfoAndTablesOnBothLayouts_data() { channels_data(); }
    void productInfoAndTablesOnBothLayouts();
    void everyUsbWriteIsAFrameAndAReportId_data() { channels_data(); }
    void everyUsbWriteIsAFrameAndAReportId();
    void lostAnswerIsSentThreeTimesThenAbandoned_data() { channels_data(); }
    void lostAnswerIsSentThreeTimesThenAbandoned();
    void answerWithAnotherCodeIsIgnoredAndTimerStillFires();
    void otherLayerAnswerActsAsTimeout();
    void noTimeoutWithoutWaitingForAnswer();
    void badLayerAndMacroIndexSendNothing();
    void failingWriteReportsOnceWithoutTimer();
    void everyRequestEndsOnceWithItsOwnSourceAndOrder();
    void unplugEndsTheRequestAndReportsTheLinkLost();
    void notificationInTheMiddleOfATransfer_data() { channels_data(); }
    void notificationInTheMiddleOfATransfer();
    void multiFrameWriteRoundTrip_data() { channels_data(); }
    void multiFrameWriteRoundTrip();
    void emptyWriteCompletesAtOnce();
    void acceptedWritesCommitWhatWasSent();
    void notOpenedDevice();
    void exactBytesAgainstScript();
    void bluetoothFramesHaveNoReportId();
    void keyedWritesWithGapsKeepEveryValueAtItsKey_data();
    void keyedWritesWithGapsKeepEveryValueAtItsKey();
};

void TestUsbCommunicateUtil::channels_data() {
    QTest::addColumn<int>("channel");
    QTest::newRow("128-byte channel") << 128;
    QTest::newRow("64-byte channel") << 64;
}

void TestUsbCommunicateUtil::multiFrameReadAsksForEveryFrame() {
    QFETCH(int, channel);
    Rig rig(channel);
    QVERIFY(rig.ok);
    const int keys = rig.sim.keyboard().state().keyCount;
    const int frames = keyFrames(keys);
    QVERIFY(frames >= 3);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_keyboard_config);
    rig.sim.clearWrittenReports();
    rig.engine->getKeyboardConfig(SourceKeySet, true, 1);
    QVERIFY(waitFor(spy, frames));
    QTest::qWait(20);
    QCOMPARE(spy.count(), frames);
    for (int i = 0; i < frames; ++i) {
        QCOMPARE(spy.at(i).at(0).value<uchar>(), uchar(SourceKeySet));
        QCOMPARE(spy.at(i).at(1).toInt(), i + 1);
        QCOMPARE(spy.at(i).at(2).toInt(), frames);
        QCOMPARE(spy.at(i).at(3).value<uchar>(), uchar(1));
    }
    QList<int> expected;
    for (int i = 1; i <= frames; ++i) expected.append(i);
    QCOMPARE(framesWritten(rig.sim.writtenReports(), GetKeyboardConfig), expected);
    // Every key of the layer was staged with its own number.
    const KeyBindingMap& staged = rig.engine->stagedKeyMap(1);
    QCOMPARE(staged.size(), keys);
    const SimKey& f1 = rig.sim.keyboard().state().activeProfile()->layers[1][1];
    QCOMPARE(staged.value(1)->type, f1.type);
    QCOMPARE(staged.value(1)->lValue, f1.lValue);
    QCOMPARE(staged.value(1)->hValue, f1.hValue);
}

void TestUsbCommunicateUtil::productInfoAndTablesOnBothLayouts() {
    QFETCH(int, channel);
    Rig rig(channel);
    QVERIFY(rig.ok);
    QSignalSpy info(rig.engine.data(), &UsbCommunicateUtil::usb_receive_product_info);
    rig.engine->getProductInfo(SourceSync, true);
    QVERIFY(waitFor(info, 1));
    const SimKeyboardState& s = rig.sim.keyboard().state();
    const KeyboardProductInfo& p = rig.engine->stagedProductInfo();
    QCOMPARE(p.serialNumber, s.serialNumber);
    QCOMPARE(p.version, s.version);
    QCOMPARE(p.productName, s.productName);
    QCOMPARE(p.customerName, s.customerName.left(channel == 128 ? 30 : 18));
    QCOMPARE(p.logoName, s.logoName);

    QSignalSpy tables(rig.engine.data(), &UsbCommunicateUtil::usb_receive_config_info);
    rig.engine->getConfigInfo(SourceSync, true);
    QVERIFY(waitFor(tables, channel == 64 ? 3 : 1));
    QTest::qWait(20);
    QCOMPARE(tables.count(), channel == 64 ? 3 : 1);
    const ConfigTableList& list = rig.engine->stagedConfigList();
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.at(1)->index, uchar(1));
    QCOMPARE(list.at(1)->configName, s.profiles.at(1).name);
    QCOMPARE(rig.engine->stagedConfigIndex(), s.configIndex);
}

void TestUsbCommunicateUtil::everyUsbWriteIsAFrameAndAReportId() {
    QFETCH(int, channel);
    Rig rig(channel);
    QVERIFY(rig.ok);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_keyboard_config);
    rig.engine->getKeyboardConfig(SourceSync, true, 0);
    QVERIFY(waitFor(spy, keyFrames(rig.sim.keyboard().state().keyCount)));
    const QList<QByteArray> reports = rig.sim.writtenReports();
    QVERIFY(!reports.isEmpty());
    for (const QByteArray& r : reports) {
        QCOMPARE(r.size(), channel + 1);
        QCOMPARE(uchar(r.at(0)), uchar(0x00));
        QCOMPARE(uchar(r.at(1)), kTag);
        QCOMPARE(uchar(r.at(5)), uchar(0));
    }
}

void TestUsbCommunicateUtil::lostAnswerIsSentThreeTimesThenAbandoned() {
    QFETCH(int, channel);
    Rig rig(channel);
    QVERIFY(rig.ok);
    rig.sim.dropNextAnswers(100);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    QElapsedTimer clock;
    clock.start();
    rig.engine->getWholeParam(SourcePerformance, true);
    QVERIFY(waitFor(errors, 1, 5000));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 2900 && elapsed < 3600, qPrintable(QString::number(elapsed)));
    QCOMPARE(errors.at(0).at(0).value<uchar>(), uchar(SourcePerformance));
    QCOMPARE(errors.at(0).at(1).value<uchar>(), uchar(0xDE));
    QCOMPARE(errors.at(0).at(2).toInt(), int(ErrorNoAnswer));
    QCOMPARE(framesWritten(rig.sim.writtenReports(), GetWholeParam), (QList<int>{1, 1, 1}));
    // Nothing more once abandoned.
    QTest::qWait(1200);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(rig.sim.writeCount(), 3);
}

void TestUsbCommunicateUtil::answerWithAnotherCodeIsIgnoredAndTimerStillFires() {
    Rig rig(128);
    QVERIFY(rig.ok);
    rig.sim.answerWithOrder(0xD0, 1);  // the first answer pretends to be SetWholeParam's
    QSignalSpy answers(rig.engine.data(), &UsbCommunicateUtil::usb_receive_whole_param);
    QSignalSpy other(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_whole_param);
    QElapsedTimer clock;
    clock.start();
    rig.engine->getWholeParam(SourcePerformance, true);
    QVERIFY(waitFor(answers, 1, 2500));
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(other.count(), 0);
    QCOMPARE(framesWritten(rig.sim.writtenReports(), GetWholeParam), (QList<int>{1, 1}));
}

void TestUsbCommunicateUtil::otherLayerAnswerActsAsTimeout() {
    Rig rig(128);
    QVERIFY(rig.ok);
    rig.sim.answerOtherLayer(1);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_keyboard_config);
    rig.engine->getKeyboardConfig(SourceKeySet, true, 0);
    QVERIFY(waitFor(spy, keyFrames(rig.sim.keyboard().state().keyCount), 3000));
    // The wrong-layer first answer made the engine send frame 1 again at once.
    QCOMPARE(framesWritten(rig.sim.writtenReports(), GetKeyboardConfig).mid(0, 2),
             (QList<int>{1, 1}));

    // Without waiting for answers it is error -3 instead.
    rig.sim.clearWrittenReports();
    rig.sim.answerOtherLayer(1);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    rig.engine->getKeyboardConfig(SourceKeySet, false, 0);
    QVERIFY(waitFor(errors, 1, 1000));
    QCOMPARE(errors.at(0).at(2).toInt(), int(ErrorLayer));
    QCOMPARE(errors.at(0).at(1).value<uchar>(), uchar(0xAA));
}

void TestUsbCommunicateUtil::noTimeoutWithoutWaitingForAnswer() {
    Rig rig(64);
    QVERIFY(rig.ok);
    rig.sim.dropNextAnswers(10);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    rig.engine->getWholeParam(SourcePerformance, false);
    QTest::qWait(1300);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(rig.sim.writeCount(), 1);
}

void TestUsbCommunicateUtil::badLayerAndMacroIndexSendNothing() {
    Rig rig(128);
    QVERIFY(rig.ok);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    rig.engine->getKeyboardConfig(SourceKeySet, true, 2);
    rig.engine->getMacroConfig(SourceMacroSet, true, 10);
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceKeySet)),
                                            QVariant::fromValue(uchar(0xAA)), int(ErrorLayer)}));
    QCOMPARE(errors.at(1).at(1).value<uchar>(), uchar(0xC2));
    QCOMPARE(errors.at(1).at(2).toInt(), int(ErrorMacroIndex));
    QTest::qWait(1100);
    QCOMPARE(rig.sim.writeCount(), 0);
    QCOMPARE(errors.count(), 2);
}

void TestUsbCommunicateUtil::failingWriteReportsOnceWithoutTimer() {
    Rig rig(128);
    QVERIFY(rig.ok);
    rig.sim.setFailWrites(true);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    rig.engine->getProductInfo(SourceSync, true);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(1).value<uchar>(), uchar(0xE2));
    QCOMPARE(errors.at(0).at(2).toInt(), int(ErrorWrite));
    QTest::qWait(1200);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(rig.sim.writeCount(), 1);
}

void TestUsbCommunicateUtil::everyRequestEndsOnceWithItsOwnSourceAndOrder() {
    Rig rig(64);
    QVERIFY(rig.ok);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    QSignalSpy done(rig.engine.data(), &UsbCommunicateUtil::usb_request_done);
    auto ended = [](const QList<QVariant>& signal, uchar source, uchar order) {
        return signal.at(0).value<uchar>() == source && signal.at(1).value<uchar>() == order;
    };

    // A read of many frames ends once, after its last frame.
    QSignalSpy frames(rig.engine.data(), &UsbCommunicateUtil::usb_receive_keyboard_config);
    rig.engine->getKeyboardConfig(SourceKeySet, true, 0);
    QVERIFY(waitFor(done, 1));
    QCOMPARE(frames.count(), keyFrames(rig.sim.keyboard().state().keyCount));
    QVERIFY(ended(done.at(0), SourceKeySet, 0xAA));
    // A write with nothing to send ends at once.
    rig.engine->setKeyboardConfig(SourceKeySet, true, 1, QSharedPointer<KeyBindingMap>::create());
    QCOMPARE(done.count(), 2);

    // Superseded: the page's request ends with -6 once the other operation
    // has gone out; the new one is answered as usual.
    rig.sim.dropNextAnswers(1);
    rig.engine->getWholeParam(SourcePerformance, true);
    QTest::qWait(50);
    rig.engine->getProductInfo(SourceSync, true);
    QVERIFY(waitFor(errors, 1));
    QVERIFY(ended(errors.at(0), SourcePerformance, 0xDE));
    QCOMPARE(errors.at(0).at(2).toInt(), int(ErrorSuperseded));
    QVERIFY(waitFor(done, 3));
    QVERIFY(ended(done.at(2), SourceSync, 0xE2));

    // Closing the link ends the request that waits; later sends fail at once
    // instead of only being logged, and no time-out follows.
    rig.sim.setSilent(true);
    rig.engine->getWholeParam(SourceLightSet, true);
    rig.engine->closeCommunicate();
    QVERIFY(waitFor(errors, 2));
    QVERIFY(ended(errors.at(1), SourceLightSet, 0xDE));
    QCOMPARE(errors.at(1).at(2).toInt(), int(ErrorLinkClosed));
    rig.engine->getWholeParam(SourceMacroSet, true);
    QCOMPARE(errors.count(), 3);
    QVERIFY(ended(errors.at(2), SourceMacroSet, 0xDE));
    QCOMPARE(errors.at(2).at(2).toInt(), int(ErrorLinkClosed));
    QTest::qWait(1200);
    QCOMPARE(errors.count(), 3);
    QCOMPARE(done.count(), 3);
}

void TestUsbCommunicateUtil::unplugEndsTheRequestAndReportsTheLinkLost() {
    Rig rig(128);
    QVERIFY(rig.ok);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    QSignalSpy down(rig.engine.data(), &UsbCommunicateUtil::protocol_device_disconnected);
    rig.sim.setSilent(true);
    rig.engine->getWholeParam(SourcePerformance, true);
    rig.sim.unplug();
    // Reads fail at once now: the link is reported lost well before the
    // request's own three sends would have run out.
    QVERIFY(waitFor(down, 1, 2500));
    QVERIFY(waitFor(errors, 1, 500));
    QCOMPARE(errors.at(0).at(0).value<uchar>(), uchar(SourcePerformance));
    QCOMPARE(errors.at(0).at(2).toInt(), int(ErrorLinkClosed));
    QVERIFY(!rig.engine->isConnected());
    QTest::qWait(1500);
    QCOMPARE(errors.count(), 1);
}

void TestUsbCommunicateUtil::notificationInTheMiddleOfATransfer() {
    QFETCH(int, channel);
    Rig rig(channel);
    QVERIFY(rig.ok);
    rig.sim.notifyAfterNextAnswer(0, 0, 2);
    QSignalSpy keys(rig.engine.data(), &UsbCommunicateUtil::usb_receive_keyboard_config);
    QSignalSpy change(rig.engine.data(), &UsbCommunicateUtil::usb_receive_config_change);
    QSignalSpy wireless(rig.engine.data(),
                        &UsbCommunicateUtil::usb_receive_connect_wireless_device);
    rig.engine->getKeyboardConfig(SourceSync, true, 0);
    const int frames = keyFrames(rig.sim.keyboard().state().keyCount);
    QVERIFY(waitFor(keys, frames));
    QCOMPARE(change.count(), 1);
    QCOMPARE(change.at(0).at(0).value<uchar>(), uchar(SourceMainWindow));
    QCOMPARE(change.at(0).at(1).value<uchar>(), uchar(0));
    QCOMPARE(change.at(0).at(2).value<uchar>(), uchar(2));
    QCOMPARE(rig.engine->stagedKeyMap(0).size(), rig.sim.keyboard().state().keyCount);
    QCOMPARE(framesWritten(rig.sim.writtenReports(), GetKeyboardConfig).size(), frames);

    // Kind 3 reports the receiver's wireless link; other kinds are ignored.
    rig.sim.pushFrame(buildFrame(ConfigChange, 1, 1, bytes({3, 1}), channel));
    rig.sim.pushFrame(buildFrame(ConfigChange, 1, 1, bytes({7, 1, 1}), channel));
    QVERIFY(waitFor(wireless, 1));
    QCOMPARE(wireless.at(0).at(0).value<uchar>(), uchar(1));
    QTest::qWait(30);
    QCOMPARE(change.count(), 1);
}

void TestUsbCommunicateUtil::multiFrameWriteRoundTrip() {
    QFETCH(int, channel);
    Rig rig(channel);
    QVERIFY(rig.ok);
    auto map = QSharedPointer<KeyBindingMap>::create();
    const int keys = rig.sim.keyboard().state().keyCount;
    for (int k = 0; k < keys; ++k) {
        auto b = KeyBindingPtr::create();
        b->keyItem = uchar(k);
        b->type = 1;
        b->lValue = uchar(0x04 + k % 26);
        map->insert(b->keyItem, b);
    }
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_keyboard_config);
    rig.engine->setKeyboardConfig(SourceKeySet, true, 1, map);
    const int frames = keyFrames(keys);
    QVERIFY(waitFor(spy, frames));
    QCOMPARE(spy.last().at(1).toInt(), frames);
    QCOMPARE(spy.last().at(2).toInt(), frames);
    // The frames carried consecutive shares: the keyboard now has the map.
    const QVector<SimKey>& layer = rig.sim.keyboard().state().activeProfile()->layers[1];
    for (int k = 0; k < keys; ++k) {
        QCOMPARE(layer[k].type, uchar(1));
        QCOMPARE(layer[k].lValue, uchar(0x04 + k % 26));
    }
    const QList<QByteArray> reports = rig.sim.writtenReports();
    const int perFrame = (gUsbDataMaxsize - 2) / 3;
    QCOMPARE(uchar(reports.first().at(6)), uchar(perFrame * 3 + 2));
    QCOMPARE(uchar(reports.last().at(8)),
             uchar(perFrame * (frames - 1)));  // first key of the last share
    QCOMPARE(uchar(reports.last().at(6)), uchar((keys - perFrame * (frames - 1)) * 3 + 2));
}

void TestUsbCommunicateUtil::emptyWriteCompletesAtOnce() {
    Rig rig(128);
    QVERIFY(rig.ok);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_keyboard_config);
    rig.engine->setKeyboardConfig(SourceKeySet, true, 0, QSharedPointer<KeyBindingMap>::create());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(1).toInt(), 1);
    QCOMPARE(spy.at(0).at(2).toInt(), 1);
    QCOMPARE(rig.sim.writeCount(), 0);
}

void TestUsbCommunicateUtil::acceptedWritesCommitWhatWasSent() {
    Rig rig(64);
    QVERIFY(rig.ok);
    HighKeyList slots32;
    for (int i = 0; i < 32; ++i) slots32.append(HighKeyPtr::create());
    slots32[3]->item = 3;
    slots32[3]->attribute = 4;
    slots32[3]->data[0] = 10;
    slots32[3]->data[1] = 11;
    QSignalSpy high(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_high_key);
    rig.engine->setHighKey(SourceImport, true, slots32);
    QVERIFY(waitFor(high, 11));  // 3 entries per 64-byte frame
    MacroEventList events;
    for (int i = 0; i < 12; ++i) {
        auto e = MacroEventPtr::create();
        e->type = 1;
        e->lValue = uchar(4 + i);
        e->time = quint16(20 * i);
        events.append(e);
    }
    QSignalSpy macro(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_macro_config);
    rig.engine->setMacroConfig(SourceImport, true, 4, events);
    QVERIFY(waitFor(macro, 2));

    KeyboardConfigUtil model;
    rig.engine->commitHighKey(&model);
    rig.engine->commitMacro(&model, 4);
    QCOMPARE(model.keyboardHighKeyList.size(), 32);
    QCOMPARE(model.highKeyCount(), 1);
    QCOMPARE(model.keyboardHighKeyList.at(3)->data[1], quint8(11));
    QCOMPARE(model.keyboardMacroList[4].size(), 12);
    QCOMPARE(model.keyboardMacroList[4].at(11)->time, quint16(220));
    // The keyboard holds the same.
    const SimProfile& p = *rig.sim.keyboard().state().activeProfile();
    QCOMPARE(quint8(p.highKeys[3][3]), quint8(11));
    QCOMPARE(p.macros[4].size(), 12);
    QCOMPARE(p.macros[4][11].lValue, quint8(15));
}

void TestUsbCommunicateUtil::notOpenedDevice() {
    SimHidBackend sim;
    sim.unplug();
    UsbCommunicateUtil engine(nullptr, &sim);
    QSignalSpy errors(&engine, &UsbCommunicateUtil::usb_communicate_error);
    QSignalSpy up(&engine, &UsbCommunicateUtil::protocol_device_connected);
    engine.openCommunicate(0);
    QCOMPARE(up.count(), 0);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(2).toInt(), int(ErrorNoDevice));
    engine.communicateDevice();
    QCOMPARE(errors.count(), 2);
    // Sending with the link closed ends the request at once, and only once.
    engine.getProductInfo(SourceSync, true);
    QCOMPARE(errors.count(), 3);
    QCOMPARE(errors.at(2).at(2).toInt(), int(ErrorLinkClosed));
    QTest::qWait(1100);
    QCOMPARE(errors.count(), 3);
    QCOMPARE(sim.writeCount(), 0);
}

void TestUsbCommunicateUtil::exactBytesAgainstScript() {
    ScriptedHidBackend hid(0xFF02, 0x0002);  // a 64-byte channel
    auto report = [](const QByteArray& frame) { return QByteArray(1, '\0') + frame; };
    // GetKeyboardConfig layer 0, answered in two frames.
    hid.expect(report(buildFrame(0x2A, 1, 1, bytes({0}), 64)),
               {buildFrame(0xAA, 1, 2, bytes({0, 0, 1, 0x29, 0, 1, 0x3A, 0}), 64)});
    hid.expect(report(buildFrame(0x2A, 2, 2, bytes({0}), 64)),
               {buildFrame(0xAA, 2, 2, bytes({0, 2, 1, 0x3B, 0}), 64)});
    UsbCommunicateUtil engine(nullptr, &hid);
    engine.openCommunicate(0);
    QCOMPARE(gUsbFrameMaxsize, 64);
    engine.communicateDevice();
    QSignalSpy spy(&engine, &UsbCommunicateUtil::usb_receive_keyboard_config);
    engine.getKeyboardConfig(SourceKeySet, true, 0);
    QVERIFY(waitFor(spy, 2));
    QVERIFY2(hid.mismatches().isEmpty(), qPrintable(hid.mismatches().join('\n')));
    QCOMPARE(engine.stagedKeyMap(0).size(), 3);
    QCOMPARE(engine.stagedKeyMap(0).value(2)->lValue, uchar(0x3B));

    // SetWholeParam: 0xFF, the ten fields, nine 0xFF; deadDown 300 is 0x2C 0x01.
    WholeParam param;
    param.touchOptimize = true;
    param.deadDown = 300;
    param.deadUp = 5;
    param.pollingRate = 3;
    param.shakeLevel = 2;
    param.sportsMode = true;
    param.currentLayer = 1;
    hid.expect(report(buildFrame(0x50, 1, 1,
                                 bytes({0xFF, 1,    0x2C, 0x01, 5,    0,    3,    2,    0,   1, 1,
                                        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
                                 64)),
               {buildFrame(0xD0, 1, 1, QByteArray(), 64)});
    QSignalSpy setSpy(&engine, &UsbCommunicateUtil::usb_receive_set_whole_param);
    engine.setWholeParam(SourcePerformance, true, param);
    QVERIFY(waitFor(setSpy, 1));

    // A macro event is state, type, lValue, hValue, time (little-endian).
    auto e = MacroEventPtr::create();
    e->type = 1;
    e->lValue = 4;
    e->time = 500;
    hid.expect(report(buildFrame(0x40, 1, 1, bytes({2, 1, 0, 1, 4, 0, 0xF4, 0x01}), 64)),
               {buildFrame(0xC0, 1, 1, QByteArray(), 64)});
    QSignalSpy macroSpy(&engine, &UsbCommunicateUtil::usb_receive_set_macro_config);
    engine.setMacroConfig(SourceMacroSet, true, 2, MacroEventList{e});
    QVERIFY(waitFor(macroSpy, 1));

    // An RS record is added with item, kind and its two keys.
    HIGH_KEY_INFO rs;
    rs.item = 5;
    rs.attribute = 3;
    rs.data[0] = 20;
    rs.data[1] = 21;
    hid.expect(report(buildFrame(0x22, 1, 1, bytes({5, 3, 20, 21}), 64)),
               {buildFrame(0xA2, 1, 1, QByteArray(), 64)});
    QSignalSpy addSpy(&engine, &UsbCommunicateUtil::usb_receive_add_high_key);
    engine.addHighKey(SourceHighKey, true, rs);
    QVERIFY(waitFor(addSpy, 1));
    QCOMPARE(addSpy.at(0).at(3).value<HIGH_KEY_INFO>().data[1], uchar(21));

    // An effect entry travels as item, light, speed, fullColor, flag, colour.
    EffectLightEntry fx;
    fx.item = 3;
    fx.functionFlag = 1;
    fx.light = 4;
    fx.speed = 2;
    fx.colorR = 255;
    fx.colorB = 128;
    hid.expect(report(buildFrame(0x13, 1, 1, bytes({3, 4, 2, 0, 1, 255, 0, 128}), 64)),
               {buildFrame(0x93, 1, 1, QByteArray(), 64)});
    QSignalSpy fxSpy(&engine, &UsbCommunicateUtil::usb_receive_set_effect_light);
    engine.setEffectLight(SourceLightSet, true, fx);
    QVERIFY(waitFor(fxSpy, 1));

    QVERIFY2(hid.mismatches().isEmpty(), qPrintable(hid.mismatches().join('\n')));
    QVERIFY(hid.allConsumed());
    engine.closeCommunicate();
}

void TestUsbCommunicateUtil::bluetoothFramesHaveNoReportId() {
    FakeBluetoothLink bt;
    SimHidBackend unused;
    UsbCommunicateUtil engine(&bt, &unused);
    QSignalSpy up(&engine, &UsbCommunicateUtil::protocol_device_connected);
    engine.openCommunicate(1);
    QCOMPARE(up.count(), 1);
    QCOMPARE(gUsbFrameMaxsize, 64);
    QVERIFY(engine.isBluetoothConnected());
    engine.communicateDevice();

    // Answer every request from a simulated keyboard, as the radio would.
    SimKeyboard keyboard;
    connect(&bt, &BluetoothLink::connected, [] {});
    QSignalSpy spy(&engine, &UsbCommunicateUtil::usb_receive_keyboard_config);
    engine.getKeyboardConfig(SourceSync, true, 0);
    while (spy.count() < keyFrames(keyboard.state().keyCount)) {
        QVERIFY(!bt.sent.isEmpty());
        const QByteArray request = bt.sent.last();
        QCOMPARE(request.size(), 64);
        QCOMPARE(uchar(request.at(0)), kTag);
        const int before = spy.count();
        for (const QByteArray& answer : keyboard.handle(request, 64)) bt.deliver(answer);
        QCOMPARE(spy.count(), before + 1);
    }
    QCOMPARE(engine.stagedKeyMap(0).size(), keyboard.state().keyCount);

    // Link errors come through as source 0, order 0.
    QSignalSpy errors(&engine, &UsbCommunicateUtil::usb_communicate_error);
    emit bt.error(-201);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(2).toInt(), -201);
    QSignalSpy down(&engine, &UsbCommunicateUtil::protocol_device_disconnected);
    engine.closeCommunicate();
    QCOMPARE(down.count(), 1);
    QVERIFY(!engine.isBluetoothConnected());
}

void TestUsbCommunicateUtil::keyedWritesWithGapsKeepEveryValueAtItsKey_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("request");
    for (int channel : {128, 64})
        for (uchar request : {SetKeyboardConfig, SetCustomLightAll, SetTriggerConfigAll})
            QTest::addRow("%d-byte channel, request 0x%02X", channel, request)
                << channel << int(request);
}

// Maps with holes in their key numbers (a row deleted from a file, keys the
// caller left out): every value lands under its own key, the keys left out
// keep what they had, and no frame runs across a hole.
void TestUsbCommunicateUtil::keyedWritesWithGapsKeepEveryValueAtItsKey() {
    QFETCH(int, channel);
    QFETCH(int, request);
    Rig rig(channel);
    QVERIFY(rig.ok);
    SimProfile& profile = *rig.sim.keyboard().state().activeProfile();
    const int keys = rig.sim.keyboard().state().keyCount;
    QVERIFY(keys > 70);
    // A single hole, a wide one, two holes in a row, and a run longer than a
    // frame on both sides of them.
    const QList<int> holes{10, 30, 31, 32, 33, 60, 62};
    const SimProfile before = profile;
    auto key = [](int k) { return uchar(k); };
    QScopedPointer<QSignalSpy> done;
    if (request == SetKeyboardConfig) {
        auto map = QSharedPointer<KeyBindingMap>::create();
        for (int k = 0; k < keys; ++k) {
            if (holes.contains(k)) continue;
            auto b = KeyBindingPtr::create();
            b->keyItem = key(k);
            b->type = 1;
            b->hValue = key(k);
            b->lValue = key(0x80 + k);
            map->insert(key(k), b);
        }
        done.reset(new QSignalSpy(rig.engine.data(),
                                  &UsbCommunicateUtil::usb_receive_set_keyboard_config));
        rig.engine->setKeyboardConfig(SourceKeySet, true, 1, map);
    } else if (request == SetCustomLightAll) {
        auto map = QSharedPointer<CustomLightMap>::create();
        for (int k = 0; k < keys; ++k) {
            if (holes.contains(k)) continue;
            auto e = CustomLightPtr::create();
            e->keyItem = key(k);
            e->light = key(k % 5);
            e->colorR = key(k);
            e->colorG = key(255 - k);
            e->colorB = key(2 * k);
            map->insert(key(k), e);
        }
        done.reset(new QSignalSpy(rig.engine.data(),
                                  &UsbCommunicateUtil::usb_receive_set_custom_light_all));
        rig.engine->setCustomLightAll(SourceLightSet, true, map);
    } else {
        auto map = QSharedPointer<TriggerMap>::create();
        for (int k = 0; k < keys; ++k) {
            if (holes.contains(k)) continue;
            auto t = TriggerSettingPtr::create();
            t->keyItem = key(k);
            t->trigger = quint16(1000 + k);
            t->model = k % 2;
            t->quick = k % 3 == 0;
            t->quickTrigger = quint16(k);
            t->resetTrigger = quint16(3 * k);
            map->insert(key(k), t);
        }
        done.reset(new QSignalSpy(rig.engine.data(),
                                  &UsbCommunicateUtil::usb_receive_set_trigger_config_all));
        rig.engine->setTriggerConfigAll(SourcePerformance, true, map);
    }
    QTRY_VERIFY(!done->isEmpty() &&
                done->constLast().at(1).toInt() == done->constLast().at(2).toInt());

    for (int k = 0; k < keys; ++k) {
        const bool hole = holes.contains(k);
        if (request == SetKeyboardConfig) {
            const SimKey& got = profile.layers[1][k];
            const SimKey& old = before.layers[1][k];
            if (hole)
                QVERIFY2(
                    got.type == old.type && got.hValue == old.hValue && got.lValue == old.lValue,
                    qPrintable(QStringLiteral("key %1 was overwritten").arg(k)));
            else
                QVERIFY2(got.type == 1 && got.hValue == key(k) && got.lValue == key(0x80 + k),
                         qPrintable(QStringLiteral("key %1 holds another value").arg(k)));
        } else if (request == SetCustomLightAll) {
            const SimLight& got = profile.lights[k];
            const SimLight& old = before.lights[k];
            if (hole)
                QVERIFY2(
                    got.light == old.light && got.r == old.r && got.g == old.g && got.b == old.b,
                    qPrintable(QStringLiteral("key %1 was overwritten").arg(k)));
            else
                QVERIFY2(got.light == k % 5 && got.r == key(k) && got.g == key(255 - k) &&
                             got.b == key(2 * k),
                         qPrintable(QStringLiteral("key %1 holds another value").arg(k)));
        } else {
            const SimTrigger& got = profile.triggers[k];
            const SimTrigger& old = before.triggers[k];
            if (hole)
                QVERIFY2(got.trigger == old.trigger && got.quickTrigger == old.quickTrigger &&
                             got.resetTrigger == old.resetTrigger,
                         qPrintable(QStringLiteral("key %1 was overwritten").arg(k)));
            else
                QVERIFY2(got.trigger == 1000 + k && got.model == bool(k % 2) &&
                             got.quick == (k % 3 == 0) && got.quickTrigger == k &&
                             got.resetTrigger == 3 * k,
                         qPrintable(QStringLiteral("key %1 holds another value").arg(k)));
        }
    }
    // Frames are numbered 1..total in order, whatever the holes made of them.
    const QList<int> frames = framesWritten(rig.sim.writtenReports(), uchar(request));
    QVERIFY(!frames.isEmpty());
    for (int i = 0; i < frames.size(); ++i) QCOMPARE(frames.at(i), i + 1);
    QCOMPARE(done->count(), frames.size());
}

QTEST_GUILESS_MAIN(TestUsbCommunicateUtil)
#include "tst_usbcommunicateutil.moc"
