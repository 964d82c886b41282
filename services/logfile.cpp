#include "services/logfile.h"

#include <QFileInfo>

namespace {
// Guards the installed pointer: the handler may run on any thread while the
// main thread installs or removes the log.
QMutex gInstallMutex;
LogFile* gInstalled = nullptr;
}  // namespace

LogFile::LogFile(const QString& path) : mPath(path), mFile(path) {}

LogFile::~LogFile() {
    {
        QMutexLocker locker(&gInstallMutex);
        if (gInstalled == this) {
            gInstalled = nullptr;
            qInstallMessageHandler(nullptr);
        }
    }
    QMutexLocker locker(&mMutex);
    mFile.close();
}

bool LogFile::open() {
    QMutexLocker locker(&mMutex);
    if (mFile.isOpen()) return true;
    const QFileInfo info(mPath);
    if (info.exists() && info.size() > kMaxSize) QFile::remove(mPath);
    return mFile.open(QIODevice::WriteOnly | QIODevice::Append);
}

bool LogFile::isOpen() const {
    QMutexLocker locker(&mMutex);
    return mFile.isOpen();
}

QString LogFile::formatLine(const QDateTime& time, QtMsgType type, const QString& message) {
    return time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) + QStringLiteral(" [") +
           QString::number(static_cast<int>(type)) + QStringLiteral("] ") + message +
           QLatin1Char('\n');
}

void LogFile::write(QtMsgType type, const QString& message) {
    const QByteArray line = formatLine(QDateTime::currentDateTime(), type, message).toUtf8();
    QMutexLocker locker(&mMutex);
    if (!mFile.isOpen()) return;
    mFile.write(line);
    mFile.flush();
}

void LogFile::install(LogFile* log) {
    QMutexLocker locker(&gInstallMutex);
    gInstalled = log;
    qInstallMessageHandler(log ? &LogFile::messageHandler : nullptr);
}

void LogFile::uninstall() {
    install(nullptr);
}

LogFile* LogFile::installed() {
    QMutexLocker locker(&gInstallMutex);
    return gInstalled;
}

void LogFile::messageHandler(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    Q_UNUSED(context);
    // A message raised while writing (a Qt warning from the file itself) would
    // re-enter and deadlock on the mutex; drop it instead.
    static thread_local bool inside = false;
    if (inside) return;
    inside = true;
    {
        QMutexLocker locker(&gInstallMutex);
        if (gInstalled) gInstalled->write(type, message);
    }
    inside = false;
}
