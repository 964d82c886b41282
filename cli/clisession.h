#pragma once
// What every zentaro-cli command needs: the HID backend (hidapi or the
// simulated keyboard), the catalogue, the command engine and the model, plus
// blocking helpers that run the event loop until a job ends.

#include <QObject>
#include <QScopedPointer>
#include <QString>
#include <functional>

#include "protocol/usbcommunicateutil.h"

class KeyboardConfigUtil;
class ProductDataUtil;
class SimControl;
class SimHidBackend;
class UsbCommunicateUtil;

struct CliOptions {
    bool simulate = false;
    QString stateFile;
    int channel = 0;         // 0: both vendor interfaces, else 128 or 64
    bool unplugged = false;  // the simulated keyboard is not plugged in
    QString controlPath;     // a named pipe of fault lines for the simulated keyboard
    QString serverUrl;       // --server=URL: the download server for this run
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
    // open(), a whole sync and loadProduct(): what a command that changes one
    // thing needs to know first.
    bool readKeyboard();

    const CliOptions& options() const { return mOptions; }

    // Sends one command (`send`) on behalf of `source` and waits for the last
    // frame of its answer `answer`, or for an engine error. Commands sent
    // without the engine's own retries get `ownTimeoutMs` (error -2 after
    // it). `frame` sees every answer frame (progress). 0 on success, else
    // the error code.
    template <typename Signal>
    int exchange(uchar source, Signal answer, const std::function<void()>& send,
                 int ownTimeoutMs = 0, const std::function<void(int, int)>& frame = {});

    UsbCommunicateUtil& engine() { return *mEngine; }
    KeyboardConfigUtil& model() { return *mModel; }
    ProductDataUtil& catalogue() { return *mCatalogue; }
    SimHidBackend* simulator() { return mSim.data(); }

    // Progress on stderr: a bar on a terminal, else one line per ten percent.
    void progress(const QString& what, int value);
    void endProgress();
    // Prints "zentaro-cli: <what>" on stderr and returns the exit code 1.
    int fail(const QString& what);
    // "zentaro-cli: <what>: <the cause in words> (error <code>)"; exit code 1.
    int fail(const QString& what, int code);
    // Input refused before anything was sent: the line, then exit code 2.
    int refuse(const QString& why);
    // What changed, on stdout.
    void say(const QString& line);
    // Runs the event loop until `done` is set (and wake() called) or
    // `timeoutMs` pass.
    bool waitUntil(const bool& done, int timeoutMs);
    void wake();

private:
    CliOptions mOptions;
    QScopedPointer<SimHidBackend> mSim;
    QScopedPointer<SimControl> mControl;
    QScopedPointer<ProductDataUtil> mCatalogue;
    QScopedPointer<UsbCommunicateUtil> mEngine;
    QScopedPointer<KeyboardConfigUtil> mModel;
    bool mTerminal = false;
    int mLastPrinted = -1;
    class QEventLoop* mLoop = nullptr;
};

template <typename Signal>
int CliSession::exchange(uchar source, Signal answer, const std::function<void()>& send,
                         int ownTimeoutMs, const std::function<void(int, int)>& frame) {
    bool done = false;
    int code = 0;
    const QMetaObject::Connection answered =
        connect(mEngine.data(), answer, this, [&](uchar from, int current, int total) {
            if (from != source || done) return;
            if (frame) frame(current, total);
            if (current < total) return;
            done = true;
            wake();
        });
    const QMetaObject::Connection failed =
        connect(mEngine.data(), &UsbCommunicateUtil::usb_communicate_error, this,
                [&](uchar from, uchar, int error) {
                    if ((from != source && from != 0) || done) return;
                    done = true;
                    code = error;
                    wake();
                });
    send();
    // The engine gives up after three sends of one second each; the guard
    // only catches an answer that never comes when it does not retry.
    if (!waitUntil(done, ownTimeoutMs > 0 ? ownTimeoutMs : 120000)) code = -2;
    disconnect(answered);
    disconnect(failed);
    return code;
}
