#include <QSignalSpy>
#include <QTest>

#include "jobs/syncconfigutil.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simhidbackend.h"
#include "support/testsupport.h"

using namespace UsbProtocol;

class TestSyncConfigUtil : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fullSyncFillsTheModel_data();
    void fullSyncFillsTheModel();
    void scopeOneKeepsProductInfo();
    void failureCommitsNothing();
    void otherSourcesNeitherAdvanceNorCount();
    void anEarlierSyncRequestsEndIsNotTheNewSyncs();
    void aFirstSendThatFailsIsStillReported();

private:
    bool open(int channel);
    QScopedPointer<SimHidBackend> sim;
    QScopedPointer<UsbCommunicateUtil> engine;
    QScopedPointer<KeyboardConfigUtil> model;
};

void TestSyncConfigUtil::init() {
    sim.reset(new SimHidBackend);
    model.reset(new KeyboardConfigUtil);
}

void TestSyncConfigUtil::cleanup() {
    if (engine) engine->closeCommunicate();
    engine.reset();
    model.reset();
    sim.reset();
}

bool TestSyncConfigUtil::open(int channel) {
    sim->setInterfaces(channel == 64 ? SimHidBackend::Interfaces::Only64
                                     : SimHidBackend::Interfaces::Both);
    engine.reset(new UsbCommunicateUtil(nullptr, sim.data()));
    engine->openCommunicate(0);
    engine->communicateDevice();
    return engine->isConnected() && gUsbFrameMaxsize == channel;
}

void TestSyncConfigUtil::fullSyncFillsTheModel_data() {
    QTest::addColumn<int>("channel");
    QTest::newRow("128") << 128;
    QTest::newRow("64") << 64;
}

void TestSyncConfigUtil::fullSyncFillsTheModel() {
    QFETCH(int, channel);
    QVERIFY(open(channel));
    engine->setEffectiveLanguage(2);
    SyncConfigUtil sync(engine.data(), model.data(), 1, 0, 0, QString());
    QSignalSpy spy(&sync, &SyncConfigUtil::sync_config_result);
    QVERIFY(testsupport::waitFor(spy, 1));
    QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty() && spy.last().at(1).toInt() == 100, 10000);
    // Progress rises by 5 per frame, clamped below 100 until completion.
    for (int i = 0; i + 1 < spy.count(); ++i) {
        QVERIFY(spy.at(i).at(0).toBool());
        QCOMPARE(spy.at(i).at(1).toInt(), qMin(5 * (i + 1), 99));
    }
    QVERIFY(spy.count() >= 20);

    SimKeyboardState& s = sim->keyboard().state();
    const SimProfile& p = *s.activeProfile();
    QCOMPARE(model->keyboardProductInfo->serialNumber, s.serialNumber);
    QCOMPARE(model->keyboardProductInfo->productName, s.productName);
    QCOMPARE(model->keyboardConfigList.size(), s.profiles.size());
    QCOMPARE(model->keyboardConfigIndex, s.configIndex);
    QCOMPARE(model->keyboardWholeParam->deadDown,
             qint16(quint8(p.wholeParam[2]) | quint8(p.wholeParam[3]) << 8));
    QCOMPARE(model->keyboardCustomLightMap.size(), s.keyCount);
    QCOMPARE(model->keyboardCustomLightMap.value(7)->colorR, p.lights[7].r);
    QCOMPARE(model->keyboardEffectNameMap.size(), s.effectNames[0].size());
    QCOMPARE(model->keyboardEffectNameMap.value(1)->name, s.effectNames[0].at(1));  // English names
    QCOMPARE(model->keyboardEffectLightMap.size(), p.effects.size());
    QCOMPARE(model->keyboardEffectLightMap.value(3)->functionFlag, p.effects[3].functionFlag);
    QCOMPARE(model->keyboardFnMap.size(), s.keyCount);
    QCOMPARE(model->keyboardFn1Map.size(), s.keyCount);
    QCOMPARE(model->keyboardFn1Map.value(2)->lValue, p.layers[1][2].lValue);
    QCOMPARE(model->keyboardHighKeyList.size(), p.highKeys.size());
    QCOMPARE(model->keyboardHighKeyList.at(1)->attribute, quint8(p.highKeys[1][1]));
    QCOMPARE(model->keyboardHighKeyList.at(1)->data[7], quint8(p.highKeys[1][9]));
    QCOMPARE(model->highKeyCount(), 4);
    for (int m = 0; m < 10; ++m)
        QCOMPARE(model->keyboardMacroList[m].size(), p.macros[size_t(m)].size());
    QCOMPARE(model->keyboardMacroList[2].at(24)->time, p.macros[2][24].time);
    QCOMPARE(model->keyboardTriggerMap.size(), s.keyCount);
    QCOMPARE(model->keyboardTriggerMap.value(5)->trigger, p.triggers[5].trigger);
    // The engine's buffers were handed over and emptied.
    QVERIFY(engine->stagedKeyMap(0).isEmpty());
    QVERIFY(engine->stagedTrigger().isEmpty());

    // The whole request sequence, one entry per command (its first frame),
    // with the argument that tells the layers, effects and macros apart.
    QList<QPair<int, int>> sent;
    for (const QByteArray& r : sim->writtenReports()) {
        if (uchar(r.at(3)) != 1) continue;  // later frames of a multi-frame read
        const uchar code = uchar(r.at(2));
        const bool argument =
            code == GetEffectLight || code == GetKeyboardConfig || code == GetMacroConfig;
        sent.append({code, argument ? int(uchar(r.at(7))) : -1});
    }
    QList<QPair<int, int>> expected{
        {GetProductInfo, -1},   {GetConfigInfo, -1},      {GetWholeParam, -1},
        {GetCustomLight, -1},   {GetEffectLightName, -1}, {GetEffectLight, 0xFF},
        {GetKeyboardConfig, 0}, {GetKeyboardConfig, 1},   {GetHighKey, -1}};
    for (int m = 0; m < 10; ++m) expected.append({GetMacroConfig, m});
    expected.append({GetTriggerConfig, -1});
    QCOMPARE(sent, expected);
}

void TestSyncConfigUtil::scopeOneKeepsProductInfo() {
    QVERIFY(open(128));
    model->keyboardProductInfo->productName = QStringLiteral("kept");
    sim->clearWrittenReports();
    SyncConfigUtil sync(engine.data(), model.data(), 1, 1, 0, QString());
    QSignalSpy spy(&sync, &SyncConfigUtil::sync_config_result);
    QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty() && spy.last().at(1).toInt() == 100, 10000);
    QCOMPARE(model->keyboardProductInfo->productName, QStringLiteral("kept"));
    QVERIFY(testsupport::framesWritten(sim->writtenReports(), GetProductInfo).isEmpty());
    // Macro indexes 0..9 in order (M3 spans two frames), then the trigger settings.
    QList<int> indexes;
    for (const QByteArray& r : sim->writtenReports())
        if (uchar(r.at(2)) == GetMacroConfig && uchar(r.at(3)) == 1) indexes.append(uchar(r.at(7)));
    QCOMPARE(indexes, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    QCOMPARE(uchar(sim->writtenReports().last().at(2)), uchar(GetTriggerConfig));
    QCOMPARE(model->keyboardConfigList.size(), 3);
}

void TestSyncConfigUtil::failureCommitsNothing() {
    QVERIFY(open(64));
    model->keyboardConfigIndex = 42;
    SyncConfigUtil sync(engine.data(), model.data(), 1, 0, 0, QString());
    QSignalSpy spy(&sync, &SyncConfigUtil::sync_config_result);
    // A few steps in, the keyboard stops answering: decided in the progress
    // signal itself, before the sync sends its next command.
    connect(&sync, &SyncConfigUtil::sync_config_result, this, [this](bool, int value) {
        if (value == 30) sim->dropNextAnswers(1000);
    });
    QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty() && !spy.last().at(0).toBool(), 6000);
    QCOMPARE(spy.last().at(1).toInt(), int(ErrorNoAnswer));
    int failures = 0;
    for (const auto& call : spy) failures += call.at(0).toBool() ? 0 : 1;
    QCOMPARE(failures, 1);
    QCOMPARE(model->keyboardConfigIndex, uchar(42));
    QVERIFY(model->keyboardFnMap.isEmpty());
    QVERIFY(model->keyboardTriggerMap.isEmpty());

    // Another requester's error (the page command the sync's first command
    // replaced ends with -6) leaves the sync running; its own ends it once.
    sim->setSilent(true);
    SyncConfigUtil second(engine.data(), model.data(), 1, 0, 0, QString());
    QSignalSpy secondSpy(&second, &SyncConfigUtil::sync_config_result);
    emit engine->usb_communicate_error(7, 0x90, -6);
    QTest::qWait(100);
    QCOMPARE(secondSpy.count(), 0);
    emit engine->usb_communicate_error(1, 0xE2, -2);
    emit engine->usb_communicate_error(1, 0xE2, -7);
    QTest::qWait(100);
    QCOMPARE(secondSpy.count(), 1);
    QCOMPARE(secondSpy.at(0).at(0).toBool(), false);
    QCOMPARE(secondSpy.at(0).at(1).toInt(), -2);
    QCOMPARE(model->keyboardConfigIndex, uchar(42));
}

void TestSyncConfigUtil::otherSourcesNeitherAdvanceNorCount() {
    QVERIFY(open(128));
    sim->setLatencyMs(30);
    SyncConfigUtil sync(engine.data(), model.data(), 1, 1, 0, QString());
    QSignalSpy spy(&sync, &SyncConfigUtil::sync_config_result);
    const int before = sim->writeCount();
    emit engine->usb_receive_config_info(SourceImport, 1, 1);
    emit engine->usb_receive_keyboard_config(SourceImport, 3, 3, 1);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(sim->writeCount(), before);
    QTRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty() && spy.last().at(1).toInt() == 100, 10000);
}

// A sync started while a read of the previous sync (same source) still
// waited: that read ends with a queued error after the new sync has begun,
// which must not end the new sync.
void TestSyncConfigUtil::anEarlierSyncRequestsEndIsNotTheNewSyncs() {
    QVERIFY(open(128));
    sim->setSilent(true);
    engine->getHighKey(SourceSync, true);
    QTest::qWait(20);
    sim->setSilent(false);
    QSignalSpy errors(engine.data(), &UsbCommunicateUtil::usb_communicate_error);
    SyncConfigUtil sync(engine.data(), model.data(), 1, 0, 0, QString());
    QSignalSpy spy(&sync, &SyncConfigUtil::sync_config_result);
    QTRY_VERIFY_WITH_TIMEOUT(
        !spy.isEmpty() && (!spy.last().at(0).toBool() || spy.last().at(1).toInt() == 100), 10000);
    QCOMPARE(errors.count(), 1);  // the old read, superseded
    QCOMPARE(errors.at(0).at(2).toInt(), int(ErrorSuperseded));
    QVERIFY(spy.last().at(0).toBool());
    QCOMPARE(model->keyboardFnMap.isEmpty(), false);
}

// The keyboard goes away just as a sync begins: its first write fails inside
// the constructor, before anyone could connect; the failure still arrives
// (a backup waited for ever behind such a sync).
void TestSyncConfigUtil::aFirstSendThatFailsIsStillReported() {
    QVERIFY(open(128));
    sim->setFailWrites(true);
    SyncConfigUtil sync(engine.data(), model.data(), 1, 1, 0, QString());
    QSignalSpy spy(&sync, &SyncConfigUtil::sync_config_result);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QTest::qWait(50);
    QCOMPARE(spy.count(), 1);
}

QTEST_GUILESS_MAIN(TestSyncConfigUtil)
#include "tst_syncconfigutil.moc"
