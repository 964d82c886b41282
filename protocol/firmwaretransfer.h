#pragma once
// Verify, then transfer: the one road by which a keyboard firmware or a
// firmware data file reaches the keyboard. verify() refuses, before a single
// frame, a file that cannot be read, is damaged, is not the file the server
// offered (MD5) or is firmware made for another product. start() verifies and
// then sends the file through the command engine, each frame once the last
// one was confirmed, firmware followed by its end command.
//
// A started transfer ends in exactly one finished(): 0 when the keyboard took
// everything, else the engine's error for the frame that failed, the link's
// end (unplug), or ErrorNoAnswer when the keyboard stays silent for
// silenceMs() whatever the engine reports.

#include <QObject>
#include <QPointer>
#include <QString>

#include "protocol/firmwarefile.h"

class QTimer;
class UsbCommunicateUtil;

class FirmwareTransfer : public QObject {
    Q_OBJECT
public:
    enum Verdict {
        Accepted,
        Unreadable,
        // Not the file the download server described.
        WrongMd5,
        // Too short, too large, length or checksum wrong (FirmwareFile::Status).
        Damaged,
        // Firmware whose header names another product than the keyboard's.
        OtherProduct,
    };

    // The code of a firmware for another product (as the firmware thread).
    static constexpr int kOtherProductError = -23;
    // Longer than the engine's three sends of one second each.
    static constexpr int kSilenceMs = 5000;

    // Firmware is checked against `product` (the keyboard's product number);
    // data files carry no product. An empty `md5` is not checked.
    static Verdict verify(const FirmwareFile& file, quint16 product,
                          const QString& md5 = QString());

    FirmwareTransfer(UsbCommunicateUtil* engine, uchar source, QObject* parent = nullptr);
    ~FirmwareTransfer() override;

    // Verifies `file` and, when Accepted, sends its first frame; otherwise
    // nothing is sent and nothing is signalled. One transfer at a time: a
    // second start while one runs is refused as Unreadable.
    Verdict start(const FirmwareFile& file, quint16 product, const QString& md5 = QString());

    // Ends a running transfer now as failed with `error`.
    void abort(int error);

    bool isRunning() const { return mRunning; }
    const FirmwareFile& file() const { return mFile; }
    int frame() const { return mFrame; }
    int frameCount() const { return mTotal; }

    void setSilenceMs(int ms);
    int silenceMs() const;

signals:
    // 0..99 while frames go out.
    void progress(int percent);
    // 0: done; else the error code. Emitted once per started transfer.
    void finished(int error);

private:
    void sendFrame();
    void sendEnd();
    void onFrameAnswer(uchar source);
    void onEndAnswer(uchar source);
    void onError(uchar source, uchar order, int error);
    void finish(int error);
    bool isFirmware() const { return mFile.kind() == FirmwareFile::KeyboardFirmware; }

    QPointer<UsbCommunicateUtil> mEngine;
    uchar mSource;
    QTimer* mWatchdog;
    FirmwareFile mFile;
    bool mRunning = false;
    bool mEndSent = false;
    int mPayload = 0;
    int mFrame = 0;
    int mTotal = 0;
};
