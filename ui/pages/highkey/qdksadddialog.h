#pragma once
// DKS: up to four functions, each acting at any of four travel events
// (pressed past 1.00 mm and 3.00 mm, released back from 3.00 mm and past
// 1.00 mm): a 4 x 4 grid of stage cells, one row per function.

#include <memory>

#include "ui/pages/highkey/qhighkeydialog.h"

namespace Ui {
class QDksAddDialog;
}
class QDKSLabel;

class QDksAddDialog : public QHighKeyDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 4;
    static constexpr int kEvents = 4;

    explicit QDksAddDialog(quint8 item, QWidget* parent = nullptr);
    ~QDksAddDialog() override;

    static HIGH_KEY_INFO newRecord();
    QDKSLabel* cell(int row, int column) const;
    // A row's stage mask as the cells show it (bit 0 for the first column).
    quint8 rowMask(int row) const;

protected:
    bool storeValues(HIGH_KEY_INFO& record) override;

private:
    void cellToggled(int row, int column, bool selected);
    std::unique_ptr<Ui::QDksAddDialog> ui;
    QList<QDKSLabel*> mCells;  // row by row
};
