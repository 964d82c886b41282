#include "ui/pages/light/lightsetform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_lightsetform.h"

LightSetForm::LightSetForm(QWidget* parent) : SettingPage(PageLight, UsbProtocol::SourceLightSet, parent), ui(std::make_unique<Ui::LightSetForm>()) {
    ui->setupUi(content());
    logLine(QStringLiteral("灯光设置页面初始化"));
}

LightSetForm::~LightSetForm() {
    logLine(QStringLiteral("灯光设置页面销毁"));
}

void LightSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
}
