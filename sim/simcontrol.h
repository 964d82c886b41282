#pragma once
// Drives the simulated keyboard's fault switches from outside a running
// program, so that a tester or a bug report can replay an unplug, a silent
// keyboard or a keyboard-side table switch without a debugger. Lines come
// through a named pipe (created when missing); one command per line:
//
//   unplug | plug | silent on|off | fail-writes on|off | latency MS |
//   drop N | switch-table N | reset-on-firmware on|off
//
// Only the --simulate road creates one: a real keyboard has no such door.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class SimHidBackend;

class SimControl : public QObject {
    Q_OBJECT
public:
    explicit SimControl(SimHidBackend* backend, QObject* parent = nullptr);
    ~SimControl() override;

    // Creates the pipe at `path` if needed and listens on it; false (with
    // `error` set) when `path` cannot be made or opened, or is not a pipe.
    bool listen(const QString& path, QString* error = nullptr);
    QString path() const { return mPath; }

    // Applies one command line; false, with `error` set, for a line it does
    // not understand (nothing changes then).
    static bool apply(SimHidBackend& backend, const QString& line, QString* error = nullptr);

    // The option that names the pipe, for the GUI and zentaro-cli alike.
    static QString optionPrefix() { return QStringLiteral("--simulate-control="); }

signals:
    // After each line, applied or refused.
    void lineHandled(const QString& line, bool ok);

private:
    bool reopen(QString* error);
    void readAvailable();

    SimHidBackend* mBackend;
    QString mPath;
    int mFd = -1;
    QSocketNotifier* mNotifier = nullptr;
    QByteArray mPartial;
};
