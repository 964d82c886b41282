#pragma once
// HighKeyForm: page PageHighKey of the main window.

#include "ui/pages/settingpage.h"
#include <memory>

namespace Ui {
class HighKeyForm;
}

class HighKeyForm : public SettingPage {
    Q_OBJECT
public:
    explicit HighKeyForm(QWidget* parent = nullptr);
    ~HighKeyForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::HighKeyForm> ui;
};
