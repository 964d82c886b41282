#pragma once
// Fetches an update description file and its detached signature (NAME.sig),
// and turns it into a VersionInfo only when a trusted key signed it: not a
// field is read before. The MD5 inside then vouches for the offered file.
// A signed description older than one already seen at the same address in
// this run (a replay) is refused too.

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

    // GET `url` and `url`.sig; an empty url (no server configured) or one
    // refused by UpdateServer::transportRefusal ends in checkError before
    // anything is sent.
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
    void onSignatureFinished(QNetworkReply* reply, const QByteArray& xml, const QUrl& url);
    QNetworkReply* get(const QUrl& url);

    QNetworkAccessManager* mManager;
};
