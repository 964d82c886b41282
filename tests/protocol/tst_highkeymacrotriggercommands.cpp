// Advanced-key, macro and trigger commands, frame by frame.
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

HIGH_KEY_INFO highKey(uchar item, uchar kind, std::initializer_list<int> data) {
    HIGH_KEY_INFO k;
    k.item = item;
    k.attribute = kind;
    int i = 0;
    for (int d : data) k.data[i++] = uchar(d);
    return k;
}

// The 20 record bytes, as the keyboard keeps them.
QByteArray recordBytes(const HIGH_KEY_INFO& k) {
    return QByteArray(1, char(k.item)) + QByteArray(1, char(k.attribute)) +
           QByteArray(reinterpret_cast<const char*>(k.data), 18);
}

// Only the bytes each kind uses are set: what survives a round trip.
QList<HIGH_KEY_INFO> oneOfEachKind() {
    return {highKey(0, 0, {11, 12, 13, 14}),
            highKey(1, 1, {21, 22, 23, 24, 25, 26, 27, 28, 29, 30}),
            highKey(2, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}),
            highKey(3, 3, {40, 41}),
            highKey(4, 4, {42, 43}),
            highKey(5, 5, {44, 45, 1}),
            highKey(6, 1, {50, 51, 52, 53, 54, 55, 56, 57, 58, 59}),
            highKey(7, 0, {60, 61, 62, 63})};
}

MacroEventList macro(int count) {
    MacroEventList events;
    for (int i = 0; i < count; ++i) {
        auto e = MacroEventPtr::create();
        e->type = uchar(1 + i % 3);
        e->state = uchar(i % 2);
        e->lValue = uchar(4 + i);
        e->hValue = uchar(i / 10);
        e->time = quint16(10 * i + 300);
        events.append(e);
    }
    return events;
}

bool sameEvents(const MacroEventList& a, const MacroEventList& b) {
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i) {
        const MacroEvent& x = *a.at(i);
        const MacroEvent& y = *b.at(i);
        if (x.type != y.type || x.state != y.state || x.lValue != y.lValue ||
            x.hValue != y.hValue || x.time != y.time)
            return false;
    }
    return true;
}

TriggerSettingPtr trigger(uchar key, quint16 value, bool model, bool quick, quint16 qt,
                          quint16 rt) {
    auto t = TriggerSettingPtr::create();
    *t = TriggerSetting{key, value, model, quick, qt, rt};
    return t;
}

}  // namespace

class TestHighKeyMacroTriggerCommands : public QObject {
    Q_OBJECT
private slots:
    void addHighKeyWireMappingPerKind();
    void highKeyAnswerDecoding();
    void highKeysOnTheKeyboard_data();
    void highKeysOnTheKeyboard();
    void emptyMacro();
    void macroOverSeveralFrames_data();
    void macroOverSeveralFrames();
    void macroIndexMismatch();
    void deleteMacroEmptiesTheModel();
    void triggersOnTheKeyboard_data() { testsupport::channelRows(); }
    void triggersOnTheKeyboard();
    void triggerExactBytes();
    void longListsGoOutWholeOrNotAtAll_data() { testsupport::channelRows(); }
    void longListsGoOutWholeOrNotAtAll();
};

void TestHighKeyMacroTriggerCommands::addHighKeyWireMappingPerKind() {
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    const QList<HIGH_KEY_INFO> keys = oneOfEachKind();
    const QByteArray ok = rig.frame(0xA2, 1, 1, QByteArray());
    rig.expect(0x22, 1, 1, bytes({0, 0, 11, 12, 13, 14}), {ok});
    // MT: the tap function travels type, lValue, hValue (record bytes 8, 7).
    rig.expect(0x22, 1, 1, bytes({1, 1, 21, 22, 23, 24, 25, 27, 26, 28, 29, 30}), {ok});
    rig.expect(0x22, 1, 1, bytes({2, 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}),
               {ok});
    rig.expect(0x22, 1, 1, bytes({3, 3, 40, 41}), {ok});
    rig.expect(0x22, 1, 1, bytes({4, 4, 42, 43}), {ok});
    rig.expect(0x22, 1, 1, bytes({5, 5, 44, 45, 1}), {ok});
    // Another kind: item and kind are written, the length byte says 0.
    QByteArray other = rig.frame(0x22, 1, 1, bytes({9, 7}));
    other[5] = 0;
    rig.hid.expect(QByteArray(1, '\0') + other, {ok});

    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_add_high_key);
    QList<HIGH_KEY_INFO> sent = keys.mid(0, 6);
    HIGH_KEY_INFO unknown = highKey(9, 7, {1, 2, 3});
    sent.append(unknown);
    // Bytes a kind does not use never travel.
    sent[0].data[10] = 0x77;
    sent[3].data[5] = 0x77;
    for (int i = 0; i < sent.size(); ++i) {
        rig.engine->addHighKey(SourceHighKey, true, sent.at(i));
        QVERIFY(waitFor(spy, i + 1));
        QCOMPARE(recordBytes(spy.at(i).at(3).value<HIGH_KEY_INFO>()), recordBytes(sent.at(i)));
    }
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));

    // Deleting sends the item only and hands the record back.
    rig.expect(0x25, 1, 1, bytes({5}), {rig.frame(0xA5, 1, 1, QByteArray())});
    QSignalSpy del(rig.engine.data(), &UsbCommunicateUtil::usb_receive_del_high_key);
    rig.engine->delHighKey(SourceHighKey, true, keys.at(5));
    QVERIFY(waitFor(del, 1));
    QCOMPARE(recordBytes(del.at(0).at(3).value<HIGH_KEY_INFO>()), recordBytes(keys.at(5)));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
}

void TestHighKeyMacroTriggerCommands::highKeyAnswerDecoding() {
    ScriptRig rig(128);
    QVERIFY(rig.ok);
    // An MT entry, a TGL entry with bytes its kind does not use, and five
    // stray bytes that make no entry.
    QByteArray p = bytes({1, 1, 21, 22, 23, 24, 25, 27, 26, 28, 29, 30, 0, 0, 0, 0, 0, 0, 0});
    p += bytes({0, 0, 11, 12, 13, 14, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    p += bytes({3, 3, 1, 2, 3});
    rig.expect(0x2B, 1, 1, QByteArray(), {rig.frame(0xAB, 1, 1, p)});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_high_key);
    rig.engine->getHighKey(SourceSync, true);
    QVERIFY(waitFor(spy, 1));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    const HighKeyList& staged = rig.engine->stagedHighKeys();
    QCOMPARE(staged.size(), 2);
    QCOMPARE(recordBytes(*staged.at(0)), recordBytes(oneOfEachKind().at(1)));
    QCOMPARE(recordBytes(*staged.at(1)), recordBytes(oneOfEachKind().at(0)));

    KeyboardConfigUtil model;
    rig.engine->commitHighKey(&model);
    QCOMPARE(model.keyboardHighKeyList.size(), 2);
    QVERIFY(rig.engine->stagedHighKeys().isEmpty());
}

void TestHighKeyMacroTriggerCommands::highKeysOnTheKeyboard_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<QList<int>>("lengths");
    QTest::newRow("128-byte channel: 6 per frame") << 128 << QList<int>{114, 38};
    QTest::newRow("64-byte channel: 3 per frame") << 64 << QList<int>{57, 57, 38};
}

void TestHighKeyMacroTriggerCommands::highKeysOnTheKeyboard() {
    QFETCH(int, channel);
    QFETCH(QList<int>, lengths);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    HighKeyList list;
    for (const HIGH_KEY_INFO& k : oneOfEachKind()) list.append(HighKeyPtr::create(k));
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_high_key);
    rig.engine->setHighKey(SourceHighKey, true, list);
    QVERIFY(waitFor(set, lengths.size()));
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x23);
    QCOMPARE(sent.size(), lengths.size());
    for (int f = 0; f < sent.size(); ++f) QCOMPARE(int(uchar(sent.at(f).at(6))), lengths.at(f));
    // Entries sit at 19-byte steps: the second frame starts with the next entry.
    QCOMPARE(int(uchar(sent.at(1).at(7))), lengths.at(0) / 19);

    // The keyboard keeps the records as given, MT's tap function included.
    const QVector<QByteArray>& stored = rig.profile().highKeys;
    for (int i = 0; i < list.size(); ++i) QCOMPARE(stored.at(i), recordBytes(*list.at(i)));
    QCOMPARE(uchar(stored.at(list.size()).at(0)), uchar(0xFF));

    // Adding an MT record and reading everything back gives the same records.
    const HIGH_KEY_INFO mt = highKey(9, 1, {70, 71, 72, 73, 74, 75, 76, 77, 78, 79});
    QSignalSpy add(rig.engine.data(), &UsbCommunicateUtil::usb_receive_add_high_key);
    rig.engine->addHighKey(SourceHighKey, true, mt);
    QVERIFY(waitFor(add, 1));
    QCOMPARE(stored.at(9), recordBytes(mt));
    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_high_key);
    rig.engine->getHighKey(SourceSync, true);
    const int perFrame = (channel - 6) / 19;
    const int frames = (stored.size() - 1) / perFrame + 1;
    QVERIFY(waitFor(get, frames));
    const HighKeyList& staged = rig.engine->stagedHighKeys();
    QCOMPARE(staged.size(), stored.size());
    for (int i = 0; i < list.size(); ++i) QCOMPARE(recordBytes(*staged.at(i)), stored.at(i));
    QCOMPARE(recordBytes(*staged.at(9)), recordBytes(mt));
}

void TestHighKeyMacroTriggerCommands::emptyMacro() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    QVERIFY(rig.profile().macros[5].isEmpty());
    KeyboardConfigUtil model;
    model.keyboardMacroList[5] = macro(2);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_macro_config);
    rig.engine->getMacroConfig(SourceMacroSet, true, 5);
    QVERIFY(waitFor(spy, 1));
    QCOMPARE(spy.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceMacroSet)), 1, 1,
                                         QVariant::fromValue(uchar(5))}));
    QVERIFY(rig.engine->stagedMacro(5).isEmpty());
    rig.engine->commitMacro(&model, 5);
    QVERIFY(model.keyboardMacroList[5].isEmpty());
}

void TestHighKeyMacroTriggerCommands::macroOverSeveralFrames_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<QList<int>>("lengths");
    QTest::newRow("128-byte channel") << 128 << QList<int>{122, 32};
    QTest::newRow("64-byte channel") << 64 << QList<int>{56, 56, 44};
}

void TestHighKeyMacroTriggerCommands::macroOverSeveralFrames() {
    QFETCH(int, channel);
    QFETCH(QList<int>, lengths);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    const MacroEventList events = macro(25);
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_macro_config);
    rig.engine->setMacroConfig(SourceMacroSet, true, 3, events);
    const int frames = lengths.size();
    QVERIFY(waitFor(set, frames));
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x40);
    QCOMPARE(sent.size(), frames);
    for (int f = 0; f < frames; ++f) {
        QCOMPARE(int(uchar(sent.at(f).at(6))), lengths.at(f));
        QCOMPARE(int(uchar(sent.at(f).at(7))), 3);                        // macro index
        QCOMPARE(int(uchar(sent.at(f).at(8))), (lengths.at(f) - 2) / 6);  // events in the frame
        QCOMPARE(set.at(f).at(3).value<uchar>(), uchar(3));
    }
    // First event: state, type, lValue, hValue, time.
    QCOMPARE(sent.at(0).mid(9, 6), bytes({0, 1, 4, 0, 0x2C, 0x01}));
    QCOMPARE(rig.profile().macros[3].size(), 25);

    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_macro_config);
    rig.engine->getMacroConfig(SourceMacroSet, true, 3);
    QVERIFY(waitFor(get, frames));
    QVERIFY(sameEvents(rig.engine->stagedMacro(3), events));
    KeyboardConfigUtil model;
    rig.engine->commitMacro(&model, 3);
    QVERIFY(sameEvents(model.keyboardMacroList[3], events));
    QVERIFY(rig.engine->stagedMacro(3).isEmpty());
}

void TestHighKeyMacroTriggerCommands::macroIndexMismatch() {
    ScriptRig rig(128);
    QVERIFY(rig.ok);
    const QByteArray wrong = rig.frame(0xC2, 1, 1, bytes({3, 1, 0, 1, 4, 0, 10, 0}));
    const QByteArray right = rig.frame(0xC2, 1, 1, bytes({2, 1, 0, 1, 4, 0, 10, 0}));
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_macro_config);
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);

    // Waiting for the answer: a mismatch is a time-out, the request goes again.
    rig.expect(0x42, 1, 1, bytes({2}), {wrong});
    rig.expect(0x42, 1, 1, bytes({2}), {right});
    rig.engine->getMacroConfig(SourceMacroSet, true, 2);
    QVERIFY(waitFor(spy, 1));
    QCOMPARE(rig.engine->stagedMacro(2).size(), 1);
    QCOMPARE(errors.count(), 0);

    // Three mismatches use up the three sends.
    for (int i = 0; i < 3; ++i) rig.expect(0x42, 1, 1, bytes({2}), {wrong});
    rig.engine->getMacroConfig(SourceMacroSet, true, 2);
    QVERIFY(waitFor(errors, 1, 1500));
    QCOMPARE(errors.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceMacroSet)),
                                            QVariant::fromValue(uchar(0xC2)), int(ErrorNoAnswer)}));

    // Not waiting: error -4 at once.
    rig.expect(0x42, 1, 1, bytes({2}), {wrong});
    rig.engine->getMacroConfig(SourceMacroSet, false, 2);
    QVERIFY(waitFor(errors, 2, 1500));
    QCOMPARE(errors.at(1).at(2).toInt(), int(ErrorMacroIndex));
    QCOMPARE(spy.count(), 1);
    QVERIFY(rig.engine->stagedMacro(2).isEmpty());

    // A macro index above 9 is not written and completes at once.
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_macro_config);
    rig.engine->setMacroConfig(SourceMacroSet, true, 10, macro(3));
    QCOMPARE(set.count(), 1);
    QCOMPARE(set.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceMacroSet)), 1, 1,
                                         QVariant::fromValue(uchar(10))}));
    QTest::qWait(20);
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    QCOMPARE(rig.hid.written().size(), 6);
}

void TestHighKeyMacroTriggerCommands::deleteMacroEmptiesTheModel() {
    SimRig rig(128);
    QVERIFY(rig.ok);
    KeyboardConfigUtil model;
    model.keyboardMacroList[0] = macro(4);
    model.keyboardMacroList[2] = macro(3);
    QVERIFY(!rig.profile().macros[0].isEmpty());
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_del_macro_config);
    rig.engine->delMacroConfig(SourceMacroSet, true, 0);
    QVERIFY(waitFor(spy, 1));
    QCOMPARE(spy.at(0).at(3).value<uchar>(), uchar(0));
    QVERIFY(model.keyboardMacroList[0].isEmpty());
    QCOMPARE(model.keyboardMacroList[2].size(), 3);
    QVERIFY(rig.profile().macros[0].isEmpty());
}

void TestHighKeyMacroTriggerCommands::triggersOnTheKeyboard() {
    QFETCH(int, channel);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    const int keys = rig.sim.keyboard().state().keyCount;
    auto map = QSharedPointer<TriggerMap>::create();
    for (int k = 0; k < keys; ++k)
        map->insert(uchar(k), trigger(uchar(k), quint16(100 + k), k % 2, k % 3 == 0,
                                      quint16(20 + k), quint16(300 - k)));
    QSignalSpy all(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_trigger_config_all);
    rig.engine->setTriggerConfigAll(SourcePerformance, true, map);
    const int perFrame = (channel - 7) / 8;
    const int frames = (keys - 1) / perFrame + 1;
    QVERIFY(waitFor(all, frames));
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x28);
    QCOMPARE(sent.size(), frames);
    const int lastCount = keys - perFrame * (frames - 1);
    QCOMPARE(int(uchar(sent.last().at(6))), 8 * lastCount + 2);
    QCOMPARE(int(uchar(sent.last().at(7))), perFrame * (frames - 1));
    QCOMPARE(int(uchar(sent.last().at(8))), lastCount);

    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_trigger_config);
    rig.engine->getTriggerConfig(SourcePerformance, true);
    QVERIFY(waitFor(get, frames));
    const TriggerMap& staged = rig.engine->stagedTrigger();
    QCOMPARE(staged.size(), keys);
    for (int k = 0; k < keys; ++k) {
        const TriggerSetting& a = *staged.value(uchar(k));
        const TriggerSetting& b = *map->value(uchar(k));
        QCOMPARE(a.keyItem, b.keyItem);
        QCOMPARE(a.trigger, b.trigger);
        QCOMPARE(a.model, b.model);
        QCOMPARE(a.quick, b.quick);
        QCOMPARE(a.quickTrigger, b.quickTrigger);
        QCOMPARE(a.resetTrigger, b.resetTrigger);
    }
    KeyboardConfigUtil model;
    rig.engine->commitTriggerConfig(&model);
    QCOMPARE(model.keyboardTriggerMap.size(), keys);

    // One actuation point for some keys: only their trigger changes.
    QSignalSpy byKeys(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_trigger_config);
    TriggerSetting setting;
    setting.trigger = 250;
    setting.quickTrigger = 9;  // not sent
    rig.engine->setTriggerConfig(SourcePerformance, true, setting, bytes({1, 2, 3}));
    QVERIFY(waitFor(byKeys, 1));
    QCOMPARE(rig.profile().triggers[2].trigger, quint16(250));
    QCOMPARE(rig.profile().triggers[4].trigger, quint16(104));
    rig.engine->commitSetTriggerConfig(&model);
    QCOMPARE(model.keyboardTriggerMap.value(3)->trigger, quint16(250));
    QCOMPARE(model.keyboardTriggerMap.value(3)->quickTrigger, quint16(23));
    QCOMPARE(model.keyboardTriggerMap.value(4)->trigger, quint16(104));

    // Rapid trigger for some keys: the actuation point stays.
    auto q = QuickTriggerPtr::create();
    *q = QuickTriggerEntry{5, true, true, 7, 8};
    QSignalSpy quick(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_quick_trigger_config);
    rig.engine->setQuickTriggerConfig(SourcePerformance, true, QuickTriggerList{q});
    QVERIFY(waitFor(quick, 1));
    QCOMPARE(rig.profile().triggers[5].quickTrigger, quint16(7));
    QCOMPARE(rig.profile().triggers[5].trigger, quint16(105));
    rig.engine->commitSetQuickTriggerConfig(&model);
    const TriggerSetting& t5 = *model.keyboardTriggerMap.value(5);
    QVERIFY(t5.model && t5.quick);
    QCOMPARE(t5.quickTrigger, quint16(7));
    QCOMPARE(t5.resetTrigger, quint16(8));
    QCOMPARE(t5.trigger, quint16(105));
}

void TestHighKeyMacroTriggerCommands::triggerExactBytes() {
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    // GetTriggerConfig: first key, then 8-byte entries.
    rig.expect(0x2C, 1, 1, QByteArray(),
               {rig.frame(0xAC, 1, 1, bytes({40, 0x2C, 0x01, 1, 0, 0x14, 0, 0x1E, 0, 0, 0}))});
    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_trigger_config);
    rig.engine->getTriggerConfig(SourcePerformance, true);
    QVERIFY(waitFor(get, 1));
    QCOMPARE(rig.engine->stagedTrigger().keys(), QList<quint8>{40});
    const TriggerSetting& t = *rig.engine->stagedTrigger().value(40);
    QCOMPARE(t.trigger, quint16(300));
    QVERIFY(t.model);
    QVERIFY(!t.quick);
    QCOMPARE(t.quickTrigger, quint16(20));
    QCOMPARE(t.resetTrigger, quint16(30));

    // 100 keys with one actuation point: 56 keys per frame.
    QByteArray keys;
    for (int k = 0; k < 100; ++k) keys.append(char(k));
    TriggerSetting setting;
    setting.trigger = 0x0203;
    rig.expect(0x26, 1, 2, bytes({3, 2}) + keys.left(56), {rig.frame(0xA6, 1, 2, QByteArray())});
    rig.expect(0x26, 2, 2, bytes({3, 2}) + keys.mid(56), {rig.frame(0xA6, 2, 2, QByteArray())});
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_trigger_config);
    rig.engine->setTriggerConfig(SourcePerformance, true, setting, keys);
    QVERIFY(waitFor(set, 2));

    // Quick-trigger entries: key, 0, model, quick, two u16.
    auto a = QuickTriggerPtr::create();
    *a = QuickTriggerEntry{7, false, true, 0x0102, 0x0304};
    rig.expect(0x27, 1, 1, bytes({7, 0, 0, 1, 2, 1, 4, 3}), {rig.frame(0xA7, 1, 1, QByteArray())});
    QSignalSpy quick(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_quick_trigger_config);
    rig.engine->setQuickTriggerConfig(SourcePerformance, true, QuickTriggerList{a});
    QVERIFY(waitFor(quick, 1));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
}

// More than 255 items: every one reaches the keyboard, none is cut off at the
// byte that numbers the frames; a list that needs more frames than that byte
// can number is refused before anything is sent.
void TestHighKeyMacroTriggerCommands::longListsGoOutWholeOrNotAtAll() {
    QFETCH(int, channel);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    const int data = channel - 6;

    const MacroEventList events = macro(300);
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_macro_config);
    rig.engine->setMacroConfig(SourceMacroSet, true, 4, events);
    const int macroFrames = (300 - 1) / ((data - 2) / 6) + 1;
    QVERIFY(waitFor(set, macroFrames));
    QCOMPARE(set.last().at(1).toInt(), macroFrames);
    QCOMPARE(set.last().at(2).toInt(), macroFrames);
    QCOMPARE(rig.profile().macros[4].size(), 300);
    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_macro_config);
    rig.engine->getMacroConfig(SourceMacroSet, true, 4);
    QVERIFY(waitFor(get, macroFrames));
    QVERIFY(sameEvents(rig.engine->stagedMacro(4), events));

    // 256 advanced-key records: the last frame carries the 256th.
    HighKeyList list;
    for (int i = 0; i < 256; ++i) list.append(HighKeyPtr::create(highKey(uchar(i), 3, {i, i})));
    QSignalSpy high(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_high_key);
    rig.engine->setHighKey(SourceHighKey, true, list);
    const int perFrame = data / 19;
    const int highFrames = (256 - 1) / perFrame + 1;
    QVERIFY(waitFor(high, highFrames));
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), SetHighKey);
    QCOMPARE(sent.size(), highFrames);
    const int inLast = 256 - perFrame * (highFrames - 1);
    QCOMPARE(int(uchar(sent.last().at(6))), 19 * inLast);
    QCOMPARE(int(uchar(sent.last().at(7 + 19 * (inLast - 1)))), 255);

    // Refused whole: one frame too many for the macro, two keys too many
    // for the single answered frame of a restore.
    const int writesBefore = rig.sim.writtenReports().size();
    QSignalSpy errors(rig.engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    rig.engine->setMacroConfig(SourceMacroSet, true, 4, macro(255 * ((data - 2) / 6) + 1));
    rig.engine->setKeyboardDefault(SourceKeySet, true, 0, QByteArray(data, char(1)));
    QCOMPARE(errors.size(), 2);
    QCOMPARE(errors.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceMacroSet)),
                                            QVariant::fromValue(answerOf(SetMacroConfig)),
                                            int(ErrorTooManyItems)}));
    QCOMPARE(errors.at(1).at(2).toInt(), int(ErrorTooManyItems));
    QTest::qWait(50);
    QCOMPARE(rig.sim.writtenReports().size(), writesBefore);
    QCOMPARE(rig.profile().macros[4].size(), 300);
    QVERIFY(sameEvents(rig.engine->stagedMacro(4), events));
}

QTEST_GUILESS_MAIN(TestHighKeyMacroTriggerCommands)
#include "tst_highkeymacrotriggercommands.moc"
