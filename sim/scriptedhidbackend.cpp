#include "sim/scriptedhidbackend.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

namespace {
struct ScriptedDevice : HidDevice {};
const char kPath[] = "scripted:keyboard";
}  // namespace

ScriptedHidBackend::ScriptedHidBackend(quint16 usagePage, quint16 usage)
    : mUsagePage(usagePage), mUsage(usage) {}

ScriptedHidBackend::~ScriptedHidBackend() {
    delete mOpen;
}

void ScriptedHidBackend::expect(const QByteArray& report, const QList<QByteArray>& answers) {
    QMutexLocker lock(&mMutex);
    mSteps.append({report, answers});
}

void ScriptedHidBackend::push(const QByteArray& frame) {
    QMutexLocker lock(&mMutex);
    mInbox.append(frame);
    mArrived.wakeAll();
}

void ScriptedHidBackend::failReads(int count) {
    QMutexLocker lock(&mMutex);
    mFailReads = count;
}

int ScriptedHidBackend::readCalls() const {
    QMutexLocker lock(&mMutex);
    return mReadCalls;
}

bool ScriptedHidBackend::allConsumed() const {
    QMutexLocker lock(&mMutex);
    return mSteps.isEmpty();
}

QStringList ScriptedHidBackend::mismatches() const {
    QMutexLocker lock(&mMutex);
    return mMismatches;
}

QList<QByteArray> ScriptedHidBackend::written() const {
    QMutexLocker lock(&mMutex);
    return mWritten;
}

QList<HidDeviceInfo> ScriptedHidBackend::enumerate(quint16 vendorId, quint16 productId) {
    HidDeviceInfo info;
    info.path = kPath;
    info.vendorId = 0x3A7E;
    info.productId = 0x1026;
    info.usagePage = mUsagePage;
    info.usage = mUsage;
    info.interfaceNumber = 1;
    if ((vendorId && vendorId != info.vendorId) || (productId && productId != info.productId))
        return {};
    return {info};
}

HidDevice* ScriptedHidBackend::open(const QByteArray& path) {
    QMutexLocker lock(&mMutex);
    if (path != kPath || mOpen) return nullptr;
    mOpen = new ScriptedDevice;
    return mOpen;
}

int ScriptedHidBackend::setNonblocking(HidDevice*, int) {
    return 0;
}

int ScriptedHidBackend::readTimeout(HidDevice* device, unsigned char* data, size_t length,
                                    int timeoutMs) {
    QMutexLocker lock(&mMutex);
    ++mReadCalls;
    if (mFailReads != 0) {
        if (mFailReads > 0) --mFailReads;
        return -1;
    }
    QDeadlineTimer deadline(timeoutMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(timeoutMs));
    while (mInbox.isEmpty()) {
        if (mInterrupted) {
            mInterrupted = false;
            return 0;
        }
        if (device != mOpen || deadline.hasExpired()) return device == mOpen ? 0 : -1;
        mArrived.wait(&mMutex, deadline);
    }
    const QByteArray frame = mInbox.takeFirst();
    const size_t n = qMin(length, size_t(frame.size()));
    memcpy(data, frame.constData(), n);
    return int(n);
}

int ScriptedHidBackend::write(HidDevice* device, const unsigned char* data, size_t length) {
    QMutexLocker lock(&mMutex);
    if (device != mOpen) return -1;
    const QByteArray report(reinterpret_cast<const char*>(data), int(length));
    mWritten.append(report);
    if (mSteps.isEmpty()) {
        mMismatches.append(
            QStringLiteral("unexpected write %1").arg(QString::fromLatin1(report.toHex())));
        return int(length);
    }
    const Step step = mSteps.takeFirst();
    if (step.report != report) {
        mMismatches.append(QStringLiteral("expected %1\n     got %2")
                               .arg(QString::fromLatin1(step.report.toHex()),
                                    QString::fromLatin1(report.toHex())));
        return int(length);
    }
    mInbox += step.answers;
    mArrived.wakeAll();
    return int(length);
}

QString ScriptedHidBackend::error(HidDevice*) {
    return QStringLiteral("scripted error");
}

void ScriptedHidBackend::close(HidDevice* device) {
    QMutexLocker lock(&mMutex);
    if (device == mOpen) {
        delete mOpen;
        mOpen = nullptr;
        mArrived.wakeAll();
    }
}

void ScriptedHidBackend::interruptRead(HidDevice* device) {
    QMutexLocker lock(&mMutex);
    if (device != mOpen) return;
    mInterrupted = true;
    mArrived.wakeAll();
}

int ScriptedHidBackend::exit() {
    return 0;
}
