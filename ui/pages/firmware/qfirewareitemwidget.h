#pragma once
// One product tile of the firmware page: its picture and name. A left press
// anywhere on the tile asks for the product's firmware to be written.

#include <QPixmap>
#include <QWidget>
#include <memory>

namespace Ui {
class QFirewareItemWidget;
}

class QFirewareItemWidget : public QWidget {
    Q_OBJECT
public:
    QFirewareItemWidget(const QString& productName, const QPixmap& picture, int row, int col,
                        QWidget* parent = nullptr);
    ~QFirewareItemWidget() override;

    int row() const { return mRow; }
    int col() const { return mCol; }
    QString productName() const;

    // The picture used when a product has no tile picture of its own: a
    // plain keyboard outline in the theme's colours.
    static QPixmap placeholder(const QSize& size, int theme);

public slots:
    void refreshLanguageUi();
    void on_fireware_down_button_clicked();

signals:
    void fireware_item_clicked(bool flag, int row, int col);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<Ui::QFirewareItemWidget> ui;
    int mRow;
    int mCol;
};
