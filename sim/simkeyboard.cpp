#include "sim/simkeyboard.h"

#include <QtEndian>

#include "link/usbprotocol.h"
#include "protocol/highkeywire.h"

using namespace UsbProtocol;

namespace {

quint8 at(const QByteArray& p, int i) {
    return i < p.size() ? quint8(p.at(i)) : 0;
}

void putU16(QByteArray& out, int offset, quint16 v) {
    out[offset] = char(v & 0xFF);
    out[offset + 1] = char(v >> 8);
}

QByteArray textSlot(const QString& text, int size) {
    QByteArray slot = text.toUtf8().left(size);
    slot.append(QByteArray(size - slot.size(), '\0'));
    return slot;
}

// Cuts `items` (each already encoded) into chunks of `perFrame`, each
// prefixed by header(firstIndex, count).
template <typename Header>
QList<QByteArray> chunked(const QList<QByteArray>& items, int perFrame, Header header) {
    QList<QByteArray> chunks;
    perFrame = qMax(1, perFrame);
    for (int start = 0; start < items.size() || (start == 0 && items.isEmpty());
         start += perFrame) {
        const int count = qMin(perFrame, int(items.size()) - start);
        QByteArray chunk = header(start, qMax(0, count));
        for (int i = 0; i < count; ++i) chunk += items.at(start + i);
        chunks.append(chunk);
        if (items.isEmpty()) break;
    }
    return chunks;
}

// Advanced-key records are kept as their 20 bytes.
QByteArray highKeyToWire(const QByteArray& r) {
    HighKeyWire::Record record{};
    for (int i = 0; i < 20 && i < r.size(); ++i) record[size_t(i)] = quint8(r.at(i));
    return HighKeyWire::toWire(record);
}

QByteArray highKeyFromWire(const QByteArray& w) {
    const HighKeyWire::Record record = HighKeyWire::fromWire(w);
    return QByteArray(reinterpret_cast<const char*>(record.data()), int(record.size()));
}

}  // namespace

SimKeyboard::SimKeyboard() : mState(SimKeyboardState::factory()) {}

SimKeyboard::SimKeyboard(const SimKeyboardState& state) : mState(state) {}

void SimKeyboard::setState(const SimKeyboardState& state) {
    mState = state;
    mChanged = true;
}

bool SimKeyboard::takeChanged() {
    const bool changed = mChanged;
    mChanged = false;
    return changed;
}

QByteArray SimKeyboard::frame(uchar order, uchar index, uchar total,
                              const QByteArray& payload) const {
    return buildFrame(order, index, total, payload, mFrameSize);
}

SimKeyboard::Answer SimKeyboard::single(uchar request, const QByteArray& payload) const {
    return {frame(answerOf(request), 1, 1, payload)};
}

SimKeyboard::Answer SimKeyboard::readFrame(uchar request, int index,
                                           const QList<QByteArray>& chunks) const {
    const int total = qMax(1, int(chunks.size()));
    index = qBound(1, index, total);
    return {frame(answerOf(request), uchar(index), uchar(total), chunks.value(index - 1))};
}

QList<QByteArray> SimKeyboard::handle(const QByteArray& request, int frameSize) {
    if (request.size() < kHeaderSize || quint8(request[0]) != kTag) return {};
    mFrameSize = frameSize;
    const uchar order = uchar(request[1]);
    const uchar index = uchar(request[2]);
    const uchar total = uchar(request[3]);
    const int length = qMin(int(quint8(request[5])), int(request.size()) - kHeaderSize);
    const QByteArray p = request.mid(kHeaderSize, length);
    SimProfile* profile = mState.activeProfile();
    if (!profile) return {};

    switch (order) {
        case GetProductInfo:
            return productInfo();
        case GetConfigInfo:
            return configInfo(index);
        case GetWholeParam:
            return single(order, profile->wholeParam);
        case GetKeyboardConfig:
            return keyboardConfig(p, index);
        case GetCustomLight:
            return customLight(index);
        case GetEffectLight:
            return effectLight(p, index);
        case GetEffectLightName:
            return effectNames(p, index);
        case GetHighKey:
            return highKeys(index);
        case GetMacroConfig:
            return macro(p, index);
        case GetTriggerConfig:
            return triggers(index);
        case GetCalibrationState:
            return calibrationState(index);
        case SetKeyboardDefault:
            return keyboardDefault(p);
        case DownloadFirewareKeyboard:
        case DownloadFirewareData:
            return firmwareBlock(order, index, total, p);
        case DownloadFirewareKeyboardEnd:
            mNextBlock = 1;
            adoptFirmwareVersion();
            // Some firmware wipes the profiles on its way in.
            if (mResetOnFirmware) resetSettings();
            return single(order, QByteArray(1, '\0'));
        case SetReportCalibration:
            mReporting = at(p, 0) != 0;
            mReportTick = 0;
            // Result 0: the switch took effect.
            return single(order, QByteArray(1, '\0'));
        case SaveCalibration:
            mState.calibrated.fill(1, mState.keyCount);
            mChanged = true;
            return single(order);
        case ResetKeyboard:
            if (at(p, 0) == 0x5A && at(p, 1) == 0xA5) resetSettings();
            return single(order);
        case SetCustomLight:
        case SetCustomLightAll:
        case SetEffectLight:
        case SetEffectLightAll:
        case SelectEffectLight:
        case SetKeyboardConfig:
        case AddHighKey:
        case SetHighKey:
        case DelHighKey:
        case SetTriggerConfig:
        case SetQuickTriggerConfig:
        case SetTriggerConfigAll:
        case SetMacroConfig:
        case DelMacroConfig:
        case SetWholeParam:
        case SwitchConfigTable:
        case SetConfigInfo:
        case AddConfigTable:
        case DelConfigTable:
            applyWrite(order, index, p);
            mChanged = true;
            return {frame(answerOf(order), index, total, QByteArray())};
        default:
            return {};
    }
}

SimKeyboard::Answer SimKeyboard::productInfo() {
    const bool wide = mFrameSize == 128;
    QByteArray p(wide ? 68 : 56, '\0');
    putU16(p, 0, quint16(mState.serialNumber));
    putU16(p, 2, quint16(mState.version));
    p[4] = char(mState.flags);
    p.replace(10, wide ? 30 : 18, textSlot(mState.customerName, wide ? 30 : 18));
    p.replace(wide ? 40 : 28, 20, textSlot(mState.productName, 20));
    p.replace(wide ? 60 : 48, 8, textSlot(mState.logoName, 8));
    return single(GetProductInfo, p);
}

SimKeyboard::Answer SimKeyboard::configInfo(int index) {
    // Tables with consecutive numbers share a frame; a gap starts a new one,
    // since the host numbers the slots of a frame from its first index on.
    const int perFrame = qMax(1, (mFrameSize - kHeaderSize - 3) / 29);
    QList<QByteArray> chunks;
    QByteArray chunk;
    int count = 0, expected = -1;
    auto flush = [&]() {
        if (!chunk.isEmpty()) chunks.append(chunk);
        chunk.clear();
        count = 0;
    };
    for (const SimProfile& p : mState.profiles) {
        if (count == perFrame || (count > 0 && p.index != expected)) flush();
        if (chunk.isEmpty()) {
            chunk.append(char(mState.profiles.size()));
            chunk.append(char(mState.configIndex));
            chunk.append(char(p.index));
        }
        QByteArray slot = textSlot(p.name, 28);
        if (slot.at(0) == '\0') slot[0] = ' ';  // an empty first byte would mean "no table"
        chunk += slot + QByteArray(1, '\0');
        ++count;
        expected = p.index + 1;
    }
    flush();
    if (chunks.isEmpty()) chunks.append(QByteArray::fromRawData("\0\0\0", 3));
    for (QByteArray& c : chunks) c[1] = char(mState.configIndex);
    return readFrame(GetConfigInfo, index, chunks);
}

SimKeyboard::Answer SimKeyboard::keyboardConfig(const QByteArray& p, int index) {
    const quint8 layer = at(p, 0);
    const QVector<SimKey>& keys = mState.activeProfile()->layers[layer > 1 ? 1 : layer];
    QList<QByteArray> items;
    for (const SimKey& k : keys)
        items.append(bytes({char(k.type), char(k.lValue), char(k.hValue)}));
    const int perFrame = (mFrameSize - kHeaderSize - 2) / 3;
    return readFrame(GetKeyboardConfig, index, chunked(items, perFrame, [&](int start, int) {
                         return bytes({char(layer), char(start)});
                     }));
}

SimKeyboard::Answer SimKeyboard::customLight(int index) {
    QList<QByteArray> items;
    for (const SimLight& l : mState.activeProfile()->lights)
        items.append(bytes({char(l.light), char(l.r), char(l.g), char(l.b)}));
    const int perFrame = (mFrameSize - kHeaderSize - 1) / 4;
    return readFrame(GetCustomLight, index, chunked(items, perFrame, [](int start, int) {
                         return QByteArray(1, char(start));
                     }));
}

SimKeyboard::Answer SimKeyboard::effectLight(const QByteArray& p, int index) {
    const quint8 wanted = at(p, 0);
    QList<QByteArray> items;
    for (const SimEffect& e : mState.activeProfile()->effects) {
        if (wanted != 0xFF && e.item != wanted) continue;
        items.append(bytes({char(e.item), char(e.light), char(e.speed), char(e.fullColor),
                            char(e.functionFlag), char(e.r), char(e.g), char(e.b)}));
    }
    const int perFrame = (mFrameSize - kHeaderSize) / 8;
    return readFrame(GetEffectLight, index,
                     chunked(items, perFrame, [](int, int) { return QByteArray(); }));
}

SimKeyboard::Answer SimKeyboard::effectNames(const QByteArray& p, int index) {
    const int language = at(p, 0);
    const QStringList names = mState.effectNames.value(language, mState.effectNames.value(1));
    const int slotSize = 20;
    QList<QByteArray> items;
    for (const QString& name : names) items.append(textSlot(name, slotSize));
    const int perFrame = (mFrameSize - kHeaderSize - 2) / slotSize;
    return readFrame(GetEffectLightName, index, chunked(items, perFrame, [&](int start, int) {
                         return bytes({char(start), char(slotSize)});
                     }));
}

SimKeyboard::Answer SimKeyboard::highKeys(int index) {
    QList<QByteArray> items;
    for (const QByteArray& r : mState.activeProfile()->highKeys) items.append(highKeyToWire(r));
    const int perFrame = (mFrameSize - kHeaderSize) / 19;
    return readFrame(GetHighKey, index,
                     chunked(items, perFrame, [](int, int) { return QByteArray(); }));
}

SimKeyboard::Answer SimKeyboard::macro(const QByteArray& p, int index) {
    const quint8 m = at(p, 0);
    if (m > 9) return {};
    const auto& events = mState.activeProfile()->macros[m];
    if (events.isEmpty()) return single(GetMacroConfig, bytes({char(0xFF), 0}));
    QList<QByteArray> items;
    for (const SimMacroEvent& e : events) {
        QByteArray w = bytes({char(e.state), char(e.type), char(e.lValue), char(e.hValue), 0, 0});
        putU16(w, 4, e.time);
        items.append(w);
    }
    const int perFrame = (mFrameSize - kHeaderSize - 2) / 6;
    return readFrame(GetMacroConfig, index, chunked(items, perFrame, [&](int, int count) {
                         return bytes({char(m), char(count)});
                     }));
}

SimKeyboard::Answer SimKeyboard::triggers(int index) {
    QList<QByteArray> items;
    for (const SimTrigger& t : mState.activeProfile()->triggers) {
        QByteArray w(8, '\0');
        putU16(w, 0, t.trigger);
        w[2] = char(t.model);
        w[3] = char(t.quick);
        putU16(w, 4, t.quickTrigger);
        putU16(w, 6, t.resetTrigger);
        items.append(w);
    }
    const int perFrame = (mFrameSize - kHeaderSize - 1) / 8;
    return readFrame(GetTriggerConfig, index, chunked(items, perFrame, [](int start, int) {
                         return QByteArray(1, char(start));
                     }));
}

SimKeyboard::Answer SimKeyboard::calibrationState(int index) {
    QList<QByteArray> items;
    for (quint8 c : mState.calibrated) items.append(QByteArray(1, char(c)));
    const int perFrame = mFrameSize - kHeaderSize;
    return readFrame(GetCalibrationState, index,
                     chunked(items, perFrame, [](int, int) { return QByteArray(); }));
}

SimKeyboard::Answer SimKeyboard::keyboardDefault(const QByteArray& p) {
    const quint8 layer = at(p, 0) > 1 ? 1 : at(p, 0);
    SimProfile* profile = mState.activeProfile();
    QVector<SimKey>& keys = profile->layers[layer];
    const QVector<SimKey>& factory = mState.factoryLayers[layer];
    const QByteArray list = p.mid(1);
    mChanged = true;
    if (list.size() >= 2 && quint8(list[0]) == 0xFF && quint8(list[1]) == 0xFF) {
        keys = factory;
        return single(SetKeyboardDefault, bytes({char(layer), char(0xFF), 0, 0, 0, char(0xFF)}));
    }
    QByteArray answer(1, char(layer));
    int restored = 0;
    for (char c : list) {
        const quint8 key = quint8(c);
        if (key == 0xFF || key >= keys.size() || restored == 2) continue;
        keys[key] = factory.value(key);
        answer += bytes(
            {char(key), char(keys[key].type), char(keys[key].lValue), char(keys[key].hValue)});
        ++restored;
    }
    if (restored == 0) answer += QByteArray(4, char(0xFF));
    if (restored < 2) answer += QByteArray(4, char(0xFF));
    return single(SetKeyboardDefault, answer);
}

SimKeyboard::Answer SimKeyboard::firmwareBlock(uchar request, uchar frameByte, uchar totalByte,
                                               const QByteArray& p) {
    const quint16 block = quint16(frameByte | (totalByte << 8));
    if (mFailBlocks > 0) {
        --mFailBlocks;
        return {frame(answerOf(request), frameByte, totalByte, QByteArray(1, char(0x01)))};
    }
    if (mResumeAt && (mResumeWhen == 0 || mResumeWhen == block)) {
        const quint16 resume = mResumeAt;
        mResumeAt = 0;
        mResumeWhen = 0;
        // Every block before the last one is full: the keyboard keeps the
        // blocks in front of the one it asks for and drops the rest.
        if (resume >= 1 && resume <= mNextBlock) {
            mFirmwareImage.truncate(int(resume - 1) * (mFrameSize - kHeaderSize));
            mFirmwareBlocks = resume - 1;
        }
        mNextBlock = resume;
        return {frame(answerOf(request), uchar(resume & 0xFF), uchar(resume >> 8),
                      QByteArray(1, char(0x0B)))};
    }
    if (block == 1) {
        mFirmwareImage.clear();
        mFirmwareBlocks = 0;
    }
    if (block == mNextBlock || block == 1) {
        mFirmwareImage += p;
        ++mFirmwareBlocks;
        mNextBlock = quint16(block + 1);
    }
    return {frame(answerOf(request), frameByte, totalByte, QByteArray(1, '\0'))};
}

void SimKeyboard::applyWrite(uchar request, int index, const QByteArray& p) {
    SimProfile* profile = mState.activeProfile();
    const int keys = mState.keyCount;
    switch (request) {
        case SetKeyboardConfig: {
            const quint8 layer = at(p, 0);
            if (layer > 1) return;
            const int first = at(p, 1);
            for (int i = 0; 2 + 3 * i + 2 < p.size(); ++i) {
                const int key = first + i;
                if (key >= keys) break;
                profile->layers[layer][key] = {at(p, 2 + 3 * i), at(p, 4 + 3 * i),
                                               at(p, 3 + 3 * i)};
            }
            break;
        }
        case SetCustomLightAll: {
            const int first = at(p, 0);
            for (int i = 0; 1 + 4 * i + 3 < p.size(); ++i) {
                const int key = first + i;
                if (key >= keys) break;
                profile->lights[key] = {at(p, 1 + 4 * i), at(p, 2 + 4 * i), at(p, 3 + 4 * i),
                                        at(p, 4 + 4 * i)};
            }
            break;
        }
        case SetCustomLight: {
            const SimLight colour{at(p, 0), at(p, 1), at(p, 2), at(p, 3)};
            for (int i = 4; i < p.size(); ++i)
                if (at(p, i) < keys) profile->lights[at(p, i)] = colour;
            break;
        }
        case SetEffectLight:
        case SetEffectLightAll:
            for (int i = 0; i + 8 <= p.size(); i += 8) {
                for (SimEffect& e : profile->effects) {
                    if (e.item != at(p, i)) continue;
                    e = {at(p, i),     at(p, i + 4), at(p, i + 1), at(p, i + 2),
                         at(p, i + 3), at(p, i + 5), at(p, i + 6), at(p, i + 7)};
                }
            }
            break;
        case SelectEffectLight:
            profile->selectedEffect = at(p, 0);
            break;
        case AddHighKey: {
            QByteArray wire = p.leftJustified(19, '\0', true);
            const quint8 item = at(p, 0);
            if (item < profile->highKeys.size()) profile->highKeys[item] = highKeyFromWire(wire);
            break;
        }
        case SetHighKey: {
            if (index <= 1) {
                for (QByteArray& slot : profile->highKeys)
                    slot = QByteArray(20, '\0'), slot[0] = char(0xFF);
            }
            const int perFrame = (mFrameSize - kHeaderSize) / 19;
            for (int i = 0; 19 * i + 19 <= p.size(); ++i) {
                const int slot = perFrame * (qMax(1, index) - 1) + i;
                if (slot < profile->highKeys.size())
                    profile->highKeys[slot] = highKeyFromWire(p.mid(19 * i, 19));
            }
            break;
        }
        case DelHighKey: {
            const quint8 item = at(p, 0);
            for (QByteArray& slot : profile->highKeys) {
                if (quint8(slot[0]) == item) {
                    slot = QByteArray(20, '\0');
                    slot[0] = char(0xFF);
                }
            }
            break;
        }
        case SetTriggerConfig: {
            const quint16 trigger = quint16(at(p, 0) | (at(p, 1) << 8));
            for (int i = 2; i < p.size(); ++i)
                if (at(p, i) < keys) profile->triggers[at(p, i)].trigger = trigger;
            break;
        }
        case SetQuickTriggerConfig:
            for (int i = 0; i + 8 <= p.size(); i += 8) {
                const quint8 key = at(p, i);
                if (key >= keys) continue;
                SimTrigger& t = profile->triggers[key];
                t.model = at(p, i + 2);
                t.quick = at(p, i + 3);
                t.quickTrigger = quint16(at(p, i + 4) | (at(p, i + 5) << 8));
                t.resetTrigger = quint16(at(p, i + 6) | (at(p, i + 7) << 8));
            }
            break;
        case SetTriggerConfigAll: {
            const int first = at(p, 0);
            const int count = at(p, 1);
            for (int i = 0; i < count && 2 + 8 * i + 8 <= p.size(); ++i) {
                const int key = first + i;
                if (key >= keys) break;
                const int o = 2 + 8 * i;
                profile->triggers[key] = {quint16(at(p, o) | (at(p, o + 1) << 8)),
                                          at(p, o + 2) != 0, at(p, o + 3) != 0,
                                          quint16(at(p, o + 4) | (at(p, o + 5) << 8)),
                                          quint16(at(p, o + 6) | (at(p, o + 7) << 8))};
            }
            break;
        }
        case SetMacroConfig: {
            const quint8 m = at(p, 0);
            if (m > 9) return;
            if (index <= 1) profile->macros[m].clear();
            const int count = at(p, 1);
            for (int i = 0; i < count && 2 + 6 * i + 6 <= p.size(); ++i) {
                const int o = 2 + 6 * i;
                profile->macros[m].append({at(p, o + 1), at(p, o), at(p, o + 2), at(p, o + 3),
                                           quint16(at(p, o + 4) | (at(p, o + 5) << 8))});
            }
            break;
        }
        case DelMacroConfig:
            if (at(p, 0) <= 9) profile->macros[at(p, 0)].clear();
            break;
        case SetWholeParam:
            profile->wholeParam = p.left(11).leftJustified(11, '\0', true);
            break;
        case SwitchConfigTable:
            if (mState.profile(at(p, 0))) mState.configIndex = at(p, 0);
            break;
        case SetConfigInfo:
            if (SimProfile* t = mState.profile(at(p, 0))) {
                QByteArray name = p.mid(1, 28);
                const int nul = name.indexOf('\0');
                if (nul >= 0) name.truncate(nul);
                t->name = QString::fromUtf8(name);
            }
            break;
        case AddConfigTable: {
            const quint8 idx = at(p, 0);
            if (mState.profile(idx) || mState.profiles.size() >= 8) break;
            SimProfile fresh = mState.makeProfile(idx, QStringLiteral("Config %1").arg(idx + 1));
            int pos = 0;
            while (pos < mState.profiles.size() && mState.profiles[pos].index < idx) ++pos;
            mState.profiles.insert(pos, fresh);
            break;
        }
        case DelConfigTable: {
            const quint8 idx = at(p, 0);
            if (mState.profiles.size() <= 1) break;
            for (int i = 0; i < mState.profiles.size(); ++i) {
                if (mState.profiles[i].index != idx) continue;
                mState.profiles.removeAt(i);
                break;
            }
            if (!mState.profile(mState.configIndex))
                mState.configIndex = mState.profiles.first().index;
            break;
        }
        default:
            break;
    }
}

QByteArray SimKeyboard::switchTableByItself(quint8 index) {
    if (mState.profile(index)) {
        mState.configIndex = index;
        mChanged = true;
    }
    return frame(ConfigChange, 1, 1, bytes({0, 0, char(index)}));
}

QByteArray SimKeyboard::nextCalibrationReport(int frameSize) {
    if (!mReporting) return QByteArray();
    mFrameSize = frameSize;
    // Someone calibrating: the keys one after another, each pressed down to
    // the bottom, held there and released, about three keys a second.
    QVector<quint8> keys;
    const QVector<SimKey>& layer = mState.factoryLayers[0];
    for (int k = 0; k < mState.keyCount && k < 256; ++k)
        if (k >= layer.size() || layer[k].type != 0xFF) keys.append(quint8(k));
    if (keys.isEmpty()) return QByteArray();
    const int tick = mReportTick++;
    const int key = keys[(tick / kPressTicks) % keys.size()];
    const int phase = tick % kPressTicks;
    int travel = 0;
    if (phase < kDownTicks)
        travel = mCalibrationTravel * (phase + 1) / kDownTicks;
    else if (phase < kDownTicks + kHoldTicks)
        travel = mCalibrationTravel;
    else if (phase < 2 * kDownTicks + kHoldTicks)
        travel = mCalibrationTravel * (2 * kDownTicks + kHoldTicks - phase - 1) / kDownTicks;
    const QByteArray p = bytes({0, char(key), char(travel & 0xFF), char((travel >> 8) & 0xFF)});
    return frame(answerOf(SetReportCalibration), 1, 1, p);
}

void SimKeyboard::resetSettings() {
    SimKeyboardState fresh = SimKeyboardState::factory(
        mState.serialNumber, mState.productName, mState.factoryLayers[0], mState.factoryLayers[1]);
    // Settings go back to the factory's; the firmware and the calibration of
    // the switches stay.
    fresh.effectNames = mState.effectNames;
    fresh.version = mState.version;
    fresh.calibrated = mState.calibrated;
    mState = fresh;
    mChanged = true;
}

void SimKeyboard::adoptFirmwareVersion() {
    // A firmware image names its version right after its marker; an image
    // without the marker leaves the version as it was.
    if (mFirmwareImage.size() < kImageVersionOffset + 2 ||
        !mFirmwareImage.startsWith(QByteArray(kImageMarker)))
        return;
    mState.version = qint16(at(mFirmwareImage, kImageVersionOffset) |
                            (at(mFirmwareImage, kImageVersionOffset + 1) << 8));
    mChanged = true;
}
