#include "cli/clisession.h"

#include <unistd.h>

#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "catalogue/productdatautil.h"
#include "cli/clierrors.h"
#include "link/hidbackend.h"
#include "model/keyboardconfigutil.h"
#include "jobs/syncconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simcatalogueseed.h"
#include "sim/simcontrol.h"
#include "sim/simhidbackend.h"

CliSession::CliSession(const CliOptions& options, QObject* parent)
    : QObject(parent), mOptions(options), mTerminal(isatty(STDERR_FILENO)) {
    mCatalogue.reset(new ProductDataUtil);
    if (options.simulate) {
        mSim.reset(new SimHidBackend);
        if (options.channel == 64) mSim->setInterfaces(SimHidBackend::Interfaces::Only64);
        if (options.unplugged) mSim->unplug();
        mSim->setStateFile(options.stateFile);
        // A new simulated keyboard starts as the catalogue's 75 % board.
        if (!mSim->loadedFromFile()) SimCatalogueSeed::apply(*mSim, *mCatalogue);
        HidBackend::setCurrent(mSim.data());
        if (!options.controlPath.isEmpty()) {
            mControl.reset(new SimControl(mSim.data()));
            QString why;
            if (!mControl->listen(options.controlPath, &why)) {
                std::fprintf(stderr, "zentaro-cli: %s\n", qPrintable(why));
                mControl.reset();
            }
        }
    }
    mEngine.reset(new UsbCommunicateUtil(nullptr, mSim.data()));
    // The terminal speaks English: ask for the effect names in English.
    mEngine->setEffectiveLanguage(2);
    mModel.reset(new KeyboardConfigUtil(mCatalogue.data()));
}

CliSession::~CliSession() {
    mEngine->closeCommunicate();
    mModel.reset();
    mEngine.reset();
    mControl.reset();
    HidBackend::setCurrent(nullptr);
}

bool CliSession::open() {
    int error = 0;
    const QMetaObject::Connection c =
        connect(mEngine.data(), &UsbCommunicateUtil::usb_communicate_error, this,
                [&](uchar, uchar, int e) { error = e; });
    mEngine->openCommunicate(0);
    disconnect(c);
    if (!mEngine->isConnected()) {
        fail(QStringLiteral("cannot open the keyboard"), error ? error : -200);
        return false;
    }
    mEngine->communicateDevice();
    return true;
}

bool CliSession::sync(int scope) {
    bool done = false;
    bool ok = false;
    int code = 0;
    SyncConfigUtil job(mEngine.data(), mModel.data(), 1, uchar(scope), 0, QString());
    connect(&job, &SyncConfigUtil::sync_config_result, this, [&](bool status, int value) {
        if (!status) {
            done = true;
            code = value;
            wake();
        } else if (value == 100) {
            done = ok = true;
            wake();
        } else if (mTerminal) {
            // Scripts read the reading of the keyboard from the exit code.
            progress(QStringLiteral("sync"), value);
        }
    });
    // The engine gives up on a silent keyboard after 3 s per step; the
    // guard only catches what should never happen.
    if (!waitUntil(done, 120000)) code = -2;
    endProgress();
    if (!ok) fail(QStringLiteral("cannot read the keyboard's configuration"), code);
    return ok;
}

bool CliSession::loadProduct() {
    const qint16 serial = mModel->keyboardProductInfo->serialNumber;
    if (mModel->loadProduct(serial)) return true;
    fail(QStringLiteral("product %1 is not in the catalogue %2")
             .arg(serial)
             .arg(mCatalogue->databasePath()));
    return false;
}

bool CliSession::readKeyboard() {
    return open() && sync(0) && loadProduct();
}

void CliSession::progress(const QString& what, int value) {
    if (mTerminal) {
        const int width = 30;
        const int filled = value * width / 100;
        std::fprintf(stderr, "\r%s [%s%s] %3d%%", qPrintable(what),
                     QByteArray(filled, '#').constData(),
                     QByteArray(width - filled, '.').constData(), value);
        std::fflush(stderr);
        mLastPrinted = value;
        return;
    }
    if (value / 10 == mLastPrinted / 10) return;
    mLastPrinted = value;
    std::fprintf(stderr, "%s: %d%%\n", qPrintable(what), value);
}

void CliSession::endProgress() {
    if (mTerminal && mLastPrinted >= 0) std::fprintf(stderr, "\n");
    mLastPrinted = -1;
}

int CliSession::fail(const QString& what) {
    endProgress();
    std::fprintf(stderr, "zentaro-cli: %s\n", qPrintable(what));
    return 1;
}

int CliSession::fail(const QString& what, int code) {
    return fail(QStringLiteral("%1: %2 (error %3)").arg(what, CliErrors::engine(code)).arg(code));
}

int CliSession::refuse(const QString& why) {
    fail(why);
    return 2;
}

void CliSession::say(const QString& line) {
    endProgress();
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

bool CliSession::waitUntil(const bool& done, int timeoutMs) {
    if (done) return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    mLoop = &loop;
    loop.exec();
    mLoop = nullptr;
    return done;
}

void CliSession::wake() {
    if (mLoop) mLoop->quit();
}
