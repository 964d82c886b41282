#pragma once
// The decisions of the Bluetooth link that need no radio: which discovered
// device is the keyboard, how a frame is cut for a GATT write, and how
// received bytes become frames.

#include <QBluetoothAddress>
#include <QBluetoothDeviceInfo>
#include <QByteArray>
#include <QList>
#include <QString>

#include "link/usbprotocol.h"

namespace BluetoothRules {

// Name prefix of the keyboard's Bluetooth name (case-sensitive).
inline const QString kKeyboardPrefix = QStringLiteral("QMX_");

// The keyboard: its name starts with the prefix and the operating system
// reports it connected (it must be paired and connected there first).
bool isKeyboard(const QBluetoothDeviceInfo& device, const QList<QBluetoothAddress>& connected);
// The first keyboard among `devices`, or an invalid record.
QBluetoothDeviceInfo chooseKeyboard(const QList<QBluetoothDeviceInfo>& devices,
                                    const QList<QBluetoothAddress>& connected);
// A keyboard that supports low energy is always driven over BLE.
bool prefersLowEnergy(const QBluetoothDeviceInfo& device);

// Bytes per GATT write for an ATT MTU: MTU - 3, at least 20.
int maxPayload(int mtu);
// The frame cut into consecutive writes of maxPayload(mtu) bytes.
QList<QByteArray> pieces(const QByteArray& frame, int mtu);

// A frame arrives in one or more notifications of at most MTU - 3 bytes.
// Joins them in `pending` (never more than frameLength bytes): a frame starts
// with a notification that begins with the tag and is whole once its header
// and its length bytes are in; the rest of that notification is padding.
// Ok: `out` holds the frame and `pending` is empty. Truncated: waiting for
// the next piece. BadTag: the notification starts no frame and is dropped.
// LengthTooLarge: the length byte exceeds frameLength - 6; dropped.
UsbProtocol::ParseResult joinNotification(QByteArray* pending, const QByteArray& value,
                                          int frameLength, UsbProtocol::Frame* out);

// A serial stream carries frames back to back, cut anywhere. Takes the next
// whole frame from the start of `buffer`: bytes before a tag (the previous
// frame's zero padding, or noise) are removed and returned in `skipped`.
// NeedMore (Truncated) leaves a started frame in the buffer; a frame whose
// length byte exceeds frameLength - 6 is removed and reported as
// LengthTooLarge; BadTag means the buffer held no tag at all.
UsbProtocol::ParseResult takeStreamFrame(QByteArray* buffer, int frameLength,
                                         UsbProtocol::Frame* out, QByteArray* skipped);

}  // namespace BluetoothRules
