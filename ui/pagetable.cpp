#include "ui/pagetable.h"

#include <QStackedWidget>

#include "ui/device/devicemanageform.h"
#include "ui/pages/align/alignsetform.h"
#include "ui/pages/firmware/firewaremanageform.h"
#include "ui/pages/highkey/highkeyform.h"
#include "ui/pages/key/keysetform.h"
#include "ui/pages/light/lightsetform.h"
#include "ui/pages/macro/macrosetform.h"
#include "ui/pages/other/othersetform.h"
#include "ui/pages/performance/performancesetform.h"
#include "ui/pages/system/systemsetform.h"

PageTable::PageTable(QStackedWidget* stack, QObject* parent)
    : QObject(parent), mStack(stack), mPages(PageCount, nullptr) {
    for (int index = 0; index < PageCount; ++index) mStack->insertWidget(index, new QWidget);
    mIdle.setInterval(0);
    connect(&mIdle, &QTimer::timeout, this, &PageTable::buildNext);
}

PageTable::~PageTable() = default;

// The one list of pages: each PageIndex and how its page is made.
BasePage* PageTable::create(int index) {
    switch (index) {
        case PageDevice:
            return new DeviceManageForm(mStack);
        case PageFireware:
            return new FirewareManageForm(mStack);
        case PageSystem: {
            auto* system = new SystemSetForm(mStack);
            connect(system, &SystemSetForm::firewarePageUnlocked, this,
                    &PageTable::firewarePageUnlocked);
            return system;
        }
        case PageKey:
            return new KeySetForm(mStack);
        case PageLight:
            return new LightSetForm(mStack);
        case PageHighKey:
            return new HighKeyForm(mStack);
        case PageMacro:
            return new MacroSetForm(mStack);
        case PagePerformance:
            return new PerformanceSetForm(mStack);
        case PageAlign:
            return new AlignSetForm(mStack);
        case PageOther:
            return new OtherSetForm(mStack);
        default:
            return nullptr;
    }
}

BasePage* PageTable::page(int index) {
    if (index < 0 || index >= PageCount) return nullptr;
    if (BasePage* built = mPages[size_t(index)]) return built;
    BasePage* made = create(index);
    mPages[size_t(index)] = made;
    // Swapping a place that is not the current one changes no current index.
    QWidget* place = mStack->widget(index);
    const bool current = mStack->currentIndex() == index;
    const QSignalBlocker quiet(mStack);
    mStack->removeWidget(place);
    mStack->insertWidget(index, made);
    if (current) mStack->setCurrentIndex(index);
    delete place;
    emit pageBuilt(made);
    return made;
}

BasePage* PageTable::builtPage(int index) const {
    return index >= 0 && index < PageCount ? mPages[size_t(index)] : nullptr;
}

std::vector<BasePage*> PageTable::builtPages() const {
    std::vector<BasePage*> built;
    for (BasePage* p : mPages)
        if (p) built.push_back(p);
    return built;
}

void PageTable::buildRestWhenIdle() {
    mIdle.start();
}

void PageTable::buildNext() {
    for (int index = 0; index < PageCount; ++index) {
        if (!mPages[size_t(index)]) {
            page(index);
            return;
        }
    }
    mIdle.stop();
}
