// Lighting: requests, answers and commits.

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/commandbytes.h"
#include "protocol/usbcommunicateutil.h"

using namespace UsbProtocol;
using namespace CommandBytes;

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
    if (!fitsFrames("setCustomLight", source, SetCustomLight, keys.size())) return;
    mColour = colour;
    mKeyString = keys;
    begin(source, waitAnswer, SetCustomLight, keys.size());
    if (mItemCount == 0) {
        emit usb_receive_set_custom_light(mSource, 1, 1);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
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
    planKeyedFrames(mCustomLightMap.keys());
    if (mItemCount == 0) {
        emit usb_receive_set_custom_light_all(mSource, 1, 1);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
        return;
    }
    sendSetCustomLightAll();
}

void UsbCommunicateUtil::sendSetCustomLightAll() {
    const KeyedFrame f = keyedShare();
    const QList<CustomLightPtr> entries = share(mCustomLightMap, f.position, f.count);
    QByteArray p(1, char(f.firstKey));
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
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
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
    if (!fitsFrames("setEffectLightAll", source, SetEffectLightAll, map ? map->size() : 0)) return;
    mEffectLightMap = map ? *map : EffectLightMap();
    begin(source, waitAnswer, SetEffectLightAll, mEffectLightMap.size());
    if (mItemCount == 0) {
        emit usb_receive_set_effect_light_all(mSource, 1, 1);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
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
