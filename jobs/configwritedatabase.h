#pragma once
// Writes the configuration model to an encrypted configuration file on a
// worker thread. Progress and the result arrive as config_write_result:
// true with 0..99 is progress, true with 100 success, false with a negative
// code failure.

#include <QPointer>
#include <QString>
#include <QThread>

#include "model/configfileformat.h"

class KeyboardConfigUtil;

class ConfigWriteDatabase : public QThread {
    Q_OBJECT
public:
    // Codes of config_write_result(false, code).
    enum Error {
        ErrorWorkingCopy = -21,
        ErrorPlainUnreadable = -52,   // the finished working copy could not be read
        ErrorTargetUnwritable = -53,  // the target could not be written
    };

    // Exports KeyboardConfigUtil::instance().
    explicit ConfigWriteDatabase(const QString& fileName, QObject* parent = nullptr);
    ConfigWriteDatabase(KeyboardConfigUtil* model, const QString& fileName,
                        QObject* parent = nullptr);
    ~ConfigWriteDatabase() override;

    QString fileName() const { return mFileName; }

    // Encrypts the plain database file into the target, replacing the target
    // only once the whole new file is on disk. 0, ErrorPlainUnreadable or
    // ErrorTargetUnwritable.
    static int encryptToTarget(const QString& plainFile, const QString& target);

signals:
    void config_write_result(bool status, int value);

protected:
    void run() override;

private:
    void progress(int step);
    int writeTables(QSqlDatabase& db);

    QString mFileName;
    // Taken when the export is created, on the thread that owns the model:
    // the worker never touches the live containers.
    ConfigFileFormat::Content mContent;
    int mProgress = 0;
};
