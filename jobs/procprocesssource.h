#pragma once
// The running programs as /proc lists them. A scan reads one small file per
// process (cmdline); the file of each process seen stays open between scans
// (up to a share of the descriptor limit), so that a later scan costs one
// read per process instead of an open, a read and a close: 500 processes
// well under two milliseconds. The executable's path (a readlink, which
// fails for other users' programs) only when asked.

#include <sys/types.h>

#include <QHash>
#include <QString>

#include "jobs/processsource.h"

class ProcProcessSource : public ProcessSource {
public:
    // `root`: another /proc-like tree (benchmarks, tests).
    explicit ProcProcessSource(const QString& root = QStringLiteral("/proc"));
    ~ProcProcessSource() override;
    ProcProcessSource(const ProcProcessSource&) = delete;
    ProcProcessSource& operator=(const ProcProcessSource&) = delete;

    QList<RunningProcess> processes(bool withPaths) override;
    RunningProcess process(qint64 pid) override;

    // Entries of the last scan that looked like processes, kernel threads
    // included (what a scan costs is per entry).
    int lastScanEntries() const { return mLastEntries; }
    // Command lines kept open for the next scan.
    int openFiles() const { return int(mOpen.size()); }

private:
    struct OpenFile {
        int fd = -1;
        quint32 scan = 0;
    };
    bool parse(const char* pid, char* buffer, ssize_t n, RunningProcess* out) const;
    // The command line of `pid`, through its kept file when there is one.
    ssize_t readCommandLine(int dirFd, const char* pid, qint64 number, char* buffer, size_t size);
    void closeAll();

    QByteArray mRoot;
    QHash<qint64, OpenFile> mOpen;
    quint32 mScan = 0;
    int mMaxOpen = 0;
    int mLastEntries = 0;
};
