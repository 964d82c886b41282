#pragma once
// A clickable key label: the key page's picture and the picker use it. It
// knows its key position record and reports a click with it. Its picture
// paints it and passes it the mouse (see KeyLabelHost).

#include "common/keyboardtypes.h"
#include "ui/widgets/paintedkeylabel.h"

class QCustomLabel : public PaintedKeyLabel {
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
    // The look under the mouse.
    bool isHovered() const { return mHovered; }
    void setHovered(bool hovered);
    // Reports a click, as a press and release on the key do.
    void click();

    void paintFace(QPainter& painter, const QFont& font) override;

signals:
    void clicked(const KeyPositionPtr& item);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    KeyPositionPtr mPosition;
    bool mSelected = false;
    bool mPressed = false;
    bool mHovered = false;
};
