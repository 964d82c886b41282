#pragma once
// Where each file of the program lives. Nothing else in the program builds a
// path from the executable's folder or the user's home.
//
// Two layouts:
// - run from the build folder (or any folder without installed data next to
//   it): settings and log relative to the current directory as started, and
//   every data file in <executable folder>/data, read and written alike;
// - installed (<prefix>/bin next to <prefix>/share/zentaro/data): the working
//   folder becomes $XDG_DATA_HOME/zentaro (default ~/.local/share/zentaro),
//   so data/config.ini and app.log land there; downloads and unpacked picture
//   packages go to its data/ folder, and the read-only installed data serves
//   whatever the user has not downloaded. The catalogue is the exception:
//   ProductDataUtil opens the newer of the two copies, so that a package
//   upgrade is not hidden by an older download.

#include <QString>

class AppPaths {
public:
    enum class Layout { BuildFolder, Installed };

    static Layout layout();
    static bool isInstalled() { return layout() == Layout::Installed; }

    // The folder that holds the executable. Tests place the program elsewhere;
    // an empty folder goes back to the executable's own.
    static QString applicationFolder();
    static void setApplicationFolder(const QString& folder);

    // $XDG_DATA_HOME/zentaro, or ~/.local/share/zentaro when the variable is
    // unset, empty or relative.
    static QString userFolder();

    // The folder settings and log are relative to: userFolder() for an
    // installed copy, the current directory otherwise.
    static QString workingFolder();
    // Installed copy: creates userFolder() and makes it the current
    // directory. Build folder: leaves the current directory alone. False when
    // the folder cannot be created or entered.
    static bool enterWorkingFolder();

    // Settings and log, as absolute paths under workingFolder().
    static QString configFile();
    static QString logFile();

    // Read-only data that comes with the program: sample catalogue, tip
    // files, compiled translations.
    static QString dataFolder();
    // Per-user data: the downloaded catalogue, unpacked picture packages,
    // the simulated keyboard's state. Not created here.
    static QString writableDataFolder();

    // A relative name under the data folders ("velmora.db3",
    // "languages/Zentaro_en_US.qm", a picture-package folder name). The
    // user's copy wins over the installed one; when neither exists, the
    // writable path (where a download would go). Empty for a name that is
    // absolute, empty or climbs out of the folder with "..".
    static QString readableDataFile(const QString& name);
    // Where a download or unpacked package of that name goes; empty for an
    // unsafe name as above.
    static QString writableDataFile(const QString& name);
    // True when the name stays inside the data folder.
    static bool isSafeDataName(const QString& name);
};
