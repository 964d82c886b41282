// Views of the advanced keys page: every kind's tab with its records, and
// each kind's dialog for a new and for an existing record.
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include "model/keyboardconfigutil.h"
#include "shots/shotcontext.h"
#include "shots/shotregistry.h"
#include "sim/simkeyboard.h"
#include "ui/pageindex.h"
#include "ui/pages/highkey/highkeyform.h"
#include "ui/pages/highkey/qdksadddialog.h"
#include "ui/pages/highkey/qdkslabel.h"
#include "ui/pages/highkey/qhighkeydialog.h"
#include "ui/widgets/qhighkeyboardwidget.h"
#include "ui/widgets/qrsokeyboardwidget.h"

namespace {

const char* const kKindNames[] = {"tgl", "mt", "dks", "rs", "oks", "socd"};

HighKeyForm* highKeyPage(ShotContext& c) {
    return qobject_cast<HighKeyForm*>(c.window()->page(PageHighKey));
}

// Key number whose factory binding is the keyboard usage.
quint8 keyOf(ShotContext& c, quint8 usage) {
    const QVector<SimKey>& factory = c.sim().keyboard().state().factoryLayers[0];
    for (int key = 0; key < factory.size(); ++key)
        if (factory[key].type == 1 && factory[key].lValue == usage) return quint8(key);
    return 255;
}

void press(QWidget* picture, quint8 key) {
    auto* keyboard = qobject_cast<QKeyboardWidget*>(picture);
    QLabel* label = keyboard ? keyboard->labelOf(key) : nullptr;
    if (label) QTest::mouseClick(picture, Qt::LeftButton, {}, label->geometry().center());
}

// Gives the keyboard one record of every kind (it has some already) and
// reads it again.
void seedRecords(ShotContext& c) {
    SimProfile& p = *c.sim().keyboard().state().activeProfile();
    auto put = [&p](int slot, quint8 kind, std::initializer_list<int> data) {
        QByteArray r(20, '\0');
        r[0] = char(slot);
        r[1] = char(kind);
        int i = 2;
        for (int d : data) r[i++] = char(d);
        p.highKeys[slot] = r;
        p.layers[0][quint8(r[2])] = {4, 0, quint8(slot)};
        if (kind >= 3) p.layers[0][quint8(r[3])] = {4, 0, quint8(slot)};
    };
    put(10, 0, {keyOf(c, 0x14), 1, 0x06, 0});                            // TGL on Q: C
    put(11, 1, {keyOf(c, 0x08), 0xFF, 200, 0, 1, 0, 0x29, 0, 0x01, 0});  // MT on E
    put(12, 2,
        {keyOf(c, 0x1A), 0x03, 1, 0x1A, 0, 0x0C, 1, 0x52, 0, 0, 0xFF, 0xFF, 0xFF, 0x08, 1, 0x2C,
         0});                                         // DKS on W
    put(13, 3, {keyOf(c, 0x04), keyOf(c, 0x07)});     // RS A/D
    put(14, 4, {keyOf(c, 0x16), keyOf(c, 0x1B)});     // OKS S/X
    put(15, 5, {keyOf(c, 0x0D), keyOf(c, 0x0F), 0});  // SOCD J/L
    c.showPage(PageDevice);
    c.session().reachKeyPage();
}

void tab(HighKeyForm* page, int kind) {
    switch (kind) {
        case 0:
            page->on_tglBtn_clicked();
            break;
        case 1:
            page->on_mtBtn_clicked();
            break;
        case 2:
            page->on_dksBtn_clicked();
            break;
        case 3:
            page->on_rsBtn_clicked();
            break;
        case 4:
            page->on_oksBtn_clicked();
            break;
        default:
            page->on_socdBtn_clicked();
            break;
    }
}

void saveDialog(ShotContext& c, HighKeyForm* page, const QString& name) {
    QHighKeyDialog* dialog = page->dialog();
    if (!dialog) return;
    dialog->adjustSize();
    c.settle(200);
    c.save(name, dialog);
    dialog->reject();
    c.settle(100);
}

}  // namespace

ZENTARO_SHOT("highkey", [](ShotContext& c) {
    seedRecords(c);
    c.showPage(PageHighKey);
    HighKeyForm* page = highKeyPage(c);
    if (!page) return;
    for (int kind = 0; kind < 6; ++kind) {
        tab(page, kind);
        c.settle(150);
        c.save(QStringLiteral("highkey-%1").arg(QLatin1String(kKindNames[kind])));
    }
});

ZENTARO_SHOT("highkey-dialogs", [](ShotContext& c) {
    c.showPage(PageHighKey);
    HighKeyForm* page = highKeyPage(c);
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    if (!page || !model) return;
    for (int kind = 0; kind < 6; ++kind) {
        const QString name = QStringLiteral("dialog-%1").arg(QLatin1String(kKindNames[kind]));
        tab(page, kind);
        c.settle(100);
        // A new record on a key that still does its factory job.
        if (page->selectedKey() != keyOf(c, 0x11)) press(page->picture(), keyOf(c, 0x11));  // N
        page->grid_Layout_Clicked(0, 255);
        if (QHighKeyDialog* d = page->dialog()) {
            if (d->pairPicture()) press(d->pairPicture(), keyOf(c, 0x10));  // M
            if (auto* dks = qobject_cast<QDksAddDialog*>(d)) {
                QTest::mouseClick(dks->cell(0, 0), Qt::LeftButton);
                d->input_keyboard_select(1, 0, 0x2C);
            } else if (!d->pairPicture()) {
                d->clickSlot(0);
            }
        }
        saveDialog(c, page, name + QStringLiteral("-new"));
        // The first record of the kind.
        for (const HighKeyPtr& slot : model->keyboardHighKeyList) {
            if (slot->item != 255 && slot->attribute == kind) {
                page->grid_Layout_Clicked(0, slot->item);
                saveDialog(c, page, name + QStringLiteral("-edit"));
                break;
            }
        }
    }
});
