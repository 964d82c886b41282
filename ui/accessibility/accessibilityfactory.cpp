#include "ui/accessibility/accessibilityfactory.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "ui/accessibility/keyaccessible.h"
#include "ui/accessibility/keypictureaccessible.h"
#include "ui/accessibility/namedbuttonaccessible.h"
#include "ui/accessibility/pagetabaccessible.h"
#include "ui/widgets/keypictureaccess.h"
#include "ui/widgets/navigationbar.h"

void AccessibilityFactory::install() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(&AccessibilityFactory::create);
}

QAccessibleInterface* AccessibilityFactory::create(const QString&, QObject* object) {
    // Asked once per class of the object's hierarchy, most derived first:
    // the object itself decides, so the first question is answered.
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        // A painted key, also one asked for while its picture builds it (the
        // answer is kept for the label's life).
        if (dynamic_cast<KeyPictureAccess*>(label->parentWidget())) return new KeyAccessible(label);
        return nullptr;
    }
    if (dynamic_cast<KeyPictureAccess*>(widget)) return new KeyPictureAccessible(widget);
    if (qobject_cast<NavigationBar*>(widget))
        return new QAccessibleWidget(widget, QAccessible::PageTabList);
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button && (qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button))) {
        if (qobject_cast<NavigationBar*>(button->parentWidget()))
            return new PageTabAccessible(button);
        if (NamedButtonAccessible::needsName(button)) return new NamedButtonAccessible(button);
    }
    return nullptr;
}
