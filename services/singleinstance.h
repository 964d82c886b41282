#pragma once
// One copy of the application per user. The first copy owns a shared-memory
// segment holding the key; a later copy finds it and asks the first copy,
// through its local server, to come to the front.
//
// A System V segment outlives a crashed owner, so finding the segment is not
// proof that a copy runs: when nothing listens on the server and nobody else
// is attached to the segment, the segment is stale and this copy takes it
// over.

#include <QSharedMemory>
#include <QString>

class SingleInstance {
public:
    static inline const QString kKey = QStringLiteral("Zentaro");
    static inline const QString kServerName = QStringLiteral("Qt6Zentaro");
    static inline const QByteArray kActivateMessage = QByteArrayLiteral("activate");
    static constexpr int kSegmentSize = 1024;

    enum class HandOver {
        Activated,   // the running copy got "activate"
        NotReached,  // a copy runs (or starts) but could not be reached in time
        TookOver     // the segment was stale: this copy is the first after all
    };

    explicit SingleInstance(const QString& key = kKey, const QString& serverName = kServerName);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another copy already owns the segment. Otherwise this object
    // now owns it and keeps it until destroyed.
    bool isRunning();

    // Only after isRunning() returned true: tells the running copy to come to
    // the front, or takes the segment over when its owner is gone.
    HandOver handOver();

    bool ownsSegment() const { return mOwner; }
    // Gives the segment up while the process goes on (a restart): a copy
    // started afterwards becomes the first one.
    void release();

    // Time constants, changed by tests.
    void setConnectTimeoutMs(int ms) { mConnectTimeoutMs = ms; }
    void setHandOverSleepMs(int ms) { mHandOverSleepMs = ms; }
    void setRetryIntervalMs(int ms) { mRetryIntervalMs = ms; }

private:
    bool createSegment();
    bool tryTakeOver();

    QString mKey;
    QString mServerName;
    QSharedMemory mMemory;
    bool mOwner = false;
    int mConnectTimeoutMs = 30000;
    int mHandOverSleepMs = 200;
    int mRetryIntervalMs = 100;
};
