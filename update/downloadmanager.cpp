#include "update/downloadmanager.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#ifndef QT_NO_SSL
#include <QSslError>
#endif
#include <QSaveFile>

#include "common/signatureverifier.h"
#include "update/updateserver.h"

DownloadManager::DownloadManager(QObject* parent)
    : QObject(parent), mManager(new QNetworkAccessManager(this)) {}

DownloadManager::~DownloadManager() {
    for (QNetworkReply* reply : {mReply.data(), mSignatureReply.data()}) {
        if (!reply) continue;
        reply->disconnect(this);
        reply->abort();
        delete reply;
    }
    if (mFile) mFile->cancelWriting();
}

QNetworkReply* DownloadManager::get(const QUrl& url) {
    return UpdateServer::get(mManager, url, kTransferTimeoutMs, "DownloadManager");
}

void DownloadManager::download(const QUrl& url, const QString& filePath) {
    if (isBusy()) {
        emit error(anotherDownloadText());
        return;
    }
    if (url.isEmpty()) {
        emit error(UpdateServer::noServerText());
        return;
    }
    const QString refusal = UpdateServer::transportRefusal(url);
    if (!refusal.isEmpty()) {
        emit error(refusal);
        return;
    }
    // Like truncating the target: whatever lay there is gone, and a failed
    // download leaves nothing at the path.
    if (filePath.isEmpty() || !QDir().mkpath(QFileInfo(filePath).absolutePath())) {
        emit error(cannotOpenText());
        return;
    }
    QFile::remove(filePath);
    mFile = std::make_unique<QSaveFile>(filePath);
    if (!mFile->open(QIODevice::WriteOnly)) {
        mFile.reset();
        emit error(cannotOpenText());
        return;
    }
    mFilePath = filePath;
    mWriteFailed = false;
    mData.clear();
    mUrl = url;
    mReply = get(url);
    qInfo().noquote() << QStringLiteral("=== DownloadManager 开始下载:{ ") + url.toString() +
                             QStringLiteral(" } -> { ") + filePath + QStringLiteral(" } ===");
    connect(mReply, &QNetworkReply::downloadProgress, this, &DownloadManager::onDownloadProgress);
    connect(mReply, &QNetworkReply::readyRead, this, &DownloadManager::onReadyRead);
    connect(mReply, &QNetworkReply::finished, this, &DownloadManager::onFinished);
}

void DownloadManager::abort() {
    if (mReply) mReply->abort();
    if (mSignatureReply) mSignatureReply->abort();
}

void DownloadManager::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal) {
    emit progress(bytesReceived, bytesTotal);
}

void DownloadManager::onReadyRead() {
    if (!mReply || !mFile || mWriteFailed) return;
    const QByteArray data = mReply->readAll();
    if (mSignatureRequired) mData += data;
    if (mFile->write(data) != data.size()) {
        mWriteFailed = true;
        mReply->abort();
    }
}

void DownloadManager::onFinished() {
    QNetworkReply* reply = mReply.data();
    if (!reply) return;
    mReply = nullptr;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError || mWriteFailed) {
        fail(mWriteFailed ? tr("无法写入文件") : reply->errorString());
        return;
    }
    const QByteArray rest = reply->readAll();
    if (mFile->write(rest) != rest.size()) {
        fail(tr("无法写入文件"));
        return;
    }
    if (!mSignatureRequired) {
        commit();
        return;
    }
    // Nothing is at the path yet: the signature decides whether it will be.
    mData += rest;
    QUrl sigUrl = mUrl;
    sigUrl.setPath(mUrl.path() + QStringLiteral(".sig"));
    mSignatureReply = get(sigUrl);
    connect(mSignatureReply, &QNetworkReply::finished, this, &DownloadManager::onSignatureFinished);
}

void DownloadManager::onSignatureFinished() {
    QNetworkReply* reply = mSignatureReply.data();
    if (!reply) return;
    mSignatureReply = nullptr;
    reply->deleteLater();
    if (reply->error() == QNetworkReply::OperationCanceledError) {
        fail(reply->errorString());
        return;
    }
    const QByteArray signature =
        reply->error() == QNetworkReply::NoError ? reply->read(65) : QByteArray();
    const QByteArray data = mData;
    mData.clear();
    const SignatureVerifier::Result result =
        SignatureVerifier::verify(data, signature, mUrl.toString());
    if (result != SignatureVerifier::Valid) {
        fail(SignatureVerifier::refusalText(result, QFileInfo(mUrl.path()).fileName()));
        return;
    }
    commit();
}

void DownloadManager::commit() {
    if (!mFile->commit()) {
        fail(tr("无法写入文件"));
        return;
    }
    mFile.reset();
    qInfo().noquote() << QStringLiteral("=== DownloadManager 下载完成:{ ") + mFilePath +
                             QStringLiteral(" } ===");
    emit finished(mFilePath);
}

void DownloadManager::fail(const QString& text) {
    mData.clear();
    if (mFile) {
        mFile->cancelWriting();
        mFile.reset();
    }
    QFile::remove(mFilePath);
    qWarning().noquote() << QStringLiteral("=== DownloadManager 下载失败:{ ") + text +
                                QStringLiteral(" } ===");
    emit error(text);
}
