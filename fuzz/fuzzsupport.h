#pragma once
// What every fuzz target shares: one Qt application object, quiet logging,
// a scratch folder the target may write into, and checks that end the run
// as a finding (libFuzzer keeps the input that broke one).

#include <QByteArray>
#include <QList>
#include <QString>

class FuzzSupport {
public:
    // Creates the application object on first use and drops the program's
    // log lines (every frame is logged; a fuzz run would drown in them).
    static void init();
    // Runs queued calls (engine errors, thread hand-overs) for up to `ms`.
    static void processEvents(int ms = 0);
    // A private folder for this process, created once and kept until exit.
    static QString scratch();
    // Empties `folder` without removing it.
    static void emptyFolder(const QString& folder);
    // Every file below `folder`, relative paths, sorted.
    static QList<QString> filesBelow(const QString& folder);
    // Saves `bytes` to `path` (atomically); false on failure.
    static bool save(const QString& path, const QByteArray& bytes);
    // Ends the run with `what` when `ok` is false: an invariant was broken.
    static void require(bool ok, const char* what);
};
