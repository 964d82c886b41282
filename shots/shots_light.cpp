// Views of the lighting page: custom mode with coloured and selected keys,
// and an effect that has all four parameter rows.
#include <QLabel>
#include <QToolButton>

#include "model/keyboardconfigutil.h"
#include "shots/shotcontext.h"
#include "shots/shotregistry.h"
#include "ui/pageindex.h"
#include "ui/pages/light/lightsetform.h"
#include "ui/widgets/qlightkeyboardwidget.h"

namespace {

// Shows the page; a view run first may find the window still settling on the
// key page after the keyboard was read.
LightSetForm* lightPage(ShotContext& c) {
    if (!c.window()) return nullptr;
    for (int attempt = 0; attempt < 3 && c.window()->currentPageIndex() != PageLight; ++attempt)
        c.showPage(PageLight);
    return qobject_cast<LightSetForm*>(c.window()->page(PageLight));
}

void clickEffect(ShotContext& c, LightSetForm* page, int item) {
    if (QToolButton* button = page->effectButton(item)) button->click();
    c.session().waitForEngineIdle(5000);
}

// Gives the keys a colour through the page, as a user would.
void paint(ShotContext& c, LightSetForm* page, const QStringList& keys, const char* button) {
    QLightKeyboardWidget* picture = page->keyboardWidget();
    picture->setSelectedKeys(ShotContext::keysLabelled(picture, keys));
    if (auto* b = page->findChild<QAbstractButton*>(QLatin1String(button))) b->click();
    c.session().waitForEngineIdle(5000);
}

}  // namespace

ZENTARO_SHOT("light", [](ShotContext& c) {
    LightSetForm* page = lightPage(c);
    if (!page || !page->keyboardWidget()) return;
    clickEffect(c, page, LightSetForm::EffectCustom);
    const QStringList wasd = {QStringLiteral("W"), QStringLiteral("A"), QStringLiteral("S"),
                              QStringLiteral("D")};
    paint(c, page,
          {QStringLiteral("Q"), QStringLiteral("E"), QStringLiteral("R"), QStringLiteral("F"),
           QStringLiteral("Left Shift"), QStringLiteral("Space")},
          "hblueColorBtn");
    paint(c, page, wasd, "pinkColorBtn");
    page->keyboardWidget()->setSelectedKeys(
        ShotContext::keysLabelled(page->keyboardWidget(), wasd));
    c.settle(200);
    c.save(QStringLiteral("light"));
});

ZENTARO_SHOT("light-effect", [](ShotContext& c) {
    LightSetForm* page = lightPage(c);
    if (!page) return;
    // The first effect that shows brightness, speed, full colour and colour.
    int item = -1;
    if (const KeyboardConfigUtil* m = KeyboardConfigUtil::instance())
        for (const EffectLightPtr& e : m->keyboardEffectLightMap)
            if (e && (e->functionFlag & 0x0F) == 0x0F &&
                m->keyboardEffectNameMap.contains(e->item)) {
                item = e->item;
                break;
            }
    if (item < 0) return;
    clickEffect(c, page, item);
    c.settle(200);
    c.save(QStringLiteral("light-effect"));
});
