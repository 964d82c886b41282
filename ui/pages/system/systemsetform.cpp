#include "ui/pages/system/systemsetform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_systemsetform.h"

SystemSetForm::SystemSetForm(QWidget* parent)
    : BasePage(0, parent), ui(std::make_unique<Ui::SystemSetForm>()) {
    ui->setupUi(this);
    logLine(QStringLiteral("系统设置页面初始化"));
}

SystemSetForm::~SystemSetForm() {
    logLine(QStringLiteral("系统设置页面销毁"));
}

void SystemSetForm::refreshLanguageUi() {
    BasePage::refreshLanguageUi();
    ui->retranslateUi(this);
}

void SystemSetForm::enter(int previousIndex) {
    mPreviousIndex = previousIndex;
    enter();
}
