#include "ui/widgets/qalignkeyboardwidget.h"

#include <QLabel>

QAlignKeyboardWidget::QAlignKeyboardWidget(QWidget* parent)
    : QKeyboardWidget(QStringLiteral("QAlignKeyboardWidget"), 0, parent) {}

QAlignKeyboardWidget::~QAlignKeyboardWidget() = default;

QLabel* QAlignKeyboardWidget::createLabel(const KeyPositionPtr& position) {
    if (mFactory) return mFactory(position, this);
    auto* label = new QLabel(this);
    label->setObjectName(QStringLiteral("QAdjustKeyLabel"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

void QAlignKeyboardWidget::fillLabel(QLabel* label, const KeyPositionPtr& position,
                                     const KeyBindingPtr& binding) {
    if (mGeometry) label->setGeometry(mGeometry(position));
    QKeyboardWidget::fillLabel(label, position, binding);
}
