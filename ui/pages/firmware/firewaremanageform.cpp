#include "ui/pages/firmware/firewaremanageform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_firewaremanageform.h"

FirewareManageForm::FirewareManageForm(QWidget* parent) : BasePage(0, parent), ui(std::make_unique<Ui::FirewareManageForm>()) {
    ui->setupUi(this);
    logLine(QStringLiteral("固件管理页面初始化"));
}

FirewareManageForm::~FirewareManageForm() {
    logLine(QStringLiteral("固件管理页面销毁"));
}

void FirewareManageForm::refreshLanguageUi() {
    BasePage::refreshLanguageUi();
    ui->retranslateUi(this);
}
