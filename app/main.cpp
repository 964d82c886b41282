#include <cstdio>
#include <cstring>

#include "app/application.h"
#include "zentaroversion.h"

namespace {
// Answered before anything touches the window system, so that both work
// without a display: the build makes the manual page from them.
const char kHelp[] =
    "usage: zentaro [OPTION]...\n"
    "\n"
    "Configures magnetic-switch (Hall-effect) gaming keyboards: key map, lighting,\n"
    "advanced keys, macros, actuation and rapid trigger, calibration, profiles and\n"
    "firmware. One copy runs per user; a second start brings the first to the front.\n"
    "\n"
    "options:\n"
    "  --simulate[=STATE_FILE]   use the built-in simulated keyboard instead of a\n"
    "                            real one; it keeps its flash in STATE_FILE\n"
    "                            (default: simulated-keyboard.json in the data folder)\n"
    "  --simulate-product=N      like --simulate, and a new simulated keyboard starts\n"
    "                            as catalogue product N\n"
    "  --simulate-control=PIPE   with --simulate: read fault commands (unplug, plug,\n"
    "                            silent on|off, ...) from the named pipe PIPE\n"
    "  --server=URL              download server for updates, catalogue and pictures\n"
    "                            (instead of System/ServerUrl in data/config.ini)\n"
    "  --help                    print this help and exit\n"
    "  --version                 print the version and exit\n";
}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zentaro %s\n", kZentaroVersion);
            return 0;
        }
    }
    return Application::run(argc, argv);
}
