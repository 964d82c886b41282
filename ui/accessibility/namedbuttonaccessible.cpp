#include "ui/accessibility/namedbuttonaccessible.h"

#include <QAbstractButton>
#include <QTextDocumentFragment>

NamedButtonAccessible::NamedButtonAccessible(QAbstractButton* button)
    : QAccessibleWidget(button, QAccessible::Button) {}

QAbstractButton* NamedButtonAccessible::button() const {
    return static_cast<QAbstractButton*>(widget());
}

bool NamedButtonAccessible::needsName(const QAbstractButton* button) {
    if (!button->accessibleName().isEmpty()) return false;
    const QString text = button->text().remove(QLatin1Char('&')).trimmed();
    for (const QChar c : text)
        if (c.isLetterOrNumber()) return false;
    return true;
}

QString NamedButtonAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && needsName(button())) {
        QString tip = button()->toolTip();
        if (Qt::mightBeRichText(tip)) tip = QTextDocumentFragment::fromHtml(tip).toPlainText();
        if (!tip.isEmpty()) return tip;
    }
    if (t == QAccessible::Name && button()->accessibleName().isEmpty())
        return button()->text().remove(QLatin1Char('&'));
    return QAccessibleWidget::text(t);
}

QAccessible::State NamedButtonAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = button()->isCheckable();
    s.checked = button()->isChecked();
    s.pressed = button()->isDown();
    return s;
}

QStringList NamedButtonAccessible::actionNames() const {
    QStringList names;
    if (button()->isEnabled()) names << (button()->isCheckable() ? toggleAction() : pressAction());
    return names << QAccessibleWidget::actionNames();
}

void NamedButtonAccessible::doAction(const QString& actionName) {
    if (!button()->isEnabled()) return;
    if (actionName == pressAction() || actionName == toggleAction()) {
        button()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
