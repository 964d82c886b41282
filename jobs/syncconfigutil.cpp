#include "jobs/syncconfigutil.h"

#include <QDebug>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestersource.h"
#include "protocol/usbcommunicateutil.h"

SyncConfigUtil::SyncConfigUtil(uchar type, uchar scope, int progress, const QString& fileName,
                               QObject* parent)
    : SyncConfigUtil(UsbCommunicateUtil::instance(), KeyboardConfigUtil::instance(), type, scope,
                     progress, fileName, parent) {}

SyncConfigUtil::SyncConfigUtil(UsbCommunicateUtil* engine, KeyboardConfigUtil* model, uchar type,
                               uchar scope, int progress, const QString& fileName, QObject* parent)
    : QThread(parent),
      mEngine(engine),
      mModel(model),
      mType(type),
      mScope(scope),
      mProgress(progress),
      mFileName(fileName) {
    qDebug().noquote() << QStringLiteral(
                              "=== SyncConfigUtil 同步配置创建 "
                              "type={%1};scope={%2};progress={%3};fileName={%4}===")
                              .arg(type)
                              .arg(scope)
                              .arg(progress)
                              .arg(fileName);
    if (!mEngine) return;
    connectEngine();
    mFirstSerial = mEngine->requestSerial() + 1;
    mStarting = true;
    if (mScope == 0)
        mEngine->getProductInfo(kSource, true);
    else
        mEngine->getConfigInfo(kSource, true);
    mStarting = false;
}

SyncConfigUtil* SyncConfigUtil::readTables(UsbCommunicateUtil* engine, KeyboardConfigUtil* model,
                                           QObject* parent,
                                           const std::function<void(bool ok, int error)>& done) {
    auto* sync = new SyncConfigUtil(engine, model, 1, 1, 0, QString(), parent);
    connect(sync, &SyncConfigUtil::sync_config_result, parent,
            [sync, done](bool status, int value) {
                if (status && value < 100) return;
                sync->deleteLater();
                done(status, status ? 0 : value);
            });
    return sync;
}

SyncConfigUtil::~SyncConfigUtil() {
    disconnectEngine();
    qDebug().noquote() << QStringLiteral("=== SyncConfigUtil 同步配置销毁 ===");
}

void SyncConfigUtil::connectEngine() {
    UsbCommunicateUtil* e = mEngine;
    connect(e, &UsbCommunicateUtil::usb_communicate_error, this, &SyncConfigUtil::onError);
    connect(e, &UsbCommunicateUtil::usb_receive_product_info, this, &SyncConfigUtil::onProductInfo);
    connect(e, &UsbCommunicateUtil::usb_receive_config_info, this, &SyncConfigUtil::onConfigInfo);
    connect(e, &UsbCommunicateUtil::usb_receive_whole_param, this, &SyncConfigUtil::onWholeParam);
    connect(e, &UsbCommunicateUtil::usb_receive_custom_light, this, &SyncConfigUtil::onCustomLight);
    connect(e, &UsbCommunicateUtil::usb_receive_set_effect_light_language, this,
            &SyncConfigUtil::onEffectName);
    connect(e, &UsbCommunicateUtil::usb_receive_effect_light, this, &SyncConfigUtil::onEffectLight);
    connect(e, &UsbCommunicateUtil::usb_receive_keyboard_config, this,
            &SyncConfigUtil::onKeyboardConfig);
    connect(e, &UsbCommunicateUtil::usb_receive_high_key, this, &SyncConfigUtil::onHighKey);
    connect(e, &UsbCommunicateUtil::usb_receive_macro_config, this, &SyncConfigUtil::onMacroConfig);
    connect(e, &UsbCommunicateUtil::usb_receive_trigger_config, this,
            &SyncConfigUtil::onTriggerConfig);
}

void SyncConfigUtil::disconnectEngine() {
    if (mEngine) disconnect(mEngine, nullptr, this, nullptr);
}

bool SyncConfigUtil::accept(const char* signal, uchar source) {
    if (!RequesterSource::accept(this, kSource, source, signal) || mFinished) return false;
    mProgress = qBound(0, mProgress + 5, 99);
    emit sync_config_result(true, mProgress);
    return true;
}

void SyncConfigUtil::onError(uchar source, uchar order, int error) {
    RequesterSource::logError(this, source, order, error);
    // Another requester's command that the sync's own first command replaced
    // ends with an error too: it is not the sync's.
    if (mFinished || !RequesterSource::accept(this, kSource, source, "onError")) return;
    // The queued end of a request begun before this sync (the old link's
    // sync, say) is not this sync's failure.
    const quint64 ending = mEngine->endingRequestSerial();
    if (ending != 0 && ending < mFirstSerial) return;
    mFinished = true;
    if (mStarting) {
        // The first send failed inside the constructor, before the creator
        // could connect to the result: it goes out once the creator has.
        QMetaObject::invokeMethod(
            this, [this, error] { emit sync_config_result(false, error); }, Qt::QueuedConnection);
        return;
    }
    emit sync_config_result(false, error);
}

void SyncConfigUtil::onProductInfo(uchar source, int current, int total) {
    if (!accept("usb_receive_product_info", source) || current < total) return;
    mEngine->getConfigInfo(kSource, true);
}

void SyncConfigUtil::onConfigInfo(uchar source, int current, int total) {
    if (!accept("usb_receive_config_info", source) || current < total) return;
    mEngine->getWholeParam(kSource, true);
}

void SyncConfigUtil::onWholeParam(uchar source, int current, int total) {
    if (!accept("usb_receive_whole_param", source) || current < total) return;
    mEngine->getCustomLight(kSource, true);
}

void SyncConfigUtil::onCustomLight(uchar source, int current, int total) {
    if (!accept("usb_receive_custom_light", source) || current < total) return;
    mEngine->getEffectLightName(kSource, true);
}

void SyncConfigUtil::onEffectName(uchar source, int current, int total) {
    if (!accept("usb_receive_set_effect_light_language", source) || current < total) return;
    mEngine->getEffectLight(kSource, true, 0xFF);
}

void SyncConfigUtil::onEffectLight(uchar source, int current, int total) {
    if (!accept("usb_receive_effect_light", source) || current < total) return;
    mLayer = 0;
    mEngine->getKeyboardConfig(kSource, true, mLayer);
}

void SyncConfigUtil::onKeyboardConfig(uchar source, int current, int total, uchar) {
    if (!accept("usb_receive_keyboard_config", source) || current < total) return;
    if (mLayer == 0) {
        mLayer = 1;
        mEngine->getKeyboardConfig(kSource, true, mLayer);
        return;
    }
    mEngine->getHighKey(kSource, true);
}

void SyncConfigUtil::onHighKey(uchar source, int current, int total) {
    if (!accept("usb_receive_high_key", source) || current < total) return;
    mMacroIndex = 0;
    mEngine->getMacroConfig(kSource, true, mMacroIndex);
}

void SyncConfigUtil::onMacroConfig(uchar source, int current, int total, uchar) {
    if (!accept("usb_receive_macro_config", source) || current < total) return;
    ++mMacroIndex;
    if (mMacroIndex < 10)
        mEngine->getMacroConfig(kSource, true, mMacroIndex);
    else
        mEngine->getTriggerConfig(kSource, true);
}

void SyncConfigUtil::onTriggerConfig(uchar source, int current, int total) {
    if (!accept("usb_receive_trigger_config", source) || current < total) return;
    commit();
    mFinished = true;
    emit sync_config_result(true, 100);
}

void SyncConfigUtil::commit() {
    if (!mModel) return;
    UsbCommunicateUtil* e = mEngine;
    KeyboardConfigUtil* m = mModel;
    if (mScope == 0) e->commitProductInfo(m);
    e->commitConfigInfo(m);
    e->commitWholeParam(m);
    e->commitCustomLight(m);
    e->commitEffectName(m);
    e->commitEffectLight(m);
    e->commitKeyboardConfig(m, 0);
    e->commitKeyboardConfig(m, 1);
    e->commitHighKey(m);
    for (uchar i = 0; i < 10; ++i) e->commitMacro(m, i);
    e->commitTriggerConfig(m);
}
