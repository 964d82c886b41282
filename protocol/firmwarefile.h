#pragma once
// A keyboard firmware file or a firmware data file, read whole and checked
// before a single frame goes to the keyboard. Both start with a 40-byte
// header (little-endian fields):
//   firmware:      [0..1] identifier, [4..7] first end value, [8..11] second
//                  end value, then the image;
//   firmware data: [16..19] data length, [24..27] byte sum of the data,
//                  [28..29] frame count (filled in when sent), then the data.
// Also the MD5 of a downloaded file and the firmware version text, shared by
// the other page and the command-line tool.

#include <QByteArray>
#include <QString>

class FirmwareFile {
public:
    enum Kind { KeyboardFirmware, FirmwareData };
    enum Status {
        Ok,
        CannotOpen,
        // Firmware: no image behind the header. Data: shorter than its header.
        TooShort,
        // More frames than a 16-bit frame number can count.
        TooLarge,
        // Data: length field differs from file size - 40.
        LengthMismatch,
        // Data: the byte sum differs from the checksum field.
        ChecksumMismatch,
    };

    static constexpr int kHeaderSize = 40;

    FirmwareFile() = default;

    // Reads `path` and checks it as `kind`; the bytes stay loaded even when
    // the check fails (for diagnostics), but frames are only given when Ok.
    Status load(const QString& path, Kind kind);
    // Takes bytes read elsewhere (tests, downloads held in memory).
    Status setBytes(const QByteArray& bytes, Kind kind);

    Status status() const { return mStatus; }
    bool isValid() const { return mStatus == Ok; }
    Kind kind() const { return mKind; }
    const QByteArray& bytes() const { return mBytes; }
    qint64 size() const { return mBytes.size(); }

    // Firmware header values.
    quint16 identifier() const { return quint16(u32(0) & 0xFFFF); }
    quint32 firstEndValue() const { return u32(4); }
    quint32 secondEndValue() const { return u32(8); }
    qint64 imageSize() const { return size() - kHeaderSize; }

    // Data header values and the sum of the data bytes.
    quint32 dataLength() const { return u32(16); }
    quint32 checksum() const { return u32(24); }
    quint32 dataSum() const;

    // Frames of the transfer with `payload` bytes per frame (the link's
    // largest payload); 0 when the file is not valid.
    int frameCount(int payload) const;
    // Frame `index` (from 1) of the transfer; empty outside 1..frameCount.
    // Firmware frames carry the image only; data frame 1 is the header with
    // the frame count in bytes 28..29, the others the data.
    QByteArray frame(int index, int payload) const;
    // File bytes sent once frames 1..index went out (progress).
    qint64 bytesSentAfter(int index, int payload) const;

    // Upper-case hex MD5 of the file; empty when it cannot be read.
    static QString md5Hex(const QString& path);
    // True only when the file can be read and its MD5 equals `expected`
    // (compared in upper case). A file that cannot be read fails.
    static bool md5Matches(const QString& path, const QString& expected);

    // 0x1A2B -> "1.A.2.B": each byte as two upper-case hex digits with a
    // dot after the first, high byte first, joined by a dot.
    static QString formatVersion(quint16 version);

    // Short English description of a status (command-line tool, logs).
    static QString statusText(Status status);

private:
    quint32 u32(int at) const;
    Status check() const;

    QByteArray mBytes;
    Kind mKind = KeyboardFirmware;
    Status mStatus = CannotOpen;
};
