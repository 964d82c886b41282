#pragma once
// One stage cell of the DKS grid: whether a function acts at one travel
// event. A left click toggles it.

#include <QLabel>

class QDKSLabel : public QLabel {
    Q_OBJECT
public:
    QDKSLabel(int row, int column, QWidget* parent = nullptr);
    ~QDKSLabel() override;

    int row() const { return mRow; }
    int column() const { return mColumn; }
    bool isSelected() const { return mSelected; }
    void setSelected(bool selected);

signals:
    // A click changed the cell.
    void toggled(int row, int column, bool selected);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int mRow;
    int mColumn;
    bool mSelected = false;
};
