#pragma once
// Starting the program anew (after a theme change). The running copy first
// gives up what makes it "the" copy, the single-instance segment and the
// hand-over server, so that the new copy becomes the first one instead of
// handing over to this one while it quits.

#include <QString>
#include <functional>

class Restarter {
public:
    // What the running program does to give up being the single instance;
    // set by the start-up code, cleared with an empty function.
    static void setReleaseHook(std::function<void()> release);
    // Releases, starts a detached copy with this copy's arguments and asks
    // the event loop to quit. False (and nothing quits) when the new copy
    // could not be started.
    static bool restart();
    // Environment variables a new copy must not inherit (one-shot test
    // actions).
    static inline const QString kOneShotVariable = QStringLiteral("ZENTARO_TEST_ACTION");
};
