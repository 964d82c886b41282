// The key catalogue: label rule, picker layouts, names, and agreement with
// the tool-tip files.

#include <QSet>
#include <QSettings>
#include <QtTest>

#include "catalogue/keycatalogue.h"

class TestKeyCatalogue : public QObject {
    Q_OBJECT

private slots:
    void labelRule();
    void tablesAreComplete();
    void pickerTabs();
    void names();
    void keyEvents();
    void tipFilesAgree();
};

void TestKeyCatalogue::labelRule() {
    // Media key 0x0223: the home image, no text; the same code as a keyboard
    // usage is no key at all.
    KeyLabel home = KeyCatalogue::label(2, 0x02, 0x23);
    QVERIFY(home.found);
    QVERIFY(home.showsImage());
    QVERIFY(!home.showsText());
    QCOMPARE(home.image, QStringLiteral("system_key_home.png"));
    QCOMPARE(home.tipKey, QStringLiteral("keyboard/media/home"));
    QVERIFY(!KeyCatalogue::label(1, 0x02, 0x23).found);
    QVERIFY(!KeyCatalogue::find(1, quint16(0x223)));

    const KeyLabel a = KeyCatalogue::label(1, 0, 0x04);
    QCOMPARE(a.text, QStringLiteral("A"));
    QVERIFY(a.showsText() && !a.showsImage());
    QCOMPARE(KeyCatalogue::label(0, 0, 0x20).text, QStringLiteral("Right Shift"));
    QCOMPARE(KeyCatalogue::label(3, 0, 9).text, QStringLiteral("M10"));
    QCOMPARE(KeyCatalogue::label(1, 0, 0x31).text, QStringLiteral("|\\"));
    QCOMPARE(KeyCatalogue::label(1, 0, 0x34).text, QStringLiteral("\"'"));

    // Advanced keys go by the record's kind, not by lValue.
    QCOMPARE(KeyCatalogue::label(4, 0, 17, 2).image, QStringLiteral("key_dks.png"));
    QCOMPARE(KeyCatalogue::label(4, 0, 2, 5).tipKey, QStringLiteral("keyboard/high/socd"));
    QVERIFY(!KeyCatalogue::label(4, 0, 2).found);  // no such record

    // Calibration keeps its text but shows only the image.
    const KeyLabel calibration = KeyCatalogue::label(5, 0, 247);
    QVERIFY(calibration.showsImage() && !calibration.showsText());
    QCOMPARE(KeyCatalogue::label(5, 0, 243).text, QStringLiteral("2.4G"));
    QVERIFY(!KeyCatalogue::label(0xFF, 0xFF, 0xFF).found);
}

void TestKeyCatalogue::tablesAreComplete() {
    QHash<int, int> perType;
    QSet<quint32> codes;
    for (const KeyCatalogueEntry& e : KeyCatalogue::entries()) {
        ++perType[e.type];
        QVERIFY2(!codes.contains(quint32(e.type) << 16 | e.code),
                 qPrintable(QStringLiteral("duplicate %1/%2").arg(e.type).arg(e.code)));
        codes.insert(quint32(e.type) << 16 | e.code);
        QVERIFY(!e.tipKey.isEmpty());
        if (e.labelKind != KeyCatalogue::LabelText) QVERIFY(e.image.endsWith(".png"));
        if (e.labelKind != KeyCatalogue::LabelImage) QVERIFY(!e.text.isEmpty());
    }
    QCOMPARE(perType.value(0), 8);
    QCOMPARE(perType.value(1), 109);
    QCOMPARE(perType.value(2), 21);
    QCOMPARE(perType.value(3), 10);
    QCOMPARE(perType.value(4), 6);
    QCOMPARE(perType.value(5), 25);
}

void TestKeyCatalogue::pickerTabs() {
    const int counts[] = {104, 20, 10, 10, 13};
    QSet<quint32> onTabs;
    for (int tab = 0; tab < KeyCatalogue::TabCount; ++tab) {
        const PickerTab& t = KeyCatalogue::pickerTab(tab);
        QCOMPARE(t.buttons.size(), counts[tab]);
        const QRect inside(QPoint(0, 0), t.area.size());
        for (int i = 0; i < t.buttons.size(); ++i) {
            const PickerButton& b = t.buttons[i];
            // Every face comes from the catalogue: no blank buttons.
            QVERIFY2(KeyCatalogue::find(b.type, b.hValue, b.lValue),
                     qPrintable(QStringLiteral("tab %1 button %2").arg(tab).arg(i)));
            QVERIFY2(inside.contains(b.geometry),
                     qPrintable(QStringLiteral("tab %1 button %2 outside").arg(tab).arg(i)));
            for (int j = 0; j < i; ++j)
                QVERIFY2(
                    !t.buttons[j].geometry.intersects(b.geometry),
                    qPrintable(QStringLiteral("tab %1: %2 overlaps %3").arg(tab).arg(i).arg(j)));
            onTabs.insert(quint32(b.type) << 16 | quint32(b.hValue) << 8 | b.lValue);
            if (tab == 0) QVERIFY(!b.shortName.isEmpty());
        }
    }
    QCOMPARE(KeyCatalogue::pickerTab(0).area, QRect(0, 0, 1100, 284));
    QCOMPARE(KeyCatalogue::pickerTab(4).area, QRect(280, 0, 441, 98));
    // Every modifier and keyboard key of a full-size keyboard can be chosen.
    for (quint8 bit = 1; bit; bit <<= 1) QVERIFY(onTabs.contains(quint32(bit)));
    for (int usage : {0x04, 0x27, 0x39, 0x53, 0x58, 0x62, 0x63, 0x65})
        QVERIFY2(onTabs.contains(1u << 16 | quint32(usage)),
                 qPrintable(QString::number(usage, 16)));
}

void TestKeyCatalogue::names() {
    QCOMPARE(KeyCatalogue::shortName(0, 0, 0x02), QStringLiteral("Shift"));
    QCOMPARE(KeyCatalogue::shortName(1, 0, 0x31), QStringLiteral("\\"));
    QCOMPARE(KeyCatalogue::shortName(1, 0, 0x53), QStringLiteral("LOCK"));
    QCOMPARE(KeyCatalogue::shortName(1, 0, 0x2C), QStringLiteral("SPACE"));
    QVERIFY(KeyCatalogue::shortName(1, 0, 0x68).isEmpty());  // F13 is not on tab 0
    QCOMPARE(KeyCatalogue::displayName(1, 0, 0x68), QStringLiteral("F13"));
    QCOMPARE(KeyCatalogue::displayName(2, 0, 0xE2), QStringLiteral("mute"));
    QCOMPARE(KeyCatalogue::displayName(0xFF, 0xFF, 0xFF), QStringLiteral("none"));
    QCOMPARE(KeyCatalogue::find(1, 0, 0x04)->shortName, QStringLiteral("A"));

    struct Case {
        const char* name;
        quint8 type, h, l;
    } cases[] = {
        {"F13", 1, 0, 0x68},
        {"left ctrl", 0, 0, 0x01},
        {"LeftCtrl", 0, 0, 0x01},
        {"M3", 3, 0, 2},
        {"MUTE", 2, 0, 0xE2},
        {"none", 0xFF, 0xFF, 0xFF},
        {"1", 1, 0, 0x1E},
        {"Enter", 1, 0, 0x28},
        {"volumeAdd", 2, 0, 0xE9},
        {"home", 1, 0, 0x4A},
        {"rgbNext", 5, 0, 239},
        {"Right Shift", 0, 0, 0x20},
        {"keyboard/media/home", 2, 0x02, 0x23},
    };
    for (const Case& c : cases) {
        quint8 t = 0, h = 0, l = 0;
        QVERIFY2(KeyCatalogue::bindingForName(QString::fromLatin1(c.name), &t, &h, &l), c.name);
        QCOMPARE(t, c.type);
        QCOMPARE(h, c.h);
        QCOMPARE(l, c.l);
    }
    quint8 t = 7;
    QVERIFY(!KeyCatalogue::bindingForName(QStringLiteral("tgl"), &t, nullptr, nullptr));
    QVERIFY(!KeyCatalogue::bindingForName(QStringLiteral("  "), &t, nullptr, nullptr));
    QVERIFY(!KeyCatalogue::bindingForName(QStringLiteral("F25"), &t, nullptr, nullptr));
    QCOMPARE(t, quint8(7));
}

void TestKeyCatalogue::keyEvents() {
    struct Case {
        int key;
        bool keypad;
        quint32 scan;
        bool mapped;
        quint8 type, l;
    } cases[] = {
        {Qt::Key_Shift, false, 42, true, 0, 0x02},
        {Qt::Key_Shift, false, 54, true, 0, 0x20},
        {Qt::Key_Shift, false, 50, true, 0, 0x02},
        {Qt::Key_Shift, false, 62, true, 0, 0x20},
        {Qt::Key_Control, false, 0xE01D, true, 0, 0x10},
        {Qt::Key_Alt, false, 64, true, 0, 0x04},
        {Qt::Key_Meta, false, 134, true, 0, 0x80},
        {Qt::Key_Shift, false, 7, false, 0, 0},
        {Qt::Key_A, false, 0, true, 1, 0x04},
        {Qt::Key_0, false, 0, true, 1, 0x27},
        {Qt::Key_0, true, 0, true, 1, 0x62},
        {Qt::Key_1, true, 0, true, 1, 0x59},
        {Qt::Key_Minus, true, 0, true, 1, 0x56},
        {Qt::Key_Asterisk, false, 0, false, 0, 0},
        {Qt::Key_Plus, true, 0, true, 1, 0x57},
        {Qt::Key_Enter, true, 0, true, 1, 0x58},
        {Qt::Key_Home, true, 0, true, 1, 0x5F},
        {Qt::Key_Home, false, 0, true, 1, 0x4A},
        {Qt::Key_F12, false, 0, true, 1, 0x45},
        {Qt::Key_F13, false, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        quint8 type = 0, l = 0;
        const QString what = QStringLiteral("key %1 scan %2").arg(c.key, 0, 16).arg(c.scan);
        QVERIFY2(KeyCatalogue::bindingForKeyEvent(c.key, c.keypad, c.scan, &type, &l) == c.mapped,
                 qPrintable(what));
        if (!c.mapped) continue;
        QVERIFY2(type == c.type && l == c.l, qPrintable(what));
    }
}

void TestKeyCatalogue::tipFilesAgree() {
    const QString dir = qEnvironmentVariable("ZENTARO_SOURCE_DIR") + "/resources/tips/";
    for (const char* file : {"tip_file_cn.ini", "tip_file_en.ini", "tip_file_vn.ini"}) {
        QSettings tips(dir + QLatin1String(file), QSettings::IniFormat);
        QCOMPARE(tips.status(), QSettings::NoError);
        for (const QString& key : KeyCatalogue::tipKeys())
            QVERIFY2(!tips.value(key).toString().isEmpty(),
                     qPrintable(QStringLiteral("%1 lacks %2").arg(QLatin1String(file), key)));
    }
}

QTEST_GUILESS_MAIN(TestKeyCatalogue)
#include "tst_keycatalogue.moc"
