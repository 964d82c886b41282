#pragma once
// Reads a fuzz input as a stream of small decisions; past its end every
// read gives 0, so each input is a complete, deterministic script.

#include <QByteArray>
#include <QtGlobal>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size)
        : mData(reinterpret_cast<const char*>(data)), mSize(size) {}
    bool atEnd() const { return mAt >= mSize; }
    uchar byte() { return mAt < mSize ? uchar(mData[mAt++]) : 0; }
    quint16 u16() { return quint16(byte() | (byte() << 8)); }
    // Up to `count` bytes (fewer at the end).
    QByteArray bytes(size_t count) {
        const size_t n = qMin(count, mSize - qMin(mAt, mSize));
        const QByteArray out(mData + mAt, int(n));
        mAt += n;
        return out;
    }
    QByteArray rest() { return bytes(mSize); }

private:
    const char* mData;
    size_t mSize;
    size_t mAt = 0;
};
