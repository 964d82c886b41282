#pragma once
// The receiving end of the single-instance hand-over: a second copy of the
// program connects to this server and asks the first one to come forward.

#include <QObject>

class QLocalServer;

class HandOverReceiver : public QObject {
    Q_OBJECT
public:
    explicit HandOverReceiver(QObject* parent = nullptr);

    QLocalServer* server() const { return mServer; }

    // Listens on `serverName`. A socket file left behind by a crashed copy
    // is removed first; a live server of that name is left alone.
    bool listen(const QString& serverName);
    // Stops listening, so that a copy started now becomes the first one.
    void stopListening();

signals:
    // A second copy sent the activation message.
    void activationRequested();

private:
    void onNewConnection();

    QLocalServer* mServer;
};
