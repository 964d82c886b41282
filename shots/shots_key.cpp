// Views of the key page: the Fn layer with each of the other picker tabs, a
// selected key with its prompt, and the picker's search. ("key", layer 0
// with tab 0, is the window's own view.)
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"
#include "services/customtooltip.h"
#include "shots/shotcontext.h"
#include "shots/shotregistry.h"
#include "ui/pageindex.h"
#include "ui/pages/key/keysetform.h"
#include "ui/widgets/qkeykeyboardwidget.h"

namespace {
KeySetForm* keyPage(ShotContext& c) {
    return qobject_cast<KeySetForm*>(c.window()->page(PageKey));
}

void clickButton(KeySetForm* page, const char* name) {
    if (auto* button = page->findChild<QPushButton*>(QLatin1String(name))) button->click();
}

// Key number of the factory layer-0 binding of a keyboard usage.
quint8 keyOf(quint8 usage) {
    const KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    if (m)
        for (const DefaultKeyPtr& d : m->keyboardDefaultList)
            if (d->type == KeyCatalogue::TypeKey && d->lValue == usage) return d->keyItem;
    return 255;
}
}  // namespace

ZENTARO_SHOT("key-fn", [](ShotContext& c) {
    c.showPage(PageKey);
    KeySetForm* page = keyPage(c);
    if (!page) return;
    clickButton(page, "fn1LayerButton");
    const struct {
        const char* button;
        const char* name;
    } tabs[] = {{"systemBtn", "key-fn-system"},
                {"macroBtn", "key-fn-macro"},
                {"lightBtn", "key-fn-light"},
                {"extendBtn", "key-fn-extend"}};
    for (const auto& tab : tabs) {
        clickButton(page, tab.button);
        c.settle();
        c.save(QLatin1String(tab.name));
    }
    clickButton(page, "normalLayerButton");
    c.settle();
});

ZENTARO_SHOT("key-selected", [](ShotContext& c) {
    c.showPage(PageKey);
    KeySetForm* page = keyPage(c);
    if (!page || !page->picture()) return;
    page->picture()->selectKey(keyOf(0x1A));  // W
    c.settle(300);
    c.save("key-selected");
    if (CustomToolTip* tip = CustomToolTip::instance(); tip && tip->isVisible())
        c.save("key-selected-prompt", tip);

    // Searching while the key waits for its function.
    if (auto* search = page->findChild<QLineEdit*>(QStringLiteral("searchEdit"))) {
        search->setText(QStringLiteral("vol"));
        c.settle();
        c.save("key-search");
        search->clear();
    }
    page->picture()->clearSelection();
    c.settle();
});

ZENTARO_SHOT("key-focus", [](ShotContext& c) {
    // The keyboard's focus ring: on the W key of the picture, and on a page
    // tab after Shift+Tab would reach it.
    c.showPage(PageKey);
    KeySetForm* page = keyPage(c);
    if (!page || !page->picture()) return;
    c.window()->activateWindow();
    page->picture()->setFocus(Qt::TabFocusReason);
    page->picture()->setFocusKey(keyOf(0x1A));
    c.settle();
    c.save(QStringLiteral("key-focus"));
});
