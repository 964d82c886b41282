#pragma once
// MT: a tap and a hold send different functions; the hold time decides
// which one a press is (10 to 1000 ms).

#include <memory>

#include "ui/pages/highkey/qhighkeydialog.h"

namespace Ui {
class QMtAddDialog;
}

class QMtAddDialog : public QHighKeyDialog {
    Q_OBJECT
public:
    static constexpr int kMinHoldMs = 10;
    static constexpr int kMaxHoldMs = 1000;
    static constexpr int kNewHoldMs = 80;

    explicit QMtAddDialog(quint8 item, QWidget* parent = nullptr);
    ~QMtAddDialog() override;

    static HIGH_KEY_INFO newRecord();
    int holdTime() const;
    void setHoldTime(int ms);

protected:
    bool storeValues(HIGH_KEY_INFO& record) override;

private:
    void showHoldTime(int ms);
    std::unique_ptr<Ui::QMtAddDialog> ui;
};
