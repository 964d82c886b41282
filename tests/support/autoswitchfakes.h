#pragma once
// Made-up programs and a made-up window focus for the automatic profile
// switch: what runs and what has the focus, set by the test.

#include <QList>
#include <QString>

#include "jobs/focussource.h"
#include "jobs/processsource.h"

class FakeProcesses : public ProcessSource {
public:
    QList<RunningProcess> list;
    int scans = 0;
    QList<RunningProcess> processes(bool) override {
        ++scans;
        return list;
    }
    RunningProcess process(qint64 pid) override {
        for (const RunningProcess& p : list)
            if (p.pid == pid) return p;
        return RunningProcess();
    }
};

class FakeFocus : public FocusSource {
public:
    FocusedWindow now;
    FocusedWindow current() const override { return now; }
    void focus(const QString& cls, qint64 pid = 0) {
        now.known = true;
        now.windowClass = cls;
        now.pid = pid;
        emit changed();
    }
};
