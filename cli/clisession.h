#pragma once
// What every zentaro-cli command needs: the HID backend (hidapi or the
// simulated keyboard), the catalogue, the command engine and the model, plus
// blocking helpers that run the event loop until a job ends.

#include <QObject>
#include <QScopedPointer>
#include <QString>

class KeyboardConfigUtil;
class ProductDataUtil;
class SimHidBackend;
class UsbCommunicateUtil;

struct CliOptions {
    bool simulate = false;
    QString stateFile;
    int channel = 0;         // 0: both vendor interfaces, else 128 or 64
    bool unplugged = false;  // the simulated keyboard is not plugged in
};

class CliSession : public QObject {
    Q_OBJECT
public:
    explicit CliSession(const CliOptions& options, QObject* parent = nullptr);
    ~CliSession() override;

    // Opens the keyboard link and starts receiving; false with a message.
    bool open();
    // Runs a sync of the given scope into the model, progress on stderr.
    bool sync(int scope);
    // Loads the product the keyboard reported from the catalogue.
    bool loadProduct();

    UsbCommunicateUtil& engine() { return *mEngine; }
    KeyboardConfigUtil& model() { return *mModel; }
    ProductDataUtil& catalogue() { return *mCatalogue; }
    SimHidBackend* simulator() { return mSim.data(); }

    // Progress on stderr: a bar on a terminal, else one line per ten percent.
    void progress(const QString& what, int value);
    void endProgress();
    // Prints "zentaro-cli: <what>" on stderr and returns the exit code 1.
    int fail(const QString& what);
    // Runs the event loop until `done` is set (and wake() called) or
    // `timeoutMs` pass.
    bool waitUntil(const bool& done, int timeoutMs);
    void wake();

private:
    CliOptions mOptions;
    QScopedPointer<SimHidBackend> mSim;
    QScopedPointer<ProductDataUtil> mCatalogue;
    QScopedPointer<UsbCommunicateUtil> mEngine;
    QScopedPointer<KeyboardConfigUtil> mModel;
    bool mTerminal = false;
    int mLastPrinted = -1;
    class QEventLoop* mLoop = nullptr;
};
