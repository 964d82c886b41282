#pragma once
// RS: of two keys held together, the one pressed deeper is active.

#include <memory>

#include "ui/pages/highkey/qhighkeydialog.h"

namespace Ui {
class QRsAddDialog;
}

class QRsAddDialog : public QHighKeyDialog {
    Q_OBJECT
public:
    static constexpr quint8 kKind = 3;

    // `firstKey` is the key chosen on the page (used for a new record).
    QRsAddDialog(quint8 item, quint8 firstKey, QWidget* parent = nullptr);
    ~QRsAddDialog() override;

protected:
    bool storeValues(HIGH_KEY_INFO& record) override { return storePair(record); }

private:
    std::unique_ptr<Ui::QRsAddDialog> ui;
};
