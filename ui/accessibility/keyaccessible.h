#pragma once
// One painted key of a picture or of the key picker, as assistive technology
// sees it: a button (a check box where keys are ticked) with the key's name,
// its binding as description, its place on the screen, its states and a
// press action. The key's label is the object; its picture answers for it
// (KeyPictureAccess).

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

class QLabel;
class QWidget;
class KeyPictureAccess;

class KeyAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit KeyAccessible(QLabel* key);

    // The picture of a label, or null when the label is not one of its keys.
    static KeyPictureAccess* pictureOf(const QObject* key);

    bool isValid() const override;
    QObject* object() const override;
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QWidget* host() const;

    QPointer<QLabel> mKey;
};
