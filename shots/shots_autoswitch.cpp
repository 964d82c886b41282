// The rules of the automatic profile switch: a program, a window class, a
// title, one rule whose profile the keyboard does not hold, and the answer
// to "which rule matches now".

#include "shotcontext.h"
#include "shotregistry.h"
#include "ui/autoswitch/autoswitchcontroller.h"
#include "ui/autoswitch/autoswitchdialog.h"
#include "ui/pageindex.h"

ZENTARO_SHOT("auto-switch", [](ShotContext& c) {
    c.showPage(PageSystem);
    AutoSwitchDialog dialog(AutoSwitchController::instance(), c.window());
    auto add = [&](AutoSwitchRule::Kind kind, const char* pattern, const char* profile,
                   bool focus) {
        AutoSwitchRule rule;
        rule.kind = kind;
        rule.pattern = QString::fromUtf8(pattern);
        rule.profile = QString::fromUtf8(profile);
        rule.focus = focus || kind != AutoSwitchRule::Process;
        dialog.addRule(rule);
    };
    add(AutoSwitchRule::Process, "cs2", "FPS", false);
    add(AutoSwitchRule::WindowClass, "Blender", "Typing", true);
    add(AutoSwitchRule::Title, "Figma", "Typing", true);
    add(AutoSwitchRule::Process, "krita", "Art", false);
    dialog.showMatch();
    dialog.show();
    c.settle(200);
    c.save(QStringLiteral("auto-switch"), &dialog);
    dialog.reject();
    c.settle(50);
});
