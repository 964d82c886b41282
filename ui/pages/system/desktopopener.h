#pragma once
// Opens a file with the program the desktop associates with it. Tests
// answer the next call with setNextResult(): nothing is started, the call
// returns that result at once, and the file asked for is kept.

#include <QString>

class DesktopOpener {
public:
    // True when the desktop could start something for the file.
    static bool openFile(const QString& filePath);

    static void setNextResult(bool opened);
    // The file of the last call (opened or answered).
    static QString lastFile();
};
