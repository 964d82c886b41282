#include "ui/pages/align/alignsetform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_alignsetform.h"

AlignSetForm::AlignSetForm(QWidget* parent) : SettingPage(PageAlign, UsbProtocol::SourceAlign, parent), ui(std::make_unique<Ui::AlignSetForm>()) {
    ui->setupUi(content());
    logLine(QStringLiteral("校准设置页面初始化"));
}

AlignSetForm::~AlignSetForm() {
    logLine(QStringLiteral("校准设置页面销毁"));
}

void AlignSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
}
