#pragma once
// One advanced key in the page's list: the kind's picture, the key's name
// and the names of its functions (or its second key), and a delete button.
// A click opens the record; the delete button deletes it.

#include <QWidget>
#include <memory>

#include "common/keyboardtypes.h"

namespace Ui {
class QHighKeyItemWidget;
}

class QHighKeyItemWidget : public QWidget {
    Q_OBJECT
public:
    explicit QHighKeyItemWidget(const HIGH_KEY_INFO& record, QWidget* parent = nullptr);
    ~QHighKeyItemWidget() override;

    quint8 item() const { return mRecord.item; }
    QString title() const;
    QString functions() const;

    // The picture file of a kind; empty for an unknown kind.
    static QString kindImage(quint8 kind);

signals:
    // type 0: the item was clicked; type 1: its delete button.
    void high_key_clicked(int type, uchar item);

public slots:
    void on_delBtn_clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Space or Enter opens it as a click does.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::unique_ptr<Ui::QHighKeyItemWidget> ui;
    HIGH_KEY_INFO mRecord;
};
