#pragma once
// FirewareManageForm: page PageFireware of the main window.

#include "ui/pages/basepage.h"
#include <memory>

namespace Ui {
class FirewareManageForm;
}

class FirewareManageForm : public BasePage {
    Q_OBJECT
public:
    explicit FirewareManageForm(QWidget* parent = nullptr);
    ~FirewareManageForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::FirewareManageForm> ui;
};
