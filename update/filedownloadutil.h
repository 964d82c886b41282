#pragma once
// A DownloadManager that carries a caller-chosen type number through to its
// signals, so one downloader serves several kinds of file (the device page:
// 0 catalogue, 1 picture package). Every file it fetches must carry a
// signature by a trusted key (NAME.sig beside it), or it is refused.

#include <QObject>
#include <QString>
#include <QUrl>

class DownloadManager;

class FileDownloadUtil : public QObject {
    Q_OBJECT
public:
    enum Type { Catalogue = 0, Package = 1 };

    explicit FileDownloadUtil(QObject* parent = nullptr);
    ~FileDownloadUtil() override;

    void download(int type, const QUrl& url, const QString& filePath);
    bool isBusy() const;
    int type() const { return mType; }

signals:
    void download_progress(qlonglong bytesReceived, qlonglong bytesTotal);
    void download_finished(int type, QString filePath);
    void download_error(int type, QString error);

public slots:
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onFinished(const QString& filePath);

private slots:
    void onError(const QString& error);

private:
    DownloadManager* mDownloader;
    int mType = 0;
};
