#include "protocol/requestqueue.h"

#include <QDebug>
#include <QTimer>

#include "link/usbprotocol.h"
#include "protocol/usbcommunicateutil.h"

RequestQueue::RequestQueue(UsbCommunicateUtil* engine, uchar source, QObject* parent)
    : QObject(parent), mEngine(engine), mSource(source) {
    mWatchdog = new QTimer(this);
    mWatchdog->setSingleShot(true);
    mWatchdog->setInterval(kWatchdogMs);
    connect(mWatchdog, &QTimer::timeout, this, &RequestQueue::watchdogFired);
    if (engine) {
        connect(engine, &UsbCommunicateUtil::usb_request_done, this, &RequestQueue::requestDone);
        connect(engine, &UsbCommunicateUtil::usb_communicate_error, this,
                &RequestQueue::requestFailed);
    }
}

RequestQueue::~RequestQueue() = default;

void RequestQueue::enqueue(uchar order, Start start, Done done, const QString& key) {
    if (!key.isEmpty()) {
        for (int i = int(mWaiting.size()) - 1; i >= 0; --i)
            if (mWaiting.at(i).key == key) mWaiting.removeAt(i);
    }
    mWaiting.append(Request{order, std::move(start), std::move(done), key});
    mActive = true;
    sendNext();
}

void RequestQueue::clear() {
    const QList<Request> dropped = mWaiting;
    mWaiting.clear();
    const QPointer<RequestQueue> self(this);
    for (const Request& r : dropped) {
        if (r.done) r.done(false, ErrorCleared);
        if (!self) return;
    }
    reportIdle();
}

void RequestQueue::progress() {
    if (mInFlight) mWatchdog->start();
}

void RequestQueue::setWatchdogMs(int ms) {
    mWatchdog->setInterval(ms);
}

void RequestQueue::requestDone(uchar source, uchar order) {
    if (source != mSource || !awaits(order)) return;
    finish(true, 0);
}

void RequestQueue::requestFailed(uchar source, uchar order, int error) {
    if (source != mSource || !awaits(order)) return;
    finish(false, error);
}

void RequestQueue::watchdogFired() {
    if (!mInFlight) return;
    qWarning().noquote() << QStringLiteral(
                                "=== RequestQueue 请求没有结束 source={%1};order={%2} ===")
                                .arg(mSource)
                                .arg(UsbProtocol::hex(mCurrent.order));
    finish(false, ErrorWatchdog);
}

void RequestQueue::finish(bool ok, int error) {
    if (!mInFlight) return;
    mWatchdog->stop();
    const Request ended = mCurrent;
    mInFlight = false;
    mCurrent = Request();
    const QPointer<RequestQueue> self(this);
    if (ended.done) ended.done(ok, error);
    if (!self) return;
    // Inside sendNext() its loop goes on with the next request.
    if (!mSending) sendNext();
}

void RequestQueue::reportIdle() {
    if (!mActive || busy() || mSending) return;
    mActive = false;
    emit idle();
}

void RequestQueue::sendNext() {
    if (mSending) return;
    mSending = true;
    const QPointer<RequestQueue> self(this);
    while (!mInFlight && !mWaiting.isEmpty()) {
        mCurrent = mWaiting.takeFirst();
        // In flight before it starts: the engine may end it at once (a
        // failed write, a closed link).
        mInFlight = true;
        mWatchdog->start();
        const bool started = mEngine && mCurrent.start && mCurrent.start();
        if (!self) return;
        if (!started && mInFlight) {
            // Nothing went out: no end will come for it.
            finish(false, mEngine ? int(ErrorNotSent) : int(UsbProtocol::ErrorLinkClosed));
            if (!self) return;
        }
    }
    mSending = false;
    reportIdle();
}
