#include "sim/simhidbackend.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QMutexLocker>
#include <QSaveFile>
#include <QThread>
#include <QTimer>

#include "link/usbprotocol.h"

using UsbProtocol::bytes;

const char* const SimHidBackend::kPath128 = "sim:keyboard/if1-ff00";
const char* const SimHidBackend::kPath64 = "sim:keyboard/if2-ff02";
const char* const SimHidBackend::kPathBoot = "sim:keyboard/if0-boot";

namespace {
constexpr quint16 kVendor = 0x3A7E;
constexpr quint16 kProduct = 0x1026;
constexpr int kReportIntervalMs = 20;
constexpr qint64 kSpinNs = 250000;
constexpr int kSaveDelayMs = 250;
}  // namespace

struct SimHidBackend::Handle : HidDevice {
    QByteArray path;
    int frameSize = 128;
    bool nonblocking = false;
    bool interrupted = false;
    QList<Pending> queue;
    QDeadlineTimer nextReport;
};

SimHidBackend::SimHidBackend(QObject* parent) : QObject(parent), mKeyboard(new SimKeyboard) {
    // Changes reach the file a moment later in one write, so a burst of
    // commands (an import, a sync of settings) costs one save, not one each.
    mSaveTimer = new QTimer(this);
    mSaveTimer->setSingleShot(true);
    mSaveTimer->setInterval(kSaveDelayMs);
    connect(mSaveTimer, &QTimer::timeout, this, &SimHidBackend::flushState);
}

SimHidBackend::~SimHidBackend() {
    flushState();
    QMutexLocker lock(&mMutex);
    qDeleteAll(mHandles);
    mHandles.clear();
}

void SimHidBackend::setInterfaces(Interfaces interfaces) {
    QMutexLocker lock(&mMutex);
    mInterfaces = interfaces;
}

bool SimHidBackend::setStateFile(const QString& path) {
    QMutexLocker lock(&mMutex);
    mStateFile = path;
    if (path.isEmpty()) return true;
    QFile file(path);
    if (file.exists()) {
        if (file.open(QIODevice::ReadOnly)) {
            SimKeyboardState state;
            const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
            if (doc.isObject() && SimKeyboardState::fromJson(doc.object(), &state)) {
                mKeyboard->setState(state);
                mKeyboard->takeChanged();
                mLoaded = true;
                return true;
            }
        }
        // Keep a broken file for inspection beside the new one; start from
        // the factory state.
        const QString broken = path + QStringLiteral(".broken");
        QFile::remove(broken);
        QFile::rename(path, broken);
        qWarning().noquote()
            << QStringLiteral("=== SimHidBackend 状态文件无效: %1 ===").arg(broken);
        saveStateLocked();
        return false;
    }
    saveStateLocked();
    return true;
}

void SimHidBackend::setKeyboardState(const SimKeyboardState& state) {
    QMutexLocker lock(&mMutex);
    mKeyboard->setState(state);
    mKeyboard->takeChanged();
    saveStateLocked();
}

void SimHidBackend::scheduleSaveLocked() {
    if (mStateFile.isEmpty()) return;
    mDirty = true;
    // Writes come from any thread; the timer lives in the backend's.
    QMetaObject::invokeMethod(mSaveTimer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

void SimHidBackend::flushState() {
    QMutexLocker lock(&mMutex);
    if (mDirty) saveStateLocked();
}

bool SimHidBackend::loadedFromFile() const {
    QMutexLocker lock(&mMutex);
    return mLoaded;
}

QString SimHidBackend::stateFile() const {
    QMutexLocker lock(&mMutex);
    return mStateFile;
}

void SimHidBackend::saveStateLocked() {
    mDirty = false;
    if (mStateFile.isEmpty()) return;
    QSaveFile file(mStateFile);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QJsonDocument(mKeyboard->state().toJson()).toJson(QJsonDocument::Compact));
    file.commit();
}

void SimHidBackend::setLatencyMs(int ms) {
    QMutexLocker lock(&mMutex);
    mLatencyMs = qMax(0, ms);
}

void SimHidBackend::setSilent(bool silent) {
    QMutexLocker lock(&mMutex);
    mSilent = silent;
}

void SimHidBackend::dropNextAnswers(int count) {
    QMutexLocker lock(&mMutex);
    mDropAnswers = count;
}

void SimHidBackend::answerWithOrder(quint8 order, int count) {
    QMutexLocker lock(&mMutex);
    mWrongOrder = order;
    mWrongOrderCount = count;
}

void SimHidBackend::answerOtherLayer(int count) {
    QMutexLocker lock(&mMutex);
    mOtherLayerCount = count;
}

void SimHidBackend::setFailWrites(bool fail) {
    QMutexLocker lock(&mMutex);
    mFailWrites = fail;
}

void SimHidBackend::setResetOnFirmware(bool on) {
    QMutexLocker lock(&mMutex);
    mKeyboard->setResetOnFirmware(on);
}

void SimHidBackend::setDenyOpen(bool deny) {
    QMutexLocker lock(&mMutex);
    mDenyOpen = deny;
}

void SimHidBackend::notifyAfterNextAnswer(quint8 kind, quint8 type, quint8 item) {
    QMutexLocker lock(&mMutex);
    mNotifyAfterAnswer.append(bytes({char(kind), char(type), char(item)}));
}

void SimHidBackend::pushFrame(const QByteArray& frame) {
    QMutexLocker lock(&mMutex);
    for (Handle* h : mHandles)
        if (h->path != kPathBoot) queueLocked(h, frame, 0);
}

bool SimHidBackend::isPlugged() const {
    QMutexLocker lock(&mMutex);
    return mPlugged;
}

void SimHidBackend::unplug() {
    QList<QByteArray> paths;
    {
        QMutexLocker lock(&mMutex);
        if (!mPlugged) return;
        mPlugged = false;
        for (Handle* h : mHandles) h->queue.clear();
        mArrived.wakeAll();
    }
    emit deviceUnplugged(QString::fromLatin1(kPath128));
}

void SimHidBackend::plug() {
    {
        QMutexLocker lock(&mMutex);
        if (mPlugged) return;
        mPlugged = true;
    }
    emit devicePlugged(QString::fromLatin1(kPath128));
}

void SimHidBackend::switchTableByItself(quint8 index) {
    QMutexLocker lock(&mMutex);
    QByteArray frame = mKeyboard->switchTableByItself(index);
    if (mKeyboard->takeChanged()) scheduleSaveLocked();
    for (Handle* h : mHandles) {
        if (h->path == kPathBoot) continue;
        frame =
            UsbProtocol::buildFrame(UsbProtocol::ConfigChange, 1, 1, frame.mid(6, 3), h->frameSize);
        queueLocked(h, frame, 0);
    }
}

QList<QByteArray> SimHidBackend::openedPaths() const {
    QMutexLocker lock(&mMutex);
    return mOpened;
}

int SimHidBackend::writeCount() const {
    QMutexLocker lock(&mMutex);
    return mWritten.size();
}

QList<QByteArray> SimHidBackend::writtenReports() const {
    QMutexLocker lock(&mMutex);
    return mWritten;
}

void SimHidBackend::clearWrittenReports() {
    QMutexLocker lock(&mMutex);
    mWritten.clear();
}

QList<HidDeviceInfo> SimHidBackend::enumerate(quint16 vendorId, quint16 productId) {
    QMutexLocker lock(&mMutex);
    QList<HidDeviceInfo> list;
    if (!mPlugged) return list;
    if ((vendorId && vendorId != kVendor) || (productId && productId != kProduct)) return list;
    auto add = [&](const char* path, quint16 page, quint16 usage, int iface) {
        HidDeviceInfo info;
        info.path = path;
        info.vendorId = kVendor;
        info.productId = kProduct;
        info.releaseNumber = quint16(mKeyboard->state().version);
        info.usagePage = page;
        info.usage = usage;
        info.interfaceNumber = iface;
        info.manufacturer = mKeyboard->state().customerName;
        info.product = mKeyboard->state().productName;
        list.append(info);
    };
    add(kPathBoot, 0x0001, 0x0006, 0);
    if (mInterfaces == Interfaces::Both) add(kPath128, 0xFF00, 0x0001, 1);
    if (mInterfaces != Interfaces::NonVendorOnly) add(kPath64, 0xFF02, 0x0002, 2);
    return list;
}

HidDevice* SimHidBackend::open(const QByteArray& path) {
    QMutexLocker lock(&mMutex);
    const bool known = path == kPathBoot || (path == kPath128 && mInterfaces == Interfaces::Both) ||
                       (path == kPath64 && mInterfaces != Interfaces::NonVendorOnly);
    if (!mPlugged || !known) {
        mLastError = QStringLiteral("No such device: %1").arg(QString::fromLatin1(path));
        return nullptr;
    }
    if (mDenyOpen) {
        mLastError = QStringLiteral("Failed to open a device with path '%1': Permission denied")
                         .arg(QString::fromLatin1(path));
        return nullptr;
    }
    mOpened.append(path);
    auto* h = new Handle;
    h->path = path;
    h->frameSize = path == kPath64 ? 64 : 128;
    mHandles.append(h);
    return h;
}

int SimHidBackend::setNonblocking(HidDevice* device, int nonblock) {
    QMutexLocker lock(&mMutex);
    Handle* h = findLocked(device);
    if (!mHandles.contains(h)) return -1;
    h->nonblocking = nonblock != 0;
    return 0;
}

void SimHidBackend::queueLocked(Handle* target, const QByteArray& frame, int delayMs) {
    target->queue.append({frame, QDeadlineTimer(delayMs, Qt::PreciseTimer)});
    mArrived.wakeAll();
}

int SimHidBackend::write(HidDevice* device, const unsigned char* data, size_t length) {
    QMutexLocker lock(&mMutex);
    Handle* h = findLocked(device);
    if (!mHandles.contains(h) || !mPlugged) {
        mLastError = QStringLiteral("Device disconnected");
        return -1;
    }
    const QByteArray report(reinterpret_cast<const char*>(data), int(length));
    mWritten.append(report);
    if (mFailWrites) {
        mLastError = QStringLiteral("Simulated write failure");
        return -1;
    }
    if (mSilent || h->path == kPathBoot || report.isEmpty()) return int(length);
    // The first byte is the report ID (0x00), which the device never sees.
    const QByteArray frame = report.mid(1, h->frameSize);
    QList<QByteArray> answers = mKeyboard->handle(frame, h->frameSize);
    if (mKeyboard->takeChanged()) scheduleSaveLocked();
    if (answers.isEmpty()) return int(length);
    if (mDropAnswers > 0) {
        --mDropAnswers;
        return int(length);
    }
    for (QByteArray& a : answers) {
        if (mWrongOrderCount > 0) {
            --mWrongOrderCount;
            a[1] = char(mWrongOrder);
        } else if (mOtherLayerCount > 0 && quint8(a[1]) == 0xAA) {
            --mOtherLayerCount;
            a[6] = char(quint8(a[6]) ^ 1);
        }
        queueLocked(h, a, mLatencyMs);
    }
    for (const QByteArray& n : mNotifyAfterAnswer)
        queueLocked(h, UsbProtocol::buildFrame(UsbProtocol::ConfigChange, 1, 1, n, h->frameSize),
                    mLatencyMs);
    mNotifyAfterAnswer.clear();
    return int(length);
}

int SimHidBackend::readTimeout(HidDevice* device, unsigned char* data, size_t length,
                               int timeoutMs) {
    QMutexLocker lock(&mMutex);
    Handle* h = findLocked(device);
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever
                                          : QDeadlineTimer(timeoutMs, Qt::PreciseTimer));
    if (h && h->nonblocking) deadline = QDeadlineTimer(0);
    for (;;) {
        if (!h || !mHandles.contains(h) || !mPlugged) {
            mLastError = QStringLiteral("Device disconnected");
            return -1;
        }
        if (h->interrupted) {
            h->interrupted = false;
            return 0;
        }
        if (mKeyboard->calibrationReporting() && h->path != kPathBoot &&
            h->nextReport.hasExpired()) {
            queueLocked(h, mKeyboard->nextCalibrationReport(h->frameSize), 0);
            h->nextReport = QDeadlineTimer(kReportIntervalMs, Qt::PreciseTimer);
        }
        QDeadlineTimer wake = deadline;
        if (!h->queue.isEmpty()) {
            if (h->queue.first().due.hasExpired()) {
                const QByteArray frame = h->queue.takeFirst().report;
                const size_t n = qMin(length, size_t(frame.size()));
                memcpy(data, frame.constData(), n);
                return int(n);
            }
            if (h->queue.first().due < wake) wake = h->queue.first().due;
        }
        if (mKeyboard->calibrationReporting() && h->nextReport < wake) wake = h->nextReport;
        if (deadline.hasExpired()) return 0;
        // A timed wait wakes up to ~0.15 ms late on a loaded machine; wait
        // for most of the time and spin only the last stretch, so the
        // configured latency is what a reader sees. The spin keeps its core:
        // yielding on a busy machine hands it away for a whole time slice.
        const qint64 leftNs = wake.remainingTimeNSecs();
        if (leftNs >= 0 && leftNs <= kSpinNs) {
            mMutex.unlock();
            while (!wake.hasExpired()) {
            }
            mMutex.lock();
            continue;
        }
        if (leftNs > kSpinNs)
            mArrived.wait(&mMutex, QDeadlineTimer(std::chrono::nanoseconds(leftNs - kSpinNs),
                                                  Qt::PreciseTimer));
        else
            mArrived.wait(&mMutex, wake);
    }
}

QString SimHidBackend::error(HidDevice*) {
    QMutexLocker lock(&mMutex);
    return mLastError;
}

void SimHidBackend::close(HidDevice* device) {
    QMutexLocker lock(&mMutex);
    Handle* h = findLocked(device);
    if (h && mHandles.removeOne(h)) delete h;
    mArrived.wakeAll();
}

SimHidBackend::Handle* SimHidBackend::findLocked(HidDevice* device) const {
    // Looked up by address only: a closed handle is never dereferenced.
    for (Handle* h : mHandles)
        if (static_cast<HidDevice*>(h) == device) return h;
    return nullptr;
}

void SimHidBackend::interruptRead(HidDevice* device) {
    QMutexLocker lock(&mMutex);
    Handle* h = findLocked(device);
    if (!h) return;
    h->interrupted = true;
    mArrived.wakeAll();
}

int SimHidBackend::exit() {
    return 0;
}
