#include "update/updateserver.h"

#include <QDebug>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#ifndef QT_NO_SSL
#include <QSslError>
#endif

#include "common/signatureverifier.h"

namespace {
QUrl gBaseUrl;

QUrl usable(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return QUrl();
    QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        qWarning().noquote() << QStringLiteral("=== UpdateServer 下载服务器地址无效:{ ") + trimmed +
                                    QStringLiteral(" } ===");
        return QUrl();
    }
    // Paths are appended to it: no query, no fragment, no trailing slash.
    url.setQuery(QString());
    url.setFragment(QString());
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/'))) path.chop(1);
    url.setPath(path);
    return url;
}
}  // namespace

QUrl UpdateServer::resolve(const QString& option, const QString& setting) {
    return option.trimmed().isEmpty() ? usable(setting) : usable(option);
}

void UpdateServer::setBaseUrl(const QUrl& base) {
    gBaseUrl = base.isEmpty() ? QUrl() : usable(base.toString());
}

QUrl UpdateServer::baseUrl() {
    return gBaseUrl;
}

bool UpdateServer::isConfigured() {
    return !gBaseUrl.isEmpty();
}

QUrl UpdateServer::url(const QString& path) {
    if (gBaseUrl.isEmpty()) return QUrl();
    QUrl url = gBaseUrl;
    url.setPath(gBaseUrl.path() +
                (path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path));
    return url;
}

QString UpdateServer::packagePath(const QString& productData) {
    const QString name = productData.toLower();
    return QStringLiteral("/normal/") + name + QLatin1Char('/') + name + QStringLiteral(".zip");
}

QString UpdateServer::firmwareVersionPath(const QString& productData) {
    return QStringLiteral("/normal/") + productData.toLower() + QStringLiteral("/firmversion.xml");
}

QString UpdateServer::cataloguePath() {
    return QStringLiteral("/normal/velmora.db3");
}

QString UpdateServer::versionPath() {
    return QStringLiteral("/normal/version.xml");
}

QString UpdateServer::noServerText() {
    return tr(
        "未配置下载服务器（请在 data/config.ini 的 System/ServerUrl 中设置，或以 --server=URL "
        "启动）");
}

bool UpdateServer::isLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QString UpdateServer::transportRefusal(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https") && !url.host().isEmpty()) return QString();
    if (scheme == QLatin1String("http") && isLoopback(url.host())) return QString();
    const QString address = url.toString(QUrl::RemoveUserInfo | QUrl::RemovePath |
                                         QUrl::RemoveQuery | QUrl::RemoveFragment);
    qWarning().noquote() << QStringLiteral("=== UpdateServer 拒绝非 HTTPS 地址:{ ") + address +
                                QStringLiteral(" } ===");
    return SignatureVerifier::choose(
        tr("已拒绝 %1：只有本机（127.0.0.1、::1、localhost）可以用明文 HTTP，"
           "其他服务器必须用 https://，否则途中任何人都能篡改下载内容")
            .arg(address),
        QStringLiteral("refused %1: plain HTTP is allowed only to this computer (127.0.0.1, ::1, "
                       "localhost); any other server must be https://, or anyone on the way "
                       "could change what is downloaded")
            .arg(address));
}

QNetworkReply* UpdateServer::get(QNetworkAccessManager* manager, const QUrl& url, int timeoutMs,
                                 const char* who) {
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    // A redirect may not lead to another host or down to plain HTTP.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::SameOriginRedirectPolicy);
    QNetworkReply* reply = manager->get(request);
#ifndef QT_NO_SSL
    // The reply ends with the error; the log says which.
    const QString caller = QLatin1String(who);
    QObject::connect(
        reply, &QNetworkReply::sslErrors, reply, [url, caller](const QList<QSslError>& errors) {
            for (const QSslError& e : errors)
                qWarning().noquote() << QStringLiteral("=== %1 证书错误，已拒绝:{ %2 } %3 ===")
                                            .arg(caller, url.toString(), e.errorString());
        });
#endif
    return reply;
}
