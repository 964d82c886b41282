#pragma once
// The commands a frames fuzz input starts: one byte picks one of every
// public engine operation, the bytes before it its arguments (wait for the
// answer, an index or layer, a list of 0 to 511 items). Shared by the target
// and the seed maker, so that seeds start the commands the target starts.

#include <QtGlobal>

#include "fuzz/fuzzinput.h"

class UsbCommunicateUtil;

class FrameScript {
public:
    static constexpr int kCommands = 37;
    // Reads wait, argument, item count (two bytes) and the selector.
    static void startCommand(UsbCommunicateUtil& engine, FuzzInput& in, uchar source);
};
