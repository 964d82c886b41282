#include "link/usbreceivethread.h"

#include <QDeadlineTimer>
#include <QDebug>

#include "link/usbprotocol.h"

UsbReceiveThread::UsbReceiveThread(HidBackend* backend, QObject* parent)
    : QThread(parent), mBackend(backend) {
    qInfo().noquote() << QStringLiteral("=== UsbReceiveThread 接收线程创建 ===");
}

UsbReceiveThread::~UsbReceiveThread() {
    stop();
    qInfo().noquote() << QStringLiteral("=== UsbReceiveThread 接收线程销毁 ===");
}

void UsbReceiveThread::start(HidDevice* handle) {
    mHandle = handle;
    // Marked before the body runs too, so a stop() right after start() waits.
    mRunning = true;
    QThread::start(QThread::InheritPriority);
}

void UsbReceiveThread::stop() {
    if (!mRunning) return;
    requestInterruption();
    // Only a running reader still holds an open handle to wake.
    if (isRunning()) (mBackend ? mBackend : HidBackend::current())->interruptRead(mHandle);
    wait();
}

void UsbReceiveThread::pause(int ms) {
    const QDeadlineTimer deadline(ms);
    while (!isInterruptionRequested() && !deadline.hasExpired())
        msleep(qMin<qint64>(5, qMax<qint64>(1, deadline.remainingTime())));
}

void UsbReceiveThread::run() {
    qInfo().noquote() << QStringLiteral("=== UsbReceiveThread 接收线程启动 ===");
    mRunning = true;
    HidBackend* backend = mBackend ? mBackend : HidBackend::current();
    unsigned char buffer[UsbProtocol::kBufferSize];
    int errors = 0;
    while (!isInterruptionRequested()) {
        const size_t want = size_t(qMin(gUsbFrameMaxsize + 1, int(sizeof buffer)));
        memset(buffer, 0, sizeof buffer);
        const int got = backend->readTimeout(mHandle, buffer, want, kReadTimeoutMs);
        if (got < 0) {
            if (++errors >= kErrorsBeforeLinkLost) {
                qInfo().noquote() << QStringLiteral(
                                         "=== UsbReceiveThread 读取连续失败,设备已断开 "
                                         "errors={%1};error={%2} ===")
                                         .arg(errors)
                                         .arg(backend->error(mHandle));
                emit linkLost();
                break;
            }
            pause(kErrorPauseMs);
            continue;
        }
        errors = 0;
        if (got == 0) continue;
        UsbProtocol::Frame frame;
        switch (UsbProtocol::parseFrame(buffer, got, &frame)) {
            case UsbProtocol::ParseResult::Ok:
                emit usb_receive_data(frame.order, frame.frame, frame.total, frame.length,
                                      frame.data);
                break;
            case UsbProtocol::ParseResult::BadTag:
                qInfo().noquote() << QStringLiteral(
                                         "=== UsbReceiveThread 接收到无效TAG数据 tag={") +
                                         UsbProtocol::hex(buffer[0]) + QStringLiteral("}===");
                break;
            case UsbProtocol::ParseResult::Truncated:
            case UsbProtocol::ParseResult::LengthTooLarge:
                // Never read past the report: a frame that claims more payload
                // than it carries is dropped, and the engine's retry covers it.
                qInfo().noquote()
                    << QStringLiteral("=== UsbReceiveThread 数据长度无效 read={%1};length={%2} ===")
                           .arg(got)
                           .arg(got >= 6 ? buffer[5] : 0);
                break;
        }
    }
    qInfo().noquote() << QStringLiteral("=== UsbReceiveThread 接收线程关闭 ===");
}
