#pragma once
// RequestQueue: the commands of one requester (one engine, one source code),
// sent one at a time. A request starts one engine operation and ends when
// the engine reports its end for this source and the answer code it
// expects: usb_request_done (answered) or usb_communicate_error (failed).
// Only then does the next one start. Waiting requests that share a key are
// coalesced: only the newest is sent. A watchdog ends a request whose end
// never comes, so the queue cannot stall.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QTimer;
class UsbCommunicateUtil;

class RequestQueue : public QObject {
    Q_OBJECT
public:
    // Failure codes of the queue itself; the engine's own are negative
    // numbers close to zero (UsbProtocol::Error).
    enum : int {
        ErrorCleared = -100,   // dropped by clear() before it was sent
        ErrorNotSent = -101,   // its start found nothing to send
        ErrorWatchdog = -102,  // no end came in time
    };
    static constexpr int kWatchdogMs = 10000;

    // Starts one engine operation with the queue's source; false when it
    // sent nothing (the request then ends at once with ErrorNotSent).
    using Start = std::function<bool()>;
    // ok: answered; otherwise error is the engine's code or one of the above.
    using Done = std::function<void(bool ok, int error)>;

    RequestQueue(UsbCommunicateUtil* engine, uchar source, QObject* parent = nullptr);
    ~RequestQueue() override;

    uchar source() const { return mSource; }

    // Queues a request expecting the answer code `order`. A non-empty key
    // replaces a waiting (not yet sent) request with the same key, whose
    // callback is then never called: the newer request stands for it.
    void enqueue(uchar order, Start start, Done done = Done(), const QString& key = QString());

    // A request is in flight or waiting.
    bool busy() const { return mInFlight || !mWaiting.isEmpty(); }
    bool inFlight() const { return mInFlight; }
    // Requests waiting behind the one in flight.
    int pending() const { return int(mWaiting.size()); }
    // The request in flight expects this answer code.
    bool awaits(uchar order) const { return mInFlight && mCurrent.order == order; }

    // Drops every waiting request (each ends with ErrorCleared, nothing is
    // sent); the one in flight still ends as the engine reports.
    void clear();

    // An answer frame of a long transfer arrived: the watchdog starts again.
    void progress();
    void setWatchdogMs(int ms);

signals:
    // The last request ended and none waits.
    void idle();

private:
    struct Request {
        uchar order = 0;
        Start start;
        Done done;
        QString key;
    };

    void requestDone(uchar source, uchar order);
    void requestFailed(uchar source, uchar order, int error);
    void watchdogFired();
    void finish(bool ok, int error);
    void sendNext();
    void reportIdle();

    QPointer<UsbCommunicateUtil> mEngine;
    uchar mSource;
    QTimer* mWatchdog = nullptr;
    QList<Request> mWaiting;
    Request mCurrent;
    bool mInFlight = false;
    bool mActive = false;   // busy since the last idle()
    bool mSending = false;  // inside sendNext(): a request may end while it starts
};
