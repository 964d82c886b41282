#include "update/updatechecker.h"

#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#ifndef QT_NO_SSL
#include <QSslError>
#endif

#include "common/signatureverifier.h"
#include "update/updateserver.h"

namespace {
// The newest signed version seen per description address in this run.
QHash<QString, QString>& seenVersions() {
    static QHash<QString, QString> seen;
    return seen;
}
}  // namespace

UpdateChecker::UpdateChecker(QObject* parent)
    : QObject(parent), mManager(new QNetworkAccessManager(this)) {
    qRegisterMetaType<VersionInfo>("VersionInfo");
}

UpdateChecker::~UpdateChecker() = default;

QNetworkReply* UpdateChecker::get(const QUrl& url) {
    return UpdateServer::get(mManager, url, kTransferTimeoutMs, "UpdateChecker");
}

void UpdateChecker::check(const QUrl& url) {
    if (url.isEmpty()) {
        emit checkError(UpdateServer::noServerText());
        return;
    }
    const QString refusal = UpdateServer::transportRefusal(url);
    if (!refusal.isEmpty()) {
        emit checkError(refusal);
        return;
    }
    qInfo().noquote() << QStringLiteral("=== UpdateChecker 检查更新:{ ") + url.toString() +
                             QStringLiteral(" } ===");
    QNetworkReply* reply = get(url);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onReplyFinished(reply); });
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
    const QByteArray xml = reply->readAll();
    const QUrl url = reply->url();
    QUrl sigUrl = url;
    sigUrl.setPath(url.path() + QStringLiteral(".sig"));
    QNetworkReply* sig = get(sigUrl);
    connect(sig, &QNetworkReply::finished, this,
            [this, sig, xml, url] { onSignatureFinished(sig, xml, url); });
}

void UpdateChecker::onSignatureFinished(QNetworkReply* reply, const QByteArray& xml,
                                        const QUrl& url) {
    reply->deleteLater();
    const QString name = QFileInfo(url.path()).fileName();
    // A missing signature file and an unreachable one end alike: unsigned.
    const QByteArray signature =
        reply->error() == QNetworkReply::NoError ? reply->read(65) : QByteArray();
    const SignatureVerifier::Result result =
        SignatureVerifier::verify(xml, signature, url.toString());
    if (result != SignatureVerifier::Valid) {
        emit checkError(SignatureVerifier::refusalText(result, name));
        return;
    }
    const VersionInfo info = VersionInfo::parse(xml, url);
    if (!info.isValid()) {
        emit checkError(tr("版本信息格式无效"));
        return;
    }
    // Signed once does not mean current: an older signed file served again
    // must not take back what a newer one offered.
    QString& seen = seenVersions()[url.toString(QUrl::RemoveUserInfo)];
    if (!seen.isEmpty() && VersionInfo::isNewer(seen, info.version)) {
        qWarning().noquote() << QStringLiteral(
                                    "=== UpdateChecker 旧版本描述被重放:{ %1 } %2 < %3 ===")
                                    .arg(url.toString(), info.version, seen);
        emit checkError(SignatureVerifier::choose(
            tr("%1 比之前收到的版本 %2 更旧，已拒绝").arg(name, seen),
            QStringLiteral("%1 is older than version %2 received before; it was refused")
                .arg(name, seen)));
        return;
    }
    seen = info.version;
    emit updateAvailable(info);
}
