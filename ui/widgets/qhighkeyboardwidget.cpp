#include "ui/widgets/qhighkeyboardwidget.h"

#include "catalogue/keycatalogue.h"
#include "ui/widgets/qlightkeylabel.h"

QHighKeyboardWidget::QHighKeyboardWidget(int kind, QWidget* parent)
    : QSelectKeyboardWidget(QStringLiteral("QHighKeyboardWidget"), 0, parent), mKind(kind) {
    setDragSelect(false, true);
}

QHighKeyboardWidget::~QHighKeyboardWidget() = default;

QLabel* QHighKeyboardWidget::createLabel(const KeyPositionPtr& position) {
    return new QLightKeyLabel(position->keyItem, this);
}

void QHighKeyboardWidget::beforeBuild() {
    mSelected = 255;
}

void QHighKeyboardWidget::afterBuild() {
    // The kind's rule holds from the start: a rebuilt RS picture must not
    // offer keys that RS cannot use.
    applyKindRule();
}

void QHighKeyboardWidget::setKind(int kind) {
    if (kind == mKind) return;
    mKind = kind;
    applyKindRule();
}

void QHighKeyboardWidget::applyKindRule() {
    const bool pairKind = mKind >= 3 && mKind <= 5;
    for (QLabel* label : labels()) {
        const quint8 key = keyItemOf(label);
        bool enabled = true;
        if (pairKind) {
            const KeyBindingPtr binding = bindingOf(key);
            enabled = (binding && binding->type == KeyCatalogue::TypeAdvanced) ||
                      isFactoryOrdinaryKey(key);
        }
        label->setEnabled(enabled);
        if (!enabled && key == mSelected) {
            static_cast<QSelectKeyLabel*>(label)->setSelected(false);
            mSelected = 255;
            emit selectionChanged(255);
        }
    }
}

void QHighKeyboardWidget::clearSelection() {
    if (QSelectKeyLabel* old = selectLabelOf(mSelected)) old->setSelected(false);
    if (mSelected == 255) return;
    mSelected = 255;
    emit selectionChanged(255);
}

void QHighKeyboardWidget::labelPressed(QSelectKeyLabel* label) {
    if (!label->isEnabled()) return;
    const quint8 key = label->keyItem();
    const KeyBindingPtr binding = bindingOf(key);
    if (binding && binding->type == KeyCatalogue::TypeAdvanced) {
        emit keyboard_select(key);
        return;
    }
    if (key == mSelected) {
        clearSelection();
        return;
    }
    if (QSelectKeyLabel* old = selectLabelOf(mSelected)) old->setSelected(false);
    label->setSelected(true);
    mSelected = key;
    emit selectionChanged(key);
}
