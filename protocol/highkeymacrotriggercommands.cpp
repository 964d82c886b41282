// Advanced keys, macros, triggers: requests, answers and commits.

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/commandbytes.h"
#include "protocol/usbcommunicateutil.h"

using namespace UsbProtocol;
using namespace CommandBytes;

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
    if (!fitsFrames("setHighKey", source, SetHighKey, list.size())) return;
    // The list sent becomes the staging list, so a commit after the write
    // hands the model what the keyboard accepted.
    mHighKeyList = list;
    begin(source, waitAnswer, SetHighKey, list.size());
    if (mItemCount == 0) {
        emit usb_receive_set_high_key(mSource, 1, 1);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
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
            failCurrent(ErrorMacroIndex);
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
    if (index <= 9 && !fitsFrames("setMacroConfig", source, SetMacroConfig, events.size())) return;
    mMacroIndex = index;
    if (index <= 9) mMacroLists[index] = events;
    begin(source, waitAnswer, SetMacroConfig, index <= 9 ? events.size() : 0);
    if (index > 9 || mItemCount == 0) {
        emit usb_receive_set_macro_config(mSource, 1, 1, mMacroIndex);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
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
    if (!fitsFrames("setTriggerConfig", source, SetTriggerConfig, keys.size())) return;
    mTrigger = setting;
    mKeyString = keys;
    begin(source, waitAnswer, SetTriggerConfig, keys.size());
    if (mItemCount == 0) {
        emit usb_receive_set_trigger_config(mSource, 1, 1);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
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
    planKeyedFrames(mTriggerMap.keys());
    if (mItemCount == 0) {
        emit usb_receive_set_trigger_config_all(mSource, 1, 1);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
        return;
    }
    sendSetTriggerConfigAll();
}

void UsbCommunicateUtil::sendSetTriggerConfigAll() {
    const KeyedFrame f = keyedShare();
    const QList<TriggerSettingPtr> entries = share(mTriggerMap, f.position, f.count);
    QByteArray p = bytes({char(f.firstKey), char(entries.size())});
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
    if (!fitsFrames("setQuickTriggerConfig", source, SetQuickTriggerConfig, list.size())) return;
    mQuickTriggerList = list;
    begin(source, waitAnswer, SetQuickTriggerConfig, list.size());
    if (mItemCount == 0) {
        emit usb_receive_set_quick_trigger_config(mSource, 1, 1);
        // Nothing to send: the request ends here.
        emit usb_request_done(mSource, mLastSendOrder);
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
