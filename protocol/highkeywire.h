#pragma once
// How an advanced-key record (item, kind, 18 data bytes = 20 bytes) travels:
// item, kind, then only the bytes its kind uses, in wire order (MT swaps the
// bytes of its tap function), zero-filled to 19 bytes. Shared by the command
// engine and the simulated keyboard so both sides agree by construction.

#include <QByteArray>
#include <array>

#include "common/keyboardtypes.h"

class HighKeyWire {
public:
    using Record = std::array<quint8, 20>;
    static constexpr int kEntrySize = 19;

    // The 19-byte entry; `used` gets the count of meaningful bytes (item and
    // kind included).
    static QByteArray toWire(const Record& record, int* used = nullptr);
    // Reads the entry at `offset` (missing bytes read as 0) into a zeroed record.
    static Record fromWire(const QByteArray& data, int offset = 0);

    static Record toRecord(const HIGH_KEY_INFO& info);
    static HIGH_KEY_INFO toInfo(const Record& record);
};
