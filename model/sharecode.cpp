#include "model/sharecode.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include "model/profilejson.h"

const QString ShareCode::Prefix = QStringLiteral("ZP1.");

QString ShareCode::encode(const QByteArray& profileJson) {
    const QByteArray compact = QJsonDocument::fromJson(profileJson).toJson(QJsonDocument::Compact);
    const QByteArray packed = qCompress(compact.isEmpty() ? profileJson : compact, 9);
    return Prefix + QString::fromLatin1(packed.toBase64(QByteArray::Base64UrlEncoding |
                                                        QByteArray::OmitTrailingEquals));
}

ShareCode::Error ShareCode::decode(const QString& code, QByteArray* profileJson) {
    profileJson->clear();
    // Pasted text often brings blanks and line breaks along.
    QString text = code;
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    if (text.isEmpty()) return Empty;
    if (text.size() > MaxChars) return TooLong;
    static const QRegularExpression versioned(QStringLiteral("^ZP(\\d+)\\."));
    const QRegularExpressionMatch m = versioned.match(text);
    if (!m.hasMatch()) return Garbage;
    if (text.left(m.capturedLength()) != Prefix) return UnknownVersion;
    const QByteArray base64 = text.mid(Prefix.size()).toLatin1();
    const QByteArray::FromBase64Result packed = QByteArray::fromBase64Encoding(
        base64, QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!packed || packed.decoded.size() < 5) return Garbage;
    // qCompress puts the unpacked size first: refuse a bomb before unpacking.
    const QByteArray& d = packed.decoded;
    const quint32 size = (quint32(uchar(d[0])) << 24) | (quint32(uchar(d[1])) << 16) |
                         (quint32(uchar(d[2])) << 8) | quint32(uchar(d[3]));
    if (size > quint32(ProfileJson::MaxBytes)) return TooLarge;
    const QByteArray plain = qUncompress(d);
    if (plain.isEmpty()) return Garbage;
    *profileJson = plain;
    return Ok;
}

QString ShareCode::englishText(Error error) {
    switch (error) {
        case Ok:
            return QString();
        case Empty:
            return QStringLiteral("the share code is empty");
        case TooLong:
            return QStringLiteral("the share code is longer than %1 characters").arg(MaxChars);
        case UnknownVersion:
            return QStringLiteral("the share code is of another version (this program reads %1)")
                .arg(Prefix.chopped(1));
        case Garbage:
            return QStringLiteral("the text is no share code");
        case TooLarge:
            return QStringLiteral("the share code unpacks to more than %1 bytes")
                .arg(ProfileJson::MaxBytes);
    }
    return QString();
}
