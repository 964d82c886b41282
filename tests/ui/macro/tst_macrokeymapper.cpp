// Keys of the computer keyboard as macro keys: both scan-code tables for the
// left and right modifiers, keypad variants, shifted symbols, unmapped keys.

#include <QKeyEvent>
#include <QtTest>

#include "catalogue/keycatalogue.h"
#include "ui/pages/macro/macrokeymapper.h"

using Codes = MacroKeyMapper::ScanCodes;
Q_DECLARE_METATYPE(MacroKeyMapper::ScanCodes)

class TestMacroKeyMapper : public QObject {
    Q_OBJECT
private slots:
    void modifiers_data();
    void modifiers();
    void modifierOfTheOtherTableIsUnmapped();
    void keypadAndMainBlock();
    void shiftedSymbolsRecordTheirKey();
    void keysWithoutUsageAreUnmapped();
    void eventsOnThisPlatformUseItsTable();
    void mappedKeysHaveShortNames();
};

void TestMacroKeyMapper::modifiers_data() {
    QTest::addColumn<Codes>("codes");
    QTest::addColumn<int>("key");
    QTest::addColumn<uint>("scanCode");
    QTest::addColumn<int>("bit");
    QTest::newRow("pc left shift") << Codes::Pc << int(Qt::Key_Shift) << 42u << 0x02;
    QTest::newRow("pc right shift") << Codes::Pc << int(Qt::Key_Shift) << 54u << 0x20;
    QTest::newRow("pc left ctrl") << Codes::Pc << int(Qt::Key_Control) << 29u << 0x01;
    QTest::newRow("pc right ctrl") << Codes::Pc << int(Qt::Key_Control) << 0xE01Du << 0x10;
    QTest::newRow("pc right ctrl ext") << Codes::Pc << int(Qt::Key_Control) << 0x11Du << 0x10;
    QTest::newRow("pc left alt") << Codes::Pc << int(Qt::Key_Alt) << 56u << 0x04;
    QTest::newRow("pc right alt") << Codes::Pc << int(Qt::Key_Alt) << 0xE038u << 0x40;
    QTest::newRow("pc left win") << Codes::Pc << int(Qt::Key_Meta) << 0xE05Bu << 0x08;
    QTest::newRow("pc right win") << Codes::Pc << int(Qt::Key_Meta) << 0xE05Cu << 0x80;
    QTest::newRow("xkb left shift") << Codes::Xkb << int(Qt::Key_Shift) << 50u << 0x02;
    QTest::newRow("xkb right shift") << Codes::Xkb << int(Qt::Key_Shift) << 62u << 0x20;
    QTest::newRow("xkb left ctrl") << Codes::Xkb << int(Qt::Key_Control) << 37u << 0x01;
    QTest::newRow("xkb right ctrl") << Codes::Xkb << int(Qt::Key_Control) << 105u << 0x10;
    QTest::newRow("xkb left alt") << Codes::Xkb << int(Qt::Key_Alt) << 64u << 0x04;
    QTest::newRow("xkb right alt") << Codes::Xkb << int(Qt::Key_Alt) << 108u << 0x40;
    QTest::newRow("xkb altgr") << Codes::Xkb << int(Qt::Key_AltGr) << 108u << 0x40;
    QTest::newRow("xkb left super") << Codes::Xkb << int(Qt::Key_Super_L) << 133u << 0x08;
    QTest::newRow("xkb right super") << Codes::Xkb << int(Qt::Key_Super_R) << 134u << 0x80;
    QTest::newRow("xkb meta") << Codes::Xkb << int(Qt::Key_Meta) << 133u << 0x08;
}

void TestMacroKeyMapper::modifiers() {
    QFETCH(Codes, codes);
    QFETCH(int, key);
    QFETCH(uint, scanCode);
    QFETCH(int, bit);
    const auto mapped = MacroKeyMapper::map(key, false, scanCode, codes);
    QVERIFY(mapped);
    QCOMPARE(mapped->type, quint8(0));
    QCOMPARE(int(mapped->lValue), bit);
    QCOMPARE(mapped->hValue, quint8(0));
}

void TestMacroKeyMapper::modifierOfTheOtherTableIsUnmapped() {
    // 42 is a PC left Shift but no XKB Shift key; 50 the other way round.
    QVERIFY(!MacroKeyMapper::map(Qt::Key_Shift, false, 42, Codes::Xkb));
    QVERIFY(!MacroKeyMapper::map(Qt::Key_Shift, false, 50, Codes::Pc));
    // A Shift key code reported for Control is no Control key.
    QVERIFY(!MacroKeyMapper::map(Qt::Key_Control, false, 50, Codes::Xkb));
    QVERIFY(!MacroKeyMapper::map(Qt::Key_Alt, false, 0, Codes::Xkb));
}

void TestMacroKeyMapper::keypadAndMainBlock() {
    const struct {
        int key;
        bool keypad;
        int usage;
    } cases[] = {
        {Qt::Key_1, false, 0x1E},         {Qt::Key_9, false, 0x26},
        {Qt::Key_0, false, 0x27},         {Qt::Key_1, true, 0x59},
        {Qt::Key_9, true, 0x61},          {Qt::Key_0, true, 0x62},
        {Qt::Key_Minus, false, 0x2D},     {Qt::Key_Minus, true, 0x56},
        {Qt::Key_Slash, false, 0x38},     {Qt::Key_Slash, true, 0x54},
        {Qt::Key_Asterisk, true, 0x55},   {Qt::Key_Plus, true, 0x57},
        {Qt::Key_Return, false, 0x28},    {Qt::Key_Enter, true, 0x58},
        {Qt::Key_A, false, 0x04},         {Qt::Key_Z, false, 0x1D},
        {Qt::Key_F1, false, 0x3A},        {Qt::Key_F12, false, 0x45},
        {Qt::Key_Left, false, 0x50},      {Qt::Key_Down, false, 0x51},
        {Qt::Key_Menu, false, 0x65},      {Qt::Key_Print, false, 0x46},
        {Qt::Key_QuoteLeft, false, 0x35},
    };
    for (const auto& c : cases) {
        const auto mapped = MacroKeyMapper::map(c.key, c.keypad, 0, Codes::Xkb);
        QVERIFY2(mapped, qPrintable(QString::number(c.key, 16)));
        QCOMPARE(mapped->type, quint8(1));
        QCOMPARE(int(mapped->lValue), c.usage);
    }
}

void TestMacroKeyMapper::shiftedSymbolsRecordTheirKey() {
    // With Shift held the toolkit names the symbol; the key is still the digit.
    QCOMPARE(int(MacroKeyMapper::map(Qt::Key_Exclam, false, 0, Codes::Xkb)->lValue), 0x1E);
    QCOMPARE(int(MacroKeyMapper::map(Qt::Key_Asterisk, false, 0, Codes::Xkb)->lValue), 0x25);
    QCOMPARE(int(MacroKeyMapper::map(Qt::Key_Plus, false, 0, Codes::Xkb)->lValue), 0x2E);
    QCOMPARE(int(MacroKeyMapper::map(Qt::Key_Question, false, 0, Codes::Xkb)->lValue), 0x38);
    QCOMPARE(int(MacroKeyMapper::map(Qt::Key_Backtab, false, 0, Codes::Xkb)->lValue), 0x2B);
}

void TestMacroKeyMapper::keysWithoutUsageAreUnmapped() {
    for (int key : {int(Qt::Key_VolumeUp), int(Qt::Key_F13), int(Qt::Key_unknown), 0})
        QVERIFY(!MacroKeyMapper::map(key, false, 0, Codes::Xkb));
}

void TestMacroKeyMapper::eventsOnThisPlatformUseItsTable() {
    QCOMPARE(MacroKeyMapper::platformScanCodes(), Codes::Xkb);
    const QKeyEvent right(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 62, 0xFFE2, 0);
    QCOMPARE(int(MacroKeyMapper::map(&right)->lValue), 0x20);
    const QKeyEvent pad(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, 84, 0, 0);
    QCOMPARE(int(MacroKeyMapper::map(&pad)->lValue), 0x5D);
}

void TestMacroKeyMapper::mappedKeysHaveShortNames() {
    // A recorded row shows its key by the picker's short name.
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        const auto k = MacroKeyMapper::map(key, false, 0, Codes::Xkb);
        QVERIFY(!KeyCatalogue::shortName(k->type, k->hValue, k->lValue).isEmpty());
    }
    for (uint code : {50u, 62u, 37u, 105u, 64u, 108u, 133u, 134u}) {
        const int key = code == 37 || code == 105    ? Qt::Key_Control
                        : code == 64 || code == 108  ? Qt::Key_Alt
                        : code == 133 || code == 134 ? Qt::Key_Meta
                                                     : Qt::Key_Shift;
        const auto k = MacroKeyMapper::map(key, false, code, Codes::Xkb);
        QVERIFY(!KeyCatalogue::shortName(k->type, k->hValue, k->lValue).isEmpty());
    }
}

QTEST_MAIN(TestMacroKeyMapper)
#include "tst_macrokeymapper.moc"
