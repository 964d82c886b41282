#include "ui/pages/macro/macrosetform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_macrosetform.h"

MacroSetForm::MacroSetForm(QWidget* parent) : SettingPage(PageMacro, UsbProtocol::SourceMacroSet, parent), ui(std::make_unique<Ui::MacroSetForm>()) {
    ui->setupUi(content());
    logLine(QStringLiteral("宏设置页面初始化"));
}

MacroSetForm::~MacroSetForm() {
    logLine(QStringLiteral("宏设置页面销毁"));
}

void MacroSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
}
