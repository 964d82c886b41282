// The request queue on the command engine and the simulated keyboard: one
// request at a time in order, coalescing, clear, and that every way a
// request can end (answer, silent keyboard, unplug, another requester,
// nothing sent, no end at all) lets the queue go on.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "link/usbprotocol.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"
#include "support/enginerig.h"
#include "support/testsupport.h"

using namespace UsbProtocol;
using testsupport::SimRig;

namespace {
// What each request's callback saw, in the order they came.
struct Ends {
    QList<QString> names;
    QList<bool> ok;
    QList<int> errors;
    QList<int> writesSeen;  // reports written when the callback ran
    RequestQueue::Done recorder(const QString& name, SimRig* rig = nullptr) {
        return [this, name, rig](bool good, int error) {
            names.append(name);
            ok.append(good);
            errors.append(error);
            writesSeen.append(rig ? rig->sim.writeCount() : -1);
        };
    }
    int count() const { return int(names.size()); }
};

bool waitUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) QTest::qWait(10);
    return done();
}

int requestsOf(SimRig& rig, uchar request) {
    return int(testsupport::requests(rig.sim.writtenReports(), request).size());
}

WholeParam paramWithDebounce(qint8 level) {
    WholeParam p;
    p.shakeLevel = level;
    return p;
}
}  // namespace

class TestRequestQueue : public QObject {
    Q_OBJECT
private slots:
    void oneAtATimeInOrder();
    void waitingRequestsCoalesceByKey();
    void clearEndsWaitingRequestsWithoutSending();
    void silentKeyboardFailsAndTheQueueGoesOn();
    void unplugMidRequestEndsItAndLaterOnesFailAtOnce();
    void supersededByAnotherRequester();
    void requestsThatCouldStallEndAnyway();
};

void TestRequestQueue::oneAtATimeInOrder() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    RequestQueue queue(rig.engine.data(), SourcePerformance);
    QSignalSpy idle(&queue, &RequestQueue::idle);
    UsbCommunicateUtil* e = rig.engine.data();
    Ends ends;
    rig.sim.clearWrittenReports();
    rig.sim.setLatencyMs(30);
    queue.enqueue(
        answerOf(GetWholeParam), [e] { return e->getWholeParam(SourcePerformance, true), true; },
        ends.recorder("param", &rig));
    queue.enqueue(
        answerOf(GetProductInfo), [e] { return e->getProductInfo(SourcePerformance, true), true; },
        ends.recorder("product", &rig));
    queue.enqueue(
        answerOf(GetWholeParam), [e] { return e->getWholeParam(SourcePerformance, true), true; },
        ends.recorder("param again", &rig));
    QVERIFY(queue.busy());
    QVERIFY(queue.inFlight());
    QCOMPARE(queue.pending(), 2);
    QCOMPARE(rig.sim.writeCount(), 1);

    QVERIFY(testsupport::waitFor(idle, 1));
    QCOMPARE(ends.names, (QList<QString>{"param", "product", "param again"}));
    QCOMPARE(ends.ok, (QList<bool>{true, true, true}));
    // Each callback ran before the next request went out.
    QCOMPARE(ends.writesSeen, (QList<int>{1, 2, 3}));
    QVERIFY(!queue.busy());
    QTest::qWait(50);
    QCOMPARE(idle.count(), 1);
}

void TestRequestQueue::waitingRequestsCoalesceByKey() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    RequestQueue queue(rig.engine.data(), SourcePerformance);
    UsbCommunicateUtil* e = rig.engine.data();
    Ends ends;
    rig.sim.setLatencyMs(50);
    rig.sim.clearWrittenReports();
    auto setParam = [&](qint8 level) {
        queue.enqueue(
            answerOf(SetWholeParam),
            [e, level] {
                return e->setWholeParam(SourcePerformance, true, paramWithDebounce(level)), true;
            },
            ends.recorder(QString::number(level)), QStringLiteral("param"));
    };
    // The first goes out at once; of the next three only the newest is sent.
    setParam(0);
    setParam(1);
    setParam(2);
    QCOMPARE(queue.pending(), 1);
    // Another key waits beside it.
    queue.enqueue(
        answerOf(GetProductInfo), [e] { return e->getProductInfo(SourcePerformance, true), true; },
        ends.recorder("product"), QStringLiteral("product"));
    setParam(1);
    QCOMPARE(queue.pending(), 2);
    QVERIFY(waitUntil([&] { return !queue.busy(); }));
    QCOMPARE(ends.names, (QList<QString>{"0", "product", "1"}));
    QCOMPARE(requestsOf(rig, SetWholeParam), 2);
    QCOMPARE(int(rig.sim.keyboard().state().activeProfile()->wholeParam.at(7)),
             1);  // debounce byte
}

void TestRequestQueue::clearEndsWaitingRequestsWithoutSending() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    RequestQueue queue(rig.engine.data(), SourceLightSet);
    QSignalSpy idle(&queue, &RequestQueue::idle);
    UsbCommunicateUtil* e = rig.engine.data();
    Ends ends;
    rig.sim.setLatencyMs(100);
    rig.sim.clearWrittenReports();
    auto whole = [e] { return e->getWholeParam(SourceLightSet, true), true; };
    queue.enqueue(answerOf(GetWholeParam), whole, ends.recorder("flying"));
    queue.enqueue(answerOf(GetWholeParam), whole, ends.recorder("a"));
    queue.enqueue(answerOf(GetWholeParam), whole, ends.recorder("b"));
    queue.clear();
    QCOMPARE(ends.names, (QList<QString>{"a", "b"}));
    QCOMPARE(ends.errors, (QList<int>{RequestQueue::ErrorCleared, RequestQueue::ErrorCleared}));
    QVERIFY(queue.busy());  // the one in flight still ends as the keyboard answers
    QCOMPARE(idle.count(), 0);
    QVERIFY(testsupport::waitFor(idle, 1));
    QCOMPARE(ends.names.last(), QStringLiteral("flying"));
    QVERIFY(ends.ok.last());
    QCOMPARE(rig.sim.writeCount(), 1);
}

void TestRequestQueue::silentKeyboardFailsAndTheQueueGoesOn() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    RequestQueue queue(rig.engine.data(), SourceKeySet);
    UsbCommunicateUtil* e = rig.engine.data();
    Ends ends;
    rig.sim.dropNextAnswers(3);  // every send of the first request
    queue.enqueue(
        answerOf(GetWholeParam), [e] { return e->getWholeParam(SourceKeySet, true), true; },
        ends.recorder("lost"));
    queue.enqueue(
        answerOf(GetProductInfo), [e] { return e->getProductInfo(SourceKeySet, true), true; },
        ends.recorder("next"));
    QVERIFY(waitUntil([&] { return ends.count() == 2; }, 8000));
    QCOMPARE(ends.ok, (QList<bool>{false, true}));
    QCOMPARE(ends.errors.first(), int(ErrorNoAnswer));
    QVERIFY(!queue.busy());
}

void TestRequestQueue::unplugMidRequestEndsItAndLaterOnesFailAtOnce() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    RequestQueue queue(rig.engine.data(), SourceMacroSet);
    QSignalSpy idle(&queue, &RequestQueue::idle);
    UsbCommunicateUtil* e = rig.engine.data();
    Ends ends;
    rig.sim.setLatencyMs(300);
    queue.enqueue(
        answerOf(GetWholeParam), [e] { return e->getWholeParam(SourceMacroSet, true), true; },
        ends.recorder("cut"));
    QTest::qWait(50);
    rig.sim.unplug();
    QVERIFY(testsupport::waitFor(idle, 1, 4000));
    // The resend fails to write, or the receive thread saw the link go first.
    QCOMPARE(ends.ok, (QList<bool>{false}));
    QVERIFY2(ends.errors.first() == ErrorWrite || ends.errors.first() == ErrorLinkClosed,
             qPrintable(QString::number(ends.errors.first())));

    // Nothing can go out now: each request ends at once, none is left over.
    queue.enqueue(
        answerOf(GetProductInfo), [e] { return e->getProductInfo(SourceMacroSet, true), true; },
        ends.recorder("after"));
    QVERIFY(waitUntil([&] { return ends.count() == 2; }, 1000));
    QVERIFY2(ends.errors.last() == ErrorWrite || ends.errors.last() == ErrorLinkClosed,
             qPrintable(QString::number(ends.errors.last())));
    QVERIFY(!queue.busy());
}

void TestRequestQueue::supersededByAnotherRequester() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    RequestQueue mine(rig.engine.data(), SourceHighKey);
    RequestQueue other(rig.engine.data(), SourceSync);
    UsbCommunicateUtil* e = rig.engine.data();
    Ends ends;
    rig.sim.setLatencyMs(200);
    mine.enqueue(
        answerOf(GetWholeParam), [e] { return e->getWholeParam(SourceHighKey, true), true; },
        ends.recorder("mine", &rig));
    QTest::qWait(20);
    other.enqueue(
        answerOf(GetProductInfo), [e] { return e->getProductInfo(SourceSync, true), true; },
        ends.recorder("other", &rig));
    QVERIFY(waitUntil([&] { return ends.count() == 2; }));
    // Mine ends after the other's command went out, and mine is free again.
    QCOMPARE(ends.names, (QList<QString>{"mine", "other"}));
    QCOMPARE(ends.errors.first(), int(ErrorSuperseded));
    QCOMPARE(ends.writesSeen.first(), 2);
    QVERIFY(ends.ok.last());
    QVERIFY(!mine.busy());
    QVERIFY(!other.busy());
}

void TestRequestQueue::requestsThatCouldStallEndAnyway() {
    SimRig rig(64);
    QVERIFY(rig.ok);
    RequestQueue queue(rig.engine.data(), SourceOther);
    queue.setWatchdogMs(200);
    UsbCommunicateUtil* e = rig.engine.data();
    Ends ends;
    // A start that sends nothing ends at once; the next one goes out.
    queue.enqueue(
        answerOf(GetWholeParam), [] { return false; }, ends.recorder("nothing"));
    QCOMPARE(ends.errors, (QList<int>{RequestQueue::ErrorNotSent}));
    // Ends of other requesters, or of another command of this source, are
    // not this request's end; a start that claims to send but never does is
    // ended by the watchdog.
    queue.enqueue(
        answerOf(GetWholeParam), [] { return true; }, ends.recorder("stuck"));
    emit e->usb_request_done(SourceAlign, answerOf(GetWholeParam));
    emit e->usb_communicate_error(SourceAlign, answerOf(GetWholeParam), ErrorNoAnswer);
    emit e->usb_request_done(SourceOther, answerOf(GetProductInfo));
    QCOMPARE(ends.count(), 1);
    QVERIFY(queue.inFlight());
    QVERIFY(waitUntil([&] { return ends.count() == 2; }, 2000));
    QCOMPARE(ends.errors.last(), int(RequestQueue::ErrorWatchdog));
    QVERIFY(!queue.busy());

    // Without an engine nothing can go out.
    RequestQueue orphan(nullptr, SourceOther);
    orphan.enqueue(
        answerOf(GetWholeParam), [] { return true; }, ends.recorder("orphan"));
    QCOMPARE(ends.errors.last(), int(ErrorLinkClosed));
    QVERIFY(!orphan.busy());
}

QTEST_GUILESS_MAIN(TestRequestQueue)
#include "tst_requestqueue.moc"
