#include "ui/widgets/qkeykeyboardwidget.h"

#include <QAccessible>

#include "services/customtooltip.h"
#include "services/tooltiputil.h"
#include "ui/widgets/qcustomlabel.h"

QKeyKeyboardWidget::QKeyKeyboardWidget(int layer, QWidget* parent)
    : QKeyboardWidget(QStringLiteral("QKeyKeyboardWidget"), layer, parent) {}

QKeyKeyboardWidget::~QKeyKeyboardWidget() {
    if (mKeySelected) hidePrompt();
}

QLabel* QKeyKeyboardWidget::createLabel(const KeyPositionPtr& position) {
    auto* label = new QCustomLabel(position, this);
    connect(label, &QCustomLabel::clicked, this, &QKeyKeyboardWidget::custom_label_clicked);
    return label;
}

void QKeyKeyboardWidget::fillLabel(QLabel* label, const KeyPositionPtr& position,
                                   const KeyBindingPtr& binding) {
    static_cast<QCustomLabel*>(label)->setSelected(false);
    QKeyboardWidget::fillLabel(label, position, binding);
    // Keys of an RS, OKS or SOCD pair cannot be remapped.
    label->setEnabled(!isPairAdvancedKey(binding));
}

void QKeyKeyboardWidget::beforeBuild() {
    // A rebuild forgets the selection.
    if (!mKeySelected) return;
    hidePrompt();
    mKeySelected = false;
    mSelectedItem = 255;
    emit selectionChanged(false, 255);
}

void QKeyKeyboardWidget::custom_label_clicked(const KeyPositionPtr& item) {
    if (!item) return;
    auto* clicked = qobject_cast<QCustomLabel*>(labelOf(item->keyItem));
    if (!clicked) return;
    if (!mKeySelected) {
        mKeySelected = true;
        mSelectedItem = item->keyItem;
        for (QLabel* label : labels())
            if (label != clicked) label->setEnabled(false);
        clicked->clearCombinedFace();
        clicked->clear();
        clicked->setToolTip(QString());
        clicked->setSelected(true);
        showPrompt();
        announce(clicked);
        emit selectionChanged(true, mSelectedItem);
        return;
    }
    if (item->keyItem != mSelectedItem) return;  // only the selected key can be clicked
    mKeySelected = false;
    mSelectedItem = 255;
    clicked->setSelected(false);
    applyLabelRule(clicked, bindingOf(item->keyItem));
    hidePrompt();
    enableUnselected();
    announce(clicked);
    emit selectionChanged(false, item->keyItem);
}

bool QKeyKeyboardWidget::selectKey(quint8 keyItem) {
    QLabel* label = labelOf(keyItem);
    if (mKeySelected || !label || !label->isEnabled()) return false;
    custom_label_clicked(static_cast<QCustomLabel*>(label)->position());
    return mKeySelected;
}

void QKeyKeyboardWidget::clearSelection() {
    if (!mKeySelected) return;
    if (auto* label = qobject_cast<QCustomLabel*>(labelOf(mSelectedItem)))
        custom_label_clicked(label->position());
}

QString QKeyKeyboardWidget::keyDescription(const QLabel* key) const {
    if (!mKeySelected || keyItemOf(key) != mSelectedItem)
        return QKeyboardWidget::keyDescription(key);
    return tr("请在下方选择新的功能");
}

void QKeyKeyboardWidget::announce(QLabel* key) {
    if (!QAccessible::isActive()) return;
    // The prompt is a window of its own that screen readers do not read: the
    // key's description carries it, and the change of it is announced.
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent state(key, changed);
    QAccessible::updateAccessibility(&state);
    QAccessibleEvent description(key, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}

void QKeyKeyboardWidget::enableUnselected() {
    for (QLabel* label : labels())
        label->setEnabled(!isPairAdvancedKey(bindingOf(keyItemOf(label))));
}

void QKeyKeyboardWidget::showPrompt() {
    CustomToolTip* tip = CustomToolTip::instance();
    QLabel* label = labelOf(mSelectedItem);
    if (!tip || !mKeySelected || !label || !isVisible()) return;
    const ToolTipUtil* tips = ToolTipUtil::instance();
    tip->showTip(label,
                 tips ? tips->text(QStringLiteral("QKeyKeyboardWidget/mPromptLabel")) : QString());
}

void QKeyKeyboardWidget::hidePrompt() {
    CustomToolTip* tip = CustomToolTip::instance();
    if (!tip || !tip->isActive()) return;
    // Only our own prompt: another page's tip stays.
    if (tip->anchor() && tip->anchor()->parentWidget() != this) return;
    tip->hideTip();
}

void QKeyKeyboardWidget::hideEvent(QHideEvent* event) {
    hidePrompt();
    QKeyboardWidget::hideEvent(event);
}
