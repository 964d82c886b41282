#include "ui/pages/macro/macrokeymapper.h"

#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>

namespace {

enum Modifier { Shift, Control, Alt, Meta, NotModifier };

Modifier modifierOf(int key) {
    switch (key) {
        case Qt::Key_Shift:
            return Shift;
        case Qt::Key_Control:
            return Control;
        case Qt::Key_Alt:
        case Qt::Key_AltGr:  // right Alt on layouts where it is the level-3 shift
            return Alt;
        case Qt::Key_Meta:
        case Qt::Key_Super_L:  // X11 and Wayland report the Windows keys as Super
        case Qt::Key_Super_R:
            return Meta;
        default:
            return NotModifier;
    }
}

struct ModifierCodes {
    quint32 left;
    quint32 right;
};

// Left and right scan codes per modifier, in the order of Modifier.
constexpr ModifierCodes kPcCodes[] = {{42, 54}, {29, 0xE01D}, {56, 0xE038}, {0xE05B, 0xE05C}};
constexpr ModifierCodes kXkbCodes[] = {{50, 62}, {37, 105}, {64, 108}, {133, 134}};
constexpr quint8 kLeftBits[] = {0x02, 0x01, 0x04, 0x08};
constexpr quint8 kRightBits[] = {0x20, 0x10, 0x40, 0x80};

// Usages of keys that do not depend on the keypad flag.
const QHash<int, quint8>& plainKeys() {
    static const QHash<int, quint8> keys = [] {
        QHash<int, quint8> k;
        for (int i = 0; i < 26; ++i) k.insert(Qt::Key_A + i, quint8(0x04 + i));
        k.insert(Qt::Key_Space, 0x2C);
        k.insert(Qt::Key_Apostrophe, 0x34);
        k.insert(Qt::Key_Comma, 0x36);
        k.insert(Qt::Key_Semicolon, 0x33);
        k.insert(Qt::Key_Equal, 0x2E);
        k.insert(Qt::Key_BracketLeft, 0x2F);
        k.insert(Qt::Key_Backslash, 0x31);
        k.insert(Qt::Key_BracketRight, 0x30);
        k.insert(Qt::Key_QuoteLeft, 0x35);
        k.insert(Qt::Key_Escape, 0x29);
        k.insert(Qt::Key_Tab, 0x2B);
        k.insert(Qt::Key_Backtab, 0x2B);  // Tab with Shift held
        k.insert(Qt::Key_Backspace, 0x2A);
        k.insert(Qt::Key_Return, 0x28);
        k.insert(Qt::Key_Enter, 0x58);
        k.insert(Qt::Key_Insert, 0x49);
        k.insert(Qt::Key_Delete, 0x4C);
        k.insert(Qt::Key_Pause, 0x48);
        k.insert(Qt::Key_Print, 0x46);
        k.insert(Qt::Key_Home, 0x4A);
        k.insert(Qt::Key_End, 0x4D);
        k.insert(Qt::Key_Left, 0x50);
        k.insert(Qt::Key_Up, 0x52);
        k.insert(Qt::Key_Right, 0x4F);
        k.insert(Qt::Key_Down, 0x51);
        k.insert(Qt::Key_PageUp, 0x4B);
        k.insert(Qt::Key_PageDown, 0x4E);
        k.insert(Qt::Key_CapsLock, 0x39);
        k.insert(Qt::Key_NumLock, 0x53);
        k.insert(Qt::Key_ScrollLock, 0x47);
        for (int i = 0; i < 12; ++i) k.insert(Qt::Key_F1 + i, quint8(0x3A + i));
        k.insert(Qt::Key_Menu, 0x65);
        // Shifted symbols of the main block: with Shift held the toolkit
        // reports the symbol, but the key pressed is still the digit or
        // punctuation key, and the Shift is recorded on its own.
        const int digits[] = {Qt::Key_Exclam,    Qt::Key_At,       Qt::Key_NumberSign,
                              Qt::Key_Dollar,    Qt::Key_Percent,  Qt::Key_AsciiCircum,
                              Qt::Key_Ampersand, Qt::Key_Asterisk, Qt::Key_ParenLeft,
                              Qt::Key_ParenRight};
        for (int i = 0; i < 10; ++i) k.insert(digits[i], quint8(0x1E + i));
        k.insert(Qt::Key_Underscore, 0x2D);
        k.insert(Qt::Key_Plus, 0x2E);
        k.insert(Qt::Key_BraceLeft, 0x2F);
        k.insert(Qt::Key_Bar, 0x31);
        k.insert(Qt::Key_BraceRight, 0x30);
        k.insert(Qt::Key_Colon, 0x33);
        k.insert(Qt::Key_QuoteDbl, 0x34);
        k.insert(Qt::Key_AsciiTilde, 0x35);
        k.insert(Qt::Key_Less, 0x36);
        k.insert(Qt::Key_Greater, 0x37);
        k.insert(Qt::Key_Question, 0x38);
        return k;
    }();
    return keys;
}

}  // namespace

MacroKeyMapper::ScanCodes MacroKeyMapper::platformScanCodes() {
    return QGuiApplication::platformName().startsWith(QLatin1String("windows")) ? ScanCodes::Pc
                                                                                : ScanCodes::Xkb;
}

quint8 MacroKeyMapper::modifierBit(int key, quint32 scanCode, ScanCodes codes) {
    const Modifier m = modifierOf(key);
    if (m == NotModifier) return 0;
    const ModifierCodes& c = codes == ScanCodes::Pc ? kPcCodes[m] : kXkbCodes[m];
    if (scanCode == c.left) return kLeftBits[m];
    if (scanCode == c.right) return kRightBits[m];
    // Windows hands extended keys over with bit 8 set instead of the E0 prefix.
    if (codes == ScanCodes::Pc && (c.right & 0xFF00) == 0xE000 &&
        scanCode == (0x100 | (c.right & 0xFF)))
        return kRightBits[m];
    if (codes == ScanCodes::Pc && (c.left & 0xFF00) == 0xE000 &&
        scanCode == (0x100 | (c.left & 0xFF)))
        return kLeftBits[m];
    return 0;
}

std::optional<MacroKey> MacroKeyMapper::map(int key, bool keypad, quint32 scanCode,
                                            ScanCodes codes) {
    if (modifierOf(key) != NotModifier) {
        const quint8 bit = modifierBit(key, scanCode, codes);
        if (bit == 0) return std::nullopt;
        return MacroKey{0, bit, 0};
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        const int digit = key - Qt::Key_0;
        if (keypad) return MacroKey{1, quint8(digit == 0 ? 0x62 : 0x58 + digit), 0};
        return MacroKey{1, quint8(digit == 0 ? 0x27 : 0x1D + digit), 0};
    }
    switch (key) {
        case Qt::Key_Minus:
            return MacroKey{1, quint8(keypad ? 0x56 : 0x2D), 0};
        case Qt::Key_Slash:
            return MacroKey{1, quint8(keypad ? 0x54 : 0x38), 0};
        case Qt::Key_Period:
            return MacroKey{1, quint8(keypad ? 0x63 : 0x37), 0};
        case Qt::Key_Asterisk:
            return MacroKey{1, quint8(keypad ? 0x55 : 0x25), 0};
        case Qt::Key_Plus:
            return MacroKey{1, quint8(keypad ? 0x57 : 0x2E), 0};
        default:
            break;
    }
    const auto it = plainKeys().constFind(key);
    if (it == plainKeys().constEnd()) return std::nullopt;
    return MacroKey{1, it.value(), 0};
}

std::optional<MacroKey> MacroKeyMapper::map(const QKeyEvent* event) {
    return map(event->key(), event->modifiers().testFlag(Qt::KeypadModifier),
               event->nativeScanCode(), platformScanCodes());
}
