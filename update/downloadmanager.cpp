#include "update/downloadmanager.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>

#include "update/updateserver.h"

DownloadManager::DownloadManager(QObject* parent)
    : QObject(parent), mManager(new QNetworkAccessManager(this)) {}

DownloadManager::~DownloadManager() {
    if (mReply) {
        mReply->disconnect(this);
        mReply->abort();
        delete mReply;
    }
    if (mFile) mFile->cancelWriting();
}

void DownloadManager::download(const QUrl& url, const QString& filePath) {
    if (mReply) {
        emit error(anotherDownloadText());
        return;
    }
    if (url.isEmpty()) {
        emit error(UpdateServer::noServerText());
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
    QNetworkRequest request(url);
    request.setTransferTimeout(kTransferTimeoutMs);
    mReply = mManager->get(request);
    qInfo().noquote() << QStringLiteral("=== DownloadManager 开始下载:{ ") + url.toString() +
                             QStringLiteral(" } -> { ") + filePath + QStringLiteral(" } ===");
    connect(mReply, &QNetworkReply::downloadProgress, this, &DownloadManager::onDownloadProgress);
    connect(mReply, &QNetworkReply::readyRead, this, &DownloadManager::onReadyRead);
    connect(mReply, &QNetworkReply::finished, this, &DownloadManager::onFinished);
}

void DownloadManager::abort() {
    if (mReply) mReply->abort();
}

void DownloadManager::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal) {
    emit progress(bytesReceived, bytesTotal);
}

void DownloadManager::onReadyRead() {
    if (!mReply || !mFile || mWriteFailed) return;
    const QByteArray data = mReply->readAll();
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
        fail(mWriteFailed ? QStringLiteral("Cannot write file") : reply->errorString());
        return;
    }
    const QByteArray rest = reply->readAll();
    if (mFile->write(rest) != rest.size() || !mFile->commit()) {
        fail(QStringLiteral("Cannot write file"));
        return;
    }
    mFile.reset();
    qInfo().noquote() << QStringLiteral("=== DownloadManager 下载完成:{ ") + mFilePath +
                             QStringLiteral(" } ===");
    emit finished(mFilePath);
}

void DownloadManager::fail(const QString& text) {
    if (mFile) {
        mFile->cancelWriting();
        mFile.reset();
    }
    QFile::remove(mFilePath);
    qWarning().noquote() << QStringLiteral("=== DownloadManager 下载失败:{ ") + text +
                                QStringLiteral(" } ===");
    emit error(text);
}
