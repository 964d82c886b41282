#pragma once
// Reads the whole configuration of the open keyboard, one get command after
// the other, reports progress and commits everything to the model in one
// step once the last answer has arrived. Lives on the GUI thread and advances
// on the command engine's answer signals; its thread is never started.

#include <QMap>
#include <QPointer>
#include <QSharedPointer>
#include <QString>
#include <QThread>
#include <functional>

#include "common/keyboardtypes.h"

class UsbCommunicateUtil;
class KeyboardConfigUtil;

class SyncConfigUtil : public QThread {
    Q_OBJECT
public:
    // Uses the process-wide engine and model.
    SyncConfigUtil(uchar type, uchar scope, int progress, const QString& fileName,
                   QObject* parent = nullptr);
    SyncConfigUtil(UsbCommunicateUtil* engine, KeyboardConfigUtil* model, uchar type, uchar scope,
                   int progress, const QString& fileName, QObject* parent = nullptr);
    ~SyncConfigUtil() override;

    static constexpr uchar kSource = 1;

    // Reads the keyboard's tables again (scope 1) for a job and calls `done`
    // once with its outcome; the sync deletes itself afterwards.
    static SyncConfigUtil* readTables(UsbCommunicateUtil* engine, KeyboardConfigUtil* model,
                                      QObject* parent,
                                      const std::function<void(bool ok, int error)>& done);

signals:
    void sync_config_result(bool status, int value);

private slots:
    void onError(uchar source, uchar order, int error);
    void onProductInfo(uchar source, int current, int total);
    void onConfigInfo(uchar source, int current, int total);
    void onWholeParam(uchar source, int current, int total);
    void onCustomLight(uchar source, int current, int total);
    void onEffectName(uchar source, int current, int total);
    void onEffectLight(uchar source, int current, int total);
    void onKeyboardConfig(uchar source, int current, int total, uchar layer);
    void onHighKey(uchar source, int current, int total);
    void onMacroConfig(uchar source, int current, int total, uchar index);
    void onTriggerConfig(uchar source, int current, int total);

private:
    void connectEngine();
    void disconnectEngine();
    // Counts an answer frame; false when it is not ours or the sync is over.
    bool accept(const char* signal, uchar source);
    void commit();

    QPointer<UsbCommunicateUtil> mEngine;
    QPointer<KeyboardConfigUtil> mModel;
    uchar mType;
    uchar mScope;
    int mProgress;
    QString mFileName;
    uchar mLayer = 0;
    uchar mMacroIndex = 0;
    bool mFinished = false;
    bool mStarting = false;  // while the constructor sends the first command
    // Serial of the first request this sync began; earlier ones are not its own.
    quint64 mFirstSerial = 0;
};
