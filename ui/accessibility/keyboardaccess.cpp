#include "ui/accessibility/keyboardaccess.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>

#include "ui/pageindex.h"

void KeyboardAccess::makeReachable(QWidget* root) {
    if (!root) return;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus) continue;
        if (qobject_cast<QAbstractButton*>(widget)) {
            widget->setFocusPolicy(Qt::TabFocus);
        } else if (qobject_cast<QAbstractItemView*>(widget) ||
                   qobject_cast<QAbstractSlider*>(widget) ||
                   qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QComboBox*>(widget) ||
                   qobject_cast<QLineEdit*>(widget)) {
            widget->setFocusPolicy(Qt::StrongFocus);
        }
    }
}

void KeyboardAccess::addPageShortcuts(QWidget* window, const std::function<void(int)>& open) {
    static const int pages[] = {PageKey,         PageLight, PageHighKey, PageMacro,
                                PagePerformance, PageAlign, PageOther};
    for (int i = 0; i < 7; ++i) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), window);
        shortcut->setContext(Qt::WindowShortcut);
        const int page = pages[i];
        QObject::connect(shortcut, &QShortcut::activated, window, [open, page] { open(page); });
    }
}

bool KeyboardAccess::activates(const QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) return false;
    const int key = event->key();
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}
