#pragma once
// Moves the frameless main window by its title bar, and maximises or
// restores it on a double click there.

#include <QObject>
#include <QPoint>

class QWidget;

class TitleBarGrip : public QObject {
    Q_OBJECT
public:
    // Watches `titleBar`, a child of `window`; owned by `window`.
    TitleBarGrip(QWidget* titleBar, QWidget* window);

    // Maximises a normal window, restores a maximised one.
    static void toggleMaximized(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* mWindow;
    bool mDragging = false;
    QPoint mDragOffset;
};
