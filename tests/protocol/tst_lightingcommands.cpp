// Custom light, lighting effect and effect name commands, frame by frame.
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

EffectLightPtr effect(uchar item, uchar flag, uchar light, uchar speed, uchar full, uchar r,
                      uchar g, uchar b) {
    auto e = EffectLightPtr::create();
    *e = EffectLightEntry{item, flag, light, speed, full, r, g, b};
    return e;
}

bool sameEffect(const EffectLightEntry& a, const EffectLightEntry& b) {
    return a.item == b.item && a.functionFlag == b.functionFlag && a.light == b.light &&
           a.speed == b.speed && a.fullColor == b.fullColor && a.colorR == b.colorR &&
           a.colorG == b.colorG && a.colorB == b.colorB;
}

bool sameEffect(const EffectLightEntry& a, const SimEffect& b) {
    return sameEffect(
        a, EffectLightEntry{b.item, b.functionFlag, b.light, b.speed, b.fullColor, b.r, b.g, b.b});
}

QByteArray nameSlot(const QByteArray& text, int size) {
    return text.left(size) + QByteArray(qMax(0, size - int(text.size())), '\0');
}

}  // namespace

class TestLightingCommands : public QObject {
    Q_OBJECT
private slots:
    void customLightAnswers();
    void customLightReadAndWriteAll_data() { testsupport::channelRows(); }
    void customLightReadAndWriteAll();
    void customLightForManyKeys_data();
    void customLightForManyKeys();
    void effectWireOrder();
    void effectsOnTheKeyboard_data() { testsupport::channelRows(); }
    void effectsOnTheKeyboard();
    void effectCommitReplacesOrUpdates();
    void effectNameSlots();
    void effectNameSlotSizeOutOfRange();
    void effectNameLanguages_data();
    void effectNameLanguages();
};

void TestLightingCommands::customLightAnswers() {
    ScriptRig rig(128);
    QVERIFY(rig.ok);
    // Frame 1 is too short for an entry; frame 2 holds two and a stray byte.
    rig.expect(0x16, 1, 1, QByteArray(), {rig.frame(0x96, 1, 2, bytes({5, 1, 2}))});
    rig.expect(0x16, 2, 2, QByteArray(),
               {rig.frame(0x96, 2, 2, bytes({10, 4, 255, 0, 1, 3, 9, 8, 7, 0xEE}))});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_custom_light);
    rig.engine->getCustomLight(SourceLightSet, true);
    QVERIFY(waitFor(spy, 2));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    QCOMPARE(spy.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceLightSet)), 1, 2}));
    const CustomLightMap& staged = rig.engine->stagedCustomLight();
    QCOMPARE(staged.keys(), (QList<quint8>{10, 11}));
    QCOMPARE(staged.value(10)->light, uchar(4));
    QCOMPARE(staged.value(10)->colorR, uchar(255));
    QCOMPARE(staged.value(10)->colorB, uchar(1));
    QCOMPARE(staged.value(11)->light, uchar(3));
    QCOMPARE(staged.value(11)->colorG, uchar(8));
}

void TestLightingCommands::customLightReadAndWriteAll() {
    QFETCH(int, channel);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    const int keys = rig.sim.keyboard().state().keyCount;
    auto map = QSharedPointer<CustomLightMap>::create();
    for (int k = 0; k < keys; ++k) {
        auto e = CustomLightPtr::create();
        *e = CustomLightEntry{uchar(k), uchar(k % 5), uchar(k), uchar(2 * k), uchar(255 - k)};
        map->insert(uchar(k), e);
    }
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_custom_light_all);
    rig.engine->setCustomLightAll(SourceLightSet, true, map);
    const int perFrame = (channel - 7) / 4;
    const int frames = (keys - 1) / perFrame + 1;
    QVERIFY(waitFor(set, frames));
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x11);
    QCOMPARE(sent.size(), frames);
    QCOMPARE(int(uchar(sent.last().at(6))), 4 * (keys - perFrame * (frames - 1)) + 1);
    QCOMPARE(int(uchar(sent.last().at(7))), perFrame * (frames - 1));

    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_custom_light);
    rig.engine->getCustomLight(SourceLightSet, true);
    QVERIFY(waitFor(get, frames));
    const CustomLightMap& staged = rig.engine->stagedCustomLight();
    QCOMPARE(staged.size(), keys);
    for (int k = 0; k < keys; ++k) {
        const CustomLightPtr& e = staged.value(uchar(k));
        QCOMPARE(e->light, uchar(k % 5));
        QCOMPARE(e->colorR, uchar(k));
        QCOMPARE(e->colorG, uchar(2 * k));
        QCOMPARE(e->colorB, uchar(255 - k));
    }
    KeyboardConfigUtil model;
    rig.engine->commitCustomLight(&model);
    QCOMPARE(model.keyboardCustomLightMap.size(), keys);
    QVERIFY(rig.engine->stagedCustomLight().isEmpty());
}

void TestLightingCommands::customLightForManyKeys_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<QList<int>>("keysPerFrame");
    QTest::newRow("128-byte channel") << 128 << QList<int>{118, 12};
    QTest::newRow("64-byte channel") << 64 << QList<int>{54, 54, 22};
}

void TestLightingCommands::customLightForManyKeys() {
    QFETCH(int, channel);
    QFETCH(QList<int>, keysPerFrame);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    QByteArray keys;
    for (int k = 0; k < 130; ++k) keys.append(char(k));
    EffectLightEntry colour;
    colour.light = 3;
    colour.colorR = 10;
    colour.colorG = 20;
    colour.colorB = 30;
    colour.speed = 99;  // not sent
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_custom_light);
    rig.engine->setCustomLight(SourceLightSet, true, colour, keys);
    const int frames = keysPerFrame.size();
    QVERIFY(waitFor(spy, frames));
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x10);
    QCOMPARE(sent.size(), frames);
    int first = 0;
    for (int f = 0; f < frames; ++f) {
        const QByteArray& r = sent.at(f);
        QCOMPARE(int(uchar(r.at(6))), keysPerFrame.at(f) + 4);
        QCOMPARE(r.mid(7, 4), bytes({3, 10, 20, 30}));
        QCOMPARE(r.mid(11, keysPerFrame.at(f)), keys.mid(first, keysPerFrame.at(f)));
        QCOMPARE(spy.at(f).at(1).toInt(), f + 1);
        QCOMPARE(spy.at(f).at(2).toInt(), frames);
        first += keysPerFrame.at(f);
    }
    for (const SimLight& l : rig.profile().lights) QCOMPARE(l.r, uchar(10));

    // Once confirmed, the colour goes to every listed key the model has.
    KeyboardConfigUtil model;
    for (uchar k : {uchar(2), uchar(129), uchar(200)}) {
        auto e = CustomLightPtr::create();
        e->keyItem = k;
        model.keyboardCustomLightMap.insert(k, e);
    }
    rig.engine->commitSetCustomLight(&model);
    QCOMPARE(model.keyboardCustomLightMap.size(), 3);
    QCOMPARE(model.keyboardCustomLightMap.value(2)->colorG, uchar(20));
    QCOMPARE(model.keyboardCustomLightMap.value(129)->light, uchar(3));
    QCOMPARE(model.keyboardCustomLightMap.value(200)->colorR, uchar(0));
}

void TestLightingCommands::effectWireOrder() {
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    // Requested effect 3; the answer carries one entry and seven stray bytes.
    rig.expect(0x17, 1, 1, bytes({3}),
               {rig.frame(0x97, 1, 1, bytes({3, 4, 2, 0, 1, 255, 0, 128, 9, 9, 9, 9, 9, 9, 9}))});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_effect_light);
    rig.engine->getEffectLight(SourceLightSet, true, 3);
    QVERIFY(waitFor(spy, 1));
    QCOMPARE(rig.engine->stagedEffectLight().size(), 1);
    QVERIFY(sameEffect(*rig.engine->stagedEffectLight().value(3),
                       EffectLightEntry{3, 1, 4, 2, 0, 255, 0, 128}));
    QCOMPARE(rig.engine->lastEffectLightIndex(), uchar(3));

    // The whole map goes in ascending item order, eight bytes each, no header.
    auto map = QSharedPointer<EffectLightMap>::create();
    for (uchar i : {uchar(7), uchar(0)}) map->insert(i, effect(i, 1, 2, 3, 4, 5, 6, i));
    rig.expect(0x14, 1, 1, bytes({0, 2, 3, 4, 1, 5, 6, 0, 7, 2, 3, 4, 1, 5, 6, 7}),
               {rig.frame(0x94, 1, 1, QByteArray())});
    QSignalSpy all(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_effect_light_all);
    rig.engine->setEffectLightAll(SourceLightSet, true, map);
    QVERIFY(waitFor(all, 1));

    // Item 0xFF sends nothing and completes at once; selecting reports the index.
    QSignalSpy one(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_effect_light);
    rig.engine->setEffectLight(SourceLightSet, true, EffectLightEntry{0xFF, 1, 1, 1, 1, 1, 1, 1});
    QCOMPARE(one.count(), 1);
    QCOMPARE(one.at(0), (QList<QVariant>{QVariant::fromValue(uchar(SourceLightSet)), 1, 1}));
    rig.expect(0x19, 1, 1, bytes({6}), {rig.frame(0x99, 1, 1, QByteArray())});
    QSignalSpy select(rig.engine.data(), &UsbCommunicateUtil::usb_receive_select_effect_light);
    rig.engine->selectEffectLight(SourceLightSet, true, 6);
    QVERIFY(waitFor(select, 1));
    QCOMPARE(select.at(0).at(3).toInt(), 6);
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
}

void TestLightingCommands::effectsOnTheKeyboard() {
    QFETCH(int, channel);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    auto map = QSharedPointer<EffectLightMap>::create();
    for (uchar i = 0; i < 8; ++i)
        map->insert(i, effect(i, uchar(i + 1), uchar(i % 5), uchar(4 - i % 5), i % 2,
                              uchar(200 + i), uchar(3 * i), uchar(100 - i)));
    QSignalSpy set(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_effect_light_all);
    rig.engine->setEffectLightAll(SourceLightSet, true, map);
    const int frames = channel == 128 ? 1 : 2;  // 15 or 7 entries per frame
    QVERIFY(waitFor(set, frames));
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x14);
    QCOMPARE(sent.size(), frames);
    QCOMPARE(int(uchar(sent.last().at(6))), channel == 128 ? 64 : 8);
    const QVector<SimEffect>& effects = rig.profile().effects;
    for (const SimEffect& e : effects) QVERIFY(sameEffect(*map->value(e.item), e));

    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_effect_light);
    rig.engine->getEffectLight(SourceLightSet, true, 0xFF);
    QVERIFY(waitFor(get, frames));
    QCOMPARE(rig.engine->stagedEffectLight().size(), 8);
    for (const EffectLightPtr& e : rig.engine->stagedEffectLight())
        QVERIFY(sameEffect(*e, *map->value(e->item)));

    QSignalSpy select(rig.engine.data(), &UsbCommunicateUtil::usb_receive_select_effect_light);
    rig.engine->selectEffectLight(SourceLightSet, true, 5);
    QVERIFY(waitFor(select, 1));
    QCOMPARE(rig.profile().selectedEffect, uchar(5));

    // One effect: the model takes it once the keyboard confirmed.
    KeyboardConfigUtil model;
    rig.engine->commitEffectLight(&model);
    const EffectLightPtr held = model.keyboardEffectLightMap.value(2);
    QVERIFY(held);
    QSignalSpy one(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_effect_light);
    const EffectLightEntry changed{2, 9, 1, 1, 1, 7, 7, 7};
    rig.engine->setEffectLight(SourceLightSet, true, changed);
    QVERIFY(waitFor(one, 1));
    QVERIFY(sameEffect(changed, rig.profile().effects.at(2)));
    rig.engine->commitSetEffectLight(&model);
    QCOMPARE(model.keyboardEffectLightMap.value(2), held);
    QVERIFY(sameEffect(*held, changed));
}

void TestLightingCommands::effectCommitReplacesOrUpdates() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    KeyboardConfigUtil model;
    model.keyboardEffectLightMap.insert(40, effect(40, 0, 0, 0, 0, 0, 0, 0));
    QSignalSpy get(rig.engine.data(), &UsbCommunicateUtil::usb_receive_effect_light);

    // All effects (0xFF): the model's map is replaced.
    rig.engine->getEffectLight(SourceSync, true, 0xFF);
    QVERIFY(waitFor(get, 2));
    rig.engine->commitEffectLight(&model);
    QCOMPARE(model.keyboardEffectLightMap.size(), 8);
    QVERIFY(!model.keyboardEffectLightMap.contains(40));
    QVERIFY(rig.engine->stagedEffectLight().isEmpty());

    // One effect: updated field by field in the record the model holds.
    const EffectLightPtr held = model.keyboardEffectLightMap.value(4);
    rig.profile().effects[4] = SimEffect{4, 0x21, 1, 2, 1, 11, 22, 33};
    get.clear();
    rig.engine->getEffectLight(SourceLightSet, true, 4);
    QVERIFY(waitFor(get, 1));
    QCOMPARE(rig.engine->stagedEffectLight().size(), 1);
    rig.engine->commitEffectLight(&model);
    QCOMPARE(model.keyboardEffectLightMap.value(4), held);
    QVERIFY(sameEffect(*held, EffectLightEntry{4, 0x21, 1, 2, 1, 11, 22, 33}));

    // One effect the model does not have: no entry is added.
    model.keyboardEffectLightMap.remove(6);
    get.clear();
    rig.engine->getEffectLight(SourceLightSet, true, 6);
    QVERIFY(waitFor(get, 1));
    rig.engine->commitEffectLight(&model);
    QCOMPARE(model.keyboardEffectLightMap.size(), 7);
    QVERIFY(!model.keyboardEffectLightMap.contains(6));
}

void TestLightingCommands::effectNameSlots() {
    ScriptRig rig(128);
    QVERIFY(rig.ok);
    // Slot size 20 and payload 62: slots at 2, 22 and 42; the empty one takes
    // no number; a slot filled to its end has no NUL.
    QByteArray p = bytes({4, 20});
    p += nameSlot("Static", 20) + nameSlot("", 20) + nameSlot("ABCDEFGHIJKLMNOPQRST", 20);
    QCOMPARE(p.size(), 62);
    rig.engine->setEffectiveLanguage(2);
    rig.expect(0x18, 1, 1, bytes({0}), {rig.frame(0x98, 1, 1, p)});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_effect_light_language);
    rig.engine->getEffectLightName(SourceSync, true);
    QVERIFY(waitFor(spy, 1));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    const EffectNameMap& names = rig.engine->stagedEffectName();
    QCOMPARE(names.keys(), (QList<quint8>{4, 5}));
    QCOMPARE(names.value(4)->name, QStringLiteral("Static"));
    QCOMPARE(names.value(5)->name, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
}

void TestLightingCommands::effectNameSlotSizeOutOfRange() {
    // A slot size of 0 would never advance and one above 99 cannot be
    // decoded: such a frame stages nothing but the transfer goes on.
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    rig.engine->setEffectiveLanguage(3);
    rig.expect(0x18, 1, 1, bytes({7}),
               {rig.frame(0x98, 1, 3, bytes({0, 0}) + nameSlot("Tinh", 20))});
    rig.expect(0x18, 2, 3, bytes({7}),
               {rig.frame(0x98, 2, 3, bytes({1, 100}) + nameSlot("Tho", 20))});
    rig.expect(
        0x18, 3, 3, bytes({7}),
        {rig.frame(0x98, 3, 3, bytes({2, 10}) + nameSlot("Song", 10) + nameSlot("Sao", 10))});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_effect_light_language);
    rig.engine->getEffectLightName(SourceSync, true);
    QVERIFY(waitFor(spy, 3));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    for (int i = 0; i < 3; ++i) QCOMPARE(spy.at(i).at(1).toInt(), i + 1);
    const EffectNameMap& names = rig.engine->stagedEffectName();
    QCOMPARE(names.keys(), (QList<quint8>{2, 3}));
    QCOMPARE(names.value(3)->name, QStringLiteral("Sao"));
}

void TestLightingCommands::effectNameLanguages_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("code");
    QTest::newRow("English, 128") << 128 << 2 << 0;
    QTest::newRow("Chinese, 64") << 64 << 1 << 1;
    QTest::newRow("Vietnamese, 64") << 64 << 3 << 7;
    QTest::newRow("anything else, 128") << 128 << 9 << 1;
}

void TestLightingCommands::effectNameLanguages() {
    QFETCH(int, channel);
    QFETCH(int, language);
    QFETCH(int, code);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    rig.engine->setEffectiveLanguage(language);
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_effect_light_language);
    rig.engine->getEffectLightName(SourceSync, true);
    const int frames = channel == 128 ? 2 : 4;  // 6 or 2 slots of 20 bytes per frame
    QVERIFY(waitFor(spy, frames));
    const QList<QByteArray> sent = requests(rig.sim.writtenReports(), 0x18);
    QCOMPARE(sent.size(), frames);
    for (const QByteArray& r : sent) QCOMPARE(int(uchar(r.at(7))), code);

    const QStringList expected = rig.sim.keyboard().state().effectNames.value(code);
    QCOMPARE(expected.size(), 8);
    KeyboardConfigUtil model;
    rig.engine->commitEffectName(&model);
    QCOMPARE(model.keyboardEffectNameMap.size(), 8);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(model.keyboardEffectNameMap.value(uchar(i))->name, expected.at(i));
}

QTEST_GUILESS_MAIN(TestLightingCommands)
#include "tst_lightingcommands.moc"
