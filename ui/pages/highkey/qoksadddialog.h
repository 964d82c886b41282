#pragma once
// OKS: releasing one key of a pair activates the other.

#include <memory>

#include "ui/pages/highkey/qhighkeydialog.h"

namespace Ui {
class QOksAddDialog;
}

class QOksAddDialog : public QHighKeyDialog {
    Q_OBJECT
public:
    static constexpr quint8 kKind = 4;

    // `firstKey` is the key chosen on the page (used for a new record).
    QOksAddDialog(quint8 item, quint8 firstKey, QWidget* parent = nullptr);
    ~QOksAddDialog() override;

protected:
    bool storeValues(HIGH_KEY_INFO& record) override { return storePair(record); }

private:
    std::unique_ptr<Ui::QOksAddDialog> ui;
};
