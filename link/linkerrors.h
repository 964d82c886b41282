#pragma once
// Error codes of opening and writing a link (USB or Bluetooth), as reported
// through the engine's error signal next to the protocol's own codes.

namespace LinkError {
// The keyboard could not be opened: no such device, or the open failed.
constexpr int OpenFailed = -200;
// Opened but not connected (no handle, or the socket is not up).
constexpr int NotConnected = -201;
// A frame could not be written.
constexpr int SendFailed = -202;
}  // namespace LinkError
