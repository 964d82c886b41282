#pragma once
// Start-up and shutdown of the GUI program: single instance, log file,
// services in their fixed order, translator, style sheet, main window and
// the event loop. app/main.cpp only calls run().

#include <QString>
#include <QStringList>

class Application {
public:
    struct Options {
        bool simulate = false;
        QString stateFile;  // empty: the default file in the data folder
        // --simulate-product=N: a new simulated keyboard starts as catalogue
        // product N (and keeps its own state file); 0: the default product.
        qint16 simulateProduct = 0;
        // --server=URL: the download server, over System/ServerUrl.
        QString server;
        // --simulate-control=PATH: a named pipe that takes fault lines for
        // the simulated keyboard (see SimControl); ignored without --simulate.
        QString controlPath;
    };

    // zentaro [--simulate[=STATE_FILE]] [--simulate-product=N] [--simulate-control=PATH]
    // [--server=URL]; other
    // arguments are left to Qt.
    static Options parseArguments(const QStringList& arguments);
    static QString defaultStateFile(qint16 product = 0);

    // The whole program; returns the event loop's exit code, or 0 after
    // handing over to a copy that already runs.
    static int run(int argc, char** argv);
};
