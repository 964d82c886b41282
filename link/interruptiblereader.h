#pragma once
// Waits for input reports on a file descriptor (a hidraw node) together with
// a wake-up descriptor, so a reader that was asked to stop returns at once
// instead of sitting out its time-out, and an idle reader sleeps in the
// kernel rather than waking up to look. Results follow hid_read_timeout:
// the number of bytes, 0 on a time-out or a wake-up, -1 when the device is
// gone or the read failed.

#include <QByteArray>
#include <QString>

class InterruptibleReader {
public:
    InterruptibleReader();
    ~InterruptibleReader();
    InterruptibleReader(const InterruptibleReader&) = delete;
    InterruptibleReader& operator=(const InterruptibleReader&) = delete;

    // Opens `path` for reading alongside whatever else holds it open.
    bool open(const QByteArray& path);
    // Takes `fd` over (closed with the reader); tests give it a pipe.
    bool adopt(int fd);
    bool isOpen() const { return mFd >= 0 && mWakeFd >= 0; }

    // Blocks up to timeoutMs (-1: until a report or a wake-up).
    int read(unsigned char* data, size_t length, int timeoutMs);
    // Makes the current or the next read return 0 now. Any thread.
    void interrupt();

    // Why the last read failed; empty after a good one.
    QString lastError() const { return mError; }

private:
    bool makeWakeFd();
    int fail(const QString& text);

    int mFd = -1;
    int mWakeFd = -1;
    QString mError;
};
