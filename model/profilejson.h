#pragma once
// The readable profile file: one on-keyboard profile as JSON
// ("format": "zentaro-profile", "version": 1; schema in
// docs/zentaro-profile.schema.json). Keys by number and factory label,
// functions by the key catalogue's names, colours as #rrggbb, distances in
// millimetres, times in milliseconds. Writing is deterministic; reading
// checks everything and refuses a file with one error that names the field.

#include <QByteArray>
#include <QString>

#include "model/profile.h"

class KeyboardConfigUtil;

class ProfileJson {
public:
    static constexpr int Version = 1;
    static const QString FormatName;  // zentaro-profile
    // Larger files are not read: a profile is a few dozen kilobytes.
    static constexpr int MaxBytes = 1 << 20;

    struct Error {
        enum Reason {
            None,
            NotJson,
            TooLarge,
            WrongType,
            UnknownField,
            Missing,
            BadFormat,
            BadVersion,
            OutOfRange,
            Duplicate,
            BadColour,
            UnknownFunction,
            BadDistance,
            BadData,
        };
        QString field;  // e.g. "keys.fn[3].function"; empty for the whole file
        Reason reason = None;
        QString value;   // what the file holds there
        QString detail;  // the expected type, range or format
        bool isError() const { return reason != None; }
        // "keys.fn[3].function: \"Foo\" is no key function"
        QString englishText() const;
    };

    // The active profile of the model.
    static Profile fromModel(const KeyboardConfigUtil& model);
    static QByteArray write(const Profile& profile);
    static QByteArray write(const KeyboardConfigUtil& model) { return write(fromModel(model)); }
    // False with `error` filled in; `profile` is then unspecified.
    static bool read(const QByteArray& bytes, Profile* profile, Error* error);

    // A binding as the file names it: the catalogue's name when that name
    // reads back to the same binding, else TYPE:H:L.
    static QString functionName(quint8 type, quint8 hValue, quint8 lValue);
    static bool functionFromName(const QString& name, quint8* type, quint8* hValue, quint8* lValue);
    static QString colourName(quint8 r, quint8 g, quint8 b);
    static QString pollingName(int value);
    static QString debounceName(int value);
};
