#pragma once
// A profile as a short text to paste anywhere: "ZP1." followed by the
// deflated compact profile JSON in base64url without padding. Reading checks
// the prefix, the size and the packing before the JSON reader sees it.

#include <QByteArray>
#include <QString>

class ShareCode {
public:
    static const QString Prefix;  // "ZP1."
    // Longer texts are refused before decoding.
    static constexpr int MaxChars = 128 * 1024;

    enum Error { Ok, Empty, TooLong, UnknownVersion, Garbage, TooLarge };

    // The code of a profile file's bytes.
    static QString encode(const QByteArray& profileJson);
    // The profile JSON a code carries; Ok or why not.
    static Error decode(const QString& code, QByteArray* profileJson);
    static QString englishText(Error error);
};
