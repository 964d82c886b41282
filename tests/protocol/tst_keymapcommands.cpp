// Key map, factory binding, whole-parameter and reset commands, frame by
// frame.
#include <QSignalSpy>
#include <QTest>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "support/enginerig.h"
#include "support/testsupport.h"

using namespace UsbProtocol;
using testsupport::requests;
using testsupport::ScriptRig;
using testsupport::SimRig;
using testsupport::waitFor;

namespace {

KeyBindingPtr binding(uchar key, uchar type, uchar hValue, uchar lValue) {
    auto b = KeyBindingPtr::create();
    b->keyItem = key;
    b->type = type;
    b->hValue = hValue;
    b->lValue = lValue;
    return b;
}

bool sameKey(const KeyBindingPtr& b, const SimKey& k) {
    return b && b->type == k.type && b->hValue == k.hValue && b->lValue == k.lValue;
}

}  // namespace

class TestKeymapCommands : public QObject {
    Q_OBJECT
private slots:
    void keyMapAnswersWithAndWithoutEntries();
    void hundredKeysAreCutIntoFrames_data();
    void hundredKeysAreCutIntoFrames();
    void factoryBindingsOfSomeKeys_data() { testsupport::channelRows(); }
    void factoryBindingsOfSomeKeys();
    void factoryBindingsAnsweredForTwoKeys();
    void wholeParamsDecode();
    void wholeParamsRoundTrip_data() { testsupport::channelRows(); }
    void wholeParamsRoundTrip();
    void resetToFactory();
    void newCommandIsNotResentByTheOldTimer();
};

void TestKeymapCommands::keyMapAnswersWithAndWithoutEntries() {
    ScriptRig rig(128);
    QVERIFY(rig.ok);
    // Frame 1 has no entries at all; frame 2 one whole entry and two stray bytes.
    rig.expect(0x2A, 1, 1, bytes({1}), {rig.frame(0xAA, 1, 2, bytes({1, 0}))});
    rig.expect(0x2A, 2, 2, bytes({1}), {rig.frame(0xAA, 2, 2, bytes({1, 5, 2, 0xE9, 0x00, 7, 7}))});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_keyboard_config);
    rig.engine->getKeyboardConfig(SourceKeySet, true, 1);
    QVERIFY(waitFor(spy, 2));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    QCOMPARE(spy.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceKeySet)), 1, 2,
                                         QVariant::fromValue(uchar(1))}));
    const KeyBindingMap& staged = rig.engine->stagedKeyMap(1);
    QCOMPARE(staged.size(), 1);
    // Wire order is type, lValue, hValue.
    QCOMPARE(staged.value(5)->type, uchar(2));
    QCOMPARE(staged.value(5)->lValue, uchar(0xE9));
    QCOMPARE(staged.value(5)->hValue, uchar(0x00));
    QVERIFY(rig.engine->stagedKeyMap(0).isEmpty());

    KeyboardConfigUtil model;
    model.keyboardFn1Map.insert(9, binding(9, 1, 0, 4));
    rig.engine->commitKeyboardConfig(&model, 1);
    QCOMPARE(model.keyboardFn1Map.keys(), QList<quint8>{5});
    QVERIFY(rig.engine->stagedKeyMap(1).isEmpty());
}

void TestKeymapCommands::hundredKeysAreCutIntoFrames_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<QList<int>>("lengths");
    QTest::newRow("128-byte channel") << 128 << QList<int>{122, 122, 62};
    QTest::newRow("64-byte channel") << 64 << QList<int>{56, 56, 56, 56, 56, 32};
}

void TestKeymapCommands::hundredKeysAreCutIntoFrames() {
    QFETCH(int, channel);
    QFETCH(QList<int>, lengths);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    auto map = QSharedPointer<KeyBindingMap>::create();
    for (int k = 0; k < 100; ++k)
        map->insert(uchar(k), binding(uchar(k), 1, uchar(k), uchar(0x04 + k)));
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_keyboard_config);
    rig.engine->setKeyboardConfig(SourceKeySet, true, 0, map);
    const int frames = lengths.size();
    QVERIFY(waitFor(spy, frames));
    QTest::qWait(20);
    QCOMPARE(spy.count(), frames);
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x20);
    QCOMPARE(sent.size(), frames);
    const int perFrame = (channel - 8) / 3;
    for (int f = 0; f < frames; ++f) {
        QCOMPARE(spy.at(f).at(1).toInt(), f + 1);
        QCOMPARE(spy.at(f).at(2).toInt(), frames);
        QCOMPARE(spy.at(f).at(3).value<uchar>(), uchar(0));
        const QByteArray& r = sent.at(f);
        QCOMPARE(int(uchar(r.at(3))), f + 1);
        QCOMPARE(int(uchar(r.at(4))), frames);
        QCOMPARE(int(uchar(r.at(6))), lengths.at(f));
        QCOMPARE(int(uchar(r.at(7))), 0);             // layer
        QCOMPARE(int(uchar(r.at(8))), f * perFrame);  // first key of the share
        QCOMPARE(int(uchar(r.at(9))), 1);             // its type, lValue, hValue
        QCOMPARE(int(uchar(r.at(10))), 0x04 + f * perFrame);
        QCOMPARE(int(uchar(r.at(11))), f * perFrame);
    }
    // The keyboard has its 82 keys from the map.
    const QVector<SimKey>& layer = rig.profile().layers[0];
    for (int k = 0; k < layer.size(); ++k) QVERIFY(sameKey(map->value(uchar(k)), layer[k]));
}

void TestKeymapCommands::factoryBindingsOfSomeKeys() {
    QFETCH(int, channel);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    const SimKeyboardState& state = rig.sim.keyboard().state();
    KeyboardConfigUtil model;
    for (int layer = 0; layer < 2; ++layer) {
        for (uchar key : {uchar(10), uchar(20)}) {
            rig.profile().layers[layer][key] = {9, 9, 9};
            (layer == 0 ? model.keyboardFnMap : model.keyboardFn1Map)
                .insert(key, binding(key, 9, 9, 9));
        }
    }
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_keyboard_default);

    // One key: one binding comes back; 0xFF fills the unused place.
    rig.engine->setKeyboardDefault(SourceHighKey, true, 0, bytes({10, 0xFF}));
    QVERIFY(waitFor(spy, 1));
    QCOMPARE(spy.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceHighKey)), 1, 1,
                                         QVariant::fromValue(uchar(0)), false}));
    QCOMPARE(rig.engine->stagedKeyMap(0).keys(), QList<quint8>{10});
    QVERIFY(sameKey(rig.engine->stagedKeyMap(0).value(10), state.factoryLayers[0][10]));
    rig.engine->commitSetKeyboardDefault(&model, 0);
    QVERIFY(sameKey(model.keyboardFnMap.value(10), state.factoryLayers[0][10]));
    QCOMPARE(model.keyboardFnMap.value(20)->type, uchar(9));
    QCOMPARE(rig.profile().layers[0][20].type, uchar(9));

    // Two keys of the Fn layer: both restored, on the keyboard and in the model.
    rig.engine->setKeyboardDefault(SourceHighKey, true, 1, bytes({20, 10}));
    QVERIFY(waitFor(spy, 2));
    QCOMPARE(spy.at(1).at(3).value<uchar>(), uchar(1));
    QCOMPARE(spy.at(1).at(4).toBool(), false);
    QCOMPARE(rig.engine->stagedKeyMap(1).keys(), (QList<quint8>{10, 20}));
    rig.engine->commitSetKeyboardDefault(&model, 1);
    for (uchar key : {uchar(10), uchar(20)}) {
        QVERIFY(sameKey(model.keyboardFn1Map.value(key), state.factoryLayers[1][key]));
        QCOMPARE(rig.profile().layers[1][key].type, state.factoryLayers[1][key].type);
    }

    // 0xFF 0xFF restores the whole layer and returns no binding.
    rig.engine->setKeyboardDefault(SourceKeySet, true, 0, bytes({0xFF, 0xFF}));
    QVERIFY(waitFor(spy, 3));
    QCOMPARE(spy.at(2).at(4).toBool(), true);
    QVERIFY(rig.engine->stagedKeyMap(0).isEmpty());
    for (int k = 0; k < state.keyCount; ++k)
        QCOMPARE(rig.profile().layers[0][k].type, state.factoryLayers[0][k].type);

    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x24);
    QCOMPARE(sent.size(), 3);
    QCOMPARE(sent.at(1).mid(1, 9), QByteArray::fromHex("fa240101000301140a"));
    QCOMPARE(sent.at(2).mid(6, 4), QByteArray::fromHex("0300ffff"));
}

void TestKeymapCommands::factoryBindingsAnsweredForTwoKeys() {
    // Bindings are staged in the map of the layer the keyboard answered for,
    // wherever their keys lie; an empty key list sends nothing.
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    rig.expect(0x24, 1, 1, bytes({0, 3, 70}),
               {rig.frame(0xA4, 1, 1, bytes({0, 70, 1, 0x2C, 0, 3, 0, 0x20, 0x01}))});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_keyboard_default);
    rig.engine->setKeyboardDefault(SourceKeySet, true, 0, bytes({3, 70}));
    QVERIFY(waitFor(spy, 1));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    const KeyBindingMap& staged = rig.engine->stagedKeyMap(0);
    QCOMPARE(staged.keys(), (QList<quint8>{3, 70}));
    QCOMPARE(staged.value(70)->type, uchar(1));
    QCOMPARE(staged.value(70)->lValue, uchar(0x2C));
    QCOMPARE(staged.value(3)->type, uchar(0));
    QCOMPARE(staged.value(3)->lValue, uchar(0x20));
    QCOMPARE(staged.value(3)->hValue, uchar(0x01));

    rig.engine->setKeyboardDefault(SourceKeySet, true, 1, QByteArray());
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(1), (QList<QVariant>{QVariant::fromValue(uchar(SourceKeySet)), 1, 1,
                                         QVariant::fromValue(uchar(1)), false}));
    QCOMPARE(rig.hid.written().size(), 1);
}

void TestKeymapCommands::wholeParamsDecode() {
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    rig.expect(0x5E, 1, 1, QByteArray(),
               {rig.frame(0xDE, 1, 1, bytes({0xFF, 2, 0x2C, 0x01, 0x10, 0x00, 3, 4, 5, 0, 1}))});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_whole_param);
    rig.engine->getWholeParam(SourcePerformance, true);
    QVERIFY(waitFor(spy, 1));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    const WholeParam& w = rig.engine->stagedWholeParam();
    QCOMPARE(w.reserve, qint8(-1));
    QVERIFY(w.touchOptimize);  // any non-zero byte
    QCOMPARE(w.deadDown, qint16(300));
    QCOMPARE(w.deadUp, qint16(16));
    QCOMPARE(w.pollingRate, qint8(3));
    QCOMPARE(w.shakeLevel, qint8(4));
    QVERIFY(w.calibration);
    QVERIFY(!w.sportsMode);
    QCOMPARE(w.currentLayer, qint8(1));

    // The model keeps its record object: pages may hold it.
    KeyboardConfigUtil model;
    const WholeParamPtr held = model.keyboardWholeParam;
    rig.engine->commitWholeParam(&model);
    QCOMPARE(model.keyboardWholeParam, held);
    QCOMPARE(held->deadDown, qint16(300));
    QVERIFY(held->calibration);
}

void TestKeymapCommands::wholeParamsRoundTrip() {
    QFETCH(int, channel);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    WholeParam w;
    w.touchOptimize = true;
    w.deadDown = 513;
    w.deadUp = 25;
    w.pollingRate = 5;
    w.shakeLevel = 2;
    w.calibration = false;
    w.sportsMode = true;
    w.currentLayer = 1;
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_whole_param);
    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_whole_param);
    rig.engine->setWholeParam(SourcePerformance, true, w);
    QVERIFY(waitFor(set, 1));
    const QByteArray sent = requests(rig.sim.writtenReports(), 0x50).first();
    QCOMPARE(sent.mid(6, 21),
             QByteArray::fromHex("14ff01010219000502000101") + QByteArray(9, char(0xFF)));
    rig.engine->getWholeParam(SourcePerformance, true);
    QVERIFY(waitFor(get, 1));
    const WholeParam& r = rig.engine->stagedWholeParam();
    QCOMPARE(r.reserve, qint8(-1));
    QCOMPARE(r.touchOptimize, w.touchOptimize);
    QCOMPARE(r.deadDown, w.deadDown);
    QCOMPARE(r.deadUp, w.deadUp);
    QCOMPARE(r.pollingRate, w.pollingRate);
    QCOMPARE(r.shakeLevel, w.shakeLevel);
    QCOMPARE(r.calibration, w.calibration);
    QCOMPARE(r.sportsMode, w.sportsMode);
    QCOMPARE(r.currentLayer, w.currentLayer);
}

void TestKeymapCommands::resetToFactory() {
    {
        ScriptRig rig(128);
        QVERIFY(rig.ok);
        rig.expect(0x61, 1, 1, bytes({0x5A, 0xA5}), {rig.frame(0xE1, 1, 1, QByteArray())});
        QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_reset_keyboard);
        rig.engine->resetKeyboard(SourceOther, true);
        QVERIFY(waitFor(spy, 1));
        QCOMPARE(spy.at(0).at(0).value<uchar>(), uchar(SourceOther));
        QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    }
    SimRig rig(64);
    QVERIFY(rig.ok);
    SimKeyboardState& state = rig.sim.keyboard().state();
    rig.profile().layers[0][5] = {9, 9, 9};
    QSignalSpy added(rig.engine.data(), &UsbCommunicateUtil::usb_receive_add_config_table);
    rig.engine->addConfigTable(SourceMainWindow, true, 5);
    QVERIFY(waitFor(added, 1));
    QCOMPARE(state.profiles.size(), 4);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_reset_keyboard);
    rig.engine->resetKeyboard(SourceOther, true);
    QVERIFY(waitFor(spy, 1));
    QCOMPARE(state.profiles.size(), 3);
    QCOMPARE(rig.profile().layers[0][5].type, state.factoryLayers[0][5].type);
}

void TestKeymapCommands::newCommandIsNotResentByTheOldTimer() {
    // An unanswered read is followed by an empty write (nothing to send) and
    // by a read that does not wait: the first read's timer must not re-send
    // either of them.
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    rig.expect(0x5E, 1, 1, QByteArray());
    rig.expect(0x2A, 1, 1, bytes({0}));
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_keyboard_config);
    rig.engine->getWholeParam(SourcePerformance, true);
    rig.engine->setKeyboardConfig(SourceKeySet, true, 1, QSharedPointer<KeyBindingMap>::create());
    QCOMPARE(set.count(), 1);
    rig.engine->getKeyboardConfig(SourceKeySet, false, 0);
    QTest::qWait(1150);
    QCOMPARE(rig.hid.written().size(), 2);
    // The abandoned read ends once, as superseded, and never times out.
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).value<uchar>(), uchar(SourcePerformance));
    QCOMPARE(errors.at(0).at(2).toInt(), int(ErrorSuperseded));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
}

QTEST_GUILESS_MAIN(TestKeymapCommands)
#include "tst_keymapcommands.moc"
