#include "ui/widgets/qselectkeyboardwidget.h"

#include <QMouseEvent>

#include "ui/widgets/qselectkeylabel.h"

QSelectKeyboardWidget::QSelectKeyboardWidget(const QString& className, int layer, QWidget* parent)
    : QKeyboardWidget(className, layer, parent) {}

QSelectKeyboardWidget::~QSelectKeyboardWidget() = default;

QSelectKeyLabel* QSelectKeyboardWidget::selectLabelOf(quint8 keyItem) const {
    return qobject_cast<QSelectKeyLabel*>(labelOf(keyItem));
}

QSelectKeyLabel* QSelectKeyboardWidget::selectLabelAt(const QPoint& pos) const {
    return qobject_cast<QSelectKeyLabel*>(labelAt(pos));
}

void QSelectKeyboardWidget::selectAll() {
    for (QLabel* label : labels())
        if (auto* l = qobject_cast<QSelectKeyLabel*>(label)) l->setSelected(true);
}

void QSelectKeyboardWidget::invertSelection() {
    for (QLabel* label : labels())
        if (auto* l = qobject_cast<QSelectKeyLabel*>(label)) l->toggleSelected();
}

void QSelectKeyboardWidget::deselectAll() {
    for (QLabel* label : labels())
        if (auto* l = qobject_cast<QSelectKeyLabel*>(label)) l->setSelected(false);
}

QByteArray QSelectKeyboardWidget::selectedKeys() const {
    QByteArray keys;
    for (QLabel* label : labels())
        if (auto* l = qobject_cast<QSelectKeyLabel*>(label); l && l->isSelected())
            keys.append(char(l->keyItem()));
    return keys;
}

void QSelectKeyboardWidget::setSelectedKeys(const QByteArray& keys) {
    for (QLabel* label : labels())
        if (auto* l = qobject_cast<QSelectKeyLabel*>(label))
            l->setSelected(keys.contains(char(l->keyItem())));
}

void QSelectKeyboardWidget::setLabelsEnabled(bool enabled) {
    for (QLabel* label : labels()) label->setEnabled(enabled);
}

void QSelectKeyboardWidget::pressKey(QLabel* key) {
    auto* label = qobject_cast<QSelectKeyLabel*>(key);
    if (!label) return;
    labelPressed(label);
    released();
}

void QSelectKeyboardWidget::labelPressed(QSelectKeyLabel* label) {
    if (label->isEnabled()) label->toggleSelected();
}

void QSelectKeyboardWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QKeyboardWidget::mousePressEvent(event);
        return;
    }
    mDragging = mDragSelect;
    if (QSelectKeyLabel* label = selectLabelAt(event->position().toPoint())) labelPressed(label);
    event->accept();
}

void QSelectKeyboardWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!mDragging) return;
    QSelectKeyLabel* label = selectLabelAt(event->position().toPoint());
    if (label && (!mDragNeedsEnabled || label->isEnabled())) label->setSelected(true);
    event->accept();
}

void QSelectKeyboardWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QKeyboardWidget::mouseReleaseEvent(event);
        return;
    }
    mDragging = false;
    event->accept();
    released();
}
