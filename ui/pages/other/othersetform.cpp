#include "ui/pages/other/othersetform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_othersetform.h"

OtherSetForm::OtherSetForm(QWidget* parent) : SettingPage(PageOther, UsbProtocol::SourceOther, parent), ui(std::make_unique<Ui::OtherSetForm>()) {
    ui->setupUi(content());
    logLine(QStringLiteral("其他设置页面初始化"));
}

OtherSetForm::~OtherSetForm() {
    logLine(QStringLiteral("其他设置页面销毁"));
}

void OtherSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
}
