#pragma once
// The device side of the keyboard protocol: takes request frames and answers
// them as the keyboard does, keeping its state in SimKeyboardState. Not
// thread-safe by itself; SimHidBackend serialises access.

#include <QByteArray>
#include <QList>

#include "sim/simkeyboardstate.h"

class SimKeyboard {
public:
    SimKeyboard();
    explicit SimKeyboard(const SimKeyboardState& state);

    SimKeyboardState& state() { return mState; }
    const SimKeyboardState& state() const { return mState; }
    void setState(const SimKeyboardState& state);

    // Answers to one request frame (frameSize bytes, no report ID). Empty
    // when the keyboard does not answer. Sets changed() when the flash
    // content changed.
    QList<QByteArray> handle(const QByteArray& request, int frameSize);
    bool takeChanged();

    // The keyboard switches its active table by itself (a key combination):
    // returns the 0xF1 notification it sends.
    QByteArray switchTableByItself(quint8 index);
    // One frame of the calibration travel stream, or empty while switched off:
    // the keys in turn, each pressed to `calibrationTravel` and released.
    QByteArray nextCalibrationReport(int frameSize);
    bool calibrationReporting() const { return mReporting; }
    // Travel reported at the bottom of a key, in hundredths of a millimetre
    // (the sample products' largest actuation point).
    void setCalibrationTravel(quint16 travel) { mCalibrationTravel = travel; }
    quint16 calibrationTravel() const { return mCalibrationTravel; }
    // Reports per key (one report every 20 ms on the simulated link).
    static constexpr int kDownTicks = 5;
    static constexpr int kHoldTicks = 4;
    static constexpr int kPressTicks = 2 * kDownTicks + kHoldTicks + 2;

    // A keyboard firmware image starts with this marker followed by the
    // firmware version (little-endian u16); once such an image has been
    // written and ended, the keyboard reports that version.
    static constexpr char kImageMarker[] = "ZFW1";
    static constexpr int kImageVersionOffset = 4;

    // Firmware blocks received by the last transfer.
    int firmwareBlocksReceived() const { return mFirmwareBlocks; }
    QByteArray firmwareImage() const { return mFirmwareImage; }
    // Make the next firmware answer ask to resume at this block (status 0x0B).
    void requestFirmwareResume(quint16 block) {
        mResumeAt = block;
        mResumeWhen = 0;
    }
    // Same, but only when block `whenBlock` arrives. Resuming at a block
    // already received drops what the keyboard had from that block on.
    void requestFirmwareResumeAt(quint16 whenBlock, quint16 block) {
        mResumeAt = block;
        mResumeWhen = whenBlock;
    }
    // Answer the next firmware blocks with an error status.
    void failFirmwareBlocks(int count) { mFailBlocks = count; }
    // While set, every ended firmware transfer puts the profiles back to the
    // factory's (as a factory reset does), as some firmware updates do.
    void setResetOnFirmware(bool on) { mResetOnFirmware = on; }
    bool resetOnFirmware() const { return mResetOnFirmware; }

private:
    using Answer = QList<QByteArray>;
    QByteArray frame(uchar order, uchar index, uchar total, const QByteArray& payload) const;
    Answer single(uchar request, const QByteArray& payload = QByteArray()) const;
    // Answer frame `index` of a read whose frames hold `chunks`.
    Answer readFrame(uchar request, int index, const QList<QByteArray>& chunks) const;

    Answer productInfo();
    Answer configInfo(int index);
    Answer keyboardConfig(const QByteArray& p, int index);
    Answer customLight(int index);
    Answer effectLight(const QByteArray& p, int index);
    Answer effectNames(const QByteArray& p, int index);
    Answer highKeys(int index);
    Answer macro(const QByteArray& p, int index);
    Answer triggers(int index);
    Answer calibrationState(int index);
    Answer keyboardDefault(const QByteArray& p);
    Answer firmwareBlock(uchar request, uchar frameByte, uchar totalByte, const QByteArray& p);
    void applyWrite(uchar request, int index, const QByteArray& p);
    void adoptFirmwareVersion();
    void resetSettings();

    SimKeyboardState mState;
    int mFrameSize = 128;
    bool mChanged = false;
    bool mReporting = false;
    int mReportTick = 0;
    quint16 mCalibrationTravel = 400;
    quint16 mNextBlock = 1;
    int mFirmwareBlocks = 0;
    QByteArray mFirmwareImage;
    quint16 mResumeAt = 0;
    quint16 mResumeWhen = 0;
    int mFailBlocks = 0;
    bool mResetOnFirmware = false;
};
