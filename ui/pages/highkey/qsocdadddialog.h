#pragma once
// SOCD: two opposite keys held together are resolved by a rule: the last
// input wins, key 1 always wins, key 2 always wins, or both cancel.

#include <memory>

#include "ui/pages/highkey/qhighkeydialog.h"

namespace Ui {
class QSocdAddDialog;
}
class QRadioButton;

class QSocdAddDialog : public QHighKeyDialog {
    Q_OBJECT
public:
    static constexpr quint8 kKind = 5;

    // `firstKey` is the key chosen on the page (used for a new record).
    QSocdAddDialog(quint8 item, quint8 firstKey, QWidget* parent = nullptr);
    ~QSocdAddDialog() override;

    // The rule the checked button stands for (0 to 3).
    int rule() const;
    void setRule(int rule);

protected:
    bool storeValues(HIGH_KEY_INFO& record) override;

private:
    QList<QRadioButton*> radios() const;
    std::unique_ptr<Ui::QSocdAddDialog> ui;
};
