#include "ui/accessibility/keyaccessible.h"

#include <QLabel>
#include <QWidget>

#include "ui/widgets/keypictureaccess.h"

KeyAccessible::KeyAccessible(QLabel* key) : mKey(key) {}

KeyPictureAccess* KeyAccessible::pictureOf(const QObject* key) {
    auto* label = qobject_cast<const QLabel*>(key);
    if (!label) return nullptr;
    auto* picture = dynamic_cast<KeyPictureAccess*>(label->parentWidget());
    if (!picture || !picture->accessibleKeys().contains(const_cast<QLabel*>(label))) return nullptr;
    return picture;
}

QWidget* KeyAccessible::host() const {
    return mKey ? mKey->parentWidget() : nullptr;
}

bool KeyAccessible::isValid() const {
    return mKey && pictureOf(mKey);
}

QObject* KeyAccessible::object() const {
    return mKey;
}

QWindow* KeyAccessible::window() const {
    QWidget* widget = host();
    return widget && widget->window() ? widget->window()->windowHandle() : nullptr;
}

QAccessibleInterface* KeyAccessible::parent() const {
    QWidget* widget = host();
    return widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
}

QString KeyAccessible::text(QAccessible::Text t) const {
    const KeyPictureAccess* picture = pictureOf(mKey);
    if (!picture) return QString();
    switch (t) {
        case QAccessible::Name:
            return picture->keyName(mKey);
        case QAccessible::Description:
        case QAccessible::Value:
            return picture->keyDescription(mKey);
        case QAccessible::Help:
            return mKey->toolTip();
        default:
            return QString();
    }
}

QRect KeyAccessible::rect() const {
    QWidget* widget = host();
    if (!widget) return QRect();
    return QRect(widget->mapToGlobal(mKey->geometry().topLeft()), mKey->size());
}

QAccessible::Role KeyAccessible::role() const {
    const KeyPictureAccess* picture = pictureOf(mKey);
    return picture && picture->keysCheckable() ? QAccessible::CheckBox : QAccessible::Button;
}

QAccessible::State KeyAccessible::state() const {
    QAccessible::State s;
    const KeyPictureAccess* picture = pictureOf(mKey);
    QWidget* widget = host();
    if (!picture || !widget) {
        s.invalid = true;
        return s;
    }
    s.focusable = true;
    s.selectable = true;
    s.disabled = !mKey->isEnabled() || !widget->isEnabled();
    s.invisible = !widget->isVisible();
    s.focused = widget->hasFocus() && picture->focusKey() == mKey;
    s.selected = picture->isKeySelected(mKey);
    if (picture->keysCheckable()) {
        s.checkable = true;
        s.checked = s.selected;
    }
    return s;
}

void* KeyAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
}

QStringList KeyAccessible::actionNames() const {
    const KeyPictureAccess* picture = pictureOf(mKey);
    if (!picture || !mKey->isEnabled()) return {};
    return {picture->keysCheckable() ? toggleAction() : pressAction()};
}

void KeyAccessible::doAction(const QString& actionName) {
    KeyPictureAccess* picture = pictureOf(mKey);
    if (!picture || !mKey->isEnabled()) return;
    if (actionName == pressAction() || actionName == toggleAction()) picture->pressKey(mKey);
}
