#pragma once
// SystemSetForm: page PageSystem of the main window.

#include <memory>

#include "ui/pages/basepage.h"

namespace Ui {
class SystemSetForm;
}

class SystemSetForm : public BasePage {
    Q_OBJECT
public:
    explicit SystemSetForm(QWidget* parent = nullptr);
    ~SystemSetForm() override;

    using BasePage::enter;
    // Shown by the main window, coming from the page at `previousIndex`.
    void enter(int previousIndex);
    int previousPageIndex() const { return mPreviousIndex; }

public slots:
    void refreshLanguageUi() override;

private:
    std::unique_ptr<Ui::SystemSetForm> ui;
    int mPreviousIndex = -1;
};
