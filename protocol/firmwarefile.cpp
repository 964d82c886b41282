#include "protocol/firmwarefile.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

// The smallest payload of a frame (64-byte channel). A file is refused when
// even the smaller channel could not number its frames in 16 bits, so the
// check does not depend on the link that happens to be open.
constexpr int kSmallestPayload = 64 - 6;
constexpr int kMaxFrames = 0xFFFF;

}  // namespace

FirmwareFile::Status FirmwareFile::load(const QString& path, Kind kind) {
    mKind = kind;
    mBytes.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        mStatus = CannotOpen;
        return mStatus;
    }
    // Beyond this size the file is refused anyway; do not read gigabytes.
    const qint64 limit = kHeaderSize + qint64(kMaxFrames) * kSmallestPayload;
    mBytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        mBytes.clear();
        mStatus = CannotOpen;
        return mStatus;
    }
    mStatus = check();
    return mStatus;
}

FirmwareFile::Status FirmwareFile::setBytes(const QByteArray& bytes, Kind kind) {
    mKind = kind;
    mBytes = bytes;
    mStatus = check();
    return mStatus;
}

FirmwareFile::Status FirmwareFile::check() const {
    const qint64 n = mBytes.size();
    if (mKind == KeyboardFirmware) {
        // The image size divides the progress: it must not be 0.
        if (n <= kHeaderSize) return TooShort;
        if ((n - kHeaderSize - 1) / kSmallestPayload + 1 > kMaxFrames) return TooLarge;
        return Ok;
    }
    if (n < kHeaderSize) return TooShort;
    if ((n - kHeaderSize - 1) / kSmallestPayload + 2 > kMaxFrames) return TooLarge;
    if (qint64(dataLength()) != n - kHeaderSize) return LengthMismatch;
    if (dataSum() != checksum()) return ChecksumMismatch;
    return Ok;
}

quint32 FirmwareFile::u32(int at) const {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | (at + i < mBytes.size() ? quint8(mBytes.at(at + i)) : 0);
    return v;
}

quint32 FirmwareFile::dataSum() const {
    quint32 sum = 0;
    for (qint64 i = kHeaderSize; i < mBytes.size(); ++i) sum += quint8(mBytes.at(i));
    return sum;
}

int FirmwareFile::frameCount(int payload) const {
    if (!isValid() || payload <= 0) return 0;
    const qint64 n = size();
    // Integer division as the keyboard counts; for data an empty data part
    // still gives its (empty) last frame.
    const qint64 frames = mKind == KeyboardFirmware ? (n - kHeaderSize - 1) / payload + 1
                                                    : (n - kHeaderSize - 1) / payload + 2;
    return frames > kMaxFrames ? 0 : int(frames);
}

QByteArray FirmwareFile::frame(int index, int payload) const {
    const int total = frameCount(payload);
    if (index < 1 || index > total) return QByteArray();
    if (mKind == KeyboardFirmware) {
        const qint64 offset = kHeaderSize + qint64(index - 1) * payload;
        return mBytes.mid(offset, qMin<qint64>(payload, size() - offset));
    }
    if (index == 1) {
        QByteArray header = mBytes.left(kHeaderSize);
        header[28] = char(total & 0xFF);
        header[29] = char((total >> 8) & 0xFF);
        return header;
    }
    const qint64 offset = kHeaderSize + qint64(index - 2) * payload;
    if (index == total) return mBytes.mid(offset);
    return mBytes.mid(offset, payload);
}

qint64 FirmwareFile::bytesSentAfter(int index, int payload) const {
    if (index <= 0 || payload <= 0) return 0;
    if (mKind == KeyboardFirmware) return qMin<qint64>(imageSize(), qint64(index) * payload);
    return qMin<qint64>(size(), kHeaderSize + qint64(index - 1) * payload);
}

QString FirmwareFile::md5Hex(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError) return QString();
    return QString::fromLatin1(hash.result().toHex()).toUpper();
}

bool FirmwareFile::md5Matches(const QString& path, const QString& expected) {
    const QString actual = md5Hex(path);
    return !actual.isEmpty() && actual == expected.trimmed().toUpper();
}

QString FirmwareFile::formatVersion(quint16 version) {
    auto part = [](quint8 byte) {
        QString hex = QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        return hex.insert(1, QLatin1Char('.'));
    };
    return part(quint8(version >> 8)) + QLatin1Char('.') + part(quint8(version & 0xFF));
}

QString FirmwareFile::statusText(Status status) {
    switch (status) {
        case Ok:
            return QStringLiteral("ok");
        case CannotOpen:
            return QStringLiteral("cannot be read");
        case TooShort:
            return QStringLiteral("too short for its 40-byte header");
        case TooLarge:
            return QStringLiteral("too large to number its frames");
        case LengthMismatch:
            return QStringLiteral("length field does not match the file size");
        case ChecksumMismatch:
            return QStringLiteral("checksum does not match the data");
    }
    return QString();
}
