#pragma once
// A keyboard picture or the key picker as assistive technology sees it: its
// children are its painted keys (KeyAccessible), then its visible widgets
// (the picker's reset buttons); its hidden key labels are not shown apart.

#include <QAccessibleWidget>
#include <QCoreApplication>

class KeyPictureAccess;

class KeyPictureAccessible : public QAccessibleWidget {
    Q_DECLARE_TR_FUNCTIONS(KeyPictureAccessible)
public:
    explicit KeyPictureAccessible(QWidget* picture);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    QString text(QAccessible::Text t) const override;

private:
    KeyPictureAccess* picture() const;
    QList<QWidget*> otherChildren() const;
};
