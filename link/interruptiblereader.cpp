#include "link/interruptiblereader.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QDeadlineTimer>

InterruptibleReader::InterruptibleReader() = default;

InterruptibleReader::~InterruptibleReader() {
    if (mFd >= 0) ::close(mFd);
    if (mWakeFd >= 0) ::close(mWakeFd);
}

bool InterruptibleReader::open(const QByteArray& path) {
    if (mFd >= 0) return false;
    // Non-blocking: a report another reader took between poll and read must
    // not leave this one stuck in read().
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    return adopt(fd);
}

bool InterruptibleReader::adopt(int fd) {
    if (mFd >= 0 || fd < 0) return false;
    mFd = fd;
    ::fcntl(mFd, F_SETFL, ::fcntl(mFd, F_GETFL) | O_NONBLOCK);
    return makeWakeFd();
}

bool InterruptibleReader::makeWakeFd() {
    if (mWakeFd >= 0) return true;
    mWakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return mWakeFd >= 0;
}

int InterruptibleReader::fail(const QString& text) {
    mError = text;
    return -1;
}

int InterruptibleReader::read(unsigned char* data, size_t length, int timeoutMs) {
    if (!isOpen()) return fail(QStringLiteral("device not open"));
    const QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever
                                                : QDeadlineTimer(timeoutMs));
    for (;;) {
        pollfd fds[2] = {{mFd, POLLIN, 0}, {mWakeFd, POLLIN, 0}};
        const int wait = timeoutMs < 0 ? -1 : int(deadline.remainingTime());
        const int ready = ::poll(fds, 2, wait);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return fail(QString::fromLocal8Bit(strerror(errno)));
        }
        if (fds[1].revents & POLLIN) {
            // Drained, so the wake-up ends this read and no later one.
            eventfd_t count = 0;
            eventfd_read(mWakeFd, &count);
            mError.clear();
            return 0;
        }
        if (ready == 0) {
            mError.clear();
            return 0;
        }
        // Reports still queued are delivered before a hang-up is reported.
        if (fds[0].revents & POLLIN) {
            const ssize_t got = ::read(mFd, data, length);
            if (got > 0) {
                mError.clear();
                return int(got);
            }
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            return fail(got == 0 ? QStringLiteral("device closed")
                                 : QString::fromLocal8Bit(strerror(errno)));
        }
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            return fail(QStringLiteral("device disconnected"));
    }
}

void InterruptibleReader::interrupt() {
    if (mWakeFd >= 0) eventfd_write(mWakeFd, 1);
}
