#include "ui/widgets/qnaturekeyboardwidget.h"

#include "model/keyboardconfigutil.h"
#include "ui/widgets/qnaturelabel.h"

QNatureKeyboardWidget::QNatureKeyboardWidget(QWidget* parent)
    : QSelectKeyboardWidget(QStringLiteral("QNatureKeyboardWidget"), 0, parent) {
    setDragSelect(true, false);
}

QNatureKeyboardWidget::~QNatureKeyboardWidget() = default;

QLabel* QNatureKeyboardWidget::createLabel(const KeyPositionPtr& position) {
    auto* label = new QNatureLabel(position->keyItem, this);
    label->setTriggerVisible(mTriggerVisible);
    label->setQuickVisible(mQuickVisible);
    return label;
}

void QNatureKeyboardWidget::fillLabel(QLabel* label, const KeyPositionPtr& position,
                                      const KeyBindingPtr& binding) {
    QSelectKeyboardWidget::fillLabel(label, position, binding);
    const KeyboardConfigUtil* m = model();
    // The trigger tip replaces the key's catalogue tip.
    static_cast<QNatureLabel*>(label)->setTrigger(m ? m->triggerConfig(position->keyItem)
                                                    : TriggerSettingPtr());
}

void QNatureKeyboardWidget::setTriggerVisible(bool visible) {
    mTriggerVisible = visible;
    for (QLabel* label : labels()) static_cast<QNatureLabel*>(label)->setTriggerVisible(visible);
}

void QNatureKeyboardWidget::setQuickVisible(bool visible) {
    mQuickVisible = visible;
    for (QLabel* label : labels()) static_cast<QNatureLabel*>(label)->setQuickVisible(visible);
}

void QNatureKeyboardWidget::labelPressed(QSelectKeyLabel* label) {
    if (!label->isEnabled()) return;
    label->toggleSelected();
    mLastKey = label->keyItem();
}

void QNatureKeyboardWidget::released() {
    emit keyboard_select();
}
