#include "ui/widgets/qlightkeyboardwidget.h"

#include "model/keyboardconfigutil.h"
#include "ui/widgets/qlightkeylabel.h"

QLightKeyboardWidget::QLightKeyboardWidget(QWidget* parent)
    : QSelectKeyboardWidget(QStringLiteral("QLightKeyboardWidget"), 0, parent) {
    setDragSelect(true, true);
}

QLightKeyboardWidget::~QLightKeyboardWidget() = default;

QLabel* QLightKeyboardWidget::createLabel(const KeyPositionPtr& position) {
    return new QLightKeyLabel(position->keyItem, this);
}

void QLightKeyboardWidget::fillLabel(QLabel* label, const KeyPositionPtr& position,
                                     const KeyBindingPtr& binding) {
    QSelectKeyboardWidget::fillLabel(label, position, binding);
    const KeyboardConfigUtil* m = model();
    const CustomLightPtr light = m ? m->customLight(position->keyItem) : CustomLightPtr();
    if (light && light->light <= 100)
        static_cast<QLightKeyLabel*>(label)->setColor(light->colorR, light->colorG, light->colorB);
}

void QLightKeyboardWidget::setSelectedColor(const QColor& color) {
    for (QLabel* label : labels()) {
        auto* l = static_cast<QLightKeyLabel*>(label);
        if (l->isSelected()) l->setColor(color);
    }
}
