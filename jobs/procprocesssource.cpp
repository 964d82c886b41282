#include "jobs/procprocesssource.h"

#include <dirent.h>
#include <fcntl.h>
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

}  // namespace

ProcProcessSource::ProcProcessSource(const QString& root) : mRoot(root.toLocal8Bit()) {}

bool ProcProcessSource::read(int procFd, const char* pid, bool withPath,
                             RunningProcess* out) const {
    char path[64];
    char buffer[4096];
    std::snprintf(path, sizeof path, "%s/cmdline", pid);
    const ssize_t n = readSmall(procFd, path, buffer, sizeof buffer - 1);
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
    if (withPath) {
        std::snprintf(path, sizeof path, "%s/exe", pid);
        const ssize_t m = ::readlinkat(procFd, path, buffer, sizeof buffer - 1);
        if (m > 0) out->path = QString::fromLocal8Bit(buffer, m);
    }
    return !out->name.isEmpty();
}

QList<RunningProcess> ProcProcessSource::processes(bool withPaths) {
    QList<RunningProcess> list;
    DIR* dir = ::opendir(mRoot.constData());
    if (!dir) return list;
    const int procFd = ::dirfd(dir);
    list.reserve(512);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
        RunningProcess p;
        if (read(procFd, entry->d_name, withPaths, &p)) list.append(std::move(p));
    }
    ::closedir(dir);
    return list;
}

RunningProcess ProcProcessSource::process(qint64 pid) {
    RunningProcess p;
    if (pid <= 0) return p;
    const int procFd = ::open(mRoot.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) return p;
    const QByteArray name = QByteArray::number(pid);
    if (!read(procFd, name.constData(), true, &p)) p = RunningProcess();
    ::close(procFd);
    return p;
}
