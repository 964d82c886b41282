#pragma once
// A picture whose labels are selectable key labels (QSelectKeyLabel). The
// picture takes the mouse itself and hit-tests its labels: by default a press
// toggles the enabled label under the cursor and dragging selects every label
// it passes (never deselects); single-selection pictures override the press.

#include <QByteArray>

#include "ui/widgets/qkeyboardwidget.h"

class QSelectKeyLabel;

class QSelectKeyboardWidget : public QKeyboardWidget {
    Q_OBJECT
public:
    QSelectKeyboardWidget(const QString& className, int layer, QWidget* parent = nullptr);
    ~QSelectKeyboardWidget() override;

    QSelectKeyLabel* selectLabelOf(quint8 keyItem) const;
    QSelectKeyLabel* selectLabelAt(const QPoint& pos) const;

    void selectAll();
    void invertSelection();
    void deselectAll();
    // Key numbers of the selected labels, in label order.
    QByteArray selectedKeys() const;
    // Selects exactly the given keys.
    void setSelectedKeys(const QByteArray& keys);
    // Enables or disables every label.
    void setLabelsEnabled(bool enabled);

    // Space or an assistive press: as a click on the key.
    void pressKey(QLabel* key) override;
    bool keysCheckable() const override { return true; }

protected:
    // A press on a label under the cursor (enabled or not).
    virtual void labelPressed(QSelectKeyLabel* label);
    // The mouse was released after a press.
    virtual void released() {}
    // Dragging selects; `dragNeedsEnabled` leaves disabled labels alone.
    void setDragSelect(bool on, bool needsEnabled) {
        mDragSelect = on;
        mDragNeedsEnabled = needsEnabled;
    }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool mDragSelect = true;
    bool mDragNeedsEnabled = true;
    bool mDragging = false;
};
