// Key maps and whole parameters: requests, answers and commits.

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/commandbytes.h"
#include "protocol/usbcommunicateutil.h"

using namespace UsbProtocol;
using namespace CommandBytes;

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
            failCurrent(ErrorLayer);
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
    planKeyedFrames(mKeyMaps[layer].keys());
    if (mItemCount == 0) {
        emit usb_receive_set_keyboard_config(mSource, 1, 1, mLayer);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
        return;
    }
    sendSetKeyboardConfig();
}

void UsbCommunicateUtil::sendSetKeyboardConfig() {
    const KeyedFrame f = keyedShare();
    const QList<KeyBindingPtr> entries = share(mKeyMaps[mLayer], f.position, f.count);
    QByteArray p;
    p.append(char(mLayer));
    p.append(char(f.firstKey));
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
    if (!fitsFrames("setKeyboardDefault", source, SetKeyboardDefault, keys.size())) return;
    mLayer = layer;
    mKeyString = keys;
    mKeyMaps[layer > 1 ? 1 : layer].clear();
    begin(source, waitAnswer, SetKeyboardDefault, keys.size());
    if (mItemCount == 0) {
        emit usb_receive_set_keyboard_default(mSource, 1, 1, mLayer, false);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
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

void UsbCommunicateUtil::commitWholeParam(KeyboardConfigUtil* model) {
    // The record itself stays the same object: pages may hold it.
    *model->keyboardWholeParam = mWholeParam;
}

void UsbCommunicateUtil::commitKeyboardConfig(KeyboardConfigUtil* model, uchar layer) {
    if (layer > 1) return;
    (layer == 0 ? model->keyboardFnMap : model->keyboardFn1Map) = mKeyMaps[layer];
    mKeyMaps[layer].clear();
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
