#pragma once
// Byte helpers shared by the command engine's files: little-endian fields,
// text slots, advanced-key records and slices of the keyed maps.

#include <QByteArray>
#include <QDebug>
#include <QList>
#include <QString>

#include "common/applog.h"
#include "common/keyboardtypes.h"
#include "protocol/highkeywire.h"

namespace CommandBytes {

inline void log(const QString& line) {
    AppLog::line(line);
}

inline QString dec(int v) {
    return QString::number(v);
}

inline void putU16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

inline void putU32(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

// The text of a slot's bytes. Bytes that are not UTF-8 are dropped rather
// than shown as replacement characters: those take three bytes each, so the
// text would no longer fit back into the slot it came from.
inline QString slotText(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    text.remove(QChar(0));
    text.remove(QChar(QChar::ReplacementCharacter));
    return text;
}

// Text slots: bytes up to the first NUL (at most the slot, at most 99
// bytes), decoded as UTF-8.
inline QString decodeSlot(const QByteArray& data, int offset, int size) {
    size = qMin(size, 99);
    QByteArray bytes;
    for (int i = 0; i < size && offset + i < data.size(); ++i) {
        const char c = data.at(offset + i);
        if (c == '\0') break;
        bytes.append(c);
    }
    return slotText(bytes);
}

inline QByteArray highKeyWire(const HIGH_KEY_INFO& k, int* used = nullptr) {
    return HighKeyWire::toWire(HighKeyWire::toRecord(k), used);
}

inline HIGH_KEY_INFO highKeyFromWire(const QByteArray& data, int offset) {
    return HighKeyWire::toInfo(HighKeyWire::fromWire(data, offset));
}

// `count` values of a keyed map, from the `first`-th one on.
template <typename Map>
QList<typename Map::mapped_type> share(const Map& map, int first, int count) {
    QList<typename Map::mapped_type> out;
    auto it = map.begin();
    for (int i = 0; i < first && it != map.end(); ++i) ++it;
    for (int i = 0; i < count && it != map.end(); ++i, ++it) out.append(it.value());
    return out;
}

}  // namespace CommandBytes
