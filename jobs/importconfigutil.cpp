#include "jobs/importconfigutil.h"

#include <QDebug>
#include <QFile>

#include "common/applog.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestersource.h"
#include "protocol/usbcommunicateutil.h"

namespace {

using Format = ConfigFileFormat;

// The lowest key in one list and not the other; -1 when both are the same.
// Both lists ascend.
int firstDifference(const QList<quint8>& keyboard, const QList<quint8>& file, bool* missing) {
    int k = 0;
    int f = 0;
    while (k < keyboard.size() || f < file.size()) {
        if (f == file.size() || (k < keyboard.size() && keyboard.at(k) < file.at(f))) {
            *missing = true;
            return keyboard.at(k);
        }
        if (k == keyboard.size() || file.at(f) < keyboard.at(k)) {
            *missing = false;
            return file.at(f);
        }
        ++k;
        ++f;
    }
    return -1;
}

}  // namespace

ImportConfigUtil::ImportConfigUtil(const QString& fileName, QObject* parent)
    : ImportConfigUtil(UsbCommunicateUtil::instance(), KeyboardConfigUtil::instance(), fileName,
                       parent) {}

ImportConfigUtil::ImportConfigUtil(UsbCommunicateUtil* engine, KeyboardConfigUtil* model,
                                   const QString& fileName, QObject* parent)
    : QThread(parent), mEngine(engine), mModel(model), mFileName(fileName) {
    AppLog::line(
        QStringLiteral("=== ImportConfigUtil 导入配置开始 fileName:{ %1 }===").arg(fileName));
    // The worker must not look at the live model: take what it compares now.
    if (model && model->keyboardProduct) {
        mProductLoaded = true;
        mProductSerial = model->keyboardProduct->serialNumber;
    }
    if (model) {
        mKeyboardKeys = {model->keyboardCustomLightMap.keys(), model->keyboardFnMap.keys(),
                         model->keyboardFn1Map.keys(), model->keyboardTriggerMap.keys()};
        mKeyboardHighKeySlots = model->keyboardHighKeyList.size();
        mActiveTable = model->keyboardConfigIndex;
    }
    connectEngine();
    mSilence.setSingleShot(true);
    mSilence.setInterval(kSilentStepMs);
    connect(&mSilence, &QTimer::timeout, this, &ImportConfigUtil::onSilence);
    // Started from the event loop, so that whoever created the import has
    // connected to its signals before the first one is emitted.
    QMetaObject::invokeMethod(
        this, [this] { start(); }, Qt::QueuedConnection);
}

ImportConfigUtil::~ImportConfigUtil() {
    disconnectEngine();
    wait();
    AppLog::line(QStringLiteral("=== ImportConfigUtil 导入配置结束 ==="));
}

void ImportConfigUtil::connectEngine() {
    UsbCommunicateUtil* e = mEngine.data();
    if (!e) return;
    using U = UsbCommunicateUtil;
    using I = ImportConfigUtil;
    mConnections = {
        connect(e, &U::usb_communicate_error, this, &I::onCommunicateError),
        connect(e, &U::usb_receive_set_config_info, this, &I::onSetConfigInfo),
        connect(e, &U::usb_receive_config_info, this, &I::onConfigInfo),
        connect(e, &U::usb_receive_set_whole_param, this, &I::onSetWholeParam),
        connect(e, &U::usb_receive_set_custom_light_all, this, &I::onSetCustomLightAll),
        connect(e, &U::usb_receive_set_effect_light_all, this, &I::onSetEffectLightAll),
        connect(e, &U::usb_receive_set_keyboard_config, this, &I::onSetKeyboardConfig),
        connect(e, &U::usb_receive_set_high_key, this, &I::onSetHighKey),
        connect(e, &U::usb_receive_set_macro_config, this, &I::onSetMacroConfig),
        connect(e, &U::usb_receive_del_macro_config, this, &I::onDelMacroConfig),
        connect(e, &U::usb_receive_set_trigger_config_all, this, &I::onSetTriggerConfigAll),
    };
}

void ImportConfigUtil::disconnectEngine() {
    for (const QMetaObject::Connection& c : std::as_const(mConnections)) disconnect(c);
    mConnections.clear();
}

// ---------------------------------------------------------------------------
// Reading (worker thread)

void ImportConfigUtil::progress(int step) {
    mProgress = qBound(0, mProgress + step, 99);
    emit import_config_result(true, mProgress);
}

void ImportConfigUtil::run() {
    AppLog::line(QStringLiteral("=== ImportConfigUtil 读取配置数据开始 ==="));
    mProgress = 0;
    const int code = readFile();
    QSqlDatabase::removeDatabase(Format::ConnectionName);
    if (code != 0) {
        emit import_config_result(false, code);
        return;
    }
    AppLog::line(QStringLiteral("=== ImportConfigUtil 读取配置数据结束，启动同步 ==="));
    // Commands go out on the thread that owns the engine.
    QMetaObject::invokeMethod(this, &ImportConfigUtil::startPush, Qt::QueuedConnection);
}

int ImportConfigUtil::readFile() {
    // A file this program wrote is whole cipher blocks; anything else is not
    // a configuration file and is not decrypted at all.
    QByteArray cipher;
    {
        QFile file(mFileName);
        if (!file.open(QIODevice::ReadOnly) || !Format::plausibleCipherLength(file.size()) ||
            file.size() > MaxFileSize)
            return ErrorOpen;
        cipher = file.readAll();
    }
    if (!Format::plausibleCipherLength(cipher.size())) return ErrorOpen;

    std::unique_ptr<QTemporaryFile> workingCopy = Format::createWorkingCopy();
    if (!workingCopy) return ErrorOpen;
    {
        const QByteArray plain = Format::decrypt(cipher);
        QFile out(workingCopy->fileName());
        if (plain.isEmpty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(plain) != plain.size())
            return ErrorOpen;
    }

    int code = 0;
    {
        bool opened = false;
        QSqlDatabase db = Format::openDatabase(workingCopy->fileName(), true, &opened);
        if (!opened) {
            code = ErrorOpen;
        } else {
            progress(3);
            Format::Content& c = mContent;
            if (Format::readProduct(db, &c.productInfo) != Format::ReadOk)
                code = ErrorProduct;
            else if (!mProductLoaded || c.productInfo.serialNumber != mProductSerial)
                code = ErrorOtherProduct;
            else if (Format::readConfigName(db, &c.configName) != Format::ReadOk)
                code = ErrorConfig;
            else if (Format::readParams(db, &c.wholeParam) != Format::ReadOk)
                code = ErrorParams;
            if (code == 0) progress(3);

            auto step = [&](Format::ReadResult result, int failure) {
                if (code != 0) return;
                if (result != Format::ReadOk)
                    code = failure;
                else
                    progress(3);
            };
            if (code == 0) step(Format::readCustomLights(db, &c.customLights), ErrorCustomLight);
            if (code == 0) step(Format::readEffectLights(db, &c.effectLights), ErrorEffectLight);
            if (code == 0)
                step(Format::readKeyMap(db, Format::KeyboardFnTable, &c.keyMaps[0]),
                     ErrorKeyboardFn);
            if (code == 0)
                step(Format::readKeyMap(db, Format::KeyboardFn1Table, &c.keyMaps[1]),
                     ErrorKeyboardFn1);
            if (code == 0) step(Format::readHighKeys(db, &c.highKeys), ErrorHighKey);
            if (code == 0) {
                Format::ReadResult macros = Format::ReadOk;
                for (int m = 0; m < Format::MacroCount && macros == Format::ReadOk; ++m)
                    macros = Format::readMacro(db, m, &c.macros[m]);
                step(macros, ErrorMacro);
            }
            if (code == 0) step(Format::readTriggers(db, &c.triggers), ErrorTrigger);
            if (code == 0) code = compareKeySets();
            if (code == 0 && mKeyboardHighKeySlots > 0 &&
                c.highKeys.size() > mKeyboardHighKeySlots) {
                AppLog::line(
                    QStringLiteral("=== ImportConfigUtil 高级键过多 file={%1};keyboard={%2} ===")
                        .arg(c.highKeys.size())
                        .arg(mKeyboardHighKeySlots));
                code = ErrorHighKeySlots;
            }
        }
        db.close();
    }
    return code;
}

// The bulk writes carry a frame's first key and then consecutive entries, and
// the model takes the file's maps whole: a table that lacks a key of the
// keyboard, or names one it does not have, cannot be written as it stands.
int ImportConfigUtil::compareKeySets() {
    const Format::Content& c = mContent;
    const std::array<QPair<Format::Table, QList<quint8>>, 4> fileKeys = {{
        {Format::CustomLightTable, c.customLights.keys()},
        {Format::KeyboardFnTable, c.keyMaps[0].keys()},
        {Format::KeyboardFn1Table, c.keyMaps[1].keys()},
        {Format::KeyTriggerTable, c.triggers.keys()},
    }};
    for (size_t i = 0; i < fileKeys.size(); ++i) {
        bool missing = false;
        const int key = firstDifference(mKeyboardKeys[i], fileKeys[i].second, &missing);
        if (key < 0) continue;
        mKeyMismatch = {Format::tableName(fileKeys[i].first), key, missing};
        AppLog::line(
            QStringLiteral("=== ImportConfigUtil 按键不匹配 table={%1};key={%2};missing={%3} ===")
                .arg(mKeyMismatch.table)
                .arg(key)
                .arg(missing ? 1 : 0));
        return ErrorKeySet;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Pushing (thread of the engine)

void ImportConfigUtil::startPush() {
    if (!mEngine) {
        finish(false, -200);
        return;
    }
    mStep = StepSetConfigInfo;
    mFirstSerial = mEngine->requestSerial() + 1;
    // Renamed like the main window renames a table: the active one, which
    // the following writes fill. Sent without the engine's timer; our own
    // keeps a silent keyboard from holding the import forever.
    mSilence.start();
    mEngine->setConfigInfo(Source, false, mActiveTable, mContent.configName);
}

bool ImportConfigUtil::accept(const char* signal, uchar source, Step step) {
    if (!RequesterSource::accept(this, Source, source, signal)) return false;
    // A repeated answer of a step already done must not run the sequence twice.
    if (mStep != step || !mEngine) return false;
    progress(5);
    return true;
}

void ImportConfigUtil::onCommunicateError(uchar source, uchar order, int error) {
    // Errors of other requesters (a command the import's first one replaced
    // included) are not the import's.
    RequesterSource::logError(this, source, order, error);
    if (mStep == StepReading || mStep == StepFinished ||
        !RequesterSource::accept(this, Source, source, "onCommunicateError"))
        return;
    // The queued end of a request begun before the push is not the import's.
    const quint64 ending = mEngine->endingRequestSerial();
    if (ending != 0 && ending < mFirstSerial) return;
    finish(false, error);
}

void ImportConfigUtil::onSetConfigInfo(uchar source, int current, int total) {
    if (!accept("usb_receive_set_config_info", source, StepSetConfigInfo) || current < total)
        return;
    mStep = StepGetConfigInfo;
    mSilence.start();
    mEngine->getConfigInfo(Source, false);
}

void ImportConfigUtil::onConfigInfo(uchar source, int current, int total) {
    if (!accept("usb_receive_config_info", source, StepGetConfigInfo)) return;
    mSilence.start();  // each frame of the table list restarts the wait
    if (current < total) return;
    mSilence.stop();
    mStep = StepWholeParam;
    mEngine->setWholeParam(Source, true, mContent.wholeParam);
}

void ImportConfigUtil::onSetWholeParam(uchar source, int current, int total) {
    if (!accept("usb_receive_set_whole_param", source, StepWholeParam) || current < total) return;
    mStep = StepCustomLight;
    mEngine->setCustomLightAll(Source, true,
                               QSharedPointer<CustomLightMap>::create(mContent.customLights));
}

void ImportConfigUtil::onSetCustomLightAll(uchar source, int current, int total) {
    if (!accept("usb_receive_set_custom_light_all", source, StepCustomLight) || current < total)
        return;
    mStep = StepEffectLight;
    mEngine->setEffectLightAll(Source, true,
                               QSharedPointer<EffectLightMap>::create(mContent.effectLights));
}

void ImportConfigUtil::onSetEffectLightAll(uchar source, int current, int total) {
    if (!accept("usb_receive_set_effect_light_all", source, StepEffectLight) || current < total)
        return;
    mStep = StepKeyboardConfig;
    mLayer = 0;
    mEngine->setKeyboardConfig(Source, true, 0,
                               QSharedPointer<KeyBindingMap>::create(mContent.keyMaps[0]));
}

void ImportConfigUtil::onSetKeyboardConfig(uchar source, int current, int total, uchar) {
    if (!accept("usb_receive_set_keyboard_config", source, StepKeyboardConfig) || current < total)
        return;
    if (mLayer == 0) {
        mLayer = 1;
        mEngine->setKeyboardConfig(Source, true, 1,
                                   QSharedPointer<KeyBindingMap>::create(mContent.keyMaps[1]));
        return;
    }
    mStep = StepHighKey;
    // The keyboard keeps its own slot count: slots the file does not fill
    // are written free, else the keyboard would keep (or, for an empty list,
    // never be sent) records the model no longer showed.
    mHighKeys.clear();
    for (const HighKeyPtr& slot : std::as_const(mContent.highKeys))
        mHighKeys.append(HighKeyPtr::create(*slot));
    while (mHighKeys.size() < mKeyboardHighKeySlots)
        mHighKeys.append(HighKeyPtr::create());  // item 255, kind 0, zero data: free
    mEngine->setHighKey(Source, true, mHighKeys);
}

void ImportConfigUtil::onSetHighKey(uchar source, int current, int total) {
    if (!accept("usb_receive_set_high_key", source, StepHighKey) || current < total) return;
    mStep = StepMacro;
    mMacroIndex = 0;
    sendMacro();
}

void ImportConfigUtil::sendMacro() {
    const MacroEventList& events = mContent.macros[mMacroIndex];
    // An empty macro in the file must empty the keyboard's macro too: a set
    // with no events sends nothing and would leave the old one in place.
    if (events.isEmpty())
        mEngine->delMacroConfig(Source, true, mMacroIndex);
    else
        mEngine->setMacroConfig(Source, true, mMacroIndex, events);
}

void ImportConfigUtil::onSetMacroConfig(uchar source, int current, int total, uchar) {
    if (!accept("usb_receive_set_macro_config", source, StepMacro) || current < total) return;
    if (++mMacroIndex < Format::MacroCount) {
        sendMacro();
        return;
    }
    mStep = StepTrigger;
    mEngine->setTriggerConfigAll(Source, true,
                                 QSharedPointer<TriggerMap>::create(mContent.triggers));
}

void ImportConfigUtil::onDelMacroConfig(uchar source, int current, int total, uchar index) {
    onSetMacroConfig(source, current, total, index);
}

void ImportConfigUtil::onSetTriggerConfigAll(uchar source, int current, int total) {
    if (!accept("usb_receive_set_trigger_config_all", source, StepTrigger) || current < total)
        return;
    commit();
    finish(true, 100);
}

void ImportConfigUtil::commit() {
    KeyboardConfigUtil* model = mModel.data();
    if (!model) return;
    UsbCommunicateUtil* e = mEngine.data();
    e->commitWholeParam(model);
    e->commitConfigInfo(model);
    e->commitCustomLight(model);
    e->commitEffectLight(model);
    e->commitKeyboardConfig(model, 0);
    e->commitKeyboardConfig(model, 1);
    // The engine stages what the keyboard sends back, not what was written
    // to it: advanced keys and macros are what was sent, which the keyboard
    // has just accepted.
    model->keyboardHighKeyList.clear();
    for (const HighKeyPtr& slot : std::as_const(mHighKeys))
        model->keyboardHighKeyList.append(HighKeyPtr::create(*slot));
    for (int m = 0; m < Format::MacroCount; ++m) {
        model->keyboardMacroList[m].clear();
        for (const MacroEventPtr& event : std::as_const(mContent.macros[m]))
            model->keyboardMacroList[m].append(MacroEventPtr::create(*event));
    }
    e->commitTriggerConfig(model);
}

void ImportConfigUtil::onSilence() {
    if (mStep != StepSetConfigInfo && mStep != StepGetConfigInfo) return;
    AppLog::line(QStringLiteral("=== ImportConfigUtil 键盘没有应答 step={%1} ===").arg(int(mStep)));
    finish(false, UsbProtocol::ErrorNoAnswer);
}

void ImportConfigUtil::finish(bool status, int value) {
    mSilence.stop();
    mStep = StepFinished;
    disconnectEngine();
    emit import_config_result(status, value);
}
