#include "ui/pages/settingpage.h"

#include <QVBoxLayout>

#include "ui/pageindex.h"
#include "ui/widgets/navigationbar.h"

SettingPage::SettingPage(int index, uchar source, QWidget* parent)
    : BasePage(source, parent), mIndex(index) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(12);
    mNavigationBar = new NavigationBar(index, this);
    mNavigationBar->setObjectName(QStringLiteral("navigationBar"));
    layout->addWidget(mNavigationBar);
    mContent = new QWidget(this);
    mContent->setObjectName(QStringLiteral("pageContent"));
    layout->addWidget(mContent, 1);
    connect(mNavigationBar, &NavigationBar::navigateRequested, this, &SettingPage::navigate);
}

SettingPage::~SettingPage() = default;

void SettingPage::refreshLanguageUi() {
    mNavigationBar->refreshLanguageUi();
}

void SettingPage::navigate(int index) {
    if (index != mIndex) emit navigateRequested(index);
}

void SettingPage::on_keyButton_clicked() { navigate(PageKey); }
void SettingPage::on_lightButton_clicked() { navigate(PageLight); }
void SettingPage::on_highKeyButton_clicked() { navigate(PageHighKey); }
void SettingPage::on_alignButton_clicked() { navigate(PageAlign); }
void SettingPage::on_macroButton_clicked() { navigate(PageMacro); }
void SettingPage::on_performaceButton_clicked() { navigate(PagePerformance); }
void SettingPage::on_otherButton_clicked() { navigate(PageOther); }
