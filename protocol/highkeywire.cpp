#include "protocol/highkeywire.h"

#include <QList>
#include <cstring>

namespace {
// Record byte indexes carried from wire byte 2 on, per kind.
QList<int> layout(quint8 kind) {
    switch (kind) {
        case 0:
            return {2, 3, 4, 5};  // TGL
        case 1:
            return {2, 3, 4, 5, 6, 8, 7, 9, 10, 11};  // MT
        case 2:
            return {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};  // DKS
        case 3:
        case 4:
            return {2, 3};  // RS, OKS
        case 5:
            return {2, 3, 4};  // SOCD
        default:
            return {};
    }
}
}  // namespace

QByteArray HighKeyWire::toWire(const Record& record, int* used) {
    QByteArray wire(kEntrySize, '\0');
    wire[0] = char(record[0]);
    wire[1] = char(record[1]);
    int n = 2;
    for (int index : layout(record[1])) wire[n++] = char(record[size_t(index)]);
    if (used) *used = n;
    return wire;
}

HighKeyWire::Record HighKeyWire::fromWire(const QByteArray& data, int offset) {
    auto at = [&](int i) {
        return offset + i < data.size() ? quint8(data.at(offset + i)) : quint8(0);
    };
    Record record{};
    record[0] = at(0);
    record[1] = at(1);
    int n = 2;
    for (int index : layout(record[1])) record[size_t(index)] = at(n++);
    return record;
}

HighKeyWire::Record HighKeyWire::toRecord(const HIGH_KEY_INFO& info) {
    Record record{};
    record[0] = info.item;
    record[1] = info.attribute;
    std::memcpy(record.data() + 2, info.data, 18);
    return record;
}

HIGH_KEY_INFO HighKeyWire::toInfo(const Record& record) {
    HIGH_KEY_INFO info;
    info.item = record[0];
    info.attribute = record[1];
    std::memcpy(info.data, record.data() + 2, 18);
    return info;
}
