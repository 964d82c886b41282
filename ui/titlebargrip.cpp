#include "ui/titlebargrip.h"

#include <QDebug>
#include <QMouseEvent>
#include <QWidget>

TitleBarGrip::TitleBarGrip(QWidget* titleBar, QWidget* window) : QObject(window), mWindow(window) {
    titleBar->installEventFilter(this);
}

void TitleBarGrip::toggleMaximized(QWidget* window) {
    if (window->isMaximized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
        window->showNormal();
        qInfo().noquote() << QStringLiteral("Window restored to normal size.");
    } else {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
        qInfo().noquote() << QStringLiteral("Window maximized.");
    }
    window->update();
}

bool TitleBarGrip::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                mDragging = true;
                mDragOffset =
                    mouse->globalPosition().toPoint() - mWindow->frameGeometry().topLeft();
            }
            break;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mDragging && (mouse->buttons() & Qt::LeftButton) && !mWindow->isMaximized())
                mWindow->move(mouse->globalPosition().toPoint() - mDragOffset);
            break;
        }
        case QEvent::MouseButtonRelease:
            mDragging = false;
            break;
        case QEvent::MouseButtonDblClick:
            toggleMaximized(mWindow);
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
