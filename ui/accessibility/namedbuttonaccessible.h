#pragma once
// A push or tool button that shows only an icon or a sign ("−", "+", "×"):
// unless it has an accessible name of its own, it is named by its tool tip,
// which follows the language. Otherwise it is a button like any other:
// checkable, pressable.

#include <QAccessibleWidget>

class QAbstractButton;

class NamedButtonAccessible : public QAccessibleWidget {
public:
    explicit NamedButtonAccessible(QAbstractButton* button);

    // True for a button whose text does not name it.
    static bool needsName(const QAbstractButton* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QAbstractButton* button() const;
};
