// Views of the device page: the open-device tile with no keyboard attached,
// and the line that explains a keyboard this user may not open.
#include "shots/shotcontext.h"
#include "shots/shotregistry.h"
#include "ui/device/devicemanageform.h"
#include "ui/pageindex.h"

ZENTARO_SHOT("device", [](ShotContext& c) {
    c.sim().unplug();
    c.settle(400);
    c.showPage(PageDevice);
    c.settle(300);
    c.save("device");

    // Attached again, but without the udev rule.
    c.sim().setDenyOpen(true);
    c.sim().plug();
    c.settle(800);
    c.save("device-permission");

    // Back on the road to the key page, as the next views expect.
    c.sim().setDenyOpen(false);
    if (auto* device = qobject_cast<DeviceManageForm*>(c.window()->page(PageDevice)))
        device->grid_Layout_Clicked(0, 0, 0);
    c.session().waitForPage(PageKey, 20000);
    c.settle(300);
});
