#include "services/restarter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QProcess>
#include <QTimer>

namespace {
std::function<void()>& releaseHook() {
    static std::function<void()> hook;
    return hook;
}
}  // namespace

void Restarter::setReleaseHook(std::function<void()> release) {
    releaseHook() = std::move(release);
}

bool Restarter::restart() {
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(QCoreApplication::arguments().mid(1));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(kOneShotVariable);
    process.setProcessEnvironment(env);
    // The new copy must not hold this copy's pipes: whoever reads them may
    // close them once this copy has gone, and writing then would end it.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // Released before the start: the new copy must find no running copy.
    if (releaseHook()) releaseHook()();
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        qWarning().noquote() << QStringLiteral("=== Restarter 无法启动新进程:{ ") +
                                    process.program() + QStringLiteral(" } ===");
        return false;
    }
    qInfo().noquote() << QStringLiteral("=== Restarter 新进程已启动 pid:{ %1 } ===").arg(pid);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return true;
}
