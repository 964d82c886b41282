#include "ui/pages/macro/macrorecorder.h"

#include <memory>

MacroRecorder::MacroRecorder() { setClock(nullptr); }

void MacroRecorder::setClock(Clock clock) {
    if (clock) {
        mClock = std::move(clock);
        return;
    }
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    mClock = [timer] { return timer->elapsed(); };
}

void MacroRecorder::start() {
    mRecording = true;
    mLastRow = -1;
    mHeld.clear();
    mMark = mClock();
}

void MacroRecorder::closeLastRow(QList<MacroEvent>& rows) {
    const qint64 now = mClock();
    if (mLastRow >= 0 && mLastRow < rows.size()) {
        // A pause longer than the 16-bit time can hold is stored as the longest one.
        rows[mLastRow].time = quint16(qBound(qint64(0), now - mMark, qint64(kMaxTime)));
    }
    mMark = now;
}

void MacroRecorder::append(QList<MacroEvent>& rows, const MacroKey& key, quint8 state) {
    MacroEvent e;
    e.type = key.type;
    e.state = state;
    e.lValue = key.lValue;
    e.hValue = key.hValue;
    e.time = 0;
    rows.append(e);
    mLastRow = int(rows.size()) - 1;
}

MacroRecorder::Outcome MacroRecorder::press(QList<MacroEvent>& rows, const MacroKey& key) {
    if (!mRecording) return Outcome::Ignored;
    if (rows.size() >= kMaxRows) return Outcome::Full;
    if (mHeld.contains(keyId(key))) return Outcome::Ignored;
    closeLastRow(rows);
    append(rows, key, 1);
    mHeld.insert(keyId(key));
    return Outcome::Appended;
}

MacroRecorder::Outcome MacroRecorder::release(QList<MacroEvent>& rows, const MacroKey& key) {
    if (!mRecording || !mHeld.contains(keyId(key))) return Outcome::Ignored;
    if (rows.size() >= kMaxRows) return Outcome::Full;
    closeLastRow(rows);
    append(rows, key, 0);
    mHeld.remove(keyId(key));
    return Outcome::Appended;
}

void MacroRecorder::stop(QList<MacroEvent>& rows) {
    if (mLastRow >= 0 && mLastRow < rows.size()) rows[mLastRow].time = 1;
    mRecording = false;
    mLastRow = -1;
    mHeld.clear();
}
