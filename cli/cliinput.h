#pragma once
// What a user types on the command line, read strictly: keys by number or by
// the label of their factory binding, bindings by catalogue name or
// TYPE:H:L, distances in millimetres, switches. Every reader says why it
// refused in `why`, so a command can stop before it sends anything.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "common/keyboardtypes.h"

class KeyboardConfigUtil;

class CliInput {
public:
    // A key number of the keyboard, or the label of a key's factory binding
    // in layer 0 ("Esc", "A", "Left Shift"; case and blanks do not count).
    static bool key(const KeyboardConfigUtil& model, const QString& text, quint8* keyItem,
                    QString* why);
    // A comma list of keys, each once, in the order given.
    static bool keys(const KeyboardConfigUtil& model, const QString& text, QByteArray* keyItems,
                     QString* why);
    // "key 60 (A)": a key as output names it.
    static QString keyName(const KeyboardConfigUtil& model, quint8 keyItem);

    // A catalogue name ("F13", "Left Ctrl", "M3", "mute", "none") or
    // TYPE:H:L (decimal or 0x..). Advanced keys are refused: their records
    // belong to the advanced-key page.
    static bool binding(const QString& text, quint8* type, quint8* hValue, quint8* lValue,
                        QString* why);
    // The catalogue's name of a binding, else TYPE:H:L.
    static QString bindingName(quint8 type, quint8 hValue, quint8 lValue,
                               quint8 advancedKind = 255);

    // "0", "1" or "fn" (the Fn layer).
    static bool layer(const QString& text, int* layer, QString* why);
    // A distance in millimetres with at most two decimals ("1.2", "1.20",
    // "2") as hundredths of a millimetre, within [min, max] hundredths.
    static bool distance(const QString& text, int min, int max, quint16* hundredths, QString* why);
    static QString millimetres(int hundredths);
    // A whole number within [min, max]; `what` names it in the refusal.
    static bool number(const QString& text, int min, int max, const QString& what, int* value,
                       QString* why);
    // "on" or "off".
    static bool onOff(const QString& text, const QString& what, bool* value, QString* why);

    // Events a macro takes, at most.
    static constexpr int MaxMacroEvents = 20;
    // A macro's events as "macro get --json" writes them (a list, or an
    // object with an "events" list), read from `json` that came from `path`:
    // every field is checked, nothing is guessed. Appends to `events`.
    static bool macroEvents(const QByteArray& json, const QString& path, MacroEventList* events,
                            QString* why);
};
