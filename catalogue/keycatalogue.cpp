#include "catalogue/keycatalogue.h"

#include <QHash>
#include <QSet>
#include <Qt>

namespace {

struct Tables {
    QList<KeyCatalogueEntry> entries;
    QHash<quint32, int> byCode;  // (type << 16 | code) -> first entry
    PickerTab tabs[KeyCatalogue::TabCount];
};

quint32 codeKey(quint8 type, quint16 code) {
    return (quint32(type) << 16) | code;
}

void add(Tables& t, quint8 type, quint16 code, quint8 kind, const QString& text,
         const QString& image, const QString& tipKey) {
    KeyCatalogueEntry e;
    e.type = type;
    e.code = code;
    e.labelKind = kind;
    e.text = text;
    e.image = image;
    e.tipKey = tipKey;
    if (!t.byCode.contains(codeKey(type, code)))
        t.byCode.insert(codeKey(type, code), t.entries.size());
    t.entries.append(e);
}

void addKey(Tables& t, quint16 code, const QString& text, const QString& suffix) {
    add(t, KeyCatalogue::TypeKey, code, KeyCatalogue::LabelText, text, QString(),
        QStringLiteral("keyboard/key/") + suffix);
}

void buildEntries(Tables& t) {
    using K = KeyCatalogue;
    // Modifiers: one bit each.
    const struct {
        quint8 bit;
        const char* text;
        const char* tip;
    } modifiers[] = {
        {0x01, "Left Ctrl", "leftControl"}, {0x02, "Left Shift", "leftShirt"},
        {0x04, "Left Alt", "leftAlt"},      {0x08, "Left Win", "leftWin"},
        {0x10, "Right Ctrl", "rightCtrl"},  {0x20, "Right Shift", "rightShirt"},
        {0x40, "Right Alt", "rightAlt"},    {0x80, "Right Win", "rightWin"},
    };
    for (const auto& m : modifiers)
        add(t, K::TypeModifier, m.bit, K::LabelText, QString::fromLatin1(m.text), QString(),
            QStringLiteral("keyboard/control/") + QLatin1String(m.tip));

    // Keyboard/Keypad page usages.
    for (int i = 0; i < 26; ++i)
        addKey(t, 0x04 + i, QString(QChar('A' + i)), QString(QChar('a' + i)));
    const char* digits[] = {"!1", "@2", "#3", "$4", "%5", "^6", "&7", "*8", "(9", ")0"};
    for (int i = 0; i < 10; ++i)
        addKey(t, 0x1E + i, QString::fromLatin1(digits[i]), QString::number((i + 1) % 10));
    const struct {
        quint16 code;
        const char* text;
        const char* tip;
    } keys[] = {
        {0x28, "Enter", "enter"},
        {0x29, "Esc", "esc"},
        {0x2A, "Back Space", "backSpace"},
        {0x2B, "Tab", "tab"},
        {0x2C, "Space", "space"},
        {0x2D, "-_", "desc"},
        {0x2E, "+=", "add"},
        {0x2F, "{[", "leftBracket"},
        {0x30, "}]", "rightBracket"},
        {0x31, "|\\", "vertical"},
        {0x32, "NonUSPound", "nonUs"},
        {0x33, ":;", "colon"},
        {0x34, "\"'", "comma"},
        {0x35, "~`", "tilde"},
        {0x36, "<,", "lessThan"},
        {0x37, ">.", "greaterThan"},
        {0x38, "?/", "question"},
        {0x39, "CapsLock", "capsLock"},
    };
    for (const auto& k : keys)
        addKey(t, k.code, QString::fromLatin1(k.text), QString::fromLatin1(k.tip));
    for (int i = 0; i < 12; ++i)
        addKey(t, 0x3A + i, QStringLiteral("F%1").arg(i + 1), QStringLiteral("f%1").arg(i + 1));
    const struct {
        quint16 code;
        const char* text;
        const char* tip;
    } navigation[] = {
        {0x46, "Prtsc", "printScreen"},
        {0x47, "LOCK", "lock"},
        {0x48, "PAUSE", "pause"},
        {0x49, "Insert", "insert"},
        {0x4A, "Home", "home"},
        {0x4B, "PgUp", "pageUp"},
        {0x4C, "Del", "del"},
        {0x4D, "End", "end"},
        {0x4E, "PgDn", "pageDown"},
        {0x4F, "Right", "right"},
        {0x50, "Left", "left"},
        {0x51, "Down", "down"},
        {0x52, "Up", "up"},
        {0x53, "Num Lock", "numLock"},
        {0x54, "/", "slash"},
        {0x55, "*", "asterisk"},
        {0x56, "-", "numDec"},
        {0x57, "+", "numAdd"},
        {0x58, "Enter", "numEnter"},
    };
    for (const auto& k : navigation)
        addKey(t, k.code, QString::fromLatin1(k.text), QString::fromLatin1(k.tip));
    for (int i = 0; i < 10; ++i)
        addKey(t, 0x59 + i, QString::number((i + 1) % 10),
               QStringLiteral("num%1").arg((i + 1) % 10));
    addKey(t, 0x63, QStringLiteral("./Del"), QStringLiteral("numDel"));
    addKey(t, 0x65, QStringLiteral("Menu"), QStringLiteral("menu"));
    for (int i = 0; i < 12; ++i)
        addKey(t, 0x68 + i, QStringLiteral("F%1").arg(13 + i), QStringLiteral("f%1").arg(13 + i));

    // Consumer page usages: images only.
    const struct {
        quint16 code;
        const char* image;
        const char* tip;
    } media[] = {
        {0x183, "system_key_player.png", "player"},
        {0x0E9, "system_key_volume_add.png", "volumeAdd"},
        {0x0EA, "system_key_volume_dec.png", "volumeDec"},
        {0x0E2, "system_key_mute.png", "mute"},
        {0x0CD, "system_key_play.png", "play"},
        {0x0B7, "system_key_stop_play.png", "stopPlay"},
        {0x0B6, "system_key_prev.png", "prev"},
        {0x0B5, "system_key_next.png", "next"},
        {0x06F, "system_key_light_add.png", "lightAdd"},
        {0x070, "system_key_light_dec.png", "lightDec"},
        {0x223, "system_key_home.png", "home"},
        {0x227, "system_key_refresh.png", "refresh"},
        {0x226, "system_key_stop.png", "stop"},
        {0x0B4, "system_key_back.png", "back"},
        {0x0B3, "system_key_forward.png", "forward"},
        {0x222, "system_key_favor.png", "favor"},
        {0x221, "system_key_search.png", "search"},
        {0x194, "system_key_computer.png", "computer"},
        {0x192, "system_key_calculator.png", "calculator"},
        {0x18A, "system_key_mail.png", "mail"},
        {0x22A, "system_key_start.png", "start"},
    };
    for (const auto& m : media)
        add(t, K::TypeMedia, m.code, K::LabelImage, QString(), QString::fromLatin1(m.image),
            QStringLiteral("keyboard/media/") + QLatin1String(m.tip));

    for (int i = 0; i < 10; ++i)
        add(t, K::TypeMacro, i, K::LabelText, QStringLiteral("M%1").arg(i + 1), QString(),
            QStringLiteral("keyboard/macro/m%1").arg(i + 1));

    const char* advanced[] = {"tgl", "mt", "dks", "rs", "oks", "socd"};
    for (int kind = 0; kind < 6; ++kind)
        add(t, K::TypeAdvanced, kind, K::LabelImage, QString::fromLatin1(advanced[kind]).toUpper(),
            QStringLiteral("key_%1.png").arg(QLatin1String(advanced[kind])),
            QStringLiteral("keyboard/high/") + QLatin1String(advanced[kind]));

    const struct {
        quint8 code;
        quint8 kind;
        const char* text;
        const char* image;
        const char* tip;
    } internal[] = {
        {239, 1, "RGB+", "lamp_key_rgb_next.png", "rgbNext"},
        {238, 1, "RGB-", "lamp_key_rgb_prev.png", "rgbPrev"},
        {237, 1, "RGB Cycle", "lamp_key_rgb_cycle.png", "rgbCycle"},
        {236, 1, "Hue+", "lamp_key_hue_add.png", "hueAdd"},
        {235, 1, "Hue-", "lamp_key_hue_dec.png", "hueDec"},
        {234, 1, "Light+", "lamp_key_light_add.png", "lightAdd"},
        {233, 1, "Light-", "lamp_key_light_dec.png", "lightDec"},
        {232, 1, "Speed+", "lamp_key_rgb_speed_add.png", "rgbSpeedAdd"},
        {231, 1, "Speed-", "lamp_key_rgb_speed_dec.png", "rgbSpeedDec"},
        {230, 0, "Bright Off", "", "brightOff"},
        {242, 0, "Web", "", "web"},
        {243, 0, "2.4G", "", "24g"},
        {244, 0, "BT3", "", "bt3"},
        {245, 0, "BT2", "", "bt2"},
        {246, 0, "BT1", "", "bt1"},
        {254, 0, "Fn", "", "fn1"},
        {253, 0, "Fn2", "", "fn2"},
        {252, 0, "Fn3", "", "fn3"},
        {251, 0, "Mac", "", "mac"},
        {250, 0, "Win", "", "win"},
        {223, 0, "PF+", "", "fninc"},
        {222, 0, "PF-", "", "fndec"},
        {249, 1, "Win Lock", "extend_key_win_lock.png", "winLock"},
        {248, 0, "Reset", "", "reset"},
        {247, 1, "校准", "extend_key_calibration.png", "calibration"},
    };
    for (const auto& f : internal)
        add(t, K::TypeInternal, f.code, f.kind, QString::fromUtf8(f.text),
            QString::fromLatin1(f.image),
            QStringLiteral("keyboard/internal/") + QLatin1String(f.tip));
}

PickerButton button(int x, int y, quint8 type, quint16 code, const char* name, int w = 44,
                    int h = 44) {
    PickerButton b;
    b.geometry = QRect(x, y, w, h);
    b.type = type;
    b.hValue = quint8(code >> 8);
    b.lValue = quint8(code & 0xFF);
    b.shortName = QString::fromUtf8(name);
    return b;
}

// Tab 0: a full-size keyboard on a 48-pixel pitch; navigation block at 744,
// keypad at 912.
void buildKeyboardTab(PickerTab& tab) {
    const quint8 K = KeyCatalogue::TypeKey;
    const quint8 M = KeyCatalogue::TypeModifier;
    tab.area = QRect(0, 0, 1100, 284);
    QList<PickerButton>& b = tab.buttons;

    b << button(0, 0, K, 0x29, "Esc");
    for (int i = 0; i < 12; ++i) {
        const int x = 96 + (i / 4) * 216 + (i % 4) * 48;
        b << button(x, 0, K, 0x3A + i, QStringLiteral("F%1").arg(i + 1).toLatin1().constData());
    }
    b << button(744, 0, K, 0x46, "Prtsc") << button(792, 0, K, 0x47, "LOCK")
      << button(840, 0, K, 0x48, "PAUSE");

    b << button(0, 48, K, 0x35, "`");
    for (int i = 0; i < 10; ++i)
        b << button(48 + 48 * i, 48, K, 0x1E + i, QByteArray::number((i + 1) % 10).constData());
    b << button(528, 48, K, 0x2D, "-") << button(576, 48, K, 0x2E, "=")
      << button(624, 48, K, 0x2A, "Backspace", 92) << button(744, 48, K, 0x49, "INS")
      << button(792, 48, K, 0x4A, "HOME") << button(840, 48, K, 0x4B, "PgUp")
      << button(912, 48, K, 0x53, "LOCK") << button(960, 48, K, 0x54, "/")
      << button(1008, 48, K, 0x55, "*") << button(1056, 48, K, 0x56, "-");

    b << button(0, 96, K, 0x2B, "Tab", 71);
    const char* top = "QWERTYUIOP";
    for (int i = 0; i < 10; ++i) {
        const char name[2] = {top[i], 0};
        b << button(74 + 48 * i, 96, K, 0x04 + (top[i] - 'A'), name);
    }
    b << button(554, 96, K, 0x2F, "[") << button(602, 96, K, 0x30, "]")
      << button(650, 96, K, 0x31, "\\", 66) << button(744, 96, K, 0x4C, "DEL")
      << button(792, 96, K, 0x4D, "END") << button(840, 96, K, 0x4E, "PgDn")
      << button(912, 96, K, 0x5F, "7") << button(960, 96, K, 0x60, "8")
      << button(1008, 96, K, 0x61, "9") << button(1056, 96, K, 0x57, "+", 44, 90);

    b << button(0, 144, K, 0x39, "Caps Lock", 84);
    const char* home = "ASDFGHJKL";
    for (int i = 0; i < 9; ++i) {
        const char name[2] = {home[i], 0};
        b << button(88 + 48 * i, 144, K, 0x04 + (home[i] - 'A'), name);
    }
    b << button(520, 144, K, 0x33, ";") << button(568, 144, K, 0x34, "'")
      << button(616, 144, K, 0x28, "Enter", 100) << button(912, 144, K, 0x5C, "4")
      << button(960, 144, K, 0x5D, "5") << button(1008, 144, K, 0x5E, "6");

    b << button(0, 192, M, 0x02, "Shift", 106);
    const char* bottom = "ZXCVBNM";
    for (int i = 0; i < 7; ++i) {
        const char name[2] = {bottom[i], 0};
        b << button(110 + 48 * i, 192, K, 0x04 + (bottom[i] - 'A'), name);
    }
    b << button(446, 192, K, 0x36, ",") << button(494, 192, K, 0x37, ".")
      << button(542, 192, K, 0x38, "/") << button(590, 192, M, 0x20, "Right Shift", 126)
      << button(792, 192, K, 0x52, "↑") << button(912, 192, K, 0x59, "1")
      << button(960, 192, K, 0x5A, "2") << button(1008, 192, K, 0x5B, "3")
      << button(1056, 192, K, 0x58, "ENTER", 44, 90);

    b << button(0, 240, M, 0x01, "Left Ctrl", 62) << button(66, 240, M, 0x08, "Left Win", 62)
      << button(131, 240, M, 0x04, "Left Alt", 62) << button(198, 240, K, 0x2C, "SPACE", 278)
      << button(480, 240, M, 0x40, "Right Alt", 55) << button(539, 240, M, 0x80, "Right Win", 55)
      << button(599, 240, K, 0x65, "MENU", 55) << button(659, 240, M, 0x10, "Right Ctrl", 57)
      << button(744, 240, K, 0x50, "←") << button(792, 240, K, 0x51, "↓")
      << button(840, 240, K, 0x4F, "→")
      // Keypad 0 spans two keys; the key beside it is the keypad decimal point
      // (keypad minus already sits on the top row).
      << button(912, 240, K, 0x62, "0", 92) << button(1008, 240, K, 0x63, ".");
}

void buildRowTab(PickerTab& tab, const QRect& area, quint8 type,
                 const QList<QList<quint16>>& rows) {
    tab.area = area;
    for (int row = 0; row < rows.size(); ++row)
        for (int col = 0; col < rows[row].size(); ++col)
            tab.buttons << button(54 * col, 54 * row, type, rows[row][col], "");
}

void buildTabs(Tables& t) {
    buildKeyboardTab(t.tabs[KeyCatalogue::TabKeyboard]);
    buildRowTab(t.tabs[KeyCatalogue::TabSystem], QRect(280, 0, 539, 98), KeyCatalogue::TypeMedia,
                {{0x183, 0xE9, 0xEA, 0xE2, 0xCD, 0xB7, 0xB6, 0xB5, 0x6F, 0x70},
                 {0x223, 0x227, 0x226, 0xB4, 0xB3, 0x222, 0x221, 0x194, 0x192, 0x18A}});
    buildRowTab(t.tabs[KeyCatalogue::TabMacro], QRect(280, 0, 539, 44), KeyCatalogue::TypeMacro,
                {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}});
    buildRowTab(t.tabs[KeyCatalogue::TabLight], QRect(280, 0, 539, 44), KeyCatalogue::TypeInternal,
                {{239, 238, 237, 236, 235, 234, 233, 232, 231, 230}});
    buildRowTab(t.tabs[KeyCatalogue::TabExtend], QRect(280, 0, 441, 98), KeyCatalogue::TypeInternal,
                {{254, 251, 250, 249, 248, 247, 223}, {222, 242, 243, 244, 245, 246}});
}

const Tables& tables() {
    static const Tables t = [] {
        Tables built;
        buildEntries(built);
        buildTabs(built);
        for (KeyCatalogueEntry& e : built.entries)
            e.shortName = KeyCatalogue::shortName(e.type, quint8(e.code >> 8), quint8(e.code));
        return built;
    }();
    return t;
}

const PickerTab& keyboardTab() {
    // Built on its own so that shortName() works while the entries are built.
    static const PickerTab tab = [] {
        PickerTab built;
        buildKeyboardTab(built);
        return built;
    }();
    return tab;
}

QString squeezed(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (QChar c : name)
        if (!c.isSpace()) out.append(c.toLower());
    return out;
}

QString tipSuffix(const QString& tipKey) {
    return tipKey.section(QLatin1Char('/'), -1);
}

}  // namespace

const QList<KeyCatalogueEntry>& KeyCatalogue::entries() {
    return tables().entries;
}

quint16 KeyCatalogue::codeOf(quint8 type, quint8 hValue, quint8 lValue, quint8 advancedKind) {
    switch (type) {
        case TypeKey:  // a keyboard usage never has a high byte: 0x0223 is no key
        case TypeMedia:
            return quint16(hValue) << 8 | lValue;
        case TypeAdvanced:
            return advancedKind;
        default:
            return lValue;
    }
}

const KeyCatalogueEntry* KeyCatalogue::find(quint8 type, quint16 code) {
    const Tables& t = tables();
    const auto it = t.byCode.constFind(codeKey(type, code));
    return it == t.byCode.constEnd() ? nullptr : &t.entries.at(it.value());
}

const KeyCatalogueEntry* KeyCatalogue::find(quint8 type, quint8 hValue, quint8 lValue,
                                            quint8 advancedKind) {
    return find(type, codeOf(type, hValue, lValue, advancedKind));
}

KeyLabel KeyCatalogue::label(quint8 type, quint8 hValue, quint8 lValue, quint8 advancedKind) {
    KeyLabel out;
    const KeyCatalogueEntry* e = find(type, hValue, lValue, advancedKind);
    if (!e) return out;
    out.found = true;
    out.kind = e->labelKind;
    out.text = e->text;
    out.image = e->image;
    out.tipKey = e->tipKey;
    return out;
}

QString KeyCatalogue::shortName(quint8 type, quint8 hValue, quint8 lValue) {
    for (const PickerButton& b : keyboardTab().buttons)
        if (b.type == type && b.hValue == hValue && b.lValue == lValue) return b.shortName;
    return QString();
}

QString KeyCatalogue::displayName(quint8 type, quint8 hValue, quint8 lValue, quint8 advancedKind) {
    if (type == TypeNone) return QStringLiteral("none");
    const QString name = shortName(type, hValue, lValue);
    if (!name.isEmpty()) return name;
    const KeyCatalogueEntry* e = find(type, hValue, lValue, advancedKind);
    if (!e) return QString();
    if (e->labelKind != LabelImage && !e->text.isEmpty()) return e->text;
    return tipSuffix(e->tipKey);
}

bool KeyCatalogue::bindingForName(const QString& name, quint8* type, quint8* hValue,
                                  quint8* lValue) {
    const QString wanted = squeezed(name);
    if (wanted.isEmpty()) return false;
    auto give = [&](quint8 t, quint8 h, quint8 l) {
        if (type) *type = t;
        if (hValue) *hValue = h;
        if (lValue) *lValue = l;
        return true;
    };
    if (wanted == QLatin1String("none")) return give(TypeNone, 0xFF, 0xFF);
    // Short names first: "1" is the digit key, not the keypad one.
    for (const PickerButton& b : keyboardTab().buttons)
        if (squeezed(b.shortName) == wanted) return give(b.type, b.hValue, b.lValue);
    const QList<KeyCatalogueEntry>& all = entries();
    for (int pass = 0; pass < 3; ++pass) {
        for (const KeyCatalogueEntry& e : all) {
            if (e.type == TypeAdvanced) continue;
            QString candidate;
            if (pass == 0)
                candidate = e.text;
            else if (pass == 1)
                candidate = tipSuffix(e.tipKey);
            else
                candidate = e.tipKey;
            if (squeezed(candidate) == wanted)
                return give(e.type, quint8(e.code >> 8), quint8(e.code & 0xFF));
        }
    }
    return false;
}

const PickerTab& KeyCatalogue::pickerTab(int tab) {
    const Tables& t = tables();
    return t.tabs[tab < 0 || tab >= TabCount ? 0 : tab];
}

QStringList KeyCatalogue::tipKeys() {
    QStringList out;
    QSet<QString> seen;
    for (const KeyCatalogueEntry& e : entries())
        if (!seen.contains(e.tipKey)) {
            seen.insert(e.tipKey);
            out << e.tipKey;
        }
    return out;
}

bool KeyCatalogue::bindingForKeyEvent(int qtKey, bool keypad, quint32 nativeScanCode, quint8* type,
                                      quint8* lValue) {
    auto give = [&](quint8 t, quint8 l) {
        if (type) *type = t;
        if (lValue) *lValue = l;
        return true;
    };
    // Modifiers: left and right share a toolkit key code; the scan code
    // tells them apart. PC set-1 codes first, then X11 key codes (evdev + 8).
    auto modifier = [&](std::initializer_list<quint32> left, std::initializer_list<quint32> right,
                        quint8 leftBit, quint8 rightBit) {
        for (quint32 c : left)
            if (c == nativeScanCode) return give(TypeModifier, leftBit);
        for (quint32 c : right)
            if (c == nativeScanCode) return give(TypeModifier, rightBit);
        return false;
    };
    switch (qtKey) {
        case Qt::Key_Shift:
            return modifier({42, 50}, {54, 62}, 0x02, 0x20);
        case Qt::Key_Control:
            return modifier({29, 37}, {0xE01D, 105}, 0x01, 0x10);
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
            return modifier({0xE05B, 133}, {0xE05C, 134}, 0x08, 0x80);
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
            return modifier({56, 64}, {0xE038, 108}, 0x04, 0x40);
        default:
            break;
    }
    if (keypad) {
        // Keypad keys with Num Lock off arrive as navigation keys.
        switch (qtKey) {
            case Qt::Key_Insert:
                return give(TypeKey, 0x62);
            case Qt::Key_End:
                return give(TypeKey, 0x59);
            case Qt::Key_Down:
                return give(TypeKey, 0x5A);
            case Qt::Key_PageDown:
                return give(TypeKey, 0x5B);
            case Qt::Key_Left:
                return give(TypeKey, 0x5C);
            case Qt::Key_Clear:
                return give(TypeKey, 0x5D);
            case Qt::Key_Right:
                return give(TypeKey, 0x5E);
            case Qt::Key_Home:
                return give(TypeKey, 0x5F);
            case Qt::Key_Up:
                return give(TypeKey, 0x60);
            case Qt::Key_PageUp:
                return give(TypeKey, 0x61);
            case Qt::Key_Delete:
            case Qt::Key_Period:
            case Qt::Key_Comma:
                return give(TypeKey, 0x63);
            default:
                break;
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return give(TypeKey, 0x04 + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        const int digit = qtKey - Qt::Key_0;
        if (keypad) return give(TypeKey, digit == 0 ? 0x62 : 0x59 + digit - 1);
        return give(TypeKey, digit == 0 ? 0x27 : 0x1E + digit - 1);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return give(TypeKey, 0x3A + (qtKey - Qt::Key_F1));
    switch (qtKey) {
        case Qt::Key_Space:
            return give(TypeKey, 0x2C);
        case Qt::Key_Apostrophe:
            return give(TypeKey, 0x34);
        case Qt::Key_Comma:
            return give(TypeKey, 0x36);
        case Qt::Key_Minus:
            return give(TypeKey, keypad ? 0x56 : 0x2D);
        case Qt::Key_Period:
            return give(TypeKey, 0x37);
        case Qt::Key_Slash:
            return give(TypeKey, keypad ? 0x54 : 0x38);
        case Qt::Key_Semicolon:
            return give(TypeKey, 0x33);
        case Qt::Key_Equal:
            return give(TypeKey, 0x2E);
        case Qt::Key_BracketLeft:
            return give(TypeKey, 0x2F);
        case Qt::Key_Backslash:
            return give(TypeKey, 0x31);
        case Qt::Key_BracketRight:
            return give(TypeKey, 0x30);
        case Qt::Key_QuoteLeft:
            return give(TypeKey, 0x35);
        case Qt::Key_Asterisk:
            return keypad && give(TypeKey, 0x55);
        case Qt::Key_Plus:
            return keypad && give(TypeKey, 0x57);
        case Qt::Key_Escape:
            return give(TypeKey, 0x29);
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return give(TypeKey, 0x2B);
        case Qt::Key_Backspace:
            return give(TypeKey, 0x2A);
        case Qt::Key_Return:
            return give(TypeKey, 0x28);
        case Qt::Key_Enter:
            return give(TypeKey, 0x58);
        case Qt::Key_Insert:
            return give(TypeKey, 0x49);
        case Qt::Key_Delete:
            return give(TypeKey, 0x4C);
        case Qt::Key_Pause:
            return give(TypeKey, 0x48);
        case Qt::Key_Print:
            return give(TypeKey, 0x46);
        case Qt::Key_Home:
            return give(TypeKey, 0x4A);
        case Qt::Key_End:
            return give(TypeKey, 0x4D);
        case Qt::Key_Left:
            return give(TypeKey, 0x50);
        case Qt::Key_Up:
            return give(TypeKey, 0x52);
        case Qt::Key_Right:
            return give(TypeKey, 0x4F);
        case Qt::Key_Down:
            return give(TypeKey, 0x51);
        case Qt::Key_PageUp:
            return give(TypeKey, 0x4B);
        case Qt::Key_PageDown:
            return give(TypeKey, 0x4E);
        case Qt::Key_CapsLock:
            return give(TypeKey, 0x39);
        case Qt::Key_NumLock:
            return give(TypeKey, 0x53);
        case Qt::Key_ScrollLock:
            return give(TypeKey, 0x47);
        case Qt::Key_Menu:
            return give(TypeKey, 0x65);
        default:
            return false;
    }
}
