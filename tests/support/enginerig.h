#pragma once
// Command engines opened on a test keyboard: the simulated one (answers as
// the keyboard does) or the scripted fake (checks exact bytes). Both run the
// receive thread, like the application.

#include <QByteArray>
#include <QList>
#include <QScopedPointer>
#include <QString>

#include "protocol/usbcommunicateutil.h"
#include "sim/scriptedhidbackend.h"
#include "sim/simhidbackend.h"

namespace testsupport {

// Adds the column "channel" with rows for 128- and 64-byte frames.
void channelRows();

struct SimRig {
    explicit SimRig(int channel);
    ~SimRig();
    SimProfile& profile() { return *sim.keyboard().state().activeProfile(); }
    SimHidBackend sim;
    QScopedPointer<UsbCommunicateUtil> engine;
    bool ok = false;
};

struct ScriptRig {
    explicit ScriptRig(int channel);
    ~ScriptRig();
    // One frame of this channel's size, as the keyboard sends it.
    QByteArray frame(uchar order, uchar index, uchar total, const QByteArray& payload) const;
    // Expect this request frame (report ID added); answer with these frames.
    void expect(uchar order, uchar index, uchar total, const QByteArray& payload,
                const QList<QByteArray>& answers = {});
    // Empty when every write matched the script and the script was used up.
    QString problems() const;
    int channel;
    ScriptedHidBackend hid;
    QScopedPointer<UsbCommunicateUtil> engine;
    bool ok = false;
};

}  // namespace testsupport
