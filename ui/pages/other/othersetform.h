#pragma once
// OtherSetForm: page PageOther of the main window.

#include "ui/pages/settingpage.h"
#include <memory>

namespace Ui {
class OtherSetForm;
}

class OtherSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit OtherSetForm(QWidget* parent = nullptr);
    ~OtherSetForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::OtherSetForm> ui;
};
