#pragma once
// One stage cell of the DKS grid: whether a function acts at one travel
// event. A left click toggles it, and so do Space and Enter while it has the
// focus; readers get its row, its event and whether it is on.

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
    // What happens to the key at a column's travel event, for readers.
    static QString eventName(int column);

signals:
    // A click changed the cell.
    void toggled(int row, int column, bool selected);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void toggle();

    int mRow;
    int mColumn;
    bool mSelected = false;
};
