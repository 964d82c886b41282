#include "protocol/firmwaretransfer.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QTimer>

#include "link/usbprotocol.h"
#include "protocol/usbcommunicateutil.h"

using namespace UsbProtocol;

FirmwareTransfer::Verdict FirmwareTransfer::verify(const FirmwareFile& file, quint16 product,
                                                   const QString& md5) {
    if (file.status() == FirmwareFile::CannotOpen) return Unreadable;
    // What is hashed is exactly what will be sent: the bytes in memory.
    if (!md5.isEmpty()) {
        const QString actual = QString::fromLatin1(
            QCryptographicHash::hash(file.bytes(), QCryptographicHash::Md5).toHex().toUpper());
        if (actual != md5.trimmed().toUpper()) return WrongMd5;
    }
    if (!file.isValid()) return Damaged;
    if (file.kind() == FirmwareFile::KeyboardFirmware && file.identifier() != product)
        return OtherProduct;
    return Accepted;
}

FirmwareTransfer::FirmwareTransfer(UsbCommunicateUtil* engine, uchar source, QObject* parent)
    : QObject(parent), mEngine(engine), mSource(source), mWatchdog(new QTimer(this)) {
    mWatchdog->setSingleShot(true);
    mWatchdog->setInterval(kSilenceMs);
    connect(mWatchdog, &QTimer::timeout, this, [this] {
        qInfo().noquote()
            << QStringLiteral("=== FirmwareTransfer 键盘无应答 frame={%1} ===").arg(mFrame);
        finish(ErrorNoAnswer);
    });
    if (!engine) return;
    connect(engine, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard, this,
            [this](uchar source, int, int) { onFrameAnswer(source); });
    connect(engine, &UsbCommunicateUtil::usb_receive_download_fireware_data, this,
            [this](uchar source, int, int) { onFrameAnswer(source); });
    connect(engine, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard_end, this,
            [this](uchar source, int, int) { onEndAnswer(source); });
    connect(engine, &UsbCommunicateUtil::usb_communicate_error, this, &FirmwareTransfer::onError);
    connect(engine, &UsbCommunicateUtil::protocol_device_disconnected, this, [this] {
        if (mRunning) finish(ErrorLinkClosed);
    });
}

FirmwareTransfer::~FirmwareTransfer() = default;

void FirmwareTransfer::setSilenceMs(int ms) {
    mWatchdog->setInterval(ms);
}

int FirmwareTransfer::silenceMs() const {
    return mWatchdog->interval();
}

FirmwareTransfer::Verdict FirmwareTransfer::start(const FirmwareFile& file, quint16 product,
                                                  const QString& md5) {
    if (mRunning) return Unreadable;
    const Verdict verdict = verify(file, product, md5);
    if (verdict != Accepted) {
        qInfo().noquote() << QStringLiteral("=== FirmwareTransfer 文件被拒绝 verdict={%1};%2 ===")
                                 .arg(int(verdict))
                                 .arg(FirmwareFile::statusText(file.status()));
        return verdict;
    }
    mFile = file;
    mPayload = gUsbDataMaxsize;
    mTotal = mFile.frameCount(mPayload);
    mFrame = 1;
    mEndSent = false;
    mRunning = true;
    if (!mEngine || !mEngine->isConnected()) {
        // Verified, but there is no keyboard to take it: it ends at once,
        // through the same road as a link that closes on the way.
        QMetaObject::invokeMethod(
            this, [this] { finish(ErrorLinkClosed); }, Qt::QueuedConnection);
        return Accepted;
    }
    sendFrame();
    return Accepted;
}

void FirmwareTransfer::abort(int error) {
    if (mRunning) finish(error);
}

void FirmwareTransfer::sendFrame() {
    const QByteArray block = mFile.frame(mFrame, mPayload);
    mWatchdog->start();
    if (isFirmware())
        mEngine->downloadFirewareKeyboard(mSource, true, quint16(mFrame), int(block.size()), block);
    else
        mEngine->downloadFirewareData(mSource, true, quint16(mFrame), int(block.size()), block);
}

void FirmwareTransfer::sendEnd() {
    mEndSent = true;
    mWatchdog->start();
    // The engine puts its second argument on the wire first: the header
    // value at offset 4 leads, as the keyboard expects.
    mEngine->downloadFirewareKeyboardEnd(mSource, true, mFile.secondEndValue(),
                                         mFile.firstEndValue());
}

void FirmwareTransfer::onFrameAnswer(uchar source) {
    if (!mRunning || source != mSource || mEndSent || !mEngine) return;
    const qint64 whole = isFirmware() ? mFile.imageSize() : mFile.size();
    emit progress(int(
        qMin<qint64>(99, mFile.bytesSentAfter(mFrame, mPayload) * 100 / qMax<qint64>(1, whole))));
    // A slot of progress() may have ended the transfer.
    if (!mRunning) return;
    ++mFrame;
    if (mFrame <= mTotal) {
        sendFrame();
        return;
    }
    if (isFirmware()) {
        sendEnd();
        return;
    }
    finish(0);  // firmware data has no end command
}

void FirmwareTransfer::onEndAnswer(uchar source) {
    if (!mRunning || source != mSource || !mEndSent) return;
    finish(0);
}

void FirmwareTransfer::onError(uchar source, uchar order, int error) {
    if (!mRunning || source != mSource) return;
    if (order != answerOf(DownloadFirewareKeyboard) && order != answerOf(DownloadFirewareData) &&
        order != answerOf(DownloadFirewareKeyboardEnd))
        return;
    finish(error);
}

void FirmwareTransfer::finish(int error) {
    if (!mRunning) return;
    mRunning = false;
    mWatchdog->stop();
    mFile = FirmwareFile();
    qInfo().noquote() << QStringLiteral(
                             "=== FirmwareTransfer 结束 error={%1};frame={%2};total={%3} ===")
                             .arg(error)
                             .arg(mFrame)
                             .arg(mTotal);
    emit finished(error);
}
