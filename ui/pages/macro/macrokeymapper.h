#pragma once
// Turns a key of the computer's keyboard (toolkit key code, keypad flag and
// native scan code) into the key of a macro event. Left and right modifiers
// differ only in their scan codes, and those depend on the platform: PC set-1
// scan codes on Windows, XKB key codes under X11 and Wayland.

#include <QtGlobal>
#include <optional>

class QKeyEvent;

struct MacroKey {
    quint8 type = 0;  // 0 modifier, 1 ordinary key
    quint8 lValue = 0;
    quint8 hValue = 0;
    bool operator==(const MacroKey& o) const {
        return type == o.type && lValue == o.lValue && hValue == o.hValue;
    }
};

class MacroKeyMapper {
public:
    enum class ScanCodes { Pc, Xkb };

    // The scan-code family of the running platform plugin.
    static ScanCodes platformScanCodes();

    static std::optional<MacroKey> map(int key, bool keypad, quint32 scanCode, ScanCodes codes);
    static std::optional<MacroKey> map(const QKeyEvent* event);

    // The modifier bit of a modifier key told by its scan code; 0 when the
    // scan code is not one of the two keys of that modifier.
    static quint8 modifierBit(int key, quint32 scanCode, ScanCodes codes);
};
