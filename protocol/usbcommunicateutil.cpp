// The engine core: command table, link lifecycle, sending, answer dispatch
// and retries. Each command family lives in its own file next to this one
// (tablecommands, keymapcommands, lightingcommands,
// highkeymacrotriggercommands, calibrationcommands).

#include "protocol/usbcommunicateutil.h"

#include <QPointer>

#include "link/usbhidutil.h"
#include "link/usbprotocol.h"
#include "protocol/bluetoothlink.h"
#include "protocol/commandbytes.h"

using namespace UsbProtocol;
using namespace CommandBytes;

namespace {

QPointer<UsbCommunicateUtil> gInstance;

}  // namespace

// ---------------------------------------------------------------------------
// The command table: answer code -> (request code, sender, receive handler).

const QHash<uchar, UsbCommunicateUtil::Command>& UsbCommunicateUtil::commandsByAnswer() {
    using U = UsbCommunicateUtil;
    static const QList<Command> list = {
        {GetProductInfo, &U::sendGetProductInfo, &U::receiveProductInfo},
        {GetConfigInfo, &U::sendGetConfigInfo, &U::receiveConfigInfo},
        {SetConfigInfo, &U::sendSetConfigInfo, &U::receiveSetConfigInfo},
        {AddConfigTable, &U::sendAddConfigTable, &U::receiveAddConfigTable},
        {DelConfigTable, &U::sendDelConfigTable, &U::receiveDelConfigTable},
        {SwitchConfigTable, &U::sendSwitchConfigTable, &U::receiveSwitchConfigTable},
        {GetWholeParam, &U::sendGetWholeParam, &U::receiveWholeParam},
        {SetWholeParam, &U::sendSetWholeParam, &U::receiveSetWholeParam},
        {GetKeyboardConfig, &U::sendGetKeyboardConfig, &U::receiveKeyboardConfig},
        {SetKeyboardConfig, &U::sendSetKeyboardConfig, &U::receiveSetKeyboardConfig},
        {SetKeyboardDefault, &U::sendSetKeyboardDefault, &U::receiveSetKeyboardDefault},
        {GetCustomLight, &U::sendGetCustomLight, &U::receiveCustomLight},
        {SetCustomLight, &U::sendSetCustomLight, &U::receiveSetCustomLight},
        {SetCustomLightAll, &U::sendSetCustomLightAll, &U::receiveSetCustomLightAll},
        {GetEffectLight, &U::sendGetEffectLight, &U::receiveEffectLight},
        {SetEffectLight, &U::sendSetEffectLight, &U::receiveSetEffectLight},
        {SetEffectLightAll, &U::sendSetEffectLightAll, &U::receiveSetEffectLightAll},
        {SelectEffectLight, &U::sendSelectEffectLight, &U::receiveSelectEffectLight},
        {GetEffectLightName, &U::sendGetEffectLightName, &U::receiveEffectLightName},
        {GetHighKey, &U::sendGetHighKey, &U::receiveHighKey},
        {AddHighKey, &U::sendAddHighKey, &U::receiveAddHighKey},
        {SetHighKey, &U::sendSetHighKey, &U::receiveSetHighKey},
        {DelHighKey, &U::sendDelHighKey, &U::receiveDelHighKey},
        {GetMacroConfig, &U::sendGetMacroConfig, &U::receiveMacroConfig},
        {SetMacroConfig, &U::sendSetMacroConfig, &U::receiveSetMacroConfig},
        {DelMacroConfig, &U::sendDelMacroConfig, &U::receiveDelMacroConfig},
        {GetTriggerConfig, &U::sendGetTriggerConfig, &U::receiveTriggerConfig},
        {SetTriggerConfig, &U::sendSetTriggerConfig, &U::receiveSetTriggerConfig},
        {SetTriggerConfigAll, &U::sendSetTriggerConfigAll, &U::receiveSetTriggerConfigAll},
        {SetQuickTriggerConfig, &U::sendSetQuickTriggerConfig, &U::receiveSetQuickTriggerConfig},
        {GetCalibrationState, &U::sendGetCalibrationState, &U::receiveCalibrationState},
        {SetReportCalibration, &U::sendSetReportCalibration, &U::receiveReportCalibration},
        {SaveCalibration, &U::sendSaveCalibration, &U::receiveSaveCalibration},
        {ResetKeyboard, &U::sendResetKeyboard, &U::receiveResetKeyboard},
        {DownloadFirewareKeyboard, &U::sendDownloadFirewareKeyboard,
         &U::receiveDownloadFirewareKeyboard},
        {DownloadFirewareKeyboardEnd, &U::sendDownloadFirewareKeyboardEnd,
         &U::receiveDownloadFirewareKeyboardEnd},
        {DownloadFirewareData, &U::sendDownloadFirewareData, &U::receiveDownloadFirewareData},
    };
    static const QHash<uchar, Command> table = [] {
        QHash<uchar, Command> t;
        for (const Command& c : list) t.insert(answerOf(c.request), c);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------
// Lifecycle

UsbCommunicateUtil::UsbCommunicateUtil(BluetoothLink* bluetooth, HidBackend* backend,
                                       QObject* parent)
    : QObject(parent), mBackend(backend) {
    gInstance = this;
    log(QStringLiteral("=== UsbCommunicateUtil 通讯类创建 ==="));
    qRegisterMetaType<HIGH_KEY_INFO>("HIGH_KEY_INFO");
    qRegisterMetaType<QList<QSharedPointer<KEYBOARD_ALIGN_INFO>>>();
    qRegisterMetaType<QMap<uchar, uchar>>();
    mSendBuffer = QByteArray(kBufferSize, '\0');
    mFirmwareBuffer = QByteArray(kBufferSize, '\0');
    mReceiveThread = QSharedPointer<UsbReceiveThread>::create(backend);
    connect(mReceiveThread.data(), &UsbReceiveThread::usb_receive_data, this,
            &UsbCommunicateUtil::usb_receive_data);
    mTimer = new QTimer(this);
    mTimer->setInterval(kAnswerTimeoutMs);
    mTimer->setTimerType(Qt::PreciseTimer);
    connect(mTimer, &QTimer::timeout, this, &UsbCommunicateUtil::onCommunicateTimeout);
    connect(mReceiveThread.data(), &UsbReceiveThread::linkLost, this,
            &UsbCommunicateUtil::onLinkGone);
    setBluetoothLink(bluetooth);
}

UsbCommunicateUtil::~UsbCommunicateUtil() {
    mTimer->stop();
    disconnect(mReceiveThread.data(), nullptr, this, nullptr);
    if (mBluetooth) disconnect(mBluetooth, nullptr, this, nullptr);
    mReceiveThread->stop();
    if (mHandle) {
        HidBackend* backend = mBackend ? mBackend : HidBackend::current();
        backend->close(mHandle);
        backend->exit();
        mHandle = nullptr;
    }
    mSendBuffer.clear();
    mFirmwareBuffer.clear();
    log(QStringLiteral("=== UsbCommunicateUtil 通讯类销毁 ==="));
}

UsbCommunicateUtil* UsbCommunicateUtil::instance() {
    return gInstance.data();
}

void UsbCommunicateUtil::setBluetoothLink(BluetoothLink* bluetooth) {
    if (mBluetooth) disconnect(mBluetooth, nullptr, this, nullptr);
    mBluetooth = bluetooth;
    if (!mBluetooth) return;
    connect(mBluetooth, &BluetoothLink::connected, this,
            &UsbCommunicateUtil::protocol_device_connected);
    connect(mBluetooth, &BluetoothLink::disconnected, this, [this] {
        dropInFlight(ErrorLinkClosed);
        emit protocol_device_disconnected();
    });
    connect(mBluetooth, &BluetoothLink::frameReceived, this, &UsbCommunicateUtil::usb_receive_data);
    connect(mBluetooth, &BluetoothLink::error, this, &UsbCommunicateUtil::ble_error_callback);
}

uchar UsbCommunicateUtil::effectNameLanguageCode(int effectiveLanguage) {
    switch (effectiveLanguage) {
        case 2:
            return 0;  // English
        case 3:
            return 7;  // Vietnamese
        default:
            return 1;  // simplified Chinese and anything else
    }
}

void UsbCommunicateUtil::openCommunicate(int type) {
    log(QStringLiteral("=== UsbCommunicateUtil openCommunicate 打开设备通讯 ==="));
    mMode = type;
    if (mMode == 1) {
        setUsbFrameSize(64);
        if (mBluetooth) mBluetooth->connectDevice();
        return;
    }
    HidBackend* backend = mBackend ? mBackend : HidBackend::current();
    if (mHandle) {
        // Opening again replaces the link that is open.
        dropInFlight(ErrorLinkClosed);
        mReceiveThread->stop();
        backend->close(mHandle);
        mHandle = nullptr;
    }
    mHandle = UsbHidUtil::openDevice(backend, QStringLiteral("UsbCommunicateUtil"),
                                     UsbHidUtil::OpenPolicy::NextEntryOnBlockingFailure);
    if (mHandle) {
        emit protocol_device_connected();
        return;
    }
    backend->exit();
    emit usb_communicate_error(0, 0, ErrorNoDevice);
    log(QStringLiteral("=== UsbCommunicateUtil openCommunicate 无法打开USB设备 ==="));
}

void UsbCommunicateUtil::communicateDevice() {
    log(QStringLiteral("=== communicateDevice 启动设备通讯 ==="));
    if (mMode == 1) return;
    if (!mHandle) {
        emit usb_communicate_error(0, 0, ErrorNoDevice);
        return;
    }
    if (!mReceiveThread->isRunning()) mReceiveThread->start(mHandle);
}

void UsbCommunicateUtil::closeCommunicate() {
    // A request waiting now is never answered, whether or not the link is
    // still there to close.
    dropInFlight(ErrorLinkClosed);
    mTimer->stop();
    if (!isConnected()) return;
    if (mMode == 1) {
        mBluetooth->disconnectDevice();
    } else {
        HidBackend* backend = mBackend ? mBackend : HidBackend::current();
        mReceiveThread->stop();
        backend->close(mHandle);
        mHandle = nullptr;
        backend->exit();
    }
    mTimer->stop();
    log(QStringLiteral("=== UsbCommunicateUtil closeCommunicate 关闭设备通讯 ==="));
}

bool UsbCommunicateUtil::isBluetoothConnected() const {
    return mMode == 1 && mBluetooth && mBluetooth->isConnected();
}

bool UsbCommunicateUtil::isConnected() const {
    return mMode == 1 ? isBluetoothConnected() : mHandle != nullptr;
}

// ---------------------------------------------------------------------------
// Sending

void UsbCommunicateUtil::begin(uchar source, bool waitAnswer, uchar request, int itemCount) {
    // The command in flight is abandoned: its timer must not re-send the new
    // command (which may not wait for an answer, or send nothing at all), and
    // its requester learns that no answer will come.
    dropInFlight(ErrorSuperseded);
    mTimer->stop();
    ++mRequestSerial;
    mSource = source;
    mWaitAnswer = waitAnswer;
    mLastSendOrder = answerOf(request);
    mRetry = 0;
    mFrame = 1;
    mTotal = 1;
    if (itemCount >= 0) {
        // Frame numbers and totals are single bytes on the wire; the item
        // count is not sent, so a list of any length that fitsFrames() let
        // through goes out whole.
        mItemCount = itemCount;
        mItemsPerFrame = uchar(itemsPerFrame(request, gUsbDataMaxsize));
        mTotal = uchar(framesFor(mItemCount, mItemsPerFrame));
    }
}

bool UsbCommunicateUtil::fitsFrames(const char* operation, uchar source, uchar request,
                                    int itemCount) {
    // SetKeyboardDefault is answered once, with the restored bindings: a
    // second frame would never be sent.
    const int maxFrames = request == SetKeyboardDefault ? 1 : 255;
    const int perFrame = itemsPerFrame(request, gUsbDataMaxsize);
    if (itemCount <= 0 || framesFor(itemCount, perFrame) <= maxFrames) return true;
    log(QStringLiteral("=== UsbCommunicateUtil %1 条目过多 source={%2};order={%3};items={%4};"
                       "max={%5} ===")
            .arg(QLatin1String(operation), hex(source), hex(request), dec(itemCount),
                 dec(maxFrames * perFrame)));
    // Refused before it began: it still ends as a request of its own.
    emitEnd(++mRequestSerial, source, answerOf(request), ErrorTooManyItems, false);
    return false;
}

int UsbCommunicateUtil::firstItem() const {
    return mItemsPerFrame * (mFrame - 1);
}

int UsbCommunicateUtil::itemsNow() const {
    return itemsInFrame(mFrame, mTotal, mItemCount, mItemsPerFrame);
}

// A bulk write of a keyed map names only the first key of a frame; the
// keyboard stores the entries after it under the following key numbers. A
// frame therefore never runs across a gap in the key numbers: each run of
// consecutive keys is cut into frames of its own, every frame starting at
// its own first key. Splitting rather than refusing such a map keeps every
// map writable that the keyboard itself reported, whatever holes its key
// numbering has, and sends a map without gaps exactly as before.
void UsbCommunicateUtil::planKeyedFrames(const QList<quint8>& keys) {
    mKeyedFrames.clear();
    const int perFrame = qMax(1, int(mItemsPerFrame));
    for (int start = 0; start < keys.size();) {
        int count = 1;
        while (start + count < keys.size() && count < perFrame &&
               int(keys.at(start + count)) == int(keys.at(start)) + count)
            ++count;
        mKeyedFrames.append({start, count, keys.at(start)});
        start += count;
    }
    // Key numbers are single bytes: even isolated keys (at most 128 of them)
    // give fewer frames than the single byte that carries the total allows.
    mTotal = uchar(qBound(1, int(mKeyedFrames.size()), 255));
}

UsbCommunicateUtil::KeyedFrame UsbCommunicateUtil::keyedShare() const {
    // A keyboard that announces more frames than were planned gets empty ones.
    return mKeyedFrames.value(mFrame - 1, KeyedFrame{0, 0, 0});
}

bool UsbCommunicateUtil::writeReport(const QByteArray& frame, const char* sender, int* result) {
    HidBackend* backend = mBackend ? mBackend : HidBackend::current();
    mSendBuffer.fill('\0', gUsbFrameMaxsize + 1);
    mSendBuffer.replace(1, frame.size(), frame);
    *result =
        backend->write(mHandle, reinterpret_cast<const unsigned char*>(mSendBuffer.constData()),
                       size_t(gUsbFrameMaxsize + 1));
    if (*result >= 0) return true;
    log(QStringLiteral("=== UsbCommunicateUtil %1 err_string = %2 ===\n")
            .arg(QLatin1String(sender), backend->error(mHandle)));
    return false;
}

void UsbCommunicateUtil::sendFrame(const char* sender, uchar request, const QByteArray& payload,
                                   int announced) {
    // Firmware blocks carry their block number in the frame and total bytes.
    const bool block = request == DownloadFirewareKeyboard || request == DownloadFirewareData;
    const uchar frameByte = block ? uchar(mBlockNumber & 0xFF) : mFrame;
    const uchar totalByte = block ? uchar(mBlockNumber >> 8) : mTotal;
    QByteArray frame = buildFrame(request, frameByte, totalByte, payload, gUsbFrameMaxsize);
    if (announced >= 0) frame[5] = char(announced);
    if (mMode == 1) {
        if (!isBluetoothConnected()) {
            log(QStringLiteral("=== UsbCommunicateUtil %1 蓝牙未连接 ===")
                    .arg(QLatin1String(sender)));
            failCurrent(ErrorLinkClosed);
            return;
        }
        mBluetooth->sendFrame(frame);
    } else {
        if (!mHandle) {
            log(QStringLiteral("=== UsbCommunicateUtil %1 USB已关闭 ===")
                    .arg(QLatin1String(sender)));
            failCurrent(ErrorLinkClosed);
            return;
        }
        int result = 0;
        const bool ok = writeReport(frame, sender, &result);
        log(QStringLiteral("=== UsbCommunicateUtil %1 send data result={%2};source={%3};retry={%4};"
                           "order={%5};frame={%6};total={%7};length={%8}===")
                .arg(QLatin1String(sender), dec(result), hex(mSource), hex(mRetry), hex(request),
                     hex(frameByte), hex(totalByte), hex(uchar(frame.at(5)))));
        if (!ok) {
            failCurrent(ErrorWrite);
            return;
        }
    }
    mInFlight = true;
    if (mWaitAnswer) mTimer->start(kAnswerTimeoutMs);
}

// ---------------------------------------------------------------------------
// Receiving

void UsbCommunicateUtil::usb_receive_data(uchar order, uchar frame, uchar total, uchar length,
                                          QByteArray data) {
    log(QStringLiteral("=== UsbCommunicateUtil receive data length={%1};source={%2};lastOrder={%3};"
                       "order={%4};frame={%5};total={%6}===")
            .arg(hex(length), hex(mSource), hex(mLastSendOrder), hex(order), hex(frame),
                 hex(total)));
    if (!isConnected()) {
        log(QStringLiteral("=== UsbCommunicateUtil 设备没有连接 ==="));
        return;
    }
    Answer a{order, frame, total, length, QByteArray(gUsbFrameMaxsize + 1, '\0')};
    const int copy = qMin<int>(qMin<int>(length, data.size()), a.data.size());
    a.data.replace(0, copy, data.left(copy));
    // Decoders count entries from the length: never beyond what arrived.
    a.length = uchar(copy);
    if (order == ConfigChange) {
        receiveConfigChange(a);
        return;
    }
    mDonePending = false;
    if (order == answerOf(SetReportCalibration)) {
        receiveReportCalibration(a);
    } else {
        const auto it = commandsByAnswer().constFind(order);
        if (it == commandsByAnswer().constEnd()) {
            log(QStringLiteral("=== UsbCommunicateUtil receive 未知命令 order={%1}===")
                    .arg(hex(order)));
            return;
        }
        (this->*(it->receive))(a);
    }
    // After the answer's own signal, whose slots may already have started
    // the next command.
    if (mDonePending) {
        mDonePending = false;
        emitEnd(mRequestSerial, mDoneSource, mDoneOrder, 0, true);
    }
}

bool UsbCommunicateUtil::accept(const char* handler, const Answer& a) {
    // A late or repeated answer of a request that has already ended (answered,
    // failed or timed out) must not end it a second time.
    if (a.order != mLastSendOrder || !mInFlight) {
        log(QStringLiteral("=== UsbCommunicateUtil %1 命令不匹配 order={%2};mLastSendOrder={%3};"
                           "frame={%4};total={%5};length={%6}===")
                .arg(QLatin1String(handler), hex(a.order), hex(mLastSendOrder), dec(a.frame),
                     dec(a.total), dec(a.length)));
        return false;
    }
    mTimer->stop();
    if (a.frame >= a.total) markAnswered(a);
    return true;
}

void UsbCommunicateUtil::markAnswered(const Answer& a) {
    if (!mInFlight) return;
    mInFlight = false;
    mDonePending = true;
    mDoneSource = mSource;
    mDoneOrder = a.order;
}

void UsbCommunicateUtil::failCurrent(int error) {
    mTimer->stop();
    mInFlight = false;
    mDonePending = false;
    emitEnd(mRequestSerial, mSource, mLastSendOrder, error, false);
}

void UsbCommunicateUtil::emitEnd(quint64 serial, uchar source, uchar order, int error, bool done) {
    const quint64 outer = mEndingSerial;
    mEndingSerial = serial;
    if (done)
        emit usb_request_done(source, order);
    else
        emit usb_communicate_error(source, order, error);
    mEndingSerial = outer;
}

void UsbCommunicateUtil::dropInFlight(int error) {
    if (!mInFlight) return;
    mInFlight = false;
    mDonePending = false;
    const uchar source = mSource;
    const uchar order = mLastSendOrder;
    log(QStringLiteral("=== UsbCommunicateUtil 放弃等待应答 source={%1};order={%2};error={%3} ===")
            .arg(hex(source), hex(order), dec(error)));
    const quint64 serial = mRequestSerial;
    QMetaObject::invokeMethod(
        this,
        [this, serial, source, order, error] { emitEnd(serial, source, order, error, false); },
        Qt::QueuedConnection);
}

void UsbCommunicateUtil::onLinkGone() {
    if (mMode == 1 || !mHandle) return;
    log(QStringLiteral("=== UsbCommunicateUtil 设备连接已断开 ==="));
    closeCommunicate();
    emit protocol_device_disconnected();
}

void UsbCommunicateUtil::continueWith(const Answer& a, Sender sender) {
    if (a.frame >= a.total) return;
    mFrame = uchar(a.frame + 1);
    mTotal = a.total;
    mRetry = 0;
    (this->*sender)();
}

void UsbCommunicateUtil::onCommunicateTimeout() {
    log(QStringLiteral("=== UsbCommunicateUtil onCommunicateTimeout ==="));
    if (!isConnected()) {
        failCurrent(ErrorLinkClosed);
        return;
    }
    ++mRetry;
    if (mRetry < kSends) {
        const auto it = commandsByAnswer().constFind(mLastSendOrder);
        if (it != commandsByAnswer().constEnd()) (this->*(it->send))();
        return;
    }
    failCurrent(ErrorNoAnswer);
}

void UsbCommunicateUtil::mismatchAsTimeout() {
    mDonePending = false;
    mInFlight = true;
    onCommunicateTimeout();
}

void UsbCommunicateUtil::ble_error_callback(int error) {
    emit usb_communicate_error(0, 0, error);
}
