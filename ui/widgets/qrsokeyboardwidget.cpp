#include "ui/widgets/qrsokeyboardwidget.h"

#include "catalogue/keycatalogue.h"
#include "ui/widgets/qlightkeylabel.h"

QRsoKeyboardWidget::QRsoKeyboardWidget(quint8 firstKey, QWidget* parent)
    : QSelectKeyboardWidget(QStringLiteral("QRsoKeyboardWidget"), 0, parent), mFirstKey(firstKey) {
    setDragSelect(false, true);
}

QRsoKeyboardWidget::~QRsoKeyboardWidget() = default;

QLabel* QRsoKeyboardWidget::createLabel(const KeyPositionPtr& position) {
    return new QLightKeyLabel(position->keyItem, this);
}

void QRsoKeyboardWidget::beforeBuild() {
    mSelected = 255;
}

void QRsoKeyboardWidget::afterBuild() {
    for (QLabel* label : labels()) {
        const quint8 key = keyItemOf(label);
        if (key == mFirstKey) {
            static_cast<QSelectKeyLabel*>(label)->setSelected(true);
            label->setEnabled(false);
            continue;
        }
        const KeyBindingPtr binding = bindingOf(key);
        label->setEnabled(binding && binding->type == KeyCatalogue::TypeKey &&
                          isFactoryOrdinaryKey(key));
    }
}

void QRsoKeyboardWidget::setSelectedKey(quint8 keyItem) {
    if (keyItem == mFirstKey) return;
    if (QSelectKeyLabel* old = selectLabelOf(mSelected)) old->setSelected(false);
    QSelectKeyLabel* label = selectLabelOf(keyItem);
    mSelected = label ? keyItem : 255;
    if (label) label->setSelected(true);
}

void QRsoKeyboardWidget::labelPressed(QSelectKeyLabel* label) {
    if (!label->isEnabled()) return;
    const quint8 key = label->keyItem();
    if (QSelectKeyLabel* old = selectLabelOf(mSelected)) old->setSelected(false);
    if (key == mSelected) {
        mSelected = 255;
    } else {
        label->setSelected(true);
        mSelected = key;
    }
    emit keyboard_select(mSelected);
}
