// Views of the main window: the key page as the road reaches it, and the
// system page.
#include "shots/shotcontext.h"
#include "shots/shotregistry.h"
#include "ui/pageindex.h"

ZENTARO_SHOT("key", [](ShotContext& c) {
    c.showPage(PageKey);
    c.settle(300);
    c.save("key");
});

ZENTARO_SHOT("system", [](ShotContext& c) {
    c.showPage(PageSystem);
    c.save("system");
});
