#pragma once
// The application log "app.log": one line per Qt message, written from any
// thread through one file object and flushed at once, so that the last lines
// before a crash are on disk.

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QString>
#include <QtGlobal>

class LogFile {
public:
    // A file larger than this is deleted when the log is opened.
    static constexpr qint64 kMaxSize = 0xA00000;

    explicit LogFile(const QString& path = QStringLiteral("app.log"));
    ~LogFile();

    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Deletes an oversized file, then opens the file for appending.
    bool open();
    bool isOpen() const;
    QString path() const { return mPath; }

    // "yyyy-MM-dd hh:mm:ss.zzz [type] message"; dropped when the file is not open.
    void write(QtMsgType type, const QString& message);

    static QString formatLine(const QDateTime& time, QtMsgType type, const QString& message);

    // Routes every Qt message of the process into this file. The file must
    // stay alive until uninstall() has returned.
    static void install(LogFile* log);
    // Restores Qt's default output; safe to call when nothing is installed.
    static void uninstall();
    static LogFile* installed();

private:
    static void messageHandler(QtMsgType type, const QMessageLogContext& context,
                               const QString& message);

    QString mPath;
    QFile mFile;
    mutable QMutex mMutex;
};
