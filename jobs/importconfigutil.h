#pragma once
// Imports a configuration file into the open keyboard's active table: the
// file is decrypted and read on a worker thread, then written to the
// keyboard one set command after the other as the engine's answers arrive
// on the thread that owns this object; once the keyboard has taken
// everything, the result is committed to the model. Progress and result
// arrive as import_config_result: true with 0..99 progress, true with 100
// success, false with a negative code failure.

#include <QPointer>
#include <QString>
#include <QThread>
#include <QTimer>
#include <array>

#include "model/configfileformat.h"

class KeyboardConfigUtil;
class UsbCommunicateUtil;

class ImportConfigUtil : public QThread {
    Q_OBJECT
public:
    // Codes of the reading phase; the push reports the engine's own codes.
    enum Error {
        ErrorOpen = -21,          // no configuration file, or its database does not open
        ErrorProduct = -22,       // product_table
        ErrorOtherProduct = -23,  // the file belongs to another product
        ErrorConfig = -24,        // config_table
        ErrorParams = -25,        // params_table
        ErrorCustomLight = -26,
        ErrorEffectLight = -27,
        ErrorKeyboardFn = -28,
        ErrorKeyboardFn1 = -29,
        ErrorHighKey = -30,
        ErrorMacro = -31,  // a macro event outside its fields' ranges
        ErrorTrigger = -32,
        // A per-key table (custom lights, either key-map layer, triggers)
        // names other keys than the open keyboard holds: one missing or extra.
        ErrorKeySet = -33,
        // The file holds more advanced-key slots than the open keyboard has:
        // the keyboard would drop the rest while the model showed them.
        ErrorHighKeySlots = -34,
    };

    // Why a file was refused with ErrorKeySet: the first such table, in the
    // order the file is read, and the lowest key that is missing from it or
    // that the keyboard does not have.
    struct KeyMismatch {
        QString table;
        int key = -1;
        bool missing = false;
    };

    static constexpr uchar Source = 3;
    // Larger files cannot be configuration files; they are not read.
    static constexpr qint64 MaxFileSize = qint64(64) << 20;

    // Imports into UsbCommunicateUtil::instance() and KeyboardConfigUtil::instance().
    explicit ImportConfigUtil(const QString& fileName, QObject* parent = nullptr);
    ImportConfigUtil(UsbCommunicateUtil* engine, KeyboardConfigUtil* model, const QString& fileName,
                     QObject* parent = nullptr);
    ~ImportConfigUtil() override;

    QString fileName() const { return mFileName; }
    // What the reading phase took from the file; complete once the push has
    // started.
    const ConfigFileFormat::Content& content() const { return mContent; }
    // Set before the failure is reported; empty table otherwise.
    const KeyMismatch& keyMismatch() const { return mKeyMismatch; }

signals:
    void import_config_result(bool status, int value);

protected:
    void run() override;

private slots:
    void onCommunicateError(uchar source, uchar order, int error);
    void onSetConfigInfo(uchar source, int current, int total);
    void onConfigInfo(uchar source, int current, int total);
    void onSetWholeParam(uchar source, int current, int total);
    void onSetCustomLightAll(uchar source, int current, int total);
    void onSetEffectLightAll(uchar source, int current, int total);
    void onSetKeyboardConfig(uchar source, int current, int total, uchar layer);
    void onSetHighKey(uchar source, int current, int total);
    void onSetMacroConfig(uchar source, int current, int total, uchar index);
    void onDelMacroConfig(uchar source, int current, int total, uchar index);
    void onSetTriggerConfigAll(uchar source, int current, int total);

public:
    // How long the first two steps may wait for their answer: as long as the
    // engine waits for any other command before it gives up.
    static constexpr int kSilentStepMs = 3000;

private:
    enum Step {
        StepReading,
        StepSetConfigInfo,
        StepGetConfigInfo,
        StepWholeParam,
        StepCustomLight,
        StepEffectLight,
        StepKeyboardConfig,
        StepHighKey,
        StepMacro,
        StepTrigger,
        StepFinished
    };

    int readFile();
    // 0, or ErrorKeySet with mKeyMismatch filled in.
    int compareKeySets();
    void startPush();
    // True when the answer is this import's and belongs to the step in flight.
    bool accept(const char* signal, uchar source, Step step);
    void progress(int step);
    void sendMacro();
    void commit();
    void finish(bool status, int value);
    void onSilence();
    void connectEngine();
    void disconnectEngine();

    QPointer<UsbCommunicateUtil> mEngine;
    QPointer<KeyboardConfigUtil> mModel;
    QString mFileName;
    bool mProductLoaded = false;
    qint16 mProductSerial = 0;
    // The keys the keyboard holds in each per-key table, taken at
    // construction: custom lights, layer 0, layer 1, triggers.
    std::array<QList<quint8>, 4> mKeyboardKeys;
    // Advanced-key slots the keyboard reported; 0 when none were read.
    int mKeyboardHighKeySlots = 0;
    // The table the file is written into, renamed after the file's name.
    uchar mActiveTable = 0;
    // The advanced-key list sent: the file's, then free slots up to the
    // keyboard's count.
    HighKeyList mHighKeys;
    KeyMismatch mKeyMismatch;
    int mProgress = 0;
    ConfigFileFormat::Content mContent;
    Step mStep = StepReading;
    quint64 mFirstSerial = 0;  // the push's first request
    uchar mLayer = 0;
    uchar mMacroIndex = 0;
    QList<QMetaObject::Connection> mConnections;
    // The first two steps are sent without the engine's answer timer; this
    // ends the import when the keyboard stays silent there.
    QTimer mSilence;
};
