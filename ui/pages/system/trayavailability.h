#pragma once
// Whether closing the window may hide it in the system tray: only where the
// desktop shows a tray (GNOME without an extension shows none, and a hidden
// window could then only be reached by starting the program again).

class TrayAvailability {
public:
    static bool available();
    // Tests: -1 asks the desktop, 0 no tray, 1 a tray.
    static void setOverride(int value);
};
