#include "ui/accessibility/pagetabaccessible.h"

#include <QAbstractButton>

PageTabAccessible::PageTabAccessible(QAbstractButton* button)
    : QAccessibleWidget(button, QAccessible::PageTab) {}

QAbstractButton* PageTabAccessible::button() const {
    return static_cast<QAbstractButton*>(widget());
}

QString PageTabAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return button()->text().remove(QLatin1Char('&'));
    return QAccessibleWidget::text(t);
}

QAccessible::State PageTabAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.selectable = true;
    s.selected = button()->isChecked();
    return s;
}

QStringList PageTabAccessible::actionNames() const {
    return {pressAction(), setFocusAction()};
}

void PageTabAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction() || actionName == toggleAction()) {
        // A click, as the mouse gives: the bar opens the page.
        if (button()->isEnabled()) button()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
