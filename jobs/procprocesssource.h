#pragma once
// The running programs as /proc lists them. A scan opens one small file per
// process (cmdline), so that 500 processes cost well under two milliseconds;
// the executable's path (a readlink, which fails for other users' programs)
// only when asked.

#include <QString>

#include "jobs/processsource.h"

class ProcProcessSource : public ProcessSource {
public:
    // `root`: another /proc-like tree (benchmarks, tests).
    explicit ProcProcessSource(const QString& root = QStringLiteral("/proc"));

    QList<RunningProcess> processes(bool withPaths) override;
    RunningProcess process(qint64 pid) override;

private:
    bool read(int dirFd, const char* pid, bool withPath, RunningProcess* out) const;

    QByteArray mRoot;
};
