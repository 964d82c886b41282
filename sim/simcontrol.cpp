#include "sim/simcontrol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDebug>
#include <QFile>
#include <QSocketNotifier>
#include <QStringList>
#include <cerrno>
#include <cstring>

#include "sim/simhidbackend.h"

namespace {

bool parseSwitch(const QString& word, bool* on) {
    if (word == QLatin1String("on")) {
        *on = true;
        return true;
    }
    if (word == QLatin1String("off")) {
        *on = false;
        return true;
    }
    return false;
}

bool parseNumber(const QString& word, int low, int high, int* value) {
    bool ok = false;
    const int v = word.toInt(&ok);
    if (!ok || v < low || v > high) return false;
    *value = v;
    return true;
}

// One line of a pipe is short; anything longer is not ours.
constexpr int kMaxLine = 256;

}  // namespace

SimControl::SimControl(SimHidBackend* backend, QObject* parent)
    : QObject(parent), mBackend(backend) {}

SimControl::~SimControl() {
    delete mNotifier;
    if (mFd >= 0) ::close(mFd);
}

bool SimControl::apply(SimHidBackend& backend, const QString& line, QString* error) {
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto refuse = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (words.isEmpty()) return refuse(QStringLiteral("empty line"));
    const QString& command = words.first();
    bool on = false;
    int value = 0;
    if (words.size() == 1 && command == QLatin1String("unplug")) {
        backend.unplug();
    } else if (words.size() == 1 && command == QLatin1String("plug")) {
        backend.plug();
    } else if (words.size() == 2 && command == QLatin1String("silent") &&
               parseSwitch(words.at(1), &on)) {
        backend.setSilent(on);
    } else if (words.size() == 2 && command == QLatin1String("fail-writes") &&
               parseSwitch(words.at(1), &on)) {
        backend.setFailWrites(on);
    } else if (words.size() == 2 && command == QLatin1String("reset-on-firmware") &&
               parseSwitch(words.at(1), &on)) {
        backend.setResetOnFirmware(on);
    } else if (words.size() == 2 && command == QLatin1String("latency") &&
               parseNumber(words.at(1), 0, 60000, &value)) {
        backend.setLatencyMs(value);
    } else if (words.size() == 2 && command == QLatin1String("drop") &&
               parseNumber(words.at(1), 0, 1000000, &value)) {
        backend.dropNextAnswers(value);
    } else if (words.size() == 2 && command == QLatin1String("switch-table") &&
               parseNumber(words.at(1), 0, 255, &value)) {
        backend.switchTableByItself(quint8(value));
    } else {
        return refuse(QStringLiteral("unknown command: %1").arg(line.simplified()));
    }
    return true;
}

bool SimControl::listen(const QString& path, QString* error) {
    mPath = path;
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0) {
        if (errno != ENOENT || ::mkfifo(native.constData(), 0600) != 0) {
            if (error)
                *error = QStringLiteral("cannot create %1: %2")
                             .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    } else if (!S_ISFIFO(info.st_mode)) {
        if (error) *error = QStringLiteral("%1 exists and is not a named pipe").arg(path);
        return false;
    }
    return reopen(error);
}

bool SimControl::reopen(QString* error) {
    delete mNotifier;
    mNotifier = nullptr;
    if (mFd >= 0) ::close(mFd);
    // Non-blocking, so that opening does not wait for a writer; every writer
    // that closes ends the stream, and the pipe is opened again for the next.
    mFd = ::open(QFile::encodeName(mPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (mFd < 0) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2")
                         .arg(mPath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    mNotifier = new QSocketNotifier(mFd, QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &SimControl::readAvailable);
    qInfo().noquote() << QStringLiteral("=== SimControl 监听 { %1 } ===").arg(mPath);
    return true;
}

void SimControl::readAvailable() {
    char buffer[512];
    bool ended = false;
    for (;;) {
        const ssize_t n = ::read(mFd, buffer, sizeof buffer);
        if (n > 0) {
            mPartial.append(buffer, int(n));
            continue;
        }
        if (n == 0)
            ended = true;  // the last writer closed
        else if (errno == EINTR)
            continue;
        break;
    }
    for (int end = mPartial.indexOf('\n'); end >= 0; end = mPartial.indexOf('\n')) {
        const QString line = QString::fromUtf8(mPartial.left(end)).trimmed();
        mPartial.remove(0, end + 1);
        if (line.isEmpty()) continue;
        QString why;
        const bool ok = apply(*mBackend, line, &why);
        qInfo().noquote() << (ok ? QStringLiteral("=== SimControl { %1 } ===").arg(line)
                                 : QStringLiteral("=== SimControl 无法执行 { %1 } ===").arg(why));
        emit lineHandled(line, ok);
    }
    if (mPartial.size() > kMaxLine) mPartial.clear();
    if (ended) {
        // A last line without its newline still counts.
        const QString line = QString::fromUtf8(mPartial).trimmed();
        mPartial.clear();
        if (!line.isEmpty()) {
            const bool ok = apply(*mBackend, line);
            emit lineHandled(line, ok);
        }
        reopen(nullptr);
    }
}
