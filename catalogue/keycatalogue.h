#pragma once
// The key catalogue: every key function a binding (type, hValue, lValue) can
// name, with the label it gets on a keyboard picture (text and/or image), its
// tool-tip key and its short name, plus the button layouts of the five picker
// tabs. One table for every picture, the picker, the macro page, the
// advanced-key dialogs and the command-line tool.

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "common/keyboardtypes.h"

// One key function.
struct KeyCatalogueEntry {
    quint8 type = 0;
    quint16 code = 0;      // what a binding of `type` is compared with
    quint8 labelKind = 0;  // 0 text, 1 image, 2 text and image
    QString text;          // label text (also stored for kind 1)
    QString image;         // image file name inside the theme's image folder
    QString tipKey;        // ToolTipUtil key, e.g. "keyboard/key/a"
    QString shortName;     // name of the first picker-tab-0 button with this binding
};

// What a key label shows: the decision of the label rule.
struct KeyLabel {
    bool found = false;  // false: no catalogue entry, the label stays empty
    quint8 kind = 0;
    QString text;   // shown for kinds 0 and 2
    QString image;  // shown for kinds 1 and 2 (file name, no folder)
    QString tipKey;
    bool showsText() const { return found && kind != 1; }
    bool showsImage() const { return found && kind != 0 && !image.isEmpty(); }
};

// One button of a picker tab: its place inside the tab and the binding it stands for.
struct PickerButton {
    QRect geometry;
    quint8 type = 0;
    quint8 hValue = 0;
    quint8 lValue = 0;
    QString shortName;  // tab 0 only
};

struct PickerTab {
    QRect area;  // the picker's area for this tab
    QList<PickerButton> buttons;
};

class KeyCatalogue {
public:
    enum Type : quint8 {
        TypeModifier = 0,
        TypeKey = 1,
        TypeMedia = 2,
        TypeMacro = 3,
        TypeAdvanced = 4,
        TypeInternal = 5,
        TypeNone = 0xFF,
    };
    enum LabelKind : quint8 { LabelText = 0, LabelImage = 1, LabelTextImage = 2 };
    enum Tab : int {
        TabKeyboard = 0,
        TabSystem = 1,
        TabMacro = 2,
        TabLight = 3,
        TabExtend = 4,
        TabCount = 5
    };
    static constexpr quint8 NoKind = 255;

    // Every entry, in table order (modifiers, keys, media, macros, advanced
    // keys, keyboard functions).
    static const QList<KeyCatalogueEntry>& entries();

    // The code a binding of `type` is compared with: hValue*256 + lValue for
    // keyboard and media keys, lValue otherwise. For advanced keys pass the record's kind
    // as `advancedKind`.
    static quint16 codeOf(quint8 type, quint8 hValue, quint8 lValue, quint8 advancedKind = NoKind);
    // First entry of (type, code); null when there is none.
    static const KeyCatalogueEntry* find(quint8 type, quint16 code);
    // Entry of a binding; advanced keys (type 4) are looked up by `advancedKind`
    // (the model's highKeyAttribute(lValue)).
    static const KeyCatalogueEntry* find(quint8 type, quint8 hValue, quint8 lValue,
                                         quint8 advancedKind = NoKind);

    // The label rule: what a key label shows for a binding.
    static KeyLabel label(quint8 type, quint8 hValue, quint8 lValue, quint8 advancedKind = NoKind);

    // Short name of a binding (first tab-0 button with the same binding);
    // empty when the binding is not on tab 0.
    static QString shortName(quint8 type, quint8 hValue, quint8 lValue);
    // A readable name for any binding: short name, else text, else the last
    // part of the tip key ("mute"); "none" for no function; empty when unknown.
    static QString displayName(quint8 type, quint8 hValue, quint8 lValue,
                               quint8 advancedKind = NoKind);

    // Binding for a name typed by a user, case-insensitive and ignoring
    // blanks: a short name ("Backspace"), a label text ("F13", "Left Ctrl",
    // "M3"), the last part of a tip key ("mute", "volumeAdd") or the whole tip
    // key, or "none" (0xFF 0xFF 0xFF). Advanced keys are not named (their
    // lValue is a record number). False when nothing matches.
    static bool bindingForName(const QString& name, quint8* type, quint8* hValue, quint8* lValue);

    // The five picker tabs.
    static const PickerTab& pickerTab(int tab);

    // Every tip key of the catalogue (each once).
    static QStringList tipKeys();

    // A key of the computer keyboard as a binding: the toolkit key code, its
    // keypad flag and native scan code. Modifiers are told apart by the scan
    // code (PC set-1 codes and X11/evdev key codes). False for keys the
    // keyboard has no usage for.
    static bool bindingForKeyEvent(int qtKey, bool keypad, quint32 nativeScanCode, quint8* type,
                                   quint8* lValue);
};
