#pragma once
// Transfers a keyboard firmware file block by block on its own thread, over
// its own HID handle and with blocking reads; the command engine is not
// involved. Reports progress (true, 0..99), success (true, 100) and failure
// (false, code) through fireware_download_result.

#include <QString>
#include <QThread>
#include <atomic>

#include "link/hidbackend.h"

class FirewareDownloadThread : public QThread {
    Q_OBJECT
public:
    // backend null: the process-wide HID backend.
    FirewareDownloadThread(const QString& filePath, quint16 identifier,
                           HidBackend* backend = HidBackend::current(), QObject* parent = nullptr);
    ~FirewareDownloadThread() override;

    // How long one answer is waited for. Tests shorten it.
    void setReadTimeoutMs(int ms) { mReadTimeoutMs = ms; }
    int readTimeoutMs() const { return mReadTimeoutMs; }

    static constexpr int kFileHeaderSize = 40;
    static constexpr int kReadTimeoutMs = 3000;
    static constexpr int kTries = 3;

    enum Failure : int {
        FailNoDevice = -54,
        FailFile = -55,
        FailIdentifier = -23,
        FailWrite = -56,
        FailNoConfirmation = -57,
    };

signals:
    void fireware_download_result(bool status, int value);

protected:
    void run() override;

private:
    // Writes one report: report ID, then the frame, zero-padded.
    int writeFrame(uchar order, uchar frame, uchar total, const QByteArray& payload);
    // Reads one report into `frame` (no report ID); the read's result.
    int readFrame(QByteArray* frame);
    void closeDevice();
    void fail(int code);

    QString mFilePath;
    quint16 mIdentifier;
    HidBackend* mBackend;
    HidDevice* mHandle = nullptr;
    std::atomic<int> mReadTimeoutMs{kReadTimeoutMs};
};
