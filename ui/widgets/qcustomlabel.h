#pragma once
// A clickable key label: the key page's picture and the picker use it. It
// knows its key position record and reports a click with it.

#include <QLabel>

#include "model/keyboardtypes.h"

class QCustomLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool selected READ isSelected)
public:
    explicit QCustomLabel(const KeyPositionPtr& position, QWidget* parent = nullptr);
    ~QCustomLabel() override;

    KeyPositionPtr position() const { return mPosition; }
    quint8 keyItem() const { return mPosition ? mPosition->keyItem : 255; }

    // The selected look (the key waiting for its new function).
    bool isSelected() const { return mSelected; }
    void setSelected(bool selected);

signals:
    void clicked(const KeyPositionPtr& item);

protected:
    // The key cap is painted here rather than by the style sheet: a picture
    // and a picker hold some two hundred of them.
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    KeyPositionPtr mPosition;
    bool mSelected = false;
    bool mPressed = false;
    bool mHovered = false;
};
