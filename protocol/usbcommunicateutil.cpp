#include "protocol/usbcommunicateutil.h"

#include <QDateTime>
#include <QDebug>
#include <QPointer>

#include "link/usbhidutil.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/bluetoothlink.h"
#include "protocol/highkeywire.h"

using namespace UsbProtocol;

namespace {

QPointer<UsbCommunicateUtil> gInstance;

void log(const QString& line) {
    qInfo().noquote() << line;
}

QString dec(int v) {
    return QString::number(v);
}

void putU16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void putU32(QByteArray& out, quint32 v) {
    for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xFF));
}

// Text slots: bytes up to the first NUL (at most the slot, at most 99
// bytes), decoded as UTF-8, with any remaining NUL characters removed.
QString decodeSlot(const QByteArray& data, int offset, int size) {
    size = qMin(size, 99);
    QByteArray bytes;
    for (int i = 0; i < size && offset + i < data.size(); ++i) {
        const char c = data.at(offset + i);
        if (c == '\0') break;
        bytes.append(c);
    }
    QString text = QString::fromUtf8(bytes);
    text.remove(QChar(0));
    return text;
}

QByteArray highKeyWire(const HIGH_KEY_INFO& k, int* used = nullptr) {
    return HighKeyWire::toWire(HighKeyWire::toRecord(k), used);
}

HIGH_KEY_INFO highKeyFromWire(const QByteArray& data, int offset) {
    return HighKeyWire::toInfo(HighKeyWire::fromWire(data, offset));
}

template <typename Map>
QList<typename Map::mapped_type> share(const Map& map, int first, int count) {
    QList<typename Map::mapped_type> out;
    auto it = map.begin();
    for (int i = 0; i < first && it != map.end(); ++i) ++it;
    for (int i = 0; i < count && it != map.end(); ++i, ++it) out.append(it.value());
    return out;
}

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
    connect(mBluetooth, &BluetoothLink::disconnected, this,
            &UsbCommunicateUtil::protocol_device_disconnected);
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
    // command (which may not wait for an answer, or send nothing at all).
    mTimer->stop();
    mSource = source;
    mWaitAnswer = waitAnswer;
    mLastSendOrder = answerOf(request);
    mRetry = 0;
    mFrame = 1;
    mTotal = 1;
    if (itemCount >= 0) {
        // Item counts, frame numbers and totals are single bytes on the wire.
        mItemCount = uchar(qMin(itemCount, 255));
        mItemsPerFrame = uchar(itemsPerFrame(request, gUsbDataMaxsize));
        mTotal = uchar(framesFor(mItemCount, mItemsPerFrame));
    }
}

int UsbCommunicateUtil::firstItem() const {
    return mItemsPerFrame * (mFrame - 1);
}

int UsbCommunicateUtil::itemsNow() const {
    return itemsInFrame(mFrame, mTotal, mItemCount, mItemsPerFrame);
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
        if (mBluetooth) mBluetooth->sendFrame(frame);
    } else {
        if (!mHandle) {
            log(QStringLiteral("=== UsbCommunicateUtil %1 USB已关闭 ===")
                    .arg(QLatin1String(sender)));
            return;
        }
        int result = 0;
        const bool ok = writeReport(frame, sender, &result);
        log(QStringLiteral("=== UsbCommunicateUtil %1 send data result={%2};source={%3};retry={%4};"
                           "order={%5};frame={%6};total={%7};length={%8}===")
                .arg(QLatin1String(sender), dec(result), hex(mSource), hex(mRetry), hex(request),
                     hex(frameByte), hex(totalByte), hex(uchar(frame.at(5)))));
        if (!ok) {
            emit usb_communicate_error(mSource, mLastSendOrder, ErrorWrite);
            return;
        }
    }
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
    if (order == answerOf(SetReportCalibration)) {
        receiveReportCalibration(a);
        return;
    }
    const auto it = commandsByAnswer().constFind(order);
    if (it == commandsByAnswer().constEnd()) {
        log(QStringLiteral("=== UsbCommunicateUtil receive 未知命令 order={%1}===")
                .arg(hex(order)));
        return;
    }
    (this->*(it->receive))(a);
}

bool UsbCommunicateUtil::accept(const char* handler, const Answer& a) {
    if (a.order != mLastSendOrder) {
        log(QStringLiteral("=== UsbCommunicateUtil %1 命令不匹配 order={%2};mLastSendOrder={%3};"
                           "frame={%4};total={%5};length={%6}===")
                .arg(QLatin1String(handler), hex(a.order), hex(mLastSendOrder), dec(a.frame),
                     dec(a.total), dec(a.length)));
        return false;
    }
    mTimer->stop();
    return true;
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
        mTimer->stop();
        return;
    }
    ++mRetry;
    if (mRetry < kSends) {
        const auto it = commandsByAnswer().constFind(mLastSendOrder);
        if (it != commandsByAnswer().constEnd()) (this->*(it->send))();
        return;
    }
    mTimer->stop();
    emit usb_communicate_error(mSource, mLastSendOrder, ErrorNoAnswer);
}

void UsbCommunicateUtil::mismatchAsTimeout() {
    onCommunicateTimeout();
}

void UsbCommunicateUtil::ble_error_callback(int error) {
    emit usb_communicate_error(0, 0, error);
}

// ---------------------------------------------------------------------------
// Configuration tables and product

void UsbCommunicateUtil::getProductInfo(const uchar& source, const bool& waitAnswer) {
    begin(source, waitAnswer, GetProductInfo);
    sendGetProductInfo();
}

void UsbCommunicateUtil::sendGetProductInfo() {
    const QDateTime now = QDateTime::currentDateTime();
    QByteArray p;
    p.append('\0');
    p.append(char(uchar(now.date().year() + 48)));
    p.append(char(now.date().month()));
    p.append(char(now.date().day()));
    p.append(char(now.time().hour()));
    p.append(char(now.time().minute()));
    p.append(char(now.time().second()));
    sendFrame("sendGetProductInfo", GetProductInfo, p);
}

void UsbCommunicateUtil::receiveProductInfo(const Answer& a) {
    if (!accept("receiveProductInfo", a)) return;
    const bool wide = gUsbFrameMaxsize == 128;
    mProductInfo.serialNumber = qint16(a.u16(0));
    mProductInfo.version = qint16(a.u16(2));
    const uchar flags = a.at(4);
    mProductInfo.flag0 = flags & 0x01;
    mProductInfo.flag1 = flags & 0x02;
    mProductInfo.flag7 = flags & 0x80;
    mProductInfo.customerName = decodeSlot(a.data, 10, wide ? 30 : 18);
    mProductInfo.productName = decodeSlot(a.data, wide ? 40 : 28, 20);
    mProductInfo.logoName = decodeSlot(a.data, wide ? 60 : 48, 8);
    emit usb_receive_product_info(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::getConfigInfo(const uchar& source, const bool& waitAnswer) {
    mConfigList.clear();
    begin(source, waitAnswer, GetConfigInfo);
    sendGetConfigInfo();
}

void UsbCommunicateUtil::sendGetConfigInfo() {
    sendFrame("sendGetConfigInfo", GetConfigInfo, QByteArray());
}

void UsbCommunicateUtil::receiveConfigInfo(const Answer& a) {
    if (!accept("receiveConfigInfo", a)) return;
    mConfigIndex = a.at(1);
    int index = a.at(2);
    const int slotCount = a.length / 29;
    for (int s = 0; s < slotCount; ++s) {
        const int offset = 3 + 29 * s;
        if (a.at(offset) == 0) continue;
        auto entry = ConfigTableEntryPtr::create();
        entry->index = uchar(index);
        entry->configName = decodeSlot(a.data, offset, 29);
        bool replaced = false;
        for (ConfigTableEntryPtr& e : mConfigList) {
            if (e->index == entry->index) {
                e = entry;
                replaced = true;
                break;
            }
        }
        if (!replaced) mConfigList.append(entry);
        ++index;
    }
    emit usb_receive_config_info(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendGetConfigInfo);
}

void UsbCommunicateUtil::setConfigInfo(const uchar& source, const bool& waitAnswer,
                                       const uchar& index, const QString& name) {
    mTableIndex = index;
    mTableName = name;
    begin(source, waitAnswer, SetConfigInfo);
    sendSetConfigInfo();
}

void UsbCommunicateUtil::sendSetConfigInfo() {
    QByteArray p(30, '\0');
    p[0] = char(mTableIndex);
    const QByteArray name = mTableName.toUtf8().left(28);
    p.replace(1, name.size(), name);
    sendFrame("sendSetConfigInfo", SetConfigInfo, p);
}

void UsbCommunicateUtil::receiveSetConfigInfo(const Answer& a) {
    if (!accept("receiveSetConfigInfo", a)) return;
    emit usb_receive_set_config_info(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::addConfigTable(const uchar& source, const bool& waitAnswer,
                                        const uchar& index) {
    mTableIndex = index;
    begin(source, waitAnswer, AddConfigTable);
    sendAddConfigTable();
}

void UsbCommunicateUtil::sendAddConfigTable() {
    sendFrame("sendAddConfigTable", AddConfigTable, QByteArray(1, char(mTableIndex)));
}

void UsbCommunicateUtil::receiveAddConfigTable(const Answer& a) {
    if (!accept("receiveAddConfigTable", a)) return;
    emit usb_receive_add_config_table(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::delConfigTable(const uchar& source, const bool& waitAnswer,
                                        const uchar& index) {
    mTableIndex = index;
    begin(source, waitAnswer, DelConfigTable);
    sendDelConfigTable();
}

void UsbCommunicateUtil::sendDelConfigTable() {
    sendFrame("sendDelConfigTable", DelConfigTable, QByteArray(1, char(mTableIndex)));
}

void UsbCommunicateUtil::receiveDelConfigTable(const Answer& a) {
    if (!accept("receiveDelConfigTable", a)) return;
    emit usb_receive_del_config_table(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::switchConfigTable(const uchar& source, const bool& waitAnswer,
                                           const uchar& index) {
    mTableIndex = index;
    begin(source, waitAnswer, SwitchConfigTable);
    sendSwitchConfigTable();
}

void UsbCommunicateUtil::sendSwitchConfigTable() {
    sendFrame("sendSwitchConfigTable", SwitchConfigTable, QByteArray(1, char(mTableIndex)));
}

void UsbCommunicateUtil::receiveSwitchConfigTable(const Answer& a) {
    if (!accept("receiveSwitchConfigTable", a)) return;
    emit usb_receive_switch_config_table(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::receiveConfigChange(const Answer& a) {
    log(QStringLiteral(
            "=== UsbCommunicateUtil receiveConfigChange 命令不匹配 order={%1};type={%2}===")
            .arg(hex(a.order), hex(a.at(0))));
    if (a.at(0) == 0)
        emit usb_receive_config_change(SourceMainWindow, a.at(1), a.at(2));
    else if (a.at(0) == 3)
        emit usb_receive_connect_wireless_device(a.at(1));
}

// ---------------------------------------------------------------------------
// Key maps and whole parameters

void UsbCommunicateUtil::getWholeParam(const uchar& source, const bool& waitAnswer) {
    begin(source, waitAnswer, GetWholeParam);
    sendGetWholeParam();
}

void UsbCommunicateUtil::sendGetWholeParam() {
    sendFrame("sendGetWholeParam", GetWholeParam, QByteArray());
}

void UsbCommunicateUtil::receiveWholeParam(const Answer& a) {
    if (!accept("receiveWholeParam", a)) return;
    mWholeParam.reserve = qint8(a.at(0));
    mWholeParam.touchOptimize = a.at(1) != 0;
    mWholeParam.deadDown = qint16(a.u16(2));
    mWholeParam.deadUp = qint16(a.u16(4));
    mWholeParam.pollingRate = qint8(a.at(6));
    mWholeParam.shakeLevel = qint8(a.at(7));
    mWholeParam.calibration = a.at(8) != 0;
    mWholeParam.sportsMode = a.at(9) != 0;
    mWholeParam.currentLayer = qint8(a.at(10));
    emit usb_receive_whole_param(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::setWholeParam(const uchar& source, const bool& waitAnswer,
                                       const WholeParam& param) {
    mWholeParam = param;
    begin(source, waitAnswer, SetWholeParam);
    sendSetWholeParam();
}

void UsbCommunicateUtil::sendSetWholeParam() {
    QByteArray p;
    p.append(char(0xFF));
    p.append(char(mWholeParam.touchOptimize ? 1 : 0));
    putU16(p, quint16(mWholeParam.deadDown));
    putU16(p, quint16(mWholeParam.deadUp));
    p.append(char(mWholeParam.pollingRate));
    p.append(char(mWholeParam.shakeLevel));
    p.append(char(mWholeParam.calibration ? 1 : 0));
    p.append(char(mWholeParam.sportsMode ? 1 : 0));
    p.append(char(mWholeParam.currentLayer));
    p.append(QByteArray(9, char(0xFF)));
    sendFrame("sendSetWholeParam", SetWholeParam, p);
}

void UsbCommunicateUtil::receiveSetWholeParam(const Answer& a) {
    if (!accept("receiveSetWholeParam", a)) return;
    emit usb_receive_set_whole_param(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::getKeyboardConfig(const uchar& source, const bool& waitAnswer,
                                           const uchar& layer) {
    if (layer > 1) {
        emit usb_communicate_error(source, answerOf(GetKeyboardConfig), ErrorLayer);
        return;
    }
    mLayer = layer;
    mKeyMaps[layer].clear();
    begin(source, waitAnswer, GetKeyboardConfig);
    sendGetKeyboardConfig();
}

void UsbCommunicateUtil::sendGetKeyboardConfig() {
    sendFrame("sendGetKeyboardConfig", GetKeyboardConfig, QByteArray(1, char(mLayer)));
}

void UsbCommunicateUtil::receiveKeyboardConfig(const Answer& a) {
    if (!accept("receiveKeyboardConfig", a)) return;
    if (a.at(0) != mLayer) {
        if (mWaitAnswer)
            mismatchAsTimeout();
        else
            emit usb_communicate_error(mSource, mLastSendOrder, ErrorLayer);
        return;
    }
    const int entries = a.length >= 2 ? (a.length - 2) / 3 : 0;
    for (int i = 0; i < entries; ++i) {
        const int key = a.at(1) + i;
        if (key > 255) break;
        auto binding = KeyBindingPtr::create();
        binding->keyItem = uchar(key);
        binding->type = a.at(2 + 3 * i);
        binding->lValue = a.at(3 + 3 * i);
        binding->hValue = a.at(4 + 3 * i);
        mKeyMaps[mLayer].insert(binding->keyItem, binding);
    }
    emit usb_receive_keyboard_config(mSource, a.frame, a.total, mLayer);
    continueWith(a, &UsbCommunicateUtil::sendGetKeyboardConfig);
}

void UsbCommunicateUtil::setKeyboardConfig(const uchar& source, const bool& waitAnswer,
                                           const uchar& layer,
                                           const QSharedPointer<KeyBindingMap>& map) {
    if (layer > 1) {
        emit usb_communicate_error(source, answerOf(SetKeyboardConfig), ErrorLayer);
        return;
    }
    mLayer = layer;
    mKeyMaps[layer] = map ? *map : KeyBindingMap();
    begin(source, waitAnswer, SetKeyboardConfig, mKeyMaps[layer].size());
    if (mItemCount == 0) {
        emit usb_receive_set_keyboard_config(mSource, 1, 1, mLayer);
        return;
    }
    sendSetKeyboardConfig();
}

void UsbCommunicateUtil::sendSetKeyboardConfig() {
    const QList<KeyBindingPtr> entries = share(mKeyMaps[mLayer], firstItem(), itemsNow());
    QByteArray p;
    p.append(char(mLayer));
    p.append(char(entries.isEmpty() ? 0 : entries.first()->keyItem));
    for (const KeyBindingPtr& k : entries)
        p += bytes({char(k->type), char(k->lValue), char(k->hValue)});
    sendFrame("sendSetKeyboardConfig", SetKeyboardConfig, p);
}

void UsbCommunicateUtil::receiveSetKeyboardConfig(const Answer& a) {
    if (!accept("receiveSetKeyboardConfig", a)) return;
    emit usb_receive_set_keyboard_config(mSource, a.frame, a.total, mLayer);
    continueWith(a, &UsbCommunicateUtil::sendSetKeyboardConfig);
}

void UsbCommunicateUtil::setKeyboardDefault(const uchar& source, const bool& waitAnswer,
                                            const uchar& layer, const QByteArray& keys) {
    mLayer = layer;
    mKeyString = keys;
    mKeyMaps[layer > 1 ? 1 : layer].clear();
    begin(source, waitAnswer, SetKeyboardDefault, keys.size());
    if (mItemCount == 0) {
        emit usb_receive_set_keyboard_default(mSource, 1, 1, mLayer, false);
        return;
    }
    sendSetKeyboardDefault();
}

void UsbCommunicateUtil::sendSetKeyboardDefault() {
    QByteArray p(1, char(mLayer));
    p += mKeyString.mid(firstItem(), itemsNow());
    sendFrame("sendSetKeyboardDefault", SetKeyboardDefault, p);
}

void UsbCommunicateUtil::receiveSetKeyboardDefault(const Answer& a) {
    if (!accept("receiveSetKeyboardDefault", a)) return;
    const uchar answered = a.at(0) > 1 ? 1 : a.at(0);
    if (a.at(1) == 0xFF) {
        emit usb_receive_set_keyboard_default(mSource, a.frame, a.total, mLayer, true);
        return;
    }
    for (int offset : {1, 5}) {
        if (offset == 5 && a.at(5) == 0xFF) break;
        auto binding = KeyBindingPtr::create();
        binding->keyItem = a.at(offset);
        binding->type = a.at(offset + 1);
        binding->lValue = a.at(offset + 2);
        binding->hValue = a.at(offset + 3);
        mKeyMaps[answered].insert(binding->keyItem, binding);
    }
    // Requesters send at most two keys at a time: no further frame.
    emit usb_receive_set_keyboard_default(mSource, a.frame, a.total, mLayer, false);
}

void UsbCommunicateUtil::resetKeyboard(const uchar& source, const bool& waitAnswer) {
    begin(source, waitAnswer, ResetKeyboard);
    sendResetKeyboard();
}

void UsbCommunicateUtil::sendResetKeyboard() {
    sendFrame("sendResetKeyboard", ResetKeyboard, bytes({char(0x5A), char(0xA5)}));
}

void UsbCommunicateUtil::receiveResetKeyboard(const Answer& a) {
    if (!accept("receiveResetKeyboard", a)) return;
    emit usb_receive_reset_keyboard(mSource, a.frame, a.total);
}

// ---------------------------------------------------------------------------
// Lighting

void UsbCommunicateUtil::getCustomLight(const uchar& source, const bool& waitAnswer) {
    mCustomLightMap.clear();
    begin(source, waitAnswer, GetCustomLight);
    sendGetCustomLight();
}

void UsbCommunicateUtil::sendGetCustomLight() {
    sendFrame("sendGetCustomLight", GetCustomLight, QByteArray());
}

void UsbCommunicateUtil::receiveCustomLight(const Answer& a) {
    if (!accept("receiveCustomLight", a)) return;
    if (a.length >= 4) {
        for (int i = 0; i < a.length / 4; ++i) {
            const int key = a.at(0) + i;
            if (key > 255) break;
            auto entry = CustomLightPtr::create();
            entry->keyItem = uchar(key);
            entry->light = a.at(1 + 4 * i);
            entry->colorR = a.at(2 + 4 * i);
            entry->colorG = a.at(3 + 4 * i);
            entry->colorB = a.at(4 + 4 * i);
            mCustomLightMap.insert(entry->keyItem, entry);
        }
    }
    emit usb_receive_custom_light(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendGetCustomLight);
}

void UsbCommunicateUtil::setCustomLight(const uchar& source, const bool& waitAnswer,
                                        const EffectLightEntry& colour, const QByteArray& keys) {
    mColour = colour;
    mKeyString = keys;
    begin(source, waitAnswer, SetCustomLight, keys.size());
    if (mItemCount == 0) {
        emit usb_receive_set_custom_light(mSource, 1, 1);
        return;
    }
    sendSetCustomLight();
}

void UsbCommunicateUtil::sendSetCustomLight() {
    QByteArray p = bytes(
        {char(mColour.light), char(mColour.colorR), char(mColour.colorG), char(mColour.colorB)});
    p += mKeyString.mid(firstItem(), itemsNow());
    sendFrame("sendSetCustomLight", SetCustomLight, p);
}

void UsbCommunicateUtil::receiveSetCustomLight(const Answer& a) {
    if (!accept("receiveSetCustomLight", a)) return;
    emit usb_receive_set_custom_light(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendSetCustomLight);
}

void UsbCommunicateUtil::setCustomLightAll(const uchar& source, const bool& waitAnswer,
                                           const QSharedPointer<CustomLightMap>& map) {
    mCustomLightMap = map ? *map : CustomLightMap();
    begin(source, waitAnswer, SetCustomLightAll, mCustomLightMap.size());
    if (mItemCount == 0) {
        emit usb_receive_set_custom_light_all(mSource, 1, 1);
        return;
    }
    sendSetCustomLightAll();
}

void UsbCommunicateUtil::sendSetCustomLightAll() {
    const QList<CustomLightPtr> entries = share(mCustomLightMap, firstItem(), itemsNow());
    QByteArray p(1, char(entries.isEmpty() ? 0 : entries.first()->keyItem));
    for (const CustomLightPtr& e : entries)
        p += bytes({char(e->light), char(e->colorR), char(e->colorG), char(e->colorB)});
    sendFrame("sendSetCustomLightAll", SetCustomLightAll, p);
}

void UsbCommunicateUtil::receiveSetCustomLightAll(const Answer& a) {
    if (!accept("receiveSetCustomLightAll", a)) return;
    emit usb_receive_set_custom_light_all(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendSetCustomLightAll);
}

void UsbCommunicateUtil::getEffectLight(const uchar& source, const bool& waitAnswer,
                                        const uchar& index) {
    mEffectIndex = index;
    mEffectLightMap.clear();
    begin(source, waitAnswer, GetEffectLight);
    sendGetEffectLight();
}

void UsbCommunicateUtil::sendGetEffectLight() {
    sendFrame("sendGetEffectLight", GetEffectLight, QByteArray(1, char(mEffectIndex)));
}

static EffectLightPtr effectFromWire(const QByteArray& d, int o) {
    auto b = [&](int i) { return o + i < d.size() ? quint8(d.at(o + i)) : quint8(0); };
    auto e = EffectLightPtr::create();
    e->item = b(0);
    e->light = b(1);
    e->speed = b(2);
    e->fullColor = b(3);
    e->functionFlag = b(4);
    e->colorR = b(5);
    e->colorG = b(6);
    e->colorB = b(7);
    return e;
}

static QByteArray effectToWire(const EffectLightEntry& e) {
    return bytes({char(e.item), char(e.light), char(e.speed), char(e.fullColor),
                  char(e.functionFlag), char(e.colorR), char(e.colorG), char(e.colorB)});
}

void UsbCommunicateUtil::receiveEffectLight(const Answer& a) {
    if (!accept("receiveEffectLight", a)) return;
    if (a.length >= 8) {
        for (int i = 0; i < a.length / 8; ++i) {
            EffectLightPtr e = effectFromWire(a.data, 8 * i);
            mEffectLightMap.insert(e->item, e);
        }
    }
    emit usb_receive_effect_light(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendGetEffectLight);
}

void UsbCommunicateUtil::setEffectLight(const uchar& source, const bool& waitAnswer,
                                        const EffectLightEntry& entry) {
    mEffectEntry = entry;
    begin(source, waitAnswer, SetEffectLight);
    if (entry.item == 0xFF) {
        emit usb_receive_set_effect_light(mSource, 1, 1);
        return;
    }
    sendSetEffectLight();
}

void UsbCommunicateUtil::sendSetEffectLight() {
    sendFrame("sendSetEffectLight", SetEffectLight, effectToWire(mEffectEntry));
}

void UsbCommunicateUtil::receiveSetEffectLight(const Answer& a) {
    if (!accept("receiveSetEffectLight", a)) return;
    emit usb_receive_set_effect_light(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::setEffectLightAll(const uchar& source, const bool& waitAnswer,
                                           const QSharedPointer<EffectLightMap>& map) {
    mEffectLightMap = map ? *map : EffectLightMap();
    begin(source, waitAnswer, SetEffectLightAll, mEffectLightMap.size());
    if (mItemCount == 0) {
        emit usb_receive_set_effect_light_all(mSource, 1, 1);
        return;
    }
    sendSetEffectLightAll();
}

void UsbCommunicateUtil::sendSetEffectLightAll() {
    QByteArray p;
    for (const EffectLightPtr& e : share(mEffectLightMap, firstItem(), itemsNow()))
        p += effectToWire(*e);
    sendFrame("sendSetEffectLightAll", SetEffectLightAll, p);
}

void UsbCommunicateUtil::receiveSetEffectLightAll(const Answer& a) {
    if (!accept("receiveSetEffectLightAll", a)) return;
    emit usb_receive_set_effect_light_all(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendSetEffectLightAll);
}

void UsbCommunicateUtil::selectEffectLight(const uchar& source, const bool& waitAnswer,
                                           const uchar& index) {
    mSelectIndex = index;
    begin(source, waitAnswer, SelectEffectLight);
    sendSelectEffectLight();
}

void UsbCommunicateUtil::sendSelectEffectLight() {
    sendFrame("sendSelectEffectLight", SelectEffectLight, QByteArray(1, char(mSelectIndex)));
}

void UsbCommunicateUtil::receiveSelectEffectLight(const Answer& a) {
    if (!accept("receiveSelectEffectLight", a)) return;
    emit usb_receive_select_effect_light(mSource, a.frame, a.total, mSelectIndex);
}

void UsbCommunicateUtil::getEffectLightName(const uchar& source, const bool& waitAnswer) {
    mEffectNameMap.clear();
    begin(source, waitAnswer, GetEffectLightName);
    sendGetEffectLightName();
}

void UsbCommunicateUtil::sendGetEffectLightName() {
    sendFrame("sendGetEffectLightName", GetEffectLightName,
              QByteArray(1, char(effectNameLanguageCode(mEffectiveLanguage))));
}

void UsbCommunicateUtil::receiveEffectLightName(const Answer& a) {
    if (!accept("receiveEffectLightName", a)) return;
    int item = a.at(0);
    const int slot = a.at(1);
    // A slot size of 0 would never advance and one above 99 cannot be
    // decoded: take nothing more from such an answer.
    if (slot >= 1 && slot <= 99) {
        for (int start = 2; start < a.length; start += slot) {
            if (a.at(start) == 0) continue;
            auto entry = EffectNamePtr::create();
            entry->item = uchar(item);
            entry->name = decodeSlot(a.data, start, qMin(slot, int(a.length) - start));
            mEffectNameMap.insert(entry->item, entry);
            ++item;
        }
    } else {
        log(QStringLiteral(
                "=== UsbCommunicateUtil receiveEffectLightName 名称长度无效 size={%1} ===")
                .arg(slot));
    }
    emit usb_receive_set_effect_light_language(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendGetEffectLightName);
}

// ---------------------------------------------------------------------------
// Advanced keys, macros, triggers

void UsbCommunicateUtil::getHighKey(const uchar& source, const bool& waitAnswer) {
    mHighKeyList.clear();
    begin(source, waitAnswer, GetHighKey);
    sendGetHighKey();
}

void UsbCommunicateUtil::sendGetHighKey() {
    sendFrame("sendGetHighKey", GetHighKey, QByteArray());
}

void UsbCommunicateUtil::receiveHighKey(const Answer& a) {
    if (!accept("receiveHighKey", a)) return;
    for (int i = 0; i < a.length / 19; ++i)
        mHighKeyList.append(HighKeyPtr::create(highKeyFromWire(a.data, 19 * i)));
    emit usb_receive_high_key(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendGetHighKey);
}

void UsbCommunicateUtil::addHighKey(const uchar& source, const bool& waitAnswer,
                                    const HIGH_KEY_INFO& entry) {
    mHighKey = entry;
    begin(source, waitAnswer, AddHighKey);
    sendAddHighKey();
}

void UsbCommunicateUtil::sendAddHighKey() {
    int used = 0;
    const QByteArray wire = highKeyWire(mHighKey, &used);
    // An unknown kind carries only its item and kind; it announces no data.
    if (mHighKey.attribute > 5) {
        sendFrame("sendAddHighKey", AddHighKey, wire.left(2), 0);
        return;
    }
    // Every byte written is announced by the length, MT's twelfth included.
    sendFrame("sendAddHighKey", AddHighKey, wire.left(used));
}

void UsbCommunicateUtil::receiveAddHighKey(const Answer& a) {
    if (!accept("receiveAddHighKey", a)) return;
    emit usb_receive_add_high_key(mSource, a.frame, a.total, mHighKey);
}

void UsbCommunicateUtil::setHighKey(const uchar& source, const bool& waitAnswer,
                                    const HighKeyList& list) {
    // The list sent becomes the staging list, so a commit after the write
    // hands the model what the keyboard accepted.
    mHighKeyList = list;
    begin(source, waitAnswer, SetHighKey, list.size());
    if (mItemCount == 0) {
        emit usb_receive_set_high_key(mSource, 1, 1);
        return;
    }
    sendSetHighKey();
}

void UsbCommunicateUtil::sendSetHighKey() {
    QByteArray p;
    for (const HighKeyPtr& k : mHighKeyList.mid(firstItem(), itemsNow())) p += highKeyWire(*k);
    sendFrame("sendSetHighKey", SetHighKey, p);
}

void UsbCommunicateUtil::receiveSetHighKey(const Answer& a) {
    if (!accept("receiveSetHighKey", a)) return;
    emit usb_receive_set_high_key(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendSetHighKey);
}

void UsbCommunicateUtil::delHighKey(const uchar& source, const bool& waitAnswer,
                                    const HIGH_KEY_INFO& entry) {
    mHighKey = entry;
    begin(source, waitAnswer, DelHighKey);
    sendDelHighKey();
}

void UsbCommunicateUtil::sendDelHighKey() {
    sendFrame("sendDelHighKey", DelHighKey, QByteArray(1, char(mHighKey.item)));
}

void UsbCommunicateUtil::receiveDelHighKey(const Answer& a) {
    if (!accept("receiveDelHighKey", a)) return;
    emit usb_receive_del_high_key(mSource, a.frame, a.total, mHighKey);
}

void UsbCommunicateUtil::getMacroConfig(const uchar& source, const bool& waitAnswer,
                                        const uchar& index) {
    if (index > 9) {
        emit usb_communicate_error(source, answerOf(GetMacroConfig), ErrorMacroIndex);
        return;
    }
    mMacroIndex = index;
    mMacroLists[index].clear();
    begin(source, waitAnswer, GetMacroConfig);
    sendGetMacroConfig();
}

void UsbCommunicateUtil::sendGetMacroConfig() {
    sendFrame("sendGetMacroConfig", GetMacroConfig, QByteArray(1, char(mMacroIndex)));
}

void UsbCommunicateUtil::receiveMacroConfig(const Answer& a) {
    if (!accept("receiveMacroConfig", a)) return;
    const uchar index = a.at(0);
    if (index != 0xFF && index != mMacroIndex) {
        if (mWaitAnswer)
            mismatchAsTimeout();
        else
            emit usb_communicate_error(mSource, mLastSendOrder, ErrorMacroIndex);
        return;
    }
    if (index != 0xFF) {
        // Never take more events than the frame carries.
        const int count = qMin<int>(a.at(1), a.length >= 2 ? (a.length - 2) / 6 : 0);
        for (int i = 0; i < count; ++i) {
            const int o = 2 + 6 * i;
            auto e = MacroEventPtr::create();
            e->state = a.at(o);
            e->type = a.at(o + 1);
            e->lValue = a.at(o + 2);
            e->hValue = a.at(o + 3);
            e->time = a.u16(o + 4);
            mMacroLists[mMacroIndex].append(e);
        }
    }
    emit usb_receive_macro_config(mSource, a.frame, a.total, mMacroIndex);
    continueWith(a, &UsbCommunicateUtil::sendGetMacroConfig);
}

void UsbCommunicateUtil::setMacroConfig(const uchar& source, const bool& waitAnswer,
                                        const uchar& index, const MacroEventList& events) {
    mMacroIndex = index;
    if (index <= 9) mMacroLists[index] = events;
    begin(source, waitAnswer, SetMacroConfig, index <= 9 ? events.size() : 0);
    if (index > 9 || mItemCount == 0) {
        emit usb_receive_set_macro_config(mSource, 1, 1, mMacroIndex);
        return;
    }
    sendSetMacroConfig();
}

void UsbCommunicateUtil::sendSetMacroConfig() {
    const MacroEventList events = mMacroLists[mMacroIndex].mid(firstItem(), itemsNow());
    QByteArray p = bytes({char(mMacroIndex), char(events.size())});
    for (const MacroEventPtr& e : events) {
        p += bytes({char(e->state), char(e->type), char(e->lValue), char(e->hValue)});
        putU16(p, e->time);
    }
    sendFrame("sendSetMacroConfig", SetMacroConfig, p);
}

void UsbCommunicateUtil::receiveSetMacroConfig(const Answer& a) {
    if (!accept("receiveSetMacroConfig", a)) return;
    emit usb_receive_set_macro_config(mSource, a.frame, a.total, mMacroIndex);
    continueWith(a, &UsbCommunicateUtil::sendSetMacroConfig);
}

void UsbCommunicateUtil::delMacroConfig(const uchar& source, const bool& waitAnswer,
                                        const uchar& index) {
    mMacroIndex = index;
    begin(source, waitAnswer, DelMacroConfig);
    sendDelMacroConfig();
}

void UsbCommunicateUtil::sendDelMacroConfig() {
    sendFrame("sendDelMacroConfig", DelMacroConfig, QByteArray(1, char(mMacroIndex)));
}

void UsbCommunicateUtil::receiveDelMacroConfig(const Answer& a) {
    if (!accept("receiveDelMacroConfig", a)) return;
    if (mMacroIndex <= 9) {
        mMacroLists[mMacroIndex].clear();
        if (KeyboardConfigUtil* model = KeyboardConfigUtil::instance())
            model->keyboardMacroList[mMacroIndex].clear();
    }
    emit usb_receive_del_macro_config(mSource, a.frame, a.total, mMacroIndex);
}

void UsbCommunicateUtil::getTriggerConfig(const uchar& source, const bool& waitAnswer) {
    mTriggerMap.clear();
    begin(source, waitAnswer, GetTriggerConfig);
    sendGetTriggerConfig();
}

void UsbCommunicateUtil::sendGetTriggerConfig() {
    sendFrame("sendGetTriggerConfig", GetTriggerConfig, QByteArray());
}

void UsbCommunicateUtil::receiveTriggerConfig(const Answer& a) {
    if (!accept("receiveTriggerConfig", a)) return;
    const int entries = a.length >= 1 ? (a.length - 1) / 8 : 0;
    for (int i = 0; i < entries; ++i) {
        const int key = a.at(0) + i;
        if (key > 255) break;
        const int o = 1 + 8 * i;
        auto t = TriggerSettingPtr::create();
        t->keyItem = uchar(key);
        t->trigger = a.u16(o);
        t->model = a.at(o + 2) != 0;
        t->quick = a.at(o + 3) != 0;
        t->quickTrigger = a.u16(o + 4);
        t->resetTrigger = a.u16(o + 6);
        mTriggerMap.insert(t->keyItem, t);
    }
    emit usb_receive_trigger_config(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendGetTriggerConfig);
}

void UsbCommunicateUtil::setTriggerConfig(const uchar& source, const bool& waitAnswer,
                                          const TriggerSetting& setting, const QByteArray& keys) {
    mTrigger = setting;
    mKeyString = keys;
    begin(source, waitAnswer, SetTriggerConfig, keys.size());
    if (mItemCount == 0) {
        emit usb_receive_set_trigger_config(mSource, 1, 1);
        return;
    }
    sendSetTriggerConfig();
}

void UsbCommunicateUtil::sendSetTriggerConfig() {
    QByteArray p;
    putU16(p, mTrigger.trigger);
    p += mKeyString.mid(firstItem(), itemsNow());
    sendFrame("sendSetTriggerConfig", SetTriggerConfig, p);
}

void UsbCommunicateUtil::receiveSetTriggerConfig(const Answer& a) {
    if (!accept("receiveSetTriggerConfig", a)) return;
    emit usb_receive_set_trigger_config(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendSetTriggerConfig);
}

void UsbCommunicateUtil::setTriggerConfigAll(const uchar& source, const bool& waitAnswer,
                                             const QSharedPointer<TriggerMap>& map) {
    mTriggerMap = map ? *map : TriggerMap();
    begin(source, waitAnswer, SetTriggerConfigAll, mTriggerMap.size());
    if (mItemCount == 0) {
        emit usb_receive_set_trigger_config_all(mSource, 1, 1);
        return;
    }
    sendSetTriggerConfigAll();
}

void UsbCommunicateUtil::sendSetTriggerConfigAll() {
    const QList<TriggerSettingPtr> entries = share(mTriggerMap, firstItem(), itemsNow());
    QByteArray p =
        bytes({char(entries.isEmpty() ? 0 : entries.first()->keyItem), char(entries.size())});
    for (const TriggerSettingPtr& t : entries) {
        putU16(p, t->trigger);
        p += bytes({char(t->model ? 1 : 0), char(t->quick ? 1 : 0)});
        putU16(p, t->quickTrigger);
        putU16(p, t->resetTrigger);
    }
    sendFrame("sendSetTriggerConfigAll", SetTriggerConfigAll, p);
}

void UsbCommunicateUtil::receiveSetTriggerConfigAll(const Answer& a) {
    if (!accept("receiveSetTriggerConfigAll", a)) return;
    emit usb_receive_set_trigger_config_all(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendSetTriggerConfigAll);
}

void UsbCommunicateUtil::setQuickTriggerConfig(const uchar& source, const bool& waitAnswer,
                                               const QuickTriggerList& list) {
    mQuickTriggerList = list;
    begin(source, waitAnswer, SetQuickTriggerConfig, list.size());
    if (mItemCount == 0) {
        emit usb_receive_set_quick_trigger_config(mSource, 1, 1);
        return;
    }
    sendSetQuickTriggerConfig();
}

void UsbCommunicateUtil::sendSetQuickTriggerConfig() {
    QByteArray p;
    for (const QuickTriggerPtr& q : mQuickTriggerList.mid(firstItem(), itemsNow())) {
        p += bytes({char(q->keyItem), 0, char(q->model ? 1 : 0), char(q->quick ? 1 : 0)});
        putU16(p, q->quickTrigger);
        putU16(p, q->resetTrigger);
    }
    sendFrame("sendSetQuickTriggerConfig", SetQuickTriggerConfig, p);
}

void UsbCommunicateUtil::receiveSetQuickTriggerConfig(const Answer& a) {
    if (!accept("receiveSetQuickTriggerConfig", a)) return;
    emit usb_receive_set_quick_trigger_config(mSource, a.frame, a.total);
    continueWith(a, &UsbCommunicateUtil::sendSetQuickTriggerConfig);
}

// ---------------------------------------------------------------------------
// Calibration and firmware

void UsbCommunicateUtil::getCalibrationState(const uchar& source, const bool& waitAnswer) {
    mCalibrationMap.clear();
    begin(source, waitAnswer, GetCalibrationState);
    sendGetCalibrationState();
}

void UsbCommunicateUtil::sendGetCalibrationState() {
    sendFrame("sendGetCalibrationState", GetCalibrationState, QByteArray());
}

void UsbCommunicateUtil::receiveCalibrationState(const Answer& a) {
    if (!accept("receiveCalibrationState", a)) return;
    for (int i = 0; i < a.length; ++i) {
        const int key = (a.frame - 1) * gUsbDataMaxsize + i;
        if (key < 0 || key > 255) break;
        mCalibrationMap.insert(uchar(key), a.at(i));
    }
    if (a.frame < a.total) {
        continueWith(a, &UsbCommunicateUtil::sendGetCalibrationState);
        return;
    }
    emit usb_receive_get_calibration_state(mSource, a.frame, a.total, mCalibrationMap);
}

void UsbCommunicateUtil::setReportCalibration(const uchar& source, const bool& waitAnswer,
                                              const int& on) {
    mCalibrationSwitch = on;
    begin(source, waitAnswer, SetReportCalibration);
    sendSetReportCalibration();
}

void UsbCommunicateUtil::sendSetReportCalibration() {
    sendFrame("sendSetReportCalibration", SetReportCalibration,
              QByteArray(1, char(mCalibrationSwitch)));
}

void UsbCommunicateUtil::receiveReportCalibration(const Answer& a) {
    // Answers to the switch and the unsolicited travel stream share 0xD3.
    if (a.length == 1) {
        // A late switch answer must not cancel the retries of another command.
        if (mLastSendOrder == a.order) mTimer->stop();
        emit usb_receive_report_calibration_switch(mSource, a.frame, a.total, a.at(0));
        return;
    }
    mAlignList.clear();
    for (int i = 0; i < a.length / 4; ++i) {
        auto entry = AlignInfoPtr::create();
        entry->keyItem = a.at(4 * i + 1);
        entry->value = a.u16(4 * i + 2);
        mAlignList.append(entry);
    }
    emit usb_receive_report_calibration(mSource, a.frame, a.total, mAlignList);
}

void UsbCommunicateUtil::saveCalibration(const uchar& source, const bool& waitAnswer) {
    begin(source, waitAnswer, SaveCalibration);
    sendSaveCalibration();
}

void UsbCommunicateUtil::sendSaveCalibration() {
    sendFrame("sendSaveCalibration", SaveCalibration, QByteArray());
}

void UsbCommunicateUtil::receiveSaveCalibration(const Answer& a) {
    if (!accept("receiveSaveCalibration", a)) return;
    emit usb_receive_save_calibration(mSource, a.frame, a.total);
}

void UsbCommunicateUtil::keepFirmwareBlock(quint16 block, int length, const QByteArray& data) {
    mBlockNumber = block;
    mBlockLength = qBound(0, length, qMin(int(data.size()), gUsbDataMaxsize));
    mFirmwareBuffer.fill('\0', kBufferSize);
    mFirmwareBuffer.replace(0, mBlockLength, data.left(mBlockLength));
}

void UsbCommunicateUtil::downloadFirewareKeyboard(const uchar& source, const bool& waitAnswer,
                                                  const quint16& block, const int& length,
                                                  const QByteArray& data) {
    keepFirmwareBlock(block, length, data);
    begin(source, waitAnswer, DownloadFirewareKeyboard);
    sendDownloadFirewareKeyboard();
}

void UsbCommunicateUtil::sendDownloadFirewareKeyboard() {
    sendFrame("sendDownloadFirewareKeyboard", DownloadFirewareKeyboard,
              mFirmwareBuffer.left(mBlockLength));
}

void UsbCommunicateUtil::downloadFirewareData(const uchar& source, const bool& waitAnswer,
                                              const quint16& block, const int& length,
                                              const QByteArray& data) {
    keepFirmwareBlock(block, length, data);
    begin(source, waitAnswer, DownloadFirewareData);
    sendDownloadFirewareData();
}

void UsbCommunicateUtil::sendDownloadFirewareData() {
    sendFrame("sendDownloadFirewareData", DownloadFirewareData, mFirmwareBuffer.left(mBlockLength));
}

void UsbCommunicateUtil::downloadFirewareKeyboardEnd(const uchar& source, const bool& waitAnswer,
                                                     const quint32& first, const quint32& second) {
    mEndFirst = first;
    mEndSecond = second;
    begin(source, waitAnswer, DownloadFirewareKeyboardEnd);
    sendDownloadFirewareKeyboardEnd();
}

void UsbCommunicateUtil::sendDownloadFirewareKeyboardEnd() {
    QByteArray p;
    putU32(p, mEndSecond);
    putU32(p, mEndFirst);
    sendFrame("sendDownloadFirewareKeyboardEnd", DownloadFirewareKeyboardEnd, p);
}

// Firmware answers: status 0 confirms; any other status leaves the timer
// running so the block goes again on time-out.
#define ZENTARO_FIRMWARE_ANSWER(Name, Signal)                         \
    void UsbCommunicateUtil::receive##Name(const Answer& a) {         \
        if (a.order != mLastSendOrder) {                              \
            accept("receive" #Name, a);                               \
            return;                                                   \
        }                                                             \
        if (a.at(0) != 0) {                                           \
            log(QStringLiteral("=== UsbCommunicateUtil receive" #Name \
                               " 发送数据错误 data={ %1 } ===")       \
                    .arg(a.at(0)));                                   \
            return;                                                   \
        }                                                             \
        mTimer->stop();                                               \
        emit Signal(mSource, a.frame, a.total);                       \
    }
ZENTARO_FIRMWARE_ANSWER(DownloadFirewareKeyboard, usb_receive_download_fireware_keyboard)
ZENTARO_FIRMWARE_ANSWER(DownloadFirewareData, usb_receive_download_fireware_data)
ZENTARO_FIRMWARE_ANSWER(DownloadFirewareKeyboardEnd, usb_receive_download_fireware_keyboard_end)
#undef ZENTARO_FIRMWARE_ANSWER

// ---------------------------------------------------------------------------
// Commit operations

void UsbCommunicateUtil::commitProductInfo(KeyboardConfigUtil* model) {
    *model->keyboardProductInfo = mProductInfo;
    mProductInfo = KeyboardProductInfo();
}

void UsbCommunicateUtil::commitConfigInfo(KeyboardConfigUtil* model) {
    model->keyboardConfigIndex = mConfigIndex;
    model->keyboardConfigList = mConfigList;
    mConfigList.clear();
}

void UsbCommunicateUtil::commitWholeParam(KeyboardConfigUtil* model) {
    // The record itself stays the same object: pages may hold it.
    *model->keyboardWholeParam = mWholeParam;
}

void UsbCommunicateUtil::commitCustomLight(KeyboardConfigUtil* model) {
    model->keyboardCustomLightMap = mCustomLightMap;
    mCustomLightMap.clear();
}

void UsbCommunicateUtil::commitEffectLight(KeyboardConfigUtil* model) {
    if (mEffectIndex == 0xFF) {
        model->keyboardEffectLightMap = mEffectLightMap;
    } else {
        for (const EffectLightPtr& e : mEffectLightMap) {
            const EffectLightPtr target = model->keyboardEffectLightMap.value(e->item);
            if (target) *target = *e;
        }
    }
    mEffectLightMap.clear();
}

void UsbCommunicateUtil::commitEffectName(KeyboardConfigUtil* model) {
    model->keyboardEffectNameMap = mEffectNameMap;
    mEffectNameMap.clear();
}

void UsbCommunicateUtil::commitKeyboardConfig(KeyboardConfigUtil* model, uchar layer) {
    if (layer > 1) return;
    (layer == 0 ? model->keyboardFnMap : model->keyboardFn1Map) = mKeyMaps[layer];
    mKeyMaps[layer].clear();
}

void UsbCommunicateUtil::commitHighKey(KeyboardConfigUtil* model) {
    model->keyboardHighKeyList = mHighKeyList;
    mHighKeyList.clear();
}

void UsbCommunicateUtil::commitMacro(KeyboardConfigUtil* model, uchar index) {
    if (index > 9) return;
    model->keyboardMacroList[index] = mMacroLists[index];
    mMacroLists[index].clear();
}

void UsbCommunicateUtil::commitTriggerConfig(KeyboardConfigUtil* model) {
    model->keyboardTriggerMap = mTriggerMap;
    mTriggerMap.clear();
}

void UsbCommunicateUtil::commitSetCustomLight(KeyboardConfigUtil* model) {
    for (char c : mKeyString) {
        const uchar key = uchar(c);
        CustomLightPtr entry = model->keyboardCustomLightMap.value(key);
        if (!entry) continue;
        entry->light = mColour.light;
        entry->colorR = mColour.colorR;
        entry->colorG = mColour.colorG;
        entry->colorB = mColour.colorB;
    }
}

void UsbCommunicateUtil::commitSetEffectLight(KeyboardConfigUtil* model) {
    const EffectLightPtr target = model->keyboardEffectLightMap.value(mEffectEntry.item);
    if (target) *target = mEffectEntry;
}

void UsbCommunicateUtil::commitSetTriggerConfig(KeyboardConfigUtil* model) {
    for (char c : mKeyString) {
        const TriggerSettingPtr t = model->keyboardTriggerMap.value(uchar(c));
        if (t) t->trigger = mTrigger.trigger;
    }
}

void UsbCommunicateUtil::commitSetQuickTriggerConfig(KeyboardConfigUtil* model) {
    for (const QuickTriggerPtr& q : mQuickTriggerList) {
        const TriggerSettingPtr t = model->keyboardTriggerMap.value(q->keyItem);
        if (!t) continue;
        t->model = q->model;
        t->quick = q->quick;
        t->quickTrigger = q->quickTrigger;
        t->resetTrigger = q->resetTrigger;
    }
}

void UsbCommunicateUtil::commitSetKeyboardDefault(KeyboardConfigUtil* model, uchar layer) {
    if (layer > 1) return;
    KeyBindingMap& target = layer == 0 ? model->keyboardFnMap : model->keyboardFn1Map;
    for (const KeyBindingPtr& restored : mKeyMaps[layer]) {
        const KeyBindingPtr binding = target.value(restored->keyItem);
        if (!binding) continue;
        binding->type = restored->type;
        binding->hValue = restored->hValue;
        binding->lValue = restored->lValue;
    }
    mKeyMaps[layer].clear();
}
