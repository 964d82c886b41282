#include "update/updatechecker.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "update/updateserver.h"

UpdateChecker::UpdateChecker(QObject* parent)
    : QObject(parent), mManager(new QNetworkAccessManager(this)) {
    qRegisterMetaType<VersionInfo>("VersionInfo");
    connect(mManager, &QNetworkAccessManager::finished, this, &UpdateChecker::onReplyFinished);
}

UpdateChecker::~UpdateChecker() = default;

void UpdateChecker::check(const QUrl& url) {
    if (url.isEmpty()) {
        emit checkError(UpdateServer::noServerText());
        return;
    }
    qInfo().noquote() << QStringLiteral("=== UpdateChecker 检查更新:{ ") + url.toString() +
                             QStringLiteral(" } ===");
    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeoutMs);
    mManager->get(request);
}

void UpdateChecker::checkPath(const QString& path) {
    check(UpdateServer::url(path));
}

void UpdateChecker::onReplyFinished(QNetworkReply* reply) {
    if (!reply) return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        emit checkError(reply->errorString());
        return;
    }
    const VersionInfo info = VersionInfo::parse(reply->readAll(), reply->url());
    if (!info.isValid()) {
        emit checkError(QStringLiteral("Invalid version info format"));
        return;
    }
    emit updateAvailable(info);
}
