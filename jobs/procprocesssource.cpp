#include "jobs/procprocesssource.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Reads a small file below `dirFd` into `buffer`; the length, or -1.
ssize_t readSmall(int dirFd, const char* path, char* buffer, size_t size) {
    const int fd = ::openat(dirFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    const ssize_t n = ::read(fd, buffer, size);
    ::close(fd);
    return n;
}

// The last part of argv[0], with either separator (Windows programs run
// through a compatibility layer carry backslashes).
QString lastPart(const char* text, size_t length) {
    size_t start = 0;
    for (size_t i = 0; i < length; ++i)
        if (text[i] == '/' || text[i] == '\\') start = i + 1;
    return QString::fromUtf8(text + start, qsizetype(length - start));
}

// The executable's path; empty where it cannot be read (other users'
// programs).
QString executable(int procFd, const char* pid) {
    char path[300];
    char buffer[4096];
    std::snprintf(path, sizeof path, "%s/exe", pid);
    const ssize_t m = ::readlinkat(procFd, path, buffer, sizeof buffer);
    return m > 0 ? QString::fromLocal8Bit(buffer, m) : QString();
}

// Kept files take at most a quarter of the descriptor limit, so that the
// program's own files and sockets always find room.
int maxOpenFiles() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 1024;
    return int(qMin<rlim_t>(1024, limit.rlim_cur / 4));
}

}  // namespace

ProcProcessSource::ProcProcessSource(const QString& root)
    : mRoot(root.toLocal8Bit()), mMaxOpen(maxOpenFiles()) {}

ProcProcessSource::~ProcProcessSource() {
    closeAll();
}

void ProcProcessSource::closeAll() {
    for (const OpenFile& file : std::as_const(mOpen)) ::close(file.fd);
    mOpen.clear();
}

bool ProcProcessSource::parse(const char* pid, char* buffer, ssize_t n, RunningProcess* out) const {
    // Kernel threads have an empty command line: no program to match.
    if (n <= 0) return false;
    buffer[n] = '\0';
    // argv[0] ends at the first NUL; a program that rewrote its command line
    // into one string with spaces keeps what stands before the first space.
    size_t length = std::strlen(buffer);
    if (length + 1 >= size_t(n))
        if (const void* space = std::memchr(buffer, ' ', length))
            length = size_t(static_cast<const char*>(space) - buffer);
    out->pid = std::strtoll(pid, nullptr, 10);
    out->name = lastPart(buffer, length);
    out->path.clear();
    return !out->name.isEmpty();
}

ssize_t ProcProcessSource::readCommandLine(int procFd, const char* pid, qint64 number, char* buffer,
                                           size_t size) {
    auto kept = mOpen.find(number);
    if (kept != mOpen.end()) {
        // A kept file reads the process's current command line, also after
        // an exec. Once its process has gone (the number may belong to a new
        // one by now) the read fails: open the number's file again.
        const ssize_t n = ::pread(kept->fd, buffer, size, 0);
        if (n >= 0) {
            kept->scan = mScan;
            return n;
        }
        ::close(kept->fd);
        mOpen.erase(kept);
    }
    char path[64];
    std::snprintf(path, sizeof path, "%s/cmdline", pid);
    if (mOpen.size() >= mMaxOpen) return readSmall(procFd, path, buffer, size);
    const int fd = ::openat(procFd, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    const ssize_t n = ::pread(fd, buffer, size, 0);
    if (n < 0) {
        ::close(fd);
        return n;
    }
    mOpen.insert(number, OpenFile{fd, mScan});
    return n;
}

QList<RunningProcess> ProcProcessSource::processes(bool withPaths) {
    QList<RunningProcess> list;
    DIR* dir = ::opendir(mRoot.constData());
    if (!dir) {
        closeAll();
        return list;
    }
    const int procFd = ::dirfd(dir);
    ++mScan;
    mLastEntries = 0;
    list.reserve(512);
    char buffer[4096];
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
        ++mLastEntries;
        const qint64 number = std::strtoll(entry->d_name, nullptr, 10);
        const ssize_t n = readCommandLine(procFd, entry->d_name, number, buffer, sizeof buffer - 1);
        RunningProcess p;
        if (!parse(entry->d_name, buffer, n, &p)) continue;
        if (withPaths) p.path = executable(procFd, entry->d_name);
        list.append(std::move(p));
    }
    ::closedir(dir);
    // Files of processes that are gone.
    for (auto it = mOpen.begin(); it != mOpen.end();) {
        if (it->scan == mScan) {
            ++it;
        } else {
            ::close(it->fd);
            it = mOpen.erase(it);
        }
    }
    return list;
}

RunningProcess ProcProcessSource::process(qint64 pid) {
    RunningProcess p;
    if (pid <= 0) return p;
    const int procFd = ::open(mRoot.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return p;
    const QByteArray name = QByteArray::number(pid);
    char buffer[4096];
    const ssize_t n = readSmall(procFd, (name + "/cmdline").constData(), buffer, sizeof buffer - 1);
    if (parse(name.constData(), buffer, n, &p))
        p.path = executable(procFd, name.constData());
    else
        p = RunningProcess();
    ::close(procFd);
    return p;
}
