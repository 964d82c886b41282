#include "support/gui/guisession.h"

// Complete before the page headers that hold pointers to it.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QTimer>

#include "services/hidwatcher.h"
#include "services/services.h"
#include "services/systemconfigutil.h"
#include "catalogue/productdatautil.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/device/devicemanageform.h"
#include "ui/mainwindow.h"
#include "ui/pageindex.h"
#include "ui/widgets/qcustomprogressdialog.h"

namespace {
// The sample catalogue the build generates next to the executables.
QString sampleCatalogue() {
    const QString fromEnv = qEnvironmentVariable("ZENTARO_BIN_DIR");
    const QStringList candidates = {
        fromEnv.isEmpty() ? QString() : fromEnv + QStringLiteral("/data/velmora.db3"),
        QCoreApplication::applicationDirPath() + QStringLiteral("/data/velmora.db3"),
        QCoreApplication::applicationDirPath() + QStringLiteral("/../../bin/data/velmora.db3"),
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/data/velmora.db3"),
    };
    for (const QString& path : candidates)
        if (QFile::exists(path)) return path;
    return QString();
}
// Processes what is pending, then sleeps in the event dispatcher until
// something arrives or capMs pass. Polling without sleeping would spin a
// core against the simulated keyboard's receive thread.
void processEventsOrWait(qint64 capMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (capMs <= 0) return;
    // The guard wakes the dispatcher when nothing else does.
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(int(qMin<qint64>(capMs, 20)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
}  // namespace

GuiSession::GuiSession() : GuiSession(Options()) {}

GuiSession::GuiSession(const Options& options) : mOptions(options) {}

GuiSession::~GuiSession() {
    stop();
}

QString GuiSession::stateFile() const {
    return mDir.filePath(QStringLiteral("simulated-keyboard.json"));
}

bool GuiSession::start() {
    if (!mDir.isValid()) return false;
    // Each session is a fresh program: no page has been unlocked or visited.
    DeviceManageForm::setFirmwareMode(false);
    MainWindow::setFirewarePageUnlocked(false);
    mPreviousDir = QDir::currentPath();
    // data/config.ini and app-relative files land in the session's folder.
    QDir::setCurrent(mDir.path());
    QDir().mkpath(QStringLiteral("data"));
    // Backups made around firmware updates stay in the session's folder
    // unless the test chose a folder of its own.
    if (!qEnvironmentVariableIsSet("ZENTARO_BACKUP_FOLDER")) {
        qputenv("ZENTARO_BACKUP_FOLDER", mDir.filePath(QStringLiteral("backups")).toUtf8());
        mSetBackupFolder = true;
    }
    const QString catalogue = sampleCatalogue();
    if (!catalogue.isEmpty())
        QFile::copy(catalogue, mDir.filePath(QStringLiteral("data/velmora.db3")));
    {
        QSettings settings(SystemConfigUtil::kConfigFile, QSettings::IniFormat);
        settings.setValue(QStringLiteral("System/Theme"), mOptions.theme);
        settings.setValue(QStringLiteral("System/Language"), mOptions.language);
        // A fresh catalogue needs no check at every start.
        settings.setValue(QStringLiteral("System/CheckApp"),
                          QDate::currentDate().toString(Qt::ISODate));
    }

    mSim = std::make_unique<SimHidBackend>();
    mSim->setLatencyMs(mOptions.latencyMs);
    mSim->setStateFile(stateFile());
    HidBackend::setCurrent(mSim.get());

    Services::Options services;
    services.catalogueFolder = mDir.filePath(QStringLiteral("data"));
    services.simulated = mSim.get();
    services.simulatedProduct = mOptions.product;
    mServices = std::make_unique<Services>(services);

    if (mOptions.styleSheet) {
        QFile sheet(SystemConfigUtil::styleSheetPath(mOptions.theme));
        if (sheet.open(QIODevice::ReadOnly))
            qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    }

    mWindow = std::make_unique<MainWindow>();
    mWindow->hidWatcher()->watch(mSim.get());
    mWindow->resize(mOptions.size);
    mWindow->show();
    settle(0);
    return true;
}

bool GuiSession::reachKeyPage(int timeoutMs) {
    if (!mWindow) return false;
    // The device page opens the keyboard by itself (at start, or when it is
    // shown again), reads it and hands over to the key page.
    if (mWindow->currentPageIndex() != PageDevice && mWindow->currentPageIndex() != PageKey)
        mWindow->showPage(PageDevice);
    return waitForPage(PageKey, timeoutMs);
}

void GuiSession::stop() {
    if (mWindow) {
        if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance()) engine->closeCommunicate();
        mWindow.reset();
    }
    mServices.reset();
    if (mSim) {
        HidBackend::setCurrent(nullptr);
        mSim.reset();
    }
    if (mSetBackupFolder) {
        qunsetenv("ZENTARO_BACKUP_FOLDER");
        mSetBackupFolder = false;
    }
    if (!mPreviousDir.isEmpty()) {
        QDir::setCurrent(mPreviousDir);
        mPreviousDir.clear();
    }
}

bool GuiSession::waitForPage(int index, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (mWindow && mWindow->currentPageIndex() != index && !deadline.hasExpired())
        processEventsOrWait(deadline.remainingTime());
    settle(0);
    return mWindow && mWindow->currentPageIndex() == index;
}

bool GuiSession::waitForEngineIdle(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    int lastWrites = -1;
    QDeadlineTimer quiet(100);
    while (!deadline.hasExpired()) {
        processEventsOrWait(qMin(deadline.remainingTime(), quiet.remainingTime()));
        const int writes = mSim ? mSim->writeCount() : 0;
        bool waiting = false;
        if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance()) {
            for (QTimer* timer : engine->findChildren<QTimer*>())
                waiting = waiting || timer->isActive();
        }
        if (mWindow && (mWindow->progressDialog() || mWindow->isListBlocked())) waiting = true;
        if (writes != lastWrites || waiting) {
            lastWrites = writes;
            quiet = QDeadlineTimer(100);
            continue;
        }
        if (quiet.hasExpired()) return true;
    }
    return false;
}

void GuiSession::settle(int ms) {
    QDeadlineTimer deadline(ms);
    do {
        processEventsOrWait(deadline.remainingTime());
    } while (!deadline.hasExpired());
}
