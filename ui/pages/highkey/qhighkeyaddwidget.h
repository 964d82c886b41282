#pragma once
// The "add" tile that opens a new advanced key of the shown kind.

#include <QWidget>
#include <memory>

namespace Ui {
class QHighKeyAddWidget;
}

class QHighKeyAddWidget : public QWidget {
    Q_OBJECT
public:
    explicit QHighKeyAddWidget(QWidget* parent = nullptr);
    ~QHighKeyAddWidget() override;

    void refreshLanguageUi();

signals:
    // Always type 0 and item 255 (a new record).
    void high_key_clicked(int type, uchar item);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Space or Enter opens it as a click does.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::unique_ptr<Ui::QHighKeyAddWidget> ui;
};
