#pragma once
// A fake HID device that checks exact bytes: each step expects one written
// report (report ID included) and answers with the frames given. A write
// that differs from the script is recorded as a mismatch and answered with
// nothing, so the test sees both the bytes and the engine's reaction.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QStringList>
#include <QWaitCondition>

#include "link/hidbackend.h"

class ScriptedHidBackend : public HidBackend {
public:
    // usagePage/usage of the one interface this device shows.
    explicit ScriptedHidBackend(quint16 usagePage = 0xFF00, quint16 usage = 0x0001);
    ~ScriptedHidBackend() override;

    // Expect this report; answer with these frames (no report ID).
    void expect(const QByteArray& report, const QList<QByteArray>& answers = {});
    // Deliver a frame without any request.
    void push(const QByteArray& frame);

    // The next `count` reads fail as on an unplugged device (-1: all of them).
    void failReads(int count);
    // Reads asked for so far.
    int readCalls() const;

    bool allConsumed() const;
    QStringList mismatches() const;
    QList<QByteArray> written() const;

    QList<HidDeviceInfo> enumerate(quint16 vendorId, quint16 productId) override;
    HidDevice* open(const QByteArray& path) override;
    int setNonblocking(HidDevice* device, int nonblock) override;
    int readTimeout(HidDevice* device, unsigned char* data, size_t length, int timeoutMs) override;
    int write(HidDevice* device, const unsigned char* data, size_t length) override;
    QString error(HidDevice* device) override;
    void close(HidDevice* device) override;
    void interruptRead(HidDevice* device) override;
    int exit() override;

private:
    struct Step {
        QByteArray report;
        QList<QByteArray> answers;
    };
    mutable QMutex mMutex;
    QWaitCondition mArrived;
    quint16 mUsagePage;
    quint16 mUsage;
    QList<Step> mSteps;
    QList<QByteArray> mInbox;
    QList<QByteArray> mWritten;
    QStringList mMismatches;
    HidDevice* mOpen = nullptr;
    bool mInterrupted = false;
    int mFailReads = 0;
    int mReadCalls = 0;
};
