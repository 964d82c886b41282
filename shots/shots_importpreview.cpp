// The preview of a readable profile import: a friend's profile that differs
// from the keyboard in keys, lighting, performance and parameters.

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"
#include "model/profilejson.h"
#include "shotcontext.h"
#include "shotregistry.h"
#include "ui/importpreview/importpreviewdialog.h"
#include "ui/pageindex.h"

namespace {

Profile friendsProfile(const KeyboardConfigUtil& model) {
    Profile p = ProfileJson::fromModel(model);
    p.name = QStringLiteral("FPS");
    // Four keys of the base layer do something else: F13 to F16.
    int changed = 0;
    for (Profile::Binding& b : p.layers[0]) {
        if (changed == 4) break;
        if (b.type != KeyCatalogue::TypeKey || b.key.label.size() != 1) continue;
        b.lValue = quint8(0x68 + changed++);
        b.hValue = 0;
    }
    for (Profile::Effect& e : p.effects) {
        e.light = quint8(qMin(4, e.light + 1));
        e.r = 0xE0;
        e.g = 0x40;
        e.b = 0x40;
    }
    for (int i = 0; i < p.triggers.size() && i < 12; ++i) {
        p.triggers[i].trigger = 80;
        p.triggers[i].rapid = true;
    }
    p.params.sportsMode = !p.params.sportsMode;
    return p;
}

}  // namespace

ZENTARO_SHOT("dialog-import-preview", [](ShotContext& c) {
    c.showPage(PageKey);
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    if (!model) return;
    ImportPreviewDialog dialog(friendsProfile(*model), *model, c.window());
    dialog.show();
    c.settle(200);
    c.save(QStringLiteral("dialog-import-preview"), &dialog);
    dialog.reject();
    c.settle(50);
});
