#pragma once
// What assistive technology and the keyboard need from a widget that paints
// its keys (the keyboard pictures, the key picker): its keys in order, what
// each is called and bound to, whether it is selected, and a way to press
// one. The accessible interfaces in ui/accessibility read widgets through it.

#include <QList>
#include <QString>

class QLabel;

class KeyPictureAccess {
public:
    virtual ~KeyPictureAccess() = default;
    virtual const QList<QLabel*>& accessibleKeys() const = 0;
    // The key's name (a picture: its factory label; the picker: the function).
    virtual QString keyName(const QLabel* key) const = 0;
    // What it does now: the binding and any advanced key, or a hint.
    virtual QString keyDescription(const QLabel* key) const = 0;
    virtual bool isKeySelected(const QLabel* key) const = 0;
    // Keys that are ticked on and off (lighting, performance) rather than
    // pressed once (key page, picker).
    virtual bool keysCheckable() const { return false; }
    // What Space, or an assistive press, does to the key.
    virtual void pressKey(QLabel* key) = 0;
    // The key under the keyboard's focus cursor.
    virtual QLabel* focusKey() const = 0;
};
