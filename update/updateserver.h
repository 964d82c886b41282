#pragma once
// Where the download server is. It is configuration: the start option
// --server=URL overrides the key System/ServerUrl of data/config.ini; with
// neither, every check and download ends through its error road with
// noServerText(). Paths on the server begin with "/normal/".

#include <QCoreApplication>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class UpdateServer {
    Q_DECLARE_TR_FUNCTIONS(UpdateServer)
public:
    // The server's base address from the start option and the setting (the
    // option wins when not empty). Only http and https addresses with a host
    // count; anything else yields an empty URL (no server).
    static QUrl resolve(const QString& option, const QString& setting);

    // The process-wide base address (empty: no server configured).
    static void setBaseUrl(const QUrl& base);
    static QUrl baseUrl();
    static bool isConfigured();

    // base + path, e.g. url("/normal/version.xml"); empty when no server.
    static QUrl url(const QString& path);
    // "/normal/<name>/<name>.zip" and friends, for a product's productData.
    static QString packagePath(const QString& productData);
    static QString firmwareVersionPath(const QString& productData);
    static QString cataloguePath();
    static QString versionPath();

    // The translated error text of a check or download without a server.
    static QString noServerText();

    // Empty when `url` may be fetched, else why not, in words: away from
    // this computer (127.0.0.0/8, ::1, localhost) only https is allowed, so
    // nobody on the way can change what arrives. Checked before connecting.
    static QString transportRefusal(const QUrl& url);
    // A GET of the download server: bounded in time, redirects only to the
    // same origin, certificate errors never ignored (`who` names the caller
    // in the log line).
    static QNetworkReply* get(QNetworkAccessManager* manager, const QUrl& url, int timeoutMs,
                              const char* who);
    static bool isLoopback(const QString& host);
};
