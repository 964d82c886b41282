#pragma once
// The keyboard command engine: opens the link (USB HID or Bluetooth), sends
// one command at a time, waits for the matching answer with a 1000 ms timer
// and two re-sends, decodes answers into staging buffers and reports every
// answer frame as a signal carrying the requester's source code.
//
// Each command is one entry of the command table (request code, sender,
// receive handler) plus a public operation, a payload builder and a decoder.
//
// Every request ends exactly once, for its own source and answer code:
// either its answer signal(s) followed by usb_request_done, or
// usb_communicate_error (no answer after three sends, a failed write, too
// many items, superseded by another operation, or the link closed or lost).
// The pages' request queues, the sync, import and export jobs and the main
// window's table commands rely on this to free their dialogs and flags.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSharedPointer>
#include <QTimer>
#include <array>

#include "common/keyboardtypes.h"
#include "link/hidbackend.h"
#include "link/usbreceivethread.h"

class BluetoothLink;
class KeyboardConfigUtil;

class UsbCommunicateUtil : public QObject {
    Q_OBJECT
public:
    // backend null: the process-wide HID backend. bluetooth null: mode 1 is
    // unavailable (opening it reports the Bluetooth error path).
    explicit UsbCommunicateUtil(BluetoothLink* bluetooth = nullptr, HidBackend* backend = nullptr,
                                QObject* parent = nullptr);
    ~UsbCommunicateUtil() override;

    static UsbCommunicateUtil* instance();

    // --- lifecycle ---
    void openCommunicate(int type);
    void communicateDevice();
    void closeCommunicate();
    bool isBluetoothConnected() const;
    bool isConnected() const;
    int mode() const { return mMode; }
    void setBluetoothLink(BluetoothLink* bluetooth);

    // Effective application language (1 Chinese, 2 English, 3 Vietnamese):
    // picks the language of the effect names the keyboard reports.
    void setEffectiveLanguage(int language) { mEffectiveLanguage = language; }
    static uchar effectNameLanguageCode(int effectiveLanguage);

    // --- commands: (source, waitAnswer, arguments) ---
    void getProductInfo(const uchar& source, const bool& waitAnswer);
    void getConfigInfo(const uchar& source, const bool& waitAnswer);
    void setConfigInfo(const uchar& source, const bool& waitAnswer, const uchar& index,
                       const QString& name);
    void addConfigTable(const uchar& source, const bool& waitAnswer, const uchar& index);
    void delConfigTable(const uchar& source, const bool& waitAnswer, const uchar& index);
    void switchConfigTable(const uchar& source, const bool& waitAnswer, const uchar& index);
    void getWholeParam(const uchar& source, const bool& waitAnswer);
    void setWholeParam(const uchar& source, const bool& waitAnswer, const WholeParam& param);
    void getKeyboardConfig(const uchar& source, const bool& waitAnswer, const uchar& layer);
    void setKeyboardConfig(const uchar& source, const bool& waitAnswer, const uchar& layer,
                           const QSharedPointer<KeyBindingMap>& map);
    void setKeyboardDefault(const uchar& source, const bool& waitAnswer, const uchar& layer,
                            const QByteArray& keys);
    void getCustomLight(const uchar& source, const bool& waitAnswer);
    void setCustomLight(const uchar& source, const bool& waitAnswer, const EffectLightEntry& colour,
                        const QByteArray& keys);
    void setCustomLightAll(const uchar& source, const bool& waitAnswer,
                           const QSharedPointer<CustomLightMap>& map);
    void getEffectLight(const uchar& source, const bool& waitAnswer, const uchar& index);
    void setEffectLight(const uchar& source, const bool& waitAnswer, const EffectLightEntry& entry);
    void setEffectLightAll(const uchar& source, const bool& waitAnswer,
                           const QSharedPointer<EffectLightMap>& map);
    void selectEffectLight(const uchar& source, const bool& waitAnswer, const uchar& index);
    void getEffectLightName(const uchar& source, const bool& waitAnswer);
    void getHighKey(const uchar& source, const bool& waitAnswer);
    void addHighKey(const uchar& source, const bool& waitAnswer, const HIGH_KEY_INFO& entry);
    void setHighKey(const uchar& source, const bool& waitAnswer, const HighKeyList& list);
    void delHighKey(const uchar& source, const bool& waitAnswer, const HIGH_KEY_INFO& entry);
    void getMacroConfig(const uchar& source, const bool& waitAnswer, const uchar& index);
    void setMacroConfig(const uchar& source, const bool& waitAnswer, const uchar& index,
                        const MacroEventList& events);
    void delMacroConfig(const uchar& source, const bool& waitAnswer, const uchar& index);
    void getTriggerConfig(const uchar& source, const bool& waitAnswer);
    void setTriggerConfig(const uchar& source, const bool& waitAnswer,
                          const TriggerSetting& setting, const QByteArray& keys);
    void setTriggerConfigAll(const uchar& source, const bool& waitAnswer,
                             const QSharedPointer<TriggerMap>& map);
    void setQuickTriggerConfig(const uchar& source, const bool& waitAnswer,
                               const QuickTriggerList& list);
    void getCalibrationState(const uchar& source, const bool& waitAnswer);
    void setReportCalibration(const uchar& source, const bool& waitAnswer, const int& on);
    void saveCalibration(const uchar& source, const bool& waitAnswer);
    void resetKeyboard(const uchar& source, const bool& waitAnswer);
    void downloadFirewareKeyboard(const uchar& source, const bool& waitAnswer, const quint16& block,
                                  const int& length, const QByteArray& data);
    void downloadFirewareKeyboardEnd(const uchar& source, const bool& waitAnswer,
                                     const quint32& first, const quint32& second);
    void downloadFirewareData(const uchar& source, const bool& waitAnswer, const quint16& block,
                              const int& length, const QByteArray& data);

    // --- commit operations: staging buffers into the model, then emptied ---
    void commitProductInfo(KeyboardConfigUtil* model);
    void commitConfigInfo(KeyboardConfigUtil* model);
    void commitWholeParam(KeyboardConfigUtil* model);
    void commitCustomLight(KeyboardConfigUtil* model);
    void commitEffectLight(KeyboardConfigUtil* model);
    void commitEffectName(KeyboardConfigUtil* model);
    void commitKeyboardConfig(KeyboardConfigUtil* model, uchar layer);
    void commitHighKey(KeyboardConfigUtil* model);
    void commitMacro(KeyboardConfigUtil* model, uchar index);
    void commitTriggerConfig(KeyboardConfigUtil* model);
    // Writes that change the model in place once confirmed.
    void commitSetCustomLight(KeyboardConfigUtil* model);
    void commitSetEffectLight(KeyboardConfigUtil* model);
    void commitSetTriggerConfig(KeyboardConfigUtil* model);
    void commitSetQuickTriggerConfig(KeyboardConfigUtil* model);
    void commitSetKeyboardDefault(KeyboardConfigUtil* model, uchar layer);

    // Read-only views of the staging buffers (tests, sync, import).
    const KeyboardProductInfo& stagedProductInfo() const { return mProductInfo; }
    const ConfigTableList& stagedConfigList() const { return mConfigList; }
    uchar stagedConfigIndex() const { return mConfigIndex; }
    const WholeParam& stagedWholeParam() const { return mWholeParam; }
    const KeyBindingMap& stagedKeyMap(uchar layer) const { return mKeyMaps[layer > 1 ? 1 : layer]; }
    const CustomLightMap& stagedCustomLight() const { return mCustomLightMap; }
    const EffectLightMap& stagedEffectLight() const { return mEffectLightMap; }
    const EffectNameMap& stagedEffectName() const { return mEffectNameMap; }
    const HighKeyList& stagedHighKeys() const { return mHighKeyList; }
    const MacroEventList& stagedMacro(uchar index) const {
        return mMacroLists[index > 9 ? 9 : index];
    }
    const TriggerMap& stagedTrigger() const { return mTriggerMap; }
    const CalibrationStateMap& stagedCalibrationState() const { return mCalibrationMap; }
    uchar lastEffectLightIndex() const { return mEffectIndex; }
    const AlignInfoList& stagedAlignList() const { return mAlignList; }

    // Each request gets a serial when it begins. While usb_communicate_error
    // or usb_request_done is emitted, endingRequestSerial() names the request
    // it ends (0: none known), so that a requester can tell its own request's end
    // from the queued end of an earlier request of the same source, which
    // may arrive after the requester has begun (a sync started right after
    // a reconnect used to fail on the old link's error).
    quint64 requestSerial() const { return mRequestSerial; }
    quint64 endingRequestSerial() const { return mEndingSerial; }

    static constexpr int kAnswerTimeoutMs = 1000;
    static constexpr int kSends = 3;

signals:
    void protocol_device_connected();
    void protocol_device_disconnected();
    void usb_communicate_error(uchar source, uchar order, int error);
    // The last answer frame of the request (source, order) was handled; its
    // own answer signal came first.
    void usb_request_done(uchar source, uchar order);
    void usb_receive_product_info(uchar source, int current, int total);
    void usb_receive_config_info(uchar source, int current, int total);
    void usb_receive_whole_param(uchar source, int current, int total);
    void usb_receive_custom_light(uchar source, int current, int total);
    void usb_receive_set_effect_light_language(uchar source, int current, int total);
    void usb_receive_effect_light(uchar source, int current, int total);
    void usb_receive_keyboard_config(uchar source, int current, int total, uchar layer);
    void usb_receive_high_key(uchar source, int current, int total);
    void usb_receive_macro_config(uchar source, int current, int total, uchar index);
    void usb_receive_trigger_config(uchar source, int current, int total);
    void usb_receive_switch_config_table(uchar source, int current, int total);
    void usb_receive_add_config_table(uchar source, int current, int total);
    void usb_receive_del_config_table(uchar source, int current, int total);
    void usb_receive_set_config_info(uchar source, int current, int total);
    void usb_receive_set_whole_param(uchar source, int current, int total);
    void usb_receive_set_custom_light_all(uchar source, int current, int total);
    void usb_receive_set_effect_light_all(uchar source, int current, int total);
    void usb_receive_set_keyboard_config(uchar source, int current, int total, uchar layer);
    void usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer,
                                          bool flag);
    void usb_receive_set_high_key(uchar source, int current, int total);
    void usb_receive_set_macro_config(uchar source, int current, int total, uchar index);
    void usb_receive_set_trigger_config_all(uchar source, int current, int total);
    void usb_receive_set_custom_light(uchar source, int current, int total);
    void usb_receive_set_effect_light(uchar source, int current, int total);
    void usb_receive_select_effect_light(uchar source, int current, int total, int index);
    void usb_receive_add_high_key(uchar source, int current, int total,
                                  HIGH_KEY_INFO keyboardHighKey);
    void usb_receive_del_high_key(uchar source, int current, int total,
                                  HIGH_KEY_INFO keyboardHighKey);
    void usb_receive_del_macro_config(uchar source, int current, int total, uchar index);
    void usb_receive_set_trigger_config(uchar source, int current, int total);
    void usb_receive_set_quick_trigger_config(uchar source, int current, int total);
    void usb_receive_report_calibration(
        uchar source, int current, int total,
        QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> keyboardAlignList);
    void usb_receive_report_calibration_switch(uchar source, int current, int total, uchar result);
    void usb_receive_get_calibration_state(uchar source, int current, int total,
                                           QMap<uchar, uchar> keyboardCalibrationMap);
    void usb_receive_save_calibration(uchar source, int current, int total);
    void usb_receive_download_fireware_keyboard(uchar source, int current, int total);
    void usb_receive_download_fireware_keyboard_end(uchar source, int current, int total);
    void usb_receive_download_fireware_data(uchar source, int current, int total);
    void usb_receive_reset_keyboard(uchar source, int current, int total);
    void usb_receive_config_change(uchar source, uchar type, uchar item);
    void usb_receive_connect_wireless_device(uchar state);

public slots:
    void usb_receive_data(uchar order, uchar frame, uchar total, uchar length, QByteArray data);
    void onCommunicateTimeout();
    void ble_error_callback(int error);

private:
    // One received answer frame; data is zero-padded past `length`.
    struct Answer {
        uchar order;
        uchar frame;
        uchar total;
        uchar length;
        QByteArray data;
        uchar at(int i) const { return i < data.size() ? uchar(data.at(i)) : 0; }
        quint16 u16(int i) const { return quint16(at(i) | (at(i + 1) << 8)); }
    };
    using Sender = void (UsbCommunicateUtil::*)();
    using Receiver = void (UsbCommunicateUtil::*)(const Answer&);
    struct Command {
        uchar request;
        Sender send;
        Receiver receive;
    };
    static const QHash<uchar, Command>& commandsByAnswer();

    // Common steps of every public operation and every sender.
    void begin(uchar source, bool waitAnswer, uchar request, int itemCount = -1);
    // A multi-frame write of itemCount items: true when its frames can be
    // numbered (and answered); otherwise logs, reports ErrorTooManyItems and
    // nothing is sent or staged. Called before the operation touches any state.
    bool fitsFrames(const char* operation, uchar source, uchar request, int itemCount);
    // announced >= 0: the length byte says so instead of the payload size.
    void sendFrame(const char* sender, uchar request, const QByteArray& payload,
                   int announced = -1);
    bool writeReport(const QByteArray& frame, const char* sender, int* result);
    bool accept(const char* handler, const Answer& a);
    void continueWith(const Answer& a, Sender sender);
    void mismatchAsTimeout();
    // The request in flight failed now (an answer it cannot use).
    void failCurrent(int error);
    // The request in flight will never be answered: reported after the
    // caller's operation has finished, so its requester cannot re-enter it.
    void dropInFlight(int error);
    // The last frame of the request in flight was answered.
    void markAnswered(const Answer& a);
    void onLinkGone();
    int firstItem() const;
    // Copies one firmware block into the block buffer (cut to one frame).
    void keepFirmwareBlock(quint16 block, int length, const QByteArray& data);
    int itemsNow() const;
    // Bulk writes of keyed maps (key map, custom lights, triggers): plans the
    // frames over the map's ascending key numbers; the current frame's share.
    struct KeyedFrame {
        int position;  // of the frame's first entry in the map
        int count;
        uchar firstKey;
    };
    void planKeyedFrames(const QList<quint8>& keys);
    KeyedFrame keyedShare() const;

    // senders
    void sendGetProductInfo();
    void sendGetConfigInfo();
    void sendSetConfigInfo();
    void sendAddConfigTable();
    void sendDelConfigTable();
    void sendSwitchConfigTable();
    void sendGetWholeParam();
    void sendSetWholeParam();
    void sendGetKeyboardConfig();
    void sendSetKeyboardConfig();
    void sendSetKeyboardDefault();
    void sendGetCustomLight();
    void sendSetCustomLight();
    void sendSetCustomLightAll();
    void sendGetEffectLight();
    void sendSetEffectLight();
    void sendSetEffectLightAll();
    void sendSelectEffectLight();
    void sendGetEffectLightName();
    void sendGetHighKey();
    void sendAddHighKey();
    void sendSetHighKey();
    void sendDelHighKey();
    void sendGetMacroConfig();
    void sendSetMacroConfig();
    void sendDelMacroConfig();
    void sendGetTriggerConfig();
    void sendSetTriggerConfig();
    void sendSetTriggerConfigAll();
    void sendSetQuickTriggerConfig();
    void sendGetCalibrationState();
    void sendSetReportCalibration();
    void sendSaveCalibration();
    void sendResetKeyboard();
    void sendDownloadFirewareKeyboard();
    void sendDownloadFirewareKeyboardEnd();
    void sendDownloadFirewareData();

    // receive handlers
    void receiveProductInfo(const Answer& a);
    void receiveConfigInfo(const Answer& a);
    void receiveSetConfigInfo(const Answer& a);
    void receiveAddConfigTable(const Answer& a);
    void receiveDelConfigTable(const Answer& a);
    void receiveSwitchConfigTable(const Answer& a);
    void receiveWholeParam(const Answer& a);
    void receiveSetWholeParam(const Answer& a);
    void receiveKeyboardConfig(const Answer& a);
    void receiveSetKeyboardConfig(const Answer& a);
    void receiveSetKeyboardDefault(const Answer& a);
    void receiveCustomLight(const Answer& a);
    void receiveSetCustomLight(const Answer& a);
    void receiveSetCustomLightAll(const Answer& a);
    void receiveEffectLight(const Answer& a);
    void receiveSetEffectLight(const Answer& a);
    void receiveSetEffectLightAll(const Answer& a);
    void receiveSelectEffectLight(const Answer& a);
    void receiveEffectLightName(const Answer& a);
    void receiveHighKey(const Answer& a);
    void receiveAddHighKey(const Answer& a);
    void receiveSetHighKey(const Answer& a);
    void receiveDelHighKey(const Answer& a);
    void receiveMacroConfig(const Answer& a);
    void receiveSetMacroConfig(const Answer& a);
    void receiveDelMacroConfig(const Answer& a);
    void receiveTriggerConfig(const Answer& a);
    void receiveSetTriggerConfig(const Answer& a);
    void receiveSetTriggerConfigAll(const Answer& a);
    void receiveSetQuickTriggerConfig(const Answer& a);
    void receiveCalibrationState(const Answer& a);
    void receiveReportCalibration(const Answer& a);
    void receiveSaveCalibration(const Answer& a);
    void receiveResetKeyboard(const Answer& a);
    void receiveDownloadFirewareKeyboard(const Answer& a);
    void receiveDownloadFirewareKeyboardEnd(const Answer& a);
    void receiveDownloadFirewareData(const Answer& a);
    void receiveConfigChange(const Answer& a);

    // --- state, in the order of the protocol's description ---
    int mMode = 0;
    QSharedPointer<UsbReceiveThread> mReceiveThread;
    HidDevice* mHandle = nullptr;
    uchar mSource = 0;
    uchar mLastSendOrder = 0;
    QTimer* mTimer = nullptr;
    uchar mRetry = 0;
    QByteArray mSendBuffer;
    bool mWaitAnswer = false;
    // Sent and not yet answered in full, failed or dropped.
    bool mInFlight = false;
    // An answer handled now ends its request: usb_request_done follows.
    bool mDonePending = false;
    uchar mDoneSource = 0;
    uchar mDoneOrder = 0;
    quint64 mRequestSerial = 0;
    quint64 mEndingSerial = 0;
    // Sets mEndingSerial for the length of one end signal.
    void emitEnd(quint64 serial, uchar source, uchar order, int error, bool done);
    uchar mTotal = 1;
    uchar mFrame = 1;
    uchar mItemsPerFrame = 0;
    int mItemCount = 0;  // host side only: never cut to the byte the frames carry
    QList<KeyedFrame> mKeyedFrames;
    // command arguments
    uchar mTableIndex = 0;
    QString mTableName;
    uchar mLayer = 0;
    uchar mMacroIndex = 0;
    uchar mEffectIndex = 0xFF;
    uchar mSelectIndex = 0;
    EffectLightEntry mColour;
    EffectLightEntry mEffectEntry;
    TriggerSetting mTrigger;
    QByteArray mKeyString;
    HIGH_KEY_INFO mHighKey;
    quint16 mBlockNumber = 0;
    int mBlockLength = 0;
    quint32 mEndFirst = 0;
    quint32 mEndSecond = 0;
    int mCalibrationSwitch = 0;
    // staging buffers
    KeyboardProductInfo mProductInfo;
    ConfigTableList mConfigList;
    uchar mConfigIndex = 0;
    WholeParam mWholeParam;
    CustomLightMap mCustomLightMap;
    EffectLightMap mEffectLightMap;
    EffectNameMap mEffectNameMap;
    std::array<KeyBindingMap, 2> mKeyMaps;
    HighKeyList mHighKeyList;
    std::array<MacroEventList, 10> mMacroLists;
    TriggerMap mTriggerMap;
    QuickTriggerList mQuickTriggerList;
    CalibrationStateMap mCalibrationMap;
    AlignInfoList mAlignList;
    QByteArray mFirmwareBuffer;

    BluetoothLink* mBluetooth = nullptr;
    HidBackend* mBackend = nullptr;
    int mEffectiveLanguage = 1;
};
