#include "ui/accessibility/keypictureaccessible.h"

#include <QLabel>

#include "ui/widgets/keypictureaccess.h"
#include "ui/widgets/qinputkeyboardwidget.h"

KeyPictureAccessible::KeyPictureAccessible(QWidget* picture)
    : QAccessibleWidget(picture, QAccessible::Grouping) {}

KeyPictureAccess* KeyPictureAccessible::picture() const {
    return dynamic_cast<KeyPictureAccess*>(widget());
}

QList<QWidget*> KeyPictureAccessible::otherChildren() const {
    QList<QWidget*> others;
    for (QObject* object : widget()->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child && !child->isWindow() && !child->isHidden() && !qobject_cast<QLabel*>(child))
            others << child;
    }
    return others;
}

int KeyPictureAccessible::childCount() const {
    const KeyPictureAccess* p = picture();
    return (p ? p->accessibleKeys().size() : 0) + otherChildren().size();
}

QAccessibleInterface* KeyPictureAccessible::child(int index) const {
    const KeyPictureAccess* p = picture();
    const int keys = p ? p->accessibleKeys().size() : 0;
    if (index < 0) return nullptr;
    if (index < keys) return QAccessible::queryAccessibleInterface(p->accessibleKeys().at(index));
    const QList<QWidget*> others = otherChildren();
    if (index - keys < others.size())
        return QAccessible::queryAccessibleInterface(others.at(index - keys));
    return nullptr;
}

int KeyPictureAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (!child || !child->object()) return -1;
    const KeyPictureAccess* p = picture();
    const int keys = p ? p->accessibleKeys().size() : 0;
    if (auto* label = qobject_cast<QLabel*>(child->object())) {
        const int index = p ? p->accessibleKeys().indexOf(label) : -1;
        if (index >= 0) return index;
    }
    const int other = otherChildren().indexOf(qobject_cast<QWidget*>(child->object()));
    return other < 0 ? -1 : keys + other;
}

QAccessibleInterface* KeyPictureAccessible::childAt(int x, int y) const {
    const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
    for (QWidget* other : otherChildren())
        if (other->geometry().contains(local)) return QAccessible::queryAccessibleInterface(other);
    if (const KeyPictureAccess* p = picture())
        for (QLabel* key : p->accessibleKeys())
            if (key->geometry().contains(local)) return QAccessible::queryAccessibleInterface(key);
    return nullptr;
}

QAccessibleInterface* KeyPictureAccessible::focusChild() const {
    const KeyPictureAccess* p = picture();
    if (p && widget()->hasFocus() && p->focusKey())
        return QAccessible::queryAccessibleInterface(p->focusKey());
    return QAccessibleWidget::focusChild();
}

QString KeyPictureAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
        if (qobject_cast<QInputKeyboardWidget*>(widget())) return tr("按键功能");
        return tr("键盘");
    }
    return QAccessibleWidget::text(t);
}
