#include "ui/mainwindow.h"

#include <QApplication>
#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>

#include "app/hidwatcher.h"
#include "app/singleinstance.h"
#include "app/systemconfigutil.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setCentralWidget(new QWidget(this));

    mHidWatcher = std::make_shared<HidWatcher>();

    createTrayIcon();

    mLocalServer = new QLocalServer(this);
    connect(mLocalServer, &QLocalServer::newConnection, this, &MainWindow::onNewConnection);
    listen(SingleInstance::kServerName);
}

MainWindow::~MainWindow() {
    if (mTrayIcon) mTrayIcon->hide();
    delete mTrayMenu;
}

QString MainWindow::trayTitle() {
    return tr("磁性键盘");
}

QString MainWindow::trayMessage() {
    return tr("点击恢复显示");
}

void MainWindow::createTrayIcon() {
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    QString folder = config ? config->imageFolder() : QString();
    if (folder.isEmpty()) folder = SystemConfigUtil::imageFolder(0);

    mTrayIcon = new QSystemTrayIcon(this);
    mTrayIcon->setIcon(QIcon(folder + QStringLiteral("game_keyboard.png")));
    mTrayIcon->setToolTip(QCoreApplication::applicationName());
    mTrayIcon->showMessage(trayTitle(), trayMessage(), QSystemTrayIcon::Information, 3000);

    // These four texts stay untranslated.
    mTrayMenu = new QMenu();
    mTrayMenu->addAction(QStringLiteral("窗口最小化"), this, &QWidget::hide);
    mTrayMenu->addAction(QStringLiteral("窗口最大化"), this, &QWidget::showMaximized);
    mTrayMenu->addAction(QStringLiteral("恢复原始大小"), this, &QWidget::showNormal);
    mTrayMenu->addSeparator();
    mTrayMenu->addAction(QStringLiteral("退出"), qApp, &QCoreApplication::quit);
    mTrayIcon->setContextMenu(mTrayMenu);

    connect(mTrayIcon, &QSystemTrayIcon::activated, this, &MainWindow::onTrayIconActivated);
    mTrayIcon->show();
}

bool MainWindow::listen(const QString& serverName) {
    mLocalServer->close();
    if (mLocalServer->listen(serverName)) return true;
    if (mLocalServer->serverError() == QAbstractSocket::AddressInUseError) {
        // Only a socket file that nobody answers on is stale.
        QLocalSocket probe;
        probe.connectToServer(serverName);
        const bool alive = probe.waitForConnected(1000);
        probe.abort();
        if (!alive) {
            QLocalServer::removeServer(serverName);
            if (mLocalServer->listen(serverName)) return true;
        }
    }
    qWarning().noquote() << QStringLiteral("=== MainWindow 本地服务监听失败:{ ") + serverName +
                                QStringLiteral(" },error:{ ") + mLocalServer->errorString() +
                                QStringLiteral(" } ===");
    return false;
}

void MainWindow::bringToFront() {
    showNormal();
    activateWindow();
    setWindowState(Qt::WindowMaximized);
}

void MainWindow::onTrayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
        bringToFront();
    }
}

void MainWindow::onNewConnection() {
    while (QLocalSocket* socket = mLocalServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll() == SingleInstance::kActivateMessage) {
                bringToFront();
                emit activatedByAnotherCopy();
            }
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}
