#include "ui/widgets/navigationbar.h"

#include <QPushButton>

#include "ui/pageindex.h"
#include "ui_navigationbar.h"

NavigationBar::NavigationBar(int current, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::NavigationBar>()), mCurrent(current) {
    ui->setupUi(this);
    for (int index = PageKey; index <= PageOther; ++index) {
        QPushButton* b = button(index);
        b->setChecked(index == mCurrent);
        connect(b, &QPushButton::clicked, this, [this, b, index] {
            // The own page's button stays checked and does nothing.
            b->setChecked(index == mCurrent);
            if (index != mCurrent) emit navigateRequested(index);
        });
    }
}

NavigationBar::~NavigationBar() = default;

QPushButton* NavigationBar::button(int index) const {
    switch (index) {
    case PageKey: return ui->keyButton;
    case PageLight: return ui->lightButton;
    case PageHighKey: return ui->highKeyButton;
    case PageMacro: return ui->macroButton;
    case PagePerformance: return ui->performaceButton;
    case PageAlign: return ui->alignButton;
    case PageOther: return ui->otherButton;
    default: return nullptr;
    }
}

void NavigationBar::refreshLanguageUi() {
    ui->retranslateUi(this);
}
