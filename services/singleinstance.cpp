#include "services/singleinstance.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QLocalSocket>
#include <QThread>
#include <cstring>

SingleInstance::SingleInstance(const QString& key, const QString& serverName)
    : mKey(key), mServerName(serverName), mMemory(key) {}

SingleInstance::~SingleInstance() = default;

void SingleInstance::release() {
    if (mMemory.isAttached()) mMemory.detach();
    mOwner = false;
}

bool SingleInstance::createSegment() {
    if (!mMemory.create(kSegmentSize, QSharedMemory::ReadWrite)) return false;
    mMemory.lock();
    const QByteArray text = mKey.toLocal8Bit();
    if (text.size() + 1 > kSegmentSize) {
        qWarning().noquote() << QStringLiteral("Key is too long for shared memory buffer!");
    } else {
        char* data = static_cast<char*>(mMemory.data());
        std::memset(data, 0, kSegmentSize);
        std::memcpy(data, text.constData(), qMin<qsizetype>(text.size(), kSegmentSize - 1));
        data[kSegmentSize - 1] = '\0';
    }
    mMemory.unlock();
    mOwner = true;
    return true;
}

bool SingleInstance::isRunning() {
    if (createSegment()) return false;
    if (mMemory.error() != QSharedMemory::AlreadyExists) return false;
    if (!mMemory.attach(QSharedMemory::ReadWrite)) return false;

    bool running = false;
    mMemory.lock();
    if (const char* data = static_cast<const char*>(mMemory.constData())) {
        const QByteArray stored(data, qstrnlen(data, kSegmentSize));
        running = stored == mKey.toLocal8Bit();
    }
    mMemory.unlock();
    if (running) {
        qInfo().noquote() << QStringLiteral("程序已经在运行,\n同一程序不能开启多个!");
    }
    return running;
}

// Detaching lets Qt remove the segment when nobody else is attached, which
// is the case exactly when its creator died. Creating it again then succeeds.
bool SingleInstance::tryTakeOver() {
    if (mMemory.isAttached()) mMemory.detach();
    if (createSegment()) {
        qInfo().noquote() << QStringLiteral(
            "=== SingleInstance 上一个实例已退出, 接管共享内存 ===");
        return true;
    }
    return false;
}

SingleInstance::HandOver SingleInstance::handOver() {
    const QDeadlineTimer deadline(mConnectTimeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(mServerName, QIODevice::ReadWrite);
        if (socket.waitForConnected(int(qMax<qint64>(0, deadline.remainingTime())))) {
            qInfo().noquote() << QStringLiteral("写入网络信息");
            socket.write(kActivateMessage);
            socket.flush();
            socket.waitForBytesWritten(int(qMax<qint64>(0, deadline.remainingTime())));
            QThread::msleep(mHandOverSleepMs);
            socket.disconnectFromServer();
            return HandOver::Activated;
        }
        const QLocalSocket::LocalSocketError error = socket.error();
        socket.abort();
        // Nothing listens: either the owner is gone, or it has not reached
        // its server yet. Only the first case frees the segment.
        const bool nobodyListens = error == QLocalSocket::ConnectionRefusedError ||
                                   error == QLocalSocket::ServerNotFoundError;
        if (!nobodyListens) return HandOver::NotReached;
        if (tryTakeOver()) return HandOver::TookOver;
        if (deadline.hasExpired()) return HandOver::NotReached;
        QThread::msleep(qMin<qint64>(mRetryIntervalMs, qMax<qint64>(0, deadline.remainingTime())));
    }
}
