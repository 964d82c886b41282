#pragma once
// KeySetForm: page PageKey of the main window.

#include "ui/pages/settingpage.h"
#include <memory>

namespace Ui {
class KeySetForm;
}

class KeySetForm : public SettingPage {
    Q_OBJECT
public:
    explicit KeySetForm(QWidget* parent = nullptr);
    ~KeySetForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::KeySetForm> ui;
};
