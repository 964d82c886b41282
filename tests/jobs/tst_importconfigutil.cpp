// The import on simulated keyboards: files written by the sqlite3 shell and
// openssl, a round trip between two keyboards of one product, progress,
// refusals before anything is sent, and the macros a file leaves empty.
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "link/usbprotocol.h"
#include "jobs/configwritedatabase.h"
#include "jobs/importconfigutil.h"
#include "support/configfilerig.h"

using testsupport::KeyboardRig;
using Values = testsupport::Results;

namespace {

Values runImport(KeyboardRig& rig, const QString& file) {
    ImportConfigUtil job(rig.engine.data(), rig.model.data(), file);
    const Values values = testsupport::collect(&job, &ImportConfigUtil::import_config_result);
    return testsupport::ended(values) ? values : Values();
}

bool exportTo(KeyboardConfigUtil* model, const QString& file) {
    ConfigWriteDatabase job(model, file);
    const Values values = testsupport::collect(&job, &ConfigWriteDatabase::config_write_result);
    return !values.isEmpty() && values.constLast() == qMakePair(true, 100);
}

// Everything a configuration file carries, as text, so that a difference
// shows where it is.
QString carried(const KeyboardConfigUtil& m) {
    QStringList out;
    const int index = m.keyboardConfigIndex;
    out << QStringLiteral("name %1").arg(index < m.keyboardConfigList.size()
                                             ? m.keyboardConfigList[index]->configName
                                             : QStringLiteral("-"));
    const WholeParam& w = *m.keyboardWholeParam;
    out << QStringLiteral("param %1 %2 %3 %4 %5 %6 %7 %8")
               .arg(w.touchOptimize)
               .arg(w.deadDown)
               .arg(w.deadUp)
               .arg(w.pollingRate)
               .arg(w.shakeLevel)
               .arg(w.calibration)
               .arg(w.sportsMode)
               .arg(w.currentLayer);
    for (const CustomLightPtr& l : m.keyboardCustomLightMap)
        out << QStringLiteral("light %1 %2 %3 %4 %5")
                   .arg(l->keyItem)
                   .arg(l->light)
                   .arg(l->colorR)
                   .arg(l->colorG)
                   .arg(l->colorB);
    for (const EffectLightPtr& e : m.keyboardEffectLightMap)
        out << QStringLiteral("effect %1 %2 %3 %4 %5 %6 %7 %8")
                   .arg(e->item)
                   .arg(e->functionFlag)
                   .arg(e->light)
                   .arg(e->speed)
                   .arg(e->fullColor)
                   .arg(e->colorR)
                   .arg(e->colorG)
                   .arg(e->colorB);
    for (int layer = 0; layer < 2; ++layer)
        for (const KeyBindingPtr& k : layer ? m.keyboardFn1Map : m.keyboardFnMap)
            out << QStringLiteral("key%1 %2 %3 %4 %5")
                       .arg(layer)
                       .arg(k->keyItem)
                       .arg(k->type)
                       .arg(k->hValue)
                       .arg(k->lValue);
    for (const HighKeyPtr& h : m.keyboardHighKeyList)
        out << QStringLiteral("slot %1 %2 %3")
                   .arg(h->item)
                   .arg(h->attribute)
                   .arg(QString::fromLatin1(
                       QByteArray(reinterpret_cast<const char*>(h->data), 18).toHex()));
    for (int i = 0; i < 10; ++i)
        for (const MacroEventPtr& e : m.keyboardMacroList[i])
            out << QStringLiteral("macro%1 %2 %3 %4 %5 %6")
                       .arg(i)
                       .arg(e->type)
                       .arg(e->state)
                       .arg(e->lValue)
                       .arg(e->hValue)
                       .arg(e->time);
    for (const TriggerSettingPtr& t : m.keyboardTriggerMap)
        out << QStringLiteral("trigger %1 %2 %3 %4 %5 %6")
                   .arg(t->keyItem)
                   .arg(t->trigger)
                   .arg(t->model)
                   .arg(t->quick)
                   .arg(t->quickTrigger)
                   .arg(t->resetTrigger);
    return out.join(QLatin1Char('\n'));
}

// Gives keyboard B other contents than A in everything a file carries.
void makeDifferent(SimKeyboardState& s) {
    s.version = 0x0777;
    s.customerName = QStringLiteral("Keyboard B Ltd");
    for (QStringList& names : s.effectNames)
        for (QString& n : names) n.prepend(QStringLiteral("B "));
    SimProfile& p = *s.activeProfile();
    p.name = QStringLiteral("B table");
    p.wholeParam[1] = 1;
    p.wholeParam[2] = 77;
    p.wholeParam[10] = 1;
    for (SimLight& l : p.lights) l = {1, 2, 3, 4};
    for (SimEffect& e : p.effects) e.speed = quint8(e.speed + 1), e.r = 9;
    for (auto& layer : p.layers)
        for (SimKey& k : layer) k = {1, 0, 0x2C};
    for (QByteArray& slot : p.highKeys) slot = QByteArray(20, '\0'), slot[0] = char(0xFF);
    p.highKeys[5] = QByteArray::fromHex(
                        "0500"
                        "1e020004") +
                    QByteArray(14, '\0');
    for (auto& macro : p.macros) macro.clear();
    p.macros[7] = {{1, 1, 0x1E, 0, 5}};
    for (SimTrigger& t : p.triggers) t = {200, true, true, 10, 20};
}

int requestsSent(const SimHidBackend& sim, uchar request) {
    int n = 0;
    for (const QByteArray& r : sim.writtenReports())
        if (r.size() > 2 && uchar(r.at(2)) == request) ++n;
    return n;
}

QString keyHex() {
    return QString::fromLatin1(
        QCryptographicHash::hash("HarborLantern4817#", QCryptographicHash::Sha256).toHex());
}

bool runTool(const QString& program, const QStringList& args, const QByteArray& input,
             QByteArray* err) {
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) {
        p.kill();
        return false;
    }
    *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace

class TestImportConfigUtil : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void fileMadeWithOutsideToolsImports();
    void roundTripBetweenTwoKeyboards();
    void activeTableOtherThanTheFirstIsTheOneRenamed();
    void progressOfReadingAndPush();
    void otherProductIsRefusedBeforeAnyCommand();
    void moreAdvancedKeySlotsThanTheKeyboardIsRefusedBeforeAnyCommand();
    void fewerAdvancedKeySlotsFreeTheKeyboardsOthers_data();
    void fewerAdvancedKeySlotsFreeTheKeyboardsOthers();
    void emptyMacroTableEmptiesEveryMacro();
    void notAConfigurationFile_data();
    void notAConfigurationFile();
    void failureDuringPushKeepsTheModel();
    void silentKeyboardEndsTheImport();

private:
    QTemporaryDir m_temp;
};

void TestImportConfigUtil::initTestCase() {
    QVERIFY(m_temp.isValid());
    qputenv("TMPDIR", m_temp.path().toUtf8());
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty(),
             "openssl is missing (scripts/setup installs it)");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty(),
             "sqlite3 is missing (scripts/setup installs it)");
}

void TestImportConfigUtil::cleanup() {
    QCOMPARE(QDir(m_temp.path()).entryList({QStringLiteral("data_*.db3")}, QDir::Files),
             QStringList());
}

void TestImportConfigUtil::fileMadeWithOutsideToolsImports() {
    KeyboardRig rig;
    QVERIFY(rig.openSyncAndLoad());
    const int keys = rig.state().keyCount;

    // The database as another program would write it: the published CREATE
    // and INSERT statements, with bound parameters, in the sqlite3 shell.
    QStringList sql{QStringLiteral("PRAGMA synchronous = OFF;"), QStringLiteral("BEGIN;")};
    for (int t = 0; t < ConfigFileFormat::TableCount; ++t)
        sql << ConfigFileFormat::createStatement(ConfigFileFormat::Table(t));
    auto insert = [&](const QString& statement, const QList<QPair<QString, QString>>& params) {
        sql << QStringLiteral(".param clear");
        for (const auto& p : params)
            sql << QStringLiteral(".param set %1 %2").arg(p.first, p.second);
        sql << statement + QLatin1Char(';');
    };
    insert(
        "INSERT INTO product_table (serialNumber,version,customerName,productName,logoName) "
        "VALUES (:serialNumber, :version,:customerName,:productName,:logoName)",
        {{":serialNumber", "258"},
         {":version", "9"},
         {":customerName", "\"'Elsewhere'\""},
         {":productName", "\"'Lusk'\""},
         {":logoName", "\"'L'\""}});
    insert("INSERT INTO config_table (configName) VALUES (:configName)",
           {{":configName", "\"'Shell made'\""}});
    insert(
        "INSERT INTO params_table (reserve,touchOptimize,deadDown,deadUp,pollingRate,"
        "shakeLevel,calibration,sportsMode,currentLayer) VALUES (:reserve,:touchOptimize,"
        ":deadDown,:deadUp,:pollingRate,:shakeLevel,:calibration,:sportsMode,:currentLayer)",
        {{":reserve", "0"},
         {":touchOptimize", "1"},
         {":deadDown", "15"},
         {":deadUp", "25"},
         {":pollingRate", "3"},
         {":shakeLevel", "2"},
         {":calibration", "0"},
         {":sportsMode", "1"},
         {":currentLayer", "0"}});
    for (int k = 0; k < keys; ++k) {
        const QString key = QString::number(k);
        insert(
            "INSERT INTO custom_light_table (keyItem,light,colorR,colorG,colorB) VALUES "
            "(:keyItem,:light,:colorR,:colorG,:colorB)",
            {{":keyItem", key},
             {":light", "3"},
             {":colorR", key},
             {":colorG", "0"},
             {":colorB", "99"}});
        for (const char* table : {"keyboard_fn_table", "keyboard_fn1_table"})
            insert(QStringLiteral("INSERT INTO %1 (keyItem,type,hValue,lValue) VALUES "
                                  "(:keyItem,:type,:hValue,:lValue)")
                       .arg(QLatin1String(table)),
                   {{":keyItem", key},
                    {":type", "1"},
                    {":hValue", "0"},
                    {":lValue", QString::number(4 + k % 20)}});
        insert(
            "INSERT INTO key_trigger_table (keyItem,trigger,model,quick,quickTrigger,"
            "resetTrigger) VALUES (:keyItem,:trigger,:model,:quick,:quickTrigger,:resetTrigger)",
            {{":keyItem", key},
             {":trigger", QString::number(100 + k)},
             {":model", "1"},
             {":quick", "0"},
             {":quickTrigger", "15"},
             {":resetTrigger", "25"}});
    }
    for (int e = 0; e < 8; ++e)
        insert(
            "INSERT INTO effect_light_table (item,functionFlag,light,speed,fullColor,colorR,"
            "colorG,colorB) VALUES (:item,:functionFlag,:light,:speed,:fullColor,:colorR,"
            ":colorG,:colorB)",
            {{":item", QString::number(e)},
             {":functionFlag", "1"},
             {":light", "2"},
             {":speed", "3"},
             {":fullColor", "0"},
             {":colorR", "10"},
             {":colorG", "20"},
             {":colorB", "30"}});
    // Slot 0 an MT key whose hold time 0x0123 is stored high byte first.
    insert("INSERT INTO high_key_table (item,attribute,data) VALUES (:item,:attribute,:data)",
           {{":item", "0"},
            {":attribute", "1"},
            {":data",
             "x'1e01012302"
             "00e9"
             "000000" +
                 QString(60, QLatin1Char('0')) + "'"}});
    for (int s = 1; s < 32; ++s)
        insert("INSERT INTO high_key_table (item,attribute,data) VALUES (:item,:attribute,:data)",
               {{":item", "255"}, {":attribute", "0"}, {":data", "zeroblob(40)"}});
    for (int e = 0; e < 3; ++e)
        insert(
            "INSERT INTO key_macro_table (macroIndex,item,type,state,lValue,hValue,time) "
            "VALUES (:macroIndex,:item,:type,:state,:lValue,:hValue,:time)",
            {{":macroIndex", "4"},
             {":item", QString::number(e)},
             {":type", "1"},
             {":state", QString::number(e % 2)},
             {":lValue", "5"},
             {":hValue", "0"},
             {":time", QString::number(1000 * e)}});

    sql << QStringLiteral("COMMIT;");

    QTemporaryDir out;
    const QString db = out.filePath(QStringLiteral("shell.db3"));
    const QString file = out.filePath(QStringLiteral("shell.aaa"));
    QByteArray err;
    QVERIFY2(runTool("sqlite3", {"-batch", db}, sql.join(QLatin1Char('\n')).toUtf8(), &err),
             err.constData());
    QVERIFY2(runTool("openssl",
                     {"enc", "-aes-256-cbc", "-nopad", "-K", keyHex(), "-iv",
                      QString(32, QLatin1Char('0')), "-in", db, "-out", file},
                     {}, &err),
             err.constData());

    const Values values = runImport(rig, file);
    QVERIFY(!values.isEmpty());
    QCOMPARE(values.constLast(), qMakePair(true, 100));

    // The keyboard has it...
    const SimProfile& p = rig.profile();
    QCOMPARE(rig.state().profiles[0].name, QStringLiteral("Shell made"));
    QCOMPARE(p.wholeParam.mid(1, 10), QByteArray::fromHex("010f00190003020001"
                                                          "00"));
    QCOMPARE(p.lights[keys - 1].r, quint8(keys - 1));
    QCOMPARE(p.lights[0].b, quint8(99));
    QCOMPARE(p.layers[1][keys - 1].lValue, quint8(4 + (keys - 1) % 20));
    QCOMPARE(p.triggers[7].trigger, quint16(107));
    QCOMPARE(p.triggers[7].model, true);
    QCOMPARE(p.effects[5].b, quint8(30));
    QCOMPARE(p.highKeys[0].toHex(), QByteArray("00011e01230102e9") + QByteArray(24, '0'));
    QCOMPARE(quint8(p.highKeys[1][0]), quint8(0xFF));
    QCOMPARE(p.macros[4].size(), 3);
    QCOMPARE(p.macros[4][2].time, quint16(2000));
    for (int m : {0, 2}) QVERIFY(p.macros[m].isEmpty());
    // ...and the model agrees with what the keyboard reports afterwards.
    const QString imported = carried(*rig.model);
    QVERIFY(rig.sync());
    QCOMPARE(carried(*rig.model), imported);
    QCOMPARE(rig.model->keyboardProductInfo->customerName, rig.state().customerName);
}

void TestImportConfigUtil::roundTripBetweenTwoKeyboards() {
    KeyboardRig a;
    QVERIFY(a.openSyncAndLoad());
    KeyboardRig b;  // its model is the most recent one
    makeDifferent(b.state());
    QVERIFY(b.openSyncAndLoad());
    QVERIFY(carried(*a.model) != carried(*b.model));
    const KeyboardProductInfo infoB = *b.model->keyboardProductInfo;
    const QStringList namesB = [&] {
        QStringList n;
        for (const EffectNamePtr& e : b.model->keyboardEffectNameMap) n << e->name;
        return n;
    }();
    QVERIFY(namesB.first().startsWith(QLatin1String("B ")));

    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("a.aaa"));
    QVERIFY(exportTo(a.model.data(), file));
    QCOMPARE(runImport(b, file).constLast(), qMakePair(true, 100));
    QCOMPARE(carried(*b.model), carried(*a.model));
    // B keeps its identity and effect names.
    QCOMPARE(b.model->keyboardProductInfo->version, infoB.version);
    QCOMPARE(b.model->keyboardProductInfo->customerName, QStringLiteral("Keyboard B Ltd"));
    // What B reports after a fresh sync is what A had.
    QVERIFY(b.sync());
    QCOMPARE(carried(*b.model), carried(*a.model));
    QCOMPARE(b.model->keyboardProductInfo->customerName, QStringLiteral("Keyboard B Ltd"));
    QCOMPARE(b.model->keyboardProductInfo->version, infoB.version);
    QStringList names;
    for (const EffectNamePtr& e : b.model->keyboardEffectNameMap) names << e->name;
    QCOMPARE(names, namesB);
}

void TestImportConfigUtil::activeTableOtherThanTheFirstIsTheOneRenamed() {
    KeyboardRig a;
    a.state().profiles[0].name = QStringLiteral("From A");
    QVERIFY(a.openSyncAndLoad());
    KeyboardRig b;
    b.state().configIndex = 2;
    QVERIFY(b.openSyncAndLoad());
    QCOMPARE(b.model->keyboardConfigIndex, quint8(2));

    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("a.aaa"));
    QVERIFY(exportTo(a.model.data(), file));
    QCOMPARE(runImport(b, file).constLast(), qMakePair(true, 100));
    // The table that took the file's contents carries its name; the others
    // keep theirs.
    QCOMPARE(b.state().configIndex, quint8(2));
    QCOMPARE(b.state().profiles[2].name, QStringLiteral("From A"));
    QCOMPARE(b.state().profiles[0].name, QStringLiteral("Default"));
    QCOMPARE(b.state().profiles[1].name, QStringLiteral("FPS"));
    QCOMPARE(carried(*b.model), carried(*a.model));
    QVERIFY(b.sync());
    QCOMPARE(carried(*b.model), carried(*a.model));
}

void TestImportConfigUtil::progressOfReadingAndPush() {
    KeyboardRig rig;
    QVERIFY(rig.openSyncAndLoad());
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("p.aaa"));
    QVERIFY(exportTo(rig.model.data(), file));
    const Values values = runImport(rig, file);
    QVERIFY(values.size() > 20);
    // Reading: 3 after opening, then eight steps of 3, ending at 27.
    Values reading;
    for (int v = 3; v <= 27; v += 3) reading << qMakePair(true, v);
    QCOMPARE(values.mid(0, 9), reading);
    // Push: 5 per answer frame, clamped below 100 until the end.
    for (int i = 9; i + 1 < values.size(); ++i)
        QCOMPARE(values[i], qMakePair(true, qMin(27 + 5 * (i - 8), 99)));
    QCOMPARE(values.constLast(), qMakePair(true, 100));
}

void TestImportConfigUtil::otherProductIsRefusedBeforeAnyCommand() {
    KeyboardRig a;
    QVERIFY(a.openSyncAndLoad());
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("258.aaa"));
    QVERIFY(exportTo(a.model.data(), file));

    KeyboardRig other;
    QVERIFY(SimCatalogueSeed::apply(other.sim, *other.catalogue, samplecatalogue::FullSize));
    QVERIFY(other.openSyncAndLoad());
    QCOMPARE(other.model->keyboardProduct->serialNumber, samplecatalogue::FullSize);
    const int written = other.sim.writeCount();
    QCOMPARE(runImport(other, file), (Values{{true, 3}, {false, -23}}));
    QTest::qWait(50);
    QCOMPARE(other.sim.writeCount(), written);

    // No product loaded: nothing to compare with, refused the same way.
    other.model->keyboardProduct.reset();
    QCOMPARE(runImport(other, file), (Values{{true, 3}, {false, -23}}));
    QCOMPARE(other.sim.writeCount(), written);
}

void TestImportConfigUtil::moreAdvancedKeySlotsThanTheKeyboardIsRefusedBeforeAnyCommand() {
    KeyboardRig a;
    QVERIFY(a.openSyncAndLoad());
    const int slotCount = a.model->keyboardHighKeyList.size();
    QVERIFY(slotCount > 0);
    auto extra = HighKeyPtr::create();
    extra->item = quint8(slotCount);
    extra->attribute = 0;
    a.model->keyboardHighKeyList.append(extra);
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("slots.aaa"));
    QVERIFY(exportTo(a.model.data(), file));

    KeyboardRig b;
    QVERIFY(b.openSyncAndLoad());
    const QString before = carried(*b.model);
    const int written = b.sim.writeCount();
    QCOMPARE(runImport(b, file).constLast(), qMakePair(false, -34));
    QTest::qWait(50);
    QCOMPARE(b.sim.writeCount(), written);
    QCOMPARE(carried(*b.model), before);
}

void TestImportConfigUtil::fewerAdvancedKeySlotsFreeTheKeyboardsOthers_data() {
    QTest::addColumn<int>("kept");
    QTest::newRow("two slots") << 2;
    QTest::newRow("no slot") << 0;
}

void TestImportConfigUtil::fewerAdvancedKeySlotsFreeTheKeyboardsOthers() {
    QFETCH(int, kept);
    KeyboardRig a;
    QVERIFY(a.openSyncAndLoad());
    a.model->keyboardHighKeyList = a.model->keyboardHighKeyList.mid(0, kept);
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("few.aaa"));
    QVERIFY(exportTo(a.model.data(), file));

    // B uses slots on both sides of the file's last one.
    KeyboardRig b;
    SimProfile& p = *b.state().activeProfile();
    const int count = p.highKeys.size();
    p.highKeys[count - 1] = p.highKeys[1];
    p.highKeys[count - 1][0] = char(count - 1);
    QVERIFY(b.openSyncAndLoad());
    QCOMPARE(b.model->keyboardHighKeyList.size(), count);
    QCOMPARE(runImport(b, file).constLast(), qMakePair(true, 100));

    // The keyboard keeps its slot count; those the file lacks are free.
    QCOMPARE(b.profile().highKeys.size(), count);
    for (int s = 0; s < count; ++s) {
        const HighKeyPtr want = s < kept ? a.model->keyboardHighKeyList[s] : HighKeyPtr();
        QCOMPARE(quint8(b.profile().highKeys[s][0]), want ? want->item : quint8(0xFF));
    }
    QCOMPARE(b.model->highKeyCount(), a.model->highKeyCount());
    QCOMPARE(b.model->freeHighKeySlot(kept), quint8(kept));
    const QString imported = carried(*b.model);
    QVERIFY(b.sync());
    QCOMPARE(carried(*b.model), imported);
}

void TestImportConfigUtil::emptyMacroTableEmptiesEveryMacro() {
    KeyboardRig a;
    QVERIFY(a.openSyncAndLoad());
    for (MacroEventList& m : a.model->keyboardMacroList) m.clear();
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("nomacros.aaa"));
    QVERIFY(exportTo(a.model.data(), file));

    KeyboardRig b;
    QVERIFY(b.openSyncAndLoad());
    QVERIFY(!b.profile().macros[0].isEmpty());
    QVERIFY(!b.model->keyboardMacroList[2].isEmpty());
    b.sim.clearWrittenReports();
    QCOMPARE(runImport(b, file).constLast(), qMakePair(true, 100));
    // One DelMacroConfig per macro, nothing set.
    QCOMPARE(requestsSent(b.sim, UsbProtocol::DelMacroConfig), 10);
    QCOMPARE(requestsSent(b.sim, UsbProtocol::SetMacroConfig), 0);
    for (const auto& m : b.profile().macros) QVERIFY(m.isEmpty());
    for (const MacroEventList& m : b.model->keyboardMacroList) QVERIFY(m.isEmpty());
    QVERIFY(b.sync());
    for (const MacroEventList& m : b.model->keyboardMacroList) QVERIFY(m.isEmpty());
}

void TestImportConfigUtil::notAConfigurationFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("one block and a byte") << QByteArray(17, 'x') << true;
    QTest::newRow("text") << QByteArray("not a configuration file\n") << true;
    // Whole blocks of something else: decrypts to no database.
    QTest::newRow("garbage blocks") << QByteArray(4096, '\x5A') << true;
}

void TestImportConfigUtil::notAConfigurationFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    KeyboardRig rig;
    QVERIFY(rig.openSyncAndLoad());
    const QString before = carried(*rig.model);
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("x.aaa"));
    if (exists) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const int written = rig.sim.writeCount();
    const Values values = runImport(rig, file);
    QVERIFY(!values.isEmpty());
    QVERIFY(!values.constLast().first);
    if (bytes.size() % 16 != 0 || bytes.isEmpty())
        QCOMPARE(values, (Values{{false, -21}}));
    else
        QVERIFY(values.constLast().second == -21 || values.constLast().second == -22);
    QTest::qWait(20);
    QCOMPARE(rig.sim.writeCount(), written);
    QCOMPARE(carried(*rig.model), before);
}

void TestImportConfigUtil::failureDuringPushKeepsTheModel() {
    KeyboardRig a;
    QVERIFY(a.openSyncAndLoad());
    KeyboardRig b;
    makeDifferent(b.state());
    QVERIFY(b.openSyncAndLoad());
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("a.aaa"));
    QVERIFY(exportTo(a.model.data(), file));
    const QString before = carried(*b.model);
    b.sim.setFailWrites(true);
    const Values values = runImport(b, file);
    b.sim.setFailWrites(false);
    QCOMPARE(values.constLast(), qMakePair(false, -1));
    QCOMPARE(values.count(qMakePair(false, -1)), 1);
    QCOMPARE(carried(*b.model), before);
}

void TestImportConfigUtil::silentKeyboardEndsTheImport() {
    // The first two steps run without the engine's timer: a keyboard that
    // never answers them must end the import, not hang it.
    KeyboardRig a;
    QVERIFY(a.openSyncAndLoad());
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("a.aaa"));
    QVERIFY(exportTo(a.model.data(), file));
    const QString before = carried(*a.model);
    a.sim.dropNextAnswers(1000);
    QElapsedTimer clock;
    clock.start();
    const Values values = runImport(a, file);
    a.sim.dropNextAnswers(0);
    QCOMPARE(values.constLast(), qMakePair(false, -2));
    QVERIFY(clock.elapsed() < ImportConfigUtil::kSilentStepMs + 2000);
    QCOMPARE(carried(*a.model), before);
}

QTEST_GUILESS_MAIN(TestImportConfigUtil)
#include "tst_importconfigutil.moc"
