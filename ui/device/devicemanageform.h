#pragma once
// DeviceManageForm: page PageDevice of the main window.

#include "ui/pages/basepage.h"
#include <memory>

namespace Ui {
class DeviceManageForm;
}

class DeviceManageForm : public BasePage {
    Q_OBJECT
public:
    explicit DeviceManageForm(QWidget* parent = nullptr);
    ~DeviceManageForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::DeviceManageForm> ui;
};
