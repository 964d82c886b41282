// Readable profile files and share codes as other people pass them around.
// Input: the first byte chooses a profile file (even) or a share code (odd);
// the rest is the file or the code's text.
//
// Checks: a refused file or code says why; a code unpacks to no more than
// the file reader takes, and the code of what it carried carries it again;
// an accepted profile writes a file that reads back and writes the same bytes
// again (what the reader let through stays within the ranges it checks).

#include "fuzz/fuzzsupport.h"
#include "model/profilejson.h"
#include "model/sharecode.h"
#include "support/configfilerig.h"

namespace {
// Function names come from the catalogue of a synced keyboard.
bool catalogueReady() {
    static const bool ready = [] {
        auto* rig = new testsupport::KeyboardRig;  // kept for the whole run
        return rig->openSyncAndLoad();
    }();
    return ready;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSupport::init();
    FuzzSupport::require(catalogueReady(), "the simulated keyboard did not sync");
    if (size < 1) return 0;
    QByteArray file(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    if (data[0] & 1) {
        QByteArray carried;
        const ShareCode::Error why = ShareCode::decode(QString::fromUtf8(file), &carried);
        if (why != ShareCode::Ok) {
            FuzzSupport::require(!ShareCode::englishText(why).isEmpty(),
                                 "a code refused without saying why");
            return 0;
        }
        FuzzSupport::require(carried.size() <= ProfileJson::MaxBytes,
                             "a code unpacked beyond what the file reader takes");
        QByteArray again;
        FuzzSupport::require(
            ShareCode::decode(ShareCode::encode(carried), &again) == ShareCode::Ok &&
                again == carried,
            "a code of carried bytes does not carry them again");
        file = carried;
    }
    Profile profile;
    ProfileJson::Error error;
    if (!ProfileJson::read(file, &profile, &error)) {
        FuzzSupport::require(error.isError() && !error.englishText().isEmpty(),
                             "a file refused without saying why");
        return 0;
    }
    const QByteArray written = ProfileJson::write(profile);
    Profile back;
    ProfileJson::Error backError;
    FuzzSupport::require(ProfileJson::read(written, &back, &backError),
                         "a written profile does not read back");
    FuzzSupport::require(ProfileJson::write(back) == written,
                         "a profile changes on its way through a file");
    return 0;
}
