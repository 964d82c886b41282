#pragma once
// Records key presses and releases of the computer's keyboard into macro
// events: one row per press or release, each row carrying the milliseconds
// until the next one. Auto-repeat and a second press of a held key add
// nothing; a release counts only for a key whose press was recorded.

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <functional>

#include "common/keyboardtypes.h"
#include "ui/pages/macro/macrokeymapper.h"

class MacroRecorder {
public:
    static constexpr int kMaxRows = 20;
    static constexpr int kMaxTime = 0xFFFF;

    enum class Outcome { Appended, Ignored, Full };

    // Milliseconds since some fixed point; a steady clock unless replaced.
    using Clock = std::function<qint64()>;

    MacroRecorder();
    // Null puts the steady clock back.
    void setClock(Clock clock);

    bool isRecording() const { return mRecording; }
    // Index of the row whose time is still open, -1 when none.
    int lastRow() const { return mLastRow; }

    void start();
    Outcome press(QList<MacroEvent>& rows, const MacroKey& key);
    Outcome release(QList<MacroEvent>& rows, const MacroKey& key);
    // Closes the open row with 1 ms and ends the recording.
    void stop(QList<MacroEvent>& rows);
    // Forget the open row (the list was replaced).
    void forgetLastRow() { mLastRow = -1; }

private:
    static quint32 keyId(const MacroKey& key) {
        return quint32(key.type) << 16 | quint32(key.hValue) << 8 | key.lValue;
    }
    void closeLastRow(QList<MacroEvent>& rows);
    void append(QList<MacroEvent>& rows, const MacroKey& key, quint8 state);

    Clock mClock;
    qint64 mMark = 0;
    bool mRecording = false;
    int mLastRow = -1;
    QSet<quint32> mHeld;
};
