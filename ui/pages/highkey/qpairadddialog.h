#pragma once
// The two advanced keys that watch a pair of keys, which differ only in
// their texts: RS (of two keys held together, the one pressed deeper is
// active) and OKS (releasing one key of a pair activates the other).

#include <memory>

#include "ui/pages/highkey/qhighkeydialog.h"

namespace Ui {
class QPairAddDialog;
}

class QPairAddDialog : public QHighKeyDialog {
    Q_OBJECT
public:
    static constexpr quint8 kRs = 3;
    static constexpr quint8 kOks = 4;

    // `kind` is kRs or kOks; `firstKey` is the key chosen on the page (used
    // for a new record).
    QPairAddDialog(quint8 kind, quint8 item, quint8 firstKey, QWidget* parent = nullptr);
    ~QPairAddDialog() override;

protected:
    bool storeValues(HIGH_KEY_INFO& record) override { return storePair(record); }

private:
    std::unique_ptr<Ui::QPairAddDialog> ui;
};
