#include "update/filedownloadutil.h"

#include <QDebug>

#include "update/downloadmanager.h"

FileDownloadUtil::FileDownloadUtil(QObject* parent)
    : QObject(parent), mDownloader(new DownloadManager(this)) {
    // The catalogue and picture packages have no signed MD5 elsewhere: their
    // own signature vouches for them before they reach their path.
    mDownloader->setSignatureRequired(true);
    connect(mDownloader, &DownloadManager::progress, this, &FileDownloadUtil::onDownloadProgress);
    connect(mDownloader, &DownloadManager::finished, this, &FileDownloadUtil::onFinished);
    connect(mDownloader, &DownloadManager::error, this, &FileDownloadUtil::onError);
    qInfo().noquote() << QStringLiteral("=== FileDownloadUtil 文件下载对象创建 ===");
}

FileDownloadUtil::~FileDownloadUtil() {
    // Deleting the downloader deletes a reply in progress; nothing may be
    // reported to a half-destroyed owner.
    mDownloader->disconnect(this);
    delete mDownloader;
    qInfo().noquote() << QStringLiteral("=== FileDownloadUtil 文件下载对象销毁 ===");
}

void FileDownloadUtil::download(int type, const QUrl& url, const QString& filePath) {
    if (mDownloader->isBusy()) {
        // The running download keeps its type.
        emit download_error(type, DownloadManager::anotherDownloadText());
        return;
    }
    mType = type;
    mDownloader->download(url, filePath);
}

bool FileDownloadUtil::isBusy() const {
    return mDownloader->isBusy();
}

void FileDownloadUtil::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal) {
    emit download_progress(bytesReceived, bytesTotal);
}

void FileDownloadUtil::onFinished(const QString& filePath) {
    emit download_finished(mType, filePath);
}

void FileDownloadUtil::onError(const QString& error) {
    emit download_error(mType, error);
}
