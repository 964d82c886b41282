#include "ui/device/devicemanageform.h"

#include "link/usbprotocol.h"
#include "ui/pageindex.h"
#include "ui_devicemanageform.h"

DeviceManageForm::DeviceManageForm(QWidget* parent) : BasePage(0, parent), ui(std::make_unique<Ui::DeviceManageForm>()) {
    ui->setupUi(this);
    logLine(QStringLiteral("设备管理页面初始化"));
}

DeviceManageForm::~DeviceManageForm() {
    logLine(QStringLiteral("设备管理页面销毁"));
}

void DeviceManageForm::refreshLanguageUi() {
    BasePage::refreshLanguageUi();
    ui->retranslateUi(this);
}
