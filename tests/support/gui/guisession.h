#pragma once
// The real program in this process, on a fresh simulated keyboard: its own
// temporary working folder (settings, catalogue copy, keyboard state), the
// services, and the main window without a single-instance server. Used by
// the GUI test base, zentaro-shots and zentaro-bench.

#include <QScopedPointer>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "sim/simcatalogueseed.h"
#include "sim/simhidbackend.h"

class MainWindow;
class Services;

class GuiSession {
public:
    struct Options {
        qint16 product = SimCatalogueSeed::kDefaultProduct;  // 0: the simulator's own state
        int latencyMs = 0;
        int theme = 0;     // written to the settings before the services start
        int language = 1;  // 0 follows the system; 1 Chinese, 2 English, 3 Vietnamese
        bool styleSheet = true;
        QSize size = QSize(1504, 939);
    };

    GuiSession();
    explicit GuiSession(const Options& options);
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

    // Builds everything and shows the window on the device page.
    bool start();
    // Walks the user's road from the device page (open, sync, catalogue
    // match) to the key page; true when the key page is shown.
    bool reachKeyPage(int timeoutMs = 20000);
    // Tears down in reverse order; the working folder goes with the session.
    void stop();

    MainWindow* window() const { return mWindow.get(); }
    Services* services() const { return mServices.get(); }
    SimHidBackend& sim() { return *mSim; }
    QString workDir() const { return mDir.path(); }
    QString stateFile() const;

    // No command in flight, no job running, nothing written for a moment.
    bool waitForEngineIdle(int timeoutMs = 5000);
    // Processes events until the page is shown.
    bool waitForPage(int index, int timeoutMs = 10000);
    // Processes events for the given time.
    static void settle(int ms);

private:
    Options mOptions;
    QTemporaryDir mDir;
    QString mPreviousDir;
    bool mSetBackupFolder = false;
    std::unique_ptr<SimHidBackend> mSim;
    std::unique_ptr<Services> mServices;
    std::unique_ptr<MainWindow> mWindow;
};
