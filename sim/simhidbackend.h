#pragma once
// The simulated keyboard as the HID library would show it: enumeration,
// open handles, writes that reach SimKeyboard and reads that block until an
// answer is due or the time-out passes (like hid_read_timeout). Fault
// injection lets tests reproduce lost, wrong or late answers and unplugs.

#include <QDeadlineTimer>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QWaitCondition>
#include <memory>

#include "link/hidbackend.h"
#include "sim/simkeyboard.h"

class SimHidBackend : public QObject, public HidBackend {
    Q_OBJECT
public:
    // Which HID interfaces the simulated keyboard exposes.
    enum class Interfaces {
        Both,          // 0xFF00/0x0001 (128-byte frames) and 0xFF02/0x0002 (64)
        Only64,        // only the 0xFF02 interface
        NonVendorOnly  // only a boot-keyboard interface with the same ids
    };

    explicit SimHidBackend(QObject* parent = nullptr);
    ~SimHidBackend() override;

    SimKeyboard& keyboard() { return *mKeyboard; }
    // Replaces the keyboard's whole state (saved to the state file, if any).
    void setKeyboardState(const SimKeyboardState& state);
    // True when setStateFile() found and loaded an existing state.
    bool loadedFromFile() const;
    void setInterfaces(Interfaces interfaces);
    // Loads the keyboard's flash from the file when it exists and saves every
    // change back to it. Empty: keep state in memory only.
    bool setStateFile(const QString& path);
    QString stateFile() const;
    // Writes pending changes to the state file now (they are otherwise
    // written shortly after they happen, and when the backend goes away).
    void flushState();

    // --- timing and faults (thread-safe) ---
    void setLatencyMs(int ms);
    void dropNextAnswers(int count);
    // The next `count` answers carry this code instead of the right one.
    void answerWithOrder(quint8 order, int count = 1);
    // The next `count` key-map answers name the other layer.
    void answerOtherLayer(int count = 1);
    // Writes fail (return -1) while set.
    void setFailWrites(bool fail);
    // A firmware transfer resets the profiles to the factory's while set.
    void setResetOnFirmware(bool on);
    // While set the keyboard takes every report and neither acts on it nor
    // answers, as a hung keyboard does.
    void setSilent(bool silent);
    // Opening fails as hidraw does for a node without the udev rule.
    void setDenyOpen(bool deny);
    // Queue a 0xF1 notification right after the next answer.
    void notifyAfterNextAnswer(quint8 kind, quint8 type, quint8 item);
    // Deliver an unsolicited frame (a notification or a report) now.
    void pushFrame(const QByteArray& frame);

    // --- hot-plug ---
    bool isPlugged() const;
    void unplug();
    void plug();

    // The keyboard switches its active table by itself and says so (0xF1).
    void switchTableByItself(quint8 index);
    QList<QByteArray> openedPaths() const;  // every path ever opened
    int writeCount() const;
    QList<QByteArray> writtenReports() const;  // every report written, with report ID
    void clearWrittenReports();

    // HidBackend
    QList<HidDeviceInfo> enumerate(quint16 vendorId, quint16 productId) override;
    HidDevice* open(const QByteArray& path) override;
    int setNonblocking(HidDevice* device, int nonblock) override;
    int readTimeout(HidDevice* device, unsigned char* data, size_t length, int timeoutMs) override;
    int write(HidDevice* device, const unsigned char* data, size_t length) override;
    QString error(HidDevice* device) override;
    void close(HidDevice* device) override;
    void interruptRead(HidDevice* device) override;
    int exit() override;

    static const char* const kPath128;
    static const char* const kPath64;
    static const char* const kPathBoot;

signals:
    // Emitted in the thread that calls plug()/unplug().
    void devicePlugged(const QString& path);
    void deviceUnplugged(const QString& path);

private:
    struct Handle;
    struct Pending {
        QByteArray report;
        QDeadlineTimer due;
    };
    void queueLocked(Handle* target, const QByteArray& frame, int delayMs);
    Handle* findLocked(HidDevice* device) const;
    void saveStateLocked();
    void scheduleSaveLocked();

    mutable QMutex mMutex;
    QWaitCondition mArrived;
    std::unique_ptr<SimKeyboard> mKeyboard;
    Interfaces mInterfaces = Interfaces::Both;
    QString mStateFile;
    QList<Handle*> mHandles;
    QList<QByteArray> mWritten;
    QList<QByteArray> mOpened;
    QString mLastError;
    int mLatencyMs = 0;
    int mDropAnswers = 0;
    int mWrongOrderCount = 0;
    quint8 mWrongOrder = 0;
    int mOtherLayerCount = 0;
    bool mFailWrites = false;
    bool mSilent = false;
    bool mDenyOpen = false;
    bool mPlugged = true;
    bool mLoaded = false;
    bool mDirty = false;
    class QTimer* mSaveTimer = nullptr;
    QList<QByteArray> mNotifyAfterAnswer;
};
