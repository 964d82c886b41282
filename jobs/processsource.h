#pragma once
// Where the automatic profile switch learns which programs run: /proc on a
// real desktop, a fixed list in tests.

#include <QList>

#include "jobs/autoswitchrules.h"

class ProcessSource {
public:
    virtual ~ProcessSource() = default;
    // Every user program (kernel threads left out). Paths are read only when
    // `withPaths`: that costs a readlink per process.
    virtual QList<RunningProcess> processes(bool withPaths) = 0;
    // One process; pid 0 in the result when it is gone.
    virtual RunningProcess process(qint64 pid) = 0;
};
