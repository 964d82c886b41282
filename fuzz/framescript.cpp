#include "fuzz/framescript.h"

#include "protocol/usbcommunicateutil.h"

namespace {

QSharedPointer<KeyBindingMap> keyMap(FuzzInput& in, int count) {
    auto map = QSharedPointer<KeyBindingMap>::create();
    const uchar first = in.byte();
    const uchar step = uchar(1 + in.byte() % 3);
    for (int i = 0; i < count; ++i) {
        auto b = KeyBindingPtr::create();
        b->keyItem = uchar(first + i * step);
        b->lValue = uchar(i);
        map->insert(b->keyItem, b);
    }
    return map;
}

}  // namespace

void FrameScript::startCommand(UsbCommunicateUtil& e, FuzzInput& in, uchar source) {
    const bool wait = in.byte() & 1;
    const uchar arg = in.byte();
    const int count = in.byte() + (in.byte() & 1 ? 256 : 0);  // lists of 0..511 items
    switch (in.byte() % kCommands) {
        case 0:
            e.getProductInfo(source, wait);
            break;
        case 1:
            e.getConfigInfo(source, wait);
            break;
        case 2:
            e.setConfigInfo(source, wait, arg, QString::fromUtf8(in.bytes(arg % 40)));
            break;
        case 3:
            e.addConfigTable(source, wait, arg);
            break;
        case 4:
            e.delConfigTable(source, wait, arg);
            break;
        case 5:
            e.switchConfigTable(source, wait, arg);
            break;
        case 6:
            e.getWholeParam(source, wait);
            break;
        case 7:
            e.setWholeParam(source, wait, WholeParam{});
            break;
        case 8:
            e.getKeyboardConfig(source, wait, arg % 3);
            break;
        case 9:
            e.setKeyboardConfig(source, wait, arg % 3, keyMap(in, count));
            break;
        case 10:
            e.setKeyboardDefault(source, wait, arg % 3, QByteArray(count, char(arg)));
            break;
        case 11:
            e.getCustomLight(source, wait);
            break;
        case 12:
            e.setCustomLight(source, wait, EffectLightEntry{}, QByteArray(count, char(arg)));
            break;
        case 13: {
            auto map = QSharedPointer<CustomLightMap>::create();
            for (int i = 0; i < count % 256; ++i) {
                auto c = CustomLightPtr::create();
                c->keyItem = uchar(i * (1 + arg % 2));
                map->insert(c->keyItem, c);
            }
            e.setCustomLightAll(source, wait, map);
            break;
        }
        case 14:
            e.getEffectLight(source, wait, arg);
            break;
        case 15: {
            EffectLightEntry entry;
            entry.item = arg;
            e.setEffectLight(source, wait, entry);
            break;
        }
        case 16: {
            auto map = QSharedPointer<EffectLightMap>::create();
            for (int i = 0; i < count % 256; ++i) {
                auto c = EffectLightPtr::create();
                c->item = uchar(i);
                map->insert(c->item, c);
            }
            e.setEffectLightAll(source, wait, map);
            break;
        }
        case 17:
            e.selectEffectLight(source, wait, arg);
            break;
        case 18:
            e.getEffectLightName(source, wait);
            break;
        case 19:
            e.getHighKey(source, wait);
            break;
        case 20: {
            HIGH_KEY_INFO h;
            h.item = arg;
            h.attribute = in.byte();
            e.addHighKey(source, wait, h);
            break;
        }
        case 21: {
            HighKeyList list;
            for (int i = 0; i < count; ++i) list.append(HighKeyPtr::create());
            e.setHighKey(source, wait, list);
            break;
        }
        case 22: {
            HIGH_KEY_INFO h;
            h.item = arg;
            e.delHighKey(source, wait, h);
            break;
        }
        case 23:
            e.getMacroConfig(source, wait, arg % 12);
            break;
        case 24: {
            MacroEventList list;
            for (int i = 0; i < count; ++i) list.append(MacroEventPtr::create());
            e.setMacroConfig(source, wait, arg % 12, list);
            break;
        }
        case 25:
            e.delMacroConfig(source, wait, arg % 12);
            break;
        case 26:
            e.getTriggerConfig(source, wait);
            break;
        case 27:
            e.setTriggerConfig(source, wait, TriggerSetting{}, QByteArray(count, char(arg)));
            break;
        case 28: {
            auto map = QSharedPointer<TriggerMap>::create();
            for (int i = 0; i < count % 256; ++i) {
                auto t = TriggerSettingPtr::create();
                t->keyItem = uchar(i + arg);
                map->insert(t->keyItem, t);
            }
            e.setTriggerConfigAll(source, wait, map);
            break;
        }
        case 29: {
            QuickTriggerList list;
            for (int i = 0; i < count; ++i) list.append(QuickTriggerPtr::create());
            e.setQuickTriggerConfig(source, wait, list);
            break;
        }
        case 30:
            e.getCalibrationState(source, wait);
            break;
        case 31:
            e.setReportCalibration(source, wait, arg & 1);
            break;
        case 32:
            e.saveCalibration(source, wait);
            break;
        case 33:
            e.resetKeyboard(source, wait);
            break;
        case 34:
            e.downloadFirewareKeyboard(source, wait, in.u16(), count, in.bytes(count));
            break;
        case 35:
            e.downloadFirewareKeyboardEnd(source, wait, in.u16(), in.u16());
            break;
        case 36:
            e.downloadFirewareData(source, wait, in.u16(), count - 256, in.bytes(count));
            break;
    }
}
