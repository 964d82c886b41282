#include "ui/handoverreceiver.h"

#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>

#include "services/singleinstance.h"

HandOverReceiver::HandOverReceiver(QObject* parent)
    : QObject(parent), mServer(new QLocalServer(this)) {
    connect(mServer, &QLocalServer::newConnection, this, &HandOverReceiver::onNewConnection);
}

bool HandOverReceiver::listen(const QString& serverName) {
    mServer->close();
    if (mServer->listen(serverName)) return true;
    if (mServer->serverError() == QAbstractSocket::AddressInUseError) {
        // Only a socket file that nobody answers on is stale.
        QLocalSocket probe;
        probe.connectToServer(serverName);
        const bool alive = probe.waitForConnected(1000);
        probe.abort();
        if (!alive) {
            QLocalServer::removeServer(serverName);
            if (mServer->listen(serverName)) return true;
        }
    }
    qWarning().noquote() << QStringLiteral("=== MainWindow 本地服务监听失败:{ ") + serverName +
                                QStringLiteral(" },error:{ ") + mServer->errorString() +
                                QStringLiteral(" } ===");
    return false;
}

void HandOverReceiver::stopListening() {
    mServer->close();
}

void HandOverReceiver::onNewConnection() {
    while (QLocalSocket* socket = mServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll() == SingleInstance::kActivateMessage) emit activationRequested();
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}
