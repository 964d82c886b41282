#pragma once
// The program's accessible interfaces, given to Qt by one factory: the
// painted keys of the pictures and the picker, the pictures themselves, the
// navigation bar as a list of page tabs, and buttons named by their tool tip.

#include <QString>

class QAccessibleInterface;
class QObject;

class AccessibilityFactory {
public:
    // Installs the factory once per process.
    static void install();
    static QAccessibleInterface* create(const QString& className, QObject* object);
};
