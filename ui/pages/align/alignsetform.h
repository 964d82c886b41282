#pragma once
// AlignSetForm: page PageAlign of the main window.

#include "ui/pages/settingpage.h"
#include <memory>

namespace Ui {
class AlignSetForm;
}

class AlignSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit AlignSetForm(QWidget* parent = nullptr);
    ~AlignSetForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::AlignSetForm> ui;
};
