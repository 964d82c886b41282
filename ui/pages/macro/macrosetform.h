#pragma once
// MacroSetForm: page PageMacro of the main window.

#include "ui/pages/settingpage.h"
#include <memory>

namespace Ui {
class MacroSetForm;
}

class MacroSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit MacroSetForm(QWidget* parent = nullptr);
    ~MacroSetForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::MacroSetForm> ui;
};
