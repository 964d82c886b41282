#include "ui/pages/key/keysetform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_keysetform.h"

KeySetForm::KeySetForm(QWidget* parent) : SettingPage(PageKey, UsbProtocol::SourceKeySet, parent), ui(std::make_unique<Ui::KeySetForm>()) {
    ui->setupUi(content());
    logLine(QStringLiteral("按键设置页面初始化"));
}

KeySetForm::~KeySetForm() {
    logLine(QStringLiteral("按键设置页面销毁"));
}

void KeySetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
}
