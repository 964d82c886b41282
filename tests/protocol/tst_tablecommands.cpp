// Product information and configuration-table commands, frame by frame.
#include <QDateTime>
#include <QSignalSpy>
#include <QTest>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "support/enginerig.h"
#include "support/testsupport.h"

using namespace UsbProtocol;
using testsupport::ScriptRig;
using testsupport::SimRig;
using testsupport::waitFor;

namespace {

// A text slot of `size` bytes; text longer than the slot fills it to the end.
QByteArray slot(const QByteArray& text, int size) {
    return text.left(size) + QByteArray(qMax(0, size - int(text.size())), '\0');
}

QDateTime truncatedToSeconds(const QDateTime& t) {
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()));
}

}  // namespace

class TestTableCommands : public QObject {
    Q_OBJECT
private slots:
    void productInfoLayouts_data() { testsupport::channelRows(); }
    void productInfoLayouts();
    void configInfoSkipsEmptySlots();
    void configInfoOverSeveralFrames();
    void setConfigInfoCutsTheName_data() { testsupport::channelRows(); }
    void setConfigInfoCutsTheName();
    void tablesOnTheKeyboard_data() { testsupport::channelRows(); }
    void tablesOnTheKeyboard();
    void namesKeepWholeCharacters();
};

void TestTableCommands::productInfoLayouts() {
    QFETCH(int, channel);
    ScriptRig rig(channel);
    QVERIFY(rig.ok);
    const bool wide = channel == 128;
    const int customerSize = wide ? 30 : 18;
    const QByteArray customer = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";  // fills the slot
    QByteArray p = bytes({0x03, 0x01, 0x05, 0x02, 0x81, 9, 9, 9, 9, 9});
    p += slot(customer, customerSize);
    // A byte that is no UTF-8 is dropped, not widened into a three-byte
    // replacement character that would no longer fit the slot.
    p += slot(QByteArray("\xC3\x84r\xFAger") + QByteArray("\0junk", 5), 20);
    p += slot("ZENTAROX", 8);  // fills its slot: no NUL before the next byte
    p += "Q";
    QCOMPARE(p.size(), wide ? 69 : 57);

    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_product_info);
    const QDateTime before = truncatedToSeconds(QDateTime::currentDateTime());
    rig.engine->getProductInfo(SourceSync, true);
    const QDateTime after = QDateTime::currentDateTime();
    rig.hid.push(rig.frame(0xE2, 1, 1, p));
    QVERIFY(waitFor(spy, 1));
    QCOMPARE(spy.at(0).at(0).value<uchar>(), uchar(SourceSync));
    QCOMPARE(spy.at(0).at(1).toInt(), 1);
    QCOMPARE(spy.at(0).at(2).toInt(), 1);

    const KeyboardProductInfo& info = rig.engine->stagedProductInfo();
    QCOMPARE(info.serialNumber, qint16(0x0103));
    QCOMPARE(info.version, qint16(0x0205));
    QVERIFY(info.flag0);
    QVERIFY(!info.flag1);
    QVERIFY(info.flag7);
    QCOMPARE(info.customerName, QString::fromLatin1(customer.left(customerSize)));
    QCOMPARE(info.productName, QStringLiteral("Ärger"));
    QCOMPARE(info.logoName, QStringLiteral("ZENTAROX"));

    // The request carries the local date and time: 0, year - 2000, month,
    // day, hour, minute, second.
    const QList<QByteArray> written = rig.hid.written();
    QCOMPARE(written.size(), 1);
    const QByteArray r = written.first();
    QCOMPARE(r.left(8), QByteArray::fromHex("00fa620101000700"));
    QCOMPARE(r.size(), channel + 1);
    const QDateTime stamp(QDate(2000 + uchar(r.at(8)), r.at(9), r.at(10)),
                          QTime(r.at(11), r.at(12), r.at(13)));
    QVERIFY2(stamp >= before && stamp <= after, qPrintable(stamp.toString(Qt::ISODate)));
    QCOMPARE(r.mid(14), QByteArray(channel + 1 - 14, '\0'));
}

void TestTableCommands::configInfoSkipsEmptySlots() {
    ScriptRig rig(128);
    QVERIFY(rig.ok);
    const QByteArray full = "abcdefghijklmnopqrstuvwxyz012";  // 29 bytes, no NUL
    QByteArray p = bytes({4, 2, 0});
    p += slot("Alpha", 29) + slot("", 29) + slot(QStringLiteral("游戏").toUtf8(), 29) + full;
    QCOMPARE(p.size(), 3 + 29 * 4);
    rig.expect(0x57, 1, 1, QByteArray(), {rig.frame(0xD7, 1, 1, p)});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_config_info);
    rig.engine->getConfigInfo(SourceMainWindow, true);
    QVERIFY(waitFor(spy, 1));
    QCOMPARE(spy.at(0).at(0).value<uchar>(), uchar(SourceMainWindow));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));

    const ConfigTableList& list = rig.engine->stagedConfigList();
    QCOMPARE(list.size(), 3);
    // The empty second slot takes no number: the third slot gets index 1.
    QCOMPARE(list.at(0)->index, uchar(0));
    QCOMPARE(list.at(0)->configName, QStringLiteral("Alpha"));
    QCOMPARE(list.at(1)->index, uchar(1));
    QCOMPARE(list.at(1)->configName, QStringLiteral("游戏"));
    QCOMPARE(list.at(2)->index, uchar(2));
    QCOMPARE(list.at(2)->configName, QString::fromLatin1(full));
    QCOMPARE(rig.engine->stagedConfigIndex(), uchar(2));

    KeyboardConfigUtil model;
    rig.engine->commitConfigInfo(&model);
    QCOMPARE(model.keyboardConfigList.size(), 3);
    QCOMPARE(model.keyboardConfigIndex, quint8(2));
    QVERIFY(rig.engine->stagedConfigList().isEmpty());
}

void TestTableCommands::configInfoOverSeveralFrames() {
    // One slot per frame on a 64-byte channel; a later frame naming an index
    // already staged replaces that entry; every frame sets the active index.
    ScriptRig rig(64);
    QVERIFY(rig.ok);
    rig.expect(0x57, 1, 1, QByteArray(), {rig.frame(0xD7, 1, 3, bytes({3, 0, 0}) + slot("A", 29))});
    rig.expect(0x57, 2, 3, QByteArray(), {rig.frame(0xD7, 2, 3, bytes({3, 1, 1}) + slot("", 29))});
    rig.expect(0x57, 3, 3, QByteArray(), {rig.frame(0xD7, 3, 3, bytes({3, 1, 0}) + slot("Z", 29))});
    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_config_info);
    rig.engine->getConfigInfo(SourceSync, true);
    QVERIFY(waitFor(spy, 3));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    QCOMPARE(spy.at(2).at(1).toInt(), 3);
    QCOMPARE(spy.at(2).at(2).toInt(), 3);
    const ConfigTableList& list = rig.engine->stagedConfigList();
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.at(0)->configName, QStringLiteral("Z"));
    QCOMPARE(rig.engine->stagedConfigIndex(), uchar(1));

    // A new read starts from an empty list.
    rig.expect(0x57, 1, 1, QByteArray(), {rig.frame(0xD7, 1, 1, bytes({1, 0, 4}) + slot("B", 29))});
    rig.engine->getConfigInfo(SourceSync, true);
    QVERIFY(waitFor(spy, 4));
    QCOMPARE(rig.engine->stagedConfigList().size(), 1);
    QCOMPARE(rig.engine->stagedConfigList().at(0)->index, uchar(4));
}

void TestTableCommands::setConfigInfoCutsTheName() {
    QFETCH(int, channel);
    ScriptRig rig(channel);
    QVERIFY(rig.ok);
    // Ten three-byte characters are 30 bytes: 28 would split the tenth, so
    // nine whole characters go out.
    const QString longName = QString(QStringLiteral("配置")).repeated(5);
    const QByteArray utf8 = longName.toUtf8();
    QCOMPARE(utf8.size(), 30);
    QByteArray p = QByteArray(1, char(3)) + slot(utf8.left(27), 28) + QByteArray(1, '\0');
    QCOMPARE(p.size(), 30);
    rig.expect(0x56, 1, 1, p, {rig.frame(0xD6, 1, 1, QByteArray())});
    p = QByteArray(1, char(1)) + slot("FPS", 28) + QByteArray(1, '\0');
    rig.expect(0x56, 1, 1, p, {rig.frame(0xD6, 1, 1, QByteArray())});

    QSignalSpy spy(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_config_info);
    rig.engine->setConfigInfo(SourceMainWindow, true, 3, longName);
    QVERIFY(waitFor(spy, 1));
    rig.engine->setConfigInfo(SourceMainWindow, true, 1, QStringLiteral("FPS"));
    QVERIFY(waitFor(spy, 2));
    QVERIFY2(rig.problems().isEmpty(), qPrintable(rig.problems()));
    QCOMPARE(spy.at(1).at(0).value<uchar>(), uchar(SourceMainWindow));
}

void TestTableCommands::tablesOnTheKeyboard() {
    QFETCH(int, channel);
    SimRig rig(channel);
    QVERIFY(rig.ok);
    UsbCommunicateUtil* e = rig.engine.data();
    SimKeyboardState& state = rig.sim.keyboard().state();
    QSignalSpy added(e, &UsbCommunicateUtil::usb_receive_add_config_table);
    QSignalSpy renamed(e, &UsbCommunicateUtil::usb_receive_set_config_info);
    QSignalSpy switched(e, &UsbCommunicateUtil::usb_receive_switch_config_table);
    QSignalSpy deleted(e, &UsbCommunicateUtil::usb_receive_del_config_table);
    QSignalSpy tables(e, &UsbCommunicateUtil::usb_receive_config_info);

    e->addConfigTable(SourceMainWindow, true, 3);
    QVERIFY(waitFor(added, 1));
    e->setConfigInfo(SourceMainWindow, true, 3, QStringLiteral("新配置"));
    QVERIFY(waitFor(renamed, 1));
    e->switchConfigTable(SourceMainWindow, true, 3);
    QVERIFY(waitFor(switched, 1));
    QCOMPARE(state.profiles.size(), 4);
    QCOMPARE(state.configIndex, quint8(3));
    QCOMPARE(state.profile(3)->name, QStringLiteral("新配置"));

    e->getConfigInfo(SourceMainWindow, true);
    const int frames = channel == 128 ? 1 : 4;  // four slots per frame on 128, one on 64
    QVERIFY(waitFor(tables, frames));
    QCOMPARE(tables.last().at(1).toInt(), frames);
    QCOMPARE(e->stagedConfigList().size(), 4);
    QCOMPARE(e->stagedConfigList().at(3)->configName, QStringLiteral("新配置"));
    QCOMPARE(e->stagedConfigIndex(), uchar(3));

    // Deleting the active table makes the keyboard fall back to the first.
    e->delConfigTable(SourceMainWindow, true, 3);
    QVERIFY(waitFor(deleted, 1));
    QCOMPARE(deleted.at(0).at(0).value<uchar>(), uchar(SourceMainWindow));
    tables.clear();
    e->getConfigInfo(SourceMainWindow, true);
    QVERIFY(waitFor(tables, channel == 128 ? 1 : 3));
    QCOMPARE(e->stagedConfigList().size(), 3);
    QCOMPARE(e->stagedConfigIndex(), uchar(0));
    // Every answer came from the command that asked.
    for (const QSignalSpy* spy : {&added, &renamed, &switched, &deleted}) QCOMPARE(spy->count(), 1);
}

void TestTableCommands::namesKeepWholeCharacters() {
    // Names an earlier version cut inside their last character read without it.
    ScriptRig script(128);
    QVERIFY(script.ok);
    const QByteArray chinese = QString(QStringLiteral("配置")).repeated(5).toUtf8();
    const QByteArray emoji = QStringLiteral("Game 🎮🎮🎮🎮🎮").toUtf8();  // 5 + 4 × 5 bytes
    QByteArray p = bytes({0, 0, 0});
    p += slot(chinese.left(28), 29) + slot(chinese.left(26), 29) + slot(emoji.left(23), 29) +
         slot(QByteArray("ab\xC3"), 29);
    script.expect(0x57, 1, 1, QByteArray(), {script.frame(0xD7, 1, 1, p)});
    QSignalSpy read(script.engine.data(), &UsbCommunicateUtil::usb_receive_config_info);
    script.engine->getConfigInfo(SourceMainWindow, true);
    QVERIFY(waitFor(read, 1));
    QStringList names;
    for (const ConfigTableEntryPtr& e : script.engine->stagedConfigList()) names << e->configName;
    QCOMPARE(names,
             (QStringList{QStringLiteral("配置配置配置配置配"), QStringLiteral("配置配置配置配置"),
                          QStringLiteral("Game 🎮🎮🎮🎮"), QStringLiteral("ab")}));

    // Renamed with as many characters as the list lets one type, the
    // keyboard holds the whole characters that fit, and reads them back.
    SimRig rig(64);
    QVERIFY(rig.ok);
    QSignalSpy renamed(rig.engine.data(), &UsbCommunicateUtil::usb_receive_set_config_info);
    QSignalSpy tables(rig.engine.data(), &UsbCommunicateUtil::usb_receive_config_info);
    rig.engine->setConfigInfo(SourceMainWindow, true, 1,
                              QString(QStringLiteral("键")).repeated(28));
    QVERIFY(waitFor(renamed, 1));
    const QString kept = QString(QStringLiteral("键")).repeated(9);
    QCOMPARE(rig.sim.keyboard().state().profile(1)->name, kept);
    rig.engine->getConfigInfo(SourceMainWindow, true);
    QVERIFY(waitFor(tables, 3));
    QCOMPARE(rig.engine->stagedConfigList().at(1)->configName, kept);
}

QTEST_GUILESS_MAIN(TestTableCommands)
#include "tst_tablecommands.moc"
