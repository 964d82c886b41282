#include "protocol/firewaredownloadthread.h"

#include <QDebug>

#include "common/applog.h"
#include "link/usbhidutil.h"
#include "link/usbprotocol.h"
#include "protocol/firmwarefile.h"
#include "protocol/firmwaretransfer.h"

using namespace UsbProtocol;

namespace {

quint8 byteAt(const QByteArray& data, int i) {
    return i < data.size() ? quint8(data.at(i)) : 0;
}

constexpr uchar kStatusOk = 0x00;
constexpr uchar kStatusResume = 0x0B;
// Payload byte 0 (the status) is report byte 6: a shorter report has none.
constexpr int kStatusOffset = UsbProtocol::kHeaderSize;

}  // namespace

FirewareDownloadThread::FirewareDownloadThread(const QString& filePath, quint16 identifier,
                                               HidBackend* backend, QObject* parent)
    : QThread(parent),
      mFilePath(filePath),
      mIdentifier(identifier),
      mBackend(backend ? backend : HidBackend::current()) {
    AppLog::line(QStringLiteral("=== FirewareDownloadThread 固件下载初始化 ==="));
}

FirewareDownloadThread::~FirewareDownloadThread() {
    // A transfer still running stops at its next step instead of outliving
    // the object it reports through.
    requestInterruption();
    wait();
    AppLog::line(QStringLiteral("=== FirewareDownloadThread 固件下载销毁 ==="));
}

int FirewareDownloadThread::writeFrame(uchar order, uchar frame, uchar total,
                                       const QByteArray& payload) {
    QByteArray report(1, '\0');
    report += buildFrame(order, frame, total, payload, gUsbFrameMaxsize);
    const int result = mBackend->write(mHandle, reinterpret_cast<const uchar*>(report.constData()),
                                       size_t(report.size()));
    AppLog::line(
        QStringLiteral("=== FirewareDownloadThread send data result:{ %1 };order:{ %2 };frame:{ %3 "
                       "};total:{ %4 };length:{ %5 }===")
            .arg(QString::number(result), hex(order), hex(frame), hex(total),
                 hex(uchar(report.at(6)))));
    return result;
}

int FirewareDownloadThread::readFrame(QByteArray* frame) {
    QByteArray buffer(kBufferSize, '\0');
    const int count =
        mBackend->readTimeout(mHandle, reinterpret_cast<uchar*>(buffer.data()),
                              size_t(qMin(gUsbFrameMaxsize + 1, kBufferSize)), mReadTimeoutMs);
    *frame = count > 0 ? buffer.left(count) : QByteArray();
    AppLog::line(
        QStringLiteral("=== FirewareDownloadThread receive data length:{ %1 };order:{ %2 };frame:{ "
                       "%3 };total:{ %4 };length:{ %5 }===")
            .arg(QString::number(count), hex(byteAt(*frame, 1)), hex(byteAt(*frame, 2)),
                 hex(byteAt(*frame, 3)), hex(byteAt(*frame, 5))));
    return count;
}

void FirewareDownloadThread::closeDevice() {
    if (!mHandle) return;
    mBackend->close(mHandle);
    mHandle = nullptr;
    mBackend->exit();
}

void FirewareDownloadThread::fail(int code) {
    closeDevice();
    emit fireware_download_result(false, code);
}

void FirewareDownloadThread::run() {
    AppLog::line(QStringLiteral("=== FirewareDownloadThread 下载线程启动 ==="));
    // Verify, then transfer: the file is read once and every block comes
    // from what was checked. Nothing is opened for a file that is refused.
    FirmwareFile firmware;
    firmware.load(mFilePath, FirmwareFile::KeyboardFirmware);
    const FirmwareTransfer::Verdict verdict = FirmwareTransfer::verify(firmware, mIdentifier);
    if (verdict != FirmwareTransfer::Accepted) {
        AppLog::line(
            QStringLiteral("=== FirewareDownloadThread 固件文件无效 path={%1};size={%2};file={%3};"
                           "expected={%4} ===")
                .arg(mFilePath)
                .arg(firmware.size())
                .arg(firmware.identifier())
                .arg(mIdentifier));
        emit fireware_download_result(
            false, verdict == FirmwareTransfer::OtherProduct ? FailIdentifier : FailFile);
        return;
    }
    mHandle = UsbHidUtil::openDevice(mBackend, QStringLiteral("FirewareDownloadThread"),
                                     UsbHidUtil::OpenPolicy::GiveUpOnBlockingFailure);
    if (!mHandle) {
        mBackend->exit();
        AppLog::line(
            QStringLiteral("=== FirewareDownloadThread openUsbDevice 无法打开USB设备 ==="));
        emit fireware_download_result(false, FailNoDevice);
        return;
    }
    const int m = gUsbDataMaxsize;
    const qint64 image = firmware.imageSize();
    const qint64 blocks = firmware.frameCount(m);
    if (blocks <= 0) {
        fail(FailFile);
        return;
    }
    const QByteArray header = firmware.bytes().left(kFileHeaderSize);

    int failures = 0;
    qint64 block = 1;
    QByteArray answer;
    while (block <= blocks) {
        if (isInterruptionRequested()) {
            closeDevice();
            return;
        }
        const QByteArray data = firmware.frame(int(block), m);
        if (writeFrame(DownloadFirewareKeyboard, uchar(block & 0xFF), uchar(block >> 8), data) <
            0) {
            fail(FailWrite);
            return;
        }
        const int count = readFrame(&answer);
        const bool ours = count > kStatusOffset && byteAt(answer, 0) == kTag &&
                          byteAt(answer, 1) == answerOf(DownloadFirewareKeyboard);
        const uchar status = byteAt(answer, kStatusOffset);
        if (ours && status == kStatusOk) {
            failures = 0;
            emit fireware_download_result(true,
                                          int(qMin<qint64>(99, (block - 1) * m * 100 / image)));
            ++block;
            continue;
        }
        if (ours && status == kStatusResume) {
            const qint64 resume = byteAt(answer, 2) | (byteAt(answer, 3) << 8);
            // A block outside the image cannot be resumed at: such an answer
            // counts as a failed try.
            if (resume >= 1 && resume <= blocks) {
                failures = 0;
                block = resume;
                continue;
            }
            AppLog::line(QStringLiteral("=== FirewareDownloadThread 续传块号无效 block={%1} ===")
                             .arg(resume));
        }
        if (++failures >= kTries) {
            fail(FailNoConfirmation);
            return;
        }
    }

    // End report: the header's first and second end values.
    if (writeFrame(DownloadFirewareKeyboardEnd, 1, 1, header.mid(4, 8)) < 0) {
        fail(FailWrite);
        return;
    }
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (isInterruptionRequested()) break;
        const int count = readFrame(&answer);
        if (count > kStatusOffset && byteAt(answer, 0) == kTag &&
            byteAt(answer, 1) == answerOf(DownloadFirewareKeyboardEnd) &&
            byteAt(answer, kStatusOffset) == kStatusOk) {
            closeDevice();
            emit fireware_download_result(true, 100);
            AppLog::line(QStringLiteral("=== FirewareDownloadThread 接收线程关闭 ==="));
            return;
        }
    }
    if (isInterruptionRequested()) {
        closeDevice();
        return;
    }
    fail(FailNoConfirmation);
}
