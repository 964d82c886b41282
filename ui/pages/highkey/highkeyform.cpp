#include "ui/pages/highkey/highkeyform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_highkeyform.h"

HighKeyForm::HighKeyForm(QWidget* parent) : SettingPage(PageHighKey, UsbProtocol::SourceHighKey, parent), ui(std::make_unique<Ui::HighKeyForm>()) {
    ui->setupUi(content());
    logLine(QStringLiteral("高级键管理页面初始化"));
}

HighKeyForm::~HighKeyForm() {
    logLine(QStringLiteral("高级键管理页面销毁"));
}

void HighKeyForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
}
