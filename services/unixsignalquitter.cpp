#include "services/unixsignalquitter.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace {
// The handler may only write to a file descriptor; the event loop reads it.
int gSignalPipe[2] = {-1, -1};

void onUnixSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[0], &byte, 1);
}
}  // namespace

UnixSignalQuitter::UnixSignalQuitter(QObject* parent) : QObject(parent) {
    if (gSignalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) {
        qWarning().noquote() << QStringLiteral("=== UnixSignalQuitter socketpair 失败 ===");
        return;
    }
    mNotifier = new QSocketNotifier(gSignalPipe[1], QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &UnixSignalQuitter::onSignal);

    struct sigaction action = {};
    action.sa_handler = onUnixSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

UnixSignalQuitter::~UnixSignalQuitter() {
    if (!mNotifier) return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

void UnixSignalQuitter::onSignal() {
    unsigned char byte = 0;
    if (::read(gSignalPipe[1], &byte, 1) != 1) return;
    qInfo().noquote() << QStringLiteral("=== UnixSignalQuitter 收到信号:{ ") +
                             QString::number(byte) + QStringLiteral(" },退出 ===");
    QCoreApplication::quit();
}

#else

UnixSignalQuitter::UnixSignalQuitter(QObject* parent) : QObject(parent) {}
UnixSignalQuitter::~UnixSignalQuitter() = default;
void UnixSignalQuitter::onSignal() {}

#endif
