#pragma once
// LightSetForm: page PageLight of the main window.

#include "ui/pages/settingpage.h"
#include <memory>

namespace Ui {
class LightSetForm;
}

class LightSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit LightSetForm(QWidget* parent = nullptr);
    ~LightSetForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::LightSetForm> ui;
};
