#pragma once
// Downloads one file at a time into a local path, reporting progress,
// completion and errors. The file is written through QSaveFile, so a failed
// or cut download leaves no partial file at the path. With a signature
// required (catalogue, picture packages), NAME.sig is fetched too and the
// file reaches its path only when a trusted key signed its bytes.

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;
class QSaveFile;

class DownloadManager : public QObject {
    Q_OBJECT
public:
    explicit DownloadManager(QObject* parent = nullptr);
    ~DownloadManager() override;

    // An empty url (no server configured) ends in error(noServerText); a url
    // UpdateServer::transportRefusal refuses ends in error before connecting.
    void download(const QUrl& url, const QString& filePath);
    bool isBusy() const { return mReply != nullptr || mSignatureReply != nullptr; }
    void setSignatureRequired(bool required) { mSignatureRequired = required; }
    // Stops a running download; it ends with an error and no file.
    void abort();

    static QString anotherDownloadText() { return QStringLiteral("Another download in progress"); }
    static QString cannotOpenText() { return QStringLiteral("Cannot open file for writing"); }
    static constexpr int kTransferTimeoutMs = 30000;

signals:
    void progress(qlonglong bytesReceived, qlonglong bytesTotal);
    void finished(QString filePath);
    void error(QString error);

public slots:
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onFinished();

private:
    void onReadyRead();
    void onSignatureFinished();
    void commit();
    void fail(const QString& text);
    QNetworkReply* get(const QUrl& url);

    QNetworkAccessManager* mManager;
    QPointer<QNetworkReply> mReply;
    QPointer<QNetworkReply> mSignatureReply;
    bool mSignatureRequired = false;
    QByteArray mData;  // what was written, when a signature must vouch for it
    QUrl mUrl;
    std::unique_ptr<QSaveFile> mFile;
    QString mFilePath;
    bool mWriteFailed = false;
};
