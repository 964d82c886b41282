#pragma once
// The open-device tile of the device page: a title and a picture; a left
// press asks the page to open a keyboard.

#include <QWidget>
#include <memory>

namespace Ui {
class QDeviceAddWidget;
}

class QDeviceAddWidget : public QWidget {
    Q_OBJECT
public:
    QDeviceAddWidget(int row, int col, QWidget* parent = nullptr);
    ~QDeviceAddWidget() override;

    int row() const { return mRow; }
    int col() const { return mCol; }

    // Title in the current language, picture of the current theme.
    void refreshLanguageUi();

signals:
    void device_clicked(int type, int row, int col);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<Ui::QDeviceAddWidget> ui;
    int mRow;
    int mCol;
};
