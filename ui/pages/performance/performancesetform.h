#pragma once
// PerformanceSetForm: page PagePerformance of the main window.

#include "ui/pages/settingpage.h"
#include <memory>

namespace Ui {
class PerformanceSetForm;
}

class PerformanceSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit PerformanceSetForm(QWidget* parent = nullptr);
    ~PerformanceSetForm() override;

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::PerformanceSetForm> ui;
};
