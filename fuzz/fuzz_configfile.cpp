// Configuration files (.aaa) from another person: decryption, the SQLite
// reading and the import's planning, run by the real import against the
// model of a synced simulated keyboard. The first input byte picks the form:
// even, the rest is the plain database (encrypted here, so that the fuzzer
// reaches the tables); odd, the rest is the file as it lies on disk.
//
// The import's engine writes to a device that never answers: a file the
// import accepts sends exactly its first command and nothing more happens.
// Checks: a refused file sends no frame and ends with a reading-phase code;
// the model never changes; no working copy is left in the temporary folder;
// an accepted file holds the keyboard's own key sets, no more advanced-key
// slots than the keyboard and at most 255 events per macro.

#include <QDir>
#include <QEventLoop>
#include <QScopedPointer>
#include <QTimer>

#include "fuzz/fuzzhidbackend.h"
#include "fuzz/fuzzsupport.h"
#include "link/usbprotocol.h"
#include "model/configfileformat.h"
#include "jobs/importconfigutil.h"
#include "support/configfilerig.h"

namespace {

using Format = ConfigFileFormat;

struct Fixture {
    testsupport::KeyboardRig rig;
    bool ready = false;
    QString before;
};

// What the import must leave alone: the model's whole configuration.
QString modelText(const KeyboardConfigUtil& m) {
    const Format::Content c = Format::Content::fromModel(m);
    QString out = c.configName + QString::number(m.keyboardConfigIndex);
    for (const KeyBindingMap& map : c.keyMaps)
        for (const KeyBindingPtr& b : map)
            out += QStringLiteral("%1:%2:%3:%4,")
                       .arg(b->keyItem)
                       .arg(b->type)
                       .arg(b->hValue)
                       .arg(b->lValue);
    for (const TriggerSettingPtr& t : c.triggers)
        out += QStringLiteral("%1/%2,").arg(t->keyItem).arg(t->trigger);
    for (const MacroEventList& events : c.macros) out += QStringLiteral("m%1").arg(events.size());
    out += QStringLiteral("h%1").arg(c.highKeys.size());
    return out;
}

Fixture& fixture() {
    static Fixture* f = [] {
        auto* made = new Fixture;
        made->ready = made->rig.openSyncAndLoad();
        if (made->ready) made->before = modelText(*made->rig.model);
        return made;
    }();
    return *f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    Fixture& f = fixture();
    FuzzSupport::require(f.ready, "the simulated keyboard did not sync");
    if (size < 1) return 0;
    const QByteArray body(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    const QByteArray file = data[0] & 1 ? body : Format::encrypt(body);
    const QString path = FuzzSupport::scratch() + QStringLiteral("/input.aaa");
    FuzzSupport::require(FuzzSupport::save(path, file), "cannot write the input file");

    KeyboardConfigUtil& model = *f.rig.model;
    FuzzHidBackend hid(128);
    UsbCommunicateUtil engine(nullptr, &hid);
    engine.openCommunicate(0);
    bool refused = false;
    int code = 0;
    {
        ImportConfigUtil job(&engine, &model, path);
        QEventLoop loop;
        QObject::connect(&job, &ImportConfigUtil::import_config_result, &loop,
                         [&](bool status, int value) {
                             FuzzSupport::require(status ? value >= 0 && value < 100 : value < 0,
                                                  "result outside its range");
                             if (!status) {
                                 refused = true;
                                 code = value;
                                 loop.quit();
                             }
                         });
        // The first command goes out from the event loop once the file is read.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!hid.written().isEmpty()) loop.quit();
        });
        poll.start(1);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
        FuzzSupport::require(refused || !hid.written().isEmpty(),
                             "the import neither refused nor sent");
        if (refused) {
            FuzzSupport::require(hid.written().isEmpty(), "a refused file sent a frame");
            FuzzSupport::require(
                code <= ImportConfigUtil::ErrorOpen && code >= ImportConfigUtil::ErrorHighKeySlots,
                "refused with a code that is no reading-phase code");
        } else {
            const QByteArray first = hid.written().first();
            FuzzSupport::require(uchar(first.at(2)) == UsbProtocol::SetConfigInfo &&
                                     uchar(first.at(7)) == model.keyboardConfigIndex,
                                 "the push did not start by renaming the active table");
            const Format::Content& c = job.content();
            FuzzSupport::require(c.customLights.keys() == model.keyboardCustomLightMap.keys() &&
                                     c.keyMaps[0].keys() == model.keyboardFnMap.keys() &&
                                     c.keyMaps[1].keys() == model.keyboardFn1Map.keys() &&
                                     c.triggers.keys() == model.keyboardTriggerMap.keys(),
                                 "accepted a file with other keys than the keyboard's");
            FuzzSupport::require(c.highKeys.size() <= model.keyboardHighKeyList.size(),
                                 "accepted more advanced-key slots than the keyboard has");
            for (const MacroEventList& events : c.macros)
                FuzzSupport::require(events.size() <= Format::MaxItems,
                                     "a macro beyond 255 events");
            FuzzSupport::require(c.productInfo.serialNumber == model.keyboardProduct->serialNumber,
                                 "accepted a file of another product");
        }
    }
    engine.closeCommunicate();
    FuzzSupport::processEvents();
    FuzzSupport::require(modelText(model) == f.before, "the import changed the model");
    FuzzSupport::require(
        QDir::temp().entryList({QStringLiteral("data_*.db3")}, QDir::Files).isEmpty(),
        "a working copy was left behind");
    return 0;
}
