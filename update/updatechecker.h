#pragma once
// Fetches an update description file and turns it into a VersionInfo.

#include <QObject>
#include <QString>
#include <QUrl>

#include "update/versioninfo.h"

class QNetworkAccessManager;
class QNetworkReply;

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    explicit UpdateChecker(QObject* parent = nullptr);
    ~UpdateChecker() override;

    // GET `url`; an empty url (no server configured) ends in checkError.
    void check(const QUrl& url);
    // check(UpdateServer::url(path)).
    void checkPath(const QString& path);

    static constexpr int kTransferTimeoutMs = 30000;

signals:
    void updateAvailable(VersionInfo info);
    void checkError(QString error);

public slots:
    void onReplyFinished(QNetworkReply* reply);

private:
    QNetworkAccessManager* mManager;
};
