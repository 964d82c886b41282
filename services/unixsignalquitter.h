#pragma once
// Ends the event loop on SIGTERM and SIGINT, so that a session logout or a
// Ctrl+C runs the normal shutdown (the link is closed, the single-instance
// segment released) instead of killing the process where it stands.

#include <QObject>

class QSocketNotifier;

class UnixSignalQuitter : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalQuitter(QObject* parent = nullptr);
    ~UnixSignalQuitter() override;

private:
    void onSignal();

    QSocketNotifier* mNotifier = nullptr;
};
