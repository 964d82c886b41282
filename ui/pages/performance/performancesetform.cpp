#include "ui/pages/performance/performancesetform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_performancesetform.h"

PerformanceSetForm::PerformanceSetForm(QWidget* parent) : SettingPage(PagePerformance, UsbProtocol::SourcePerformance, parent), ui(std::make_unique<Ui::PerformanceSetForm>()) {
    ui->setupUi(content());
    logLine(QStringLiteral("性能设置页面初始化"));
}

PerformanceSetForm::~PerformanceSetForm() {
    logLine(QStringLiteral("性能设置页面销毁"));
}

void PerformanceSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
}
