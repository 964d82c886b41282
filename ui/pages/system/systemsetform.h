#pragma once
// SystemSetForm: page PageSystem of the main window.

#include "ui/pages/basepage.h"
#include <memory>

namespace Ui {
class SystemSetForm;
}

class SystemSetForm : public BasePage {
    Q_OBJECT
public:
    explicit SystemSetForm(QWidget* parent = nullptr);
    ~SystemSetForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::SystemSetForm> ui;
};
