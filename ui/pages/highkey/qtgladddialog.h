#pragma once
// TGL: a tap switches continuous triggering on or off; holding acts normally.
// One function slot.

#include <memory>

#include "ui/pages/highkey/qhighkeydialog.h"

namespace Ui {
class QTglAddDialog;
}

class QTglAddDialog : public QHighKeyDialog {
    Q_OBJECT
public:
    explicit QTglAddDialog(quint8 item, QWidget* parent = nullptr);
    ~QTglAddDialog() override;

    static HIGH_KEY_INFO newRecord();

protected:
    bool storeValues(HIGH_KEY_INFO& record) override;

private:
    std::unique_ptr<Ui::QTglAddDialog> ui;
};
