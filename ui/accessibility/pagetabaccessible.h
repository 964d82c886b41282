#pragma once
// A button of the navigation bar as assistive technology sees it: a page tab,
// selected while its page is shown, whose activation opens its page (a
// checkable button's default toggle only ticks it).

#include <QAccessibleWidget>

class QAbstractButton;

class PageTabAccessible : public QAccessibleWidget {
public:
    explicit PageTabAccessible(QAbstractButton* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QAbstractButton* button() const;
};
