#pragma once
// The other page: the keyboard's firmware version, firmware update from the
// download server, factory reset, and writing a firmware data file. Every
// transfer runs frame by frame through the command engine behind a modal
// progress dialog; the next frame goes only when the last one is confirmed.

#include <QPointer>
#include <memory>

#include "protocol/firmwarefile.h"
#include "ui/pages/settingpage.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "update/versioninfo.h"

namespace Ui {
class OtherSetForm;
}

class DownloadManager;
class UpdateChecker;

class OtherSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit OtherSetForm(QWidget* parent = nullptr);
    ~OtherSetForm() override;

    void enter() override;

    // "键盘固件版本：V" and the formatted version.
    static QString versionText(quint16 version);

    // The transfers in progress (tests, the main window's close rules).
    bool isFirmwareTransferring() const { return mFirmwareOpen; }
    bool isDataTransferring() const { return mDataOpen; }
    bool isResetting() const { return mResetting; }
    QCustomProgressDialog* progressDialog() const { return mDialog; }

public slots:
    void refreshLanguageUi() override;
    void on_newFireBtn_clicked();
    void on_syncFireBtn_clicked();
    void on_resetBtn_clicked();
    void on_fireDataBtn_clicked();
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_download_fireware_keyboard(uchar source, int current, int total);
    void usb_receive_download_fireware_keyboard_end(uchar source, int current, int total);
    void usb_receive_download_fireware_data(uchar source, int current, int total);
    void usb_receive_download_fireware_data_end(uchar source, int current, int total);
    void usb_receive_reset_keyboard(uchar source, int current, int total);
    void onUpdateAvailable(VersionInfo info);
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onDownloadFinished(QString filePath);
    void onUpdateError(QString error);

private:
    // Replaces the progress dialog by a new one (value 0). Transfers offer
    // no cancel: a keyboard left with half a firmware is worse than waiting.
    void openDialog(const QString& text, bool cancellable);
    void closeDialog();
    void sendFirmwareFrame();
    void sendDataFrame();
    void releaseFirmware();
    void releaseData();
    void refreshVersion();

    std::unique_ptr<Ui::OtherSetForm> ui;
    UpdateChecker* mChecker = nullptr;
    DownloadManager* mDownloader = nullptr;
    VersionInfo mOffered;
    QPointer<QCustomProgressDialog> mDialog;
    bool mResetting = false;

    // Keyboard firmware transfer: the verified file in memory.
    FirmwareFile mFirmware;
    bool mFirmwareOpen = false;
    quint16 mFirmwareFrame = 1;
    quint16 mFirmwareTotal = 0;
    int mFirmwarePayload = 0;

    // Firmware data transfer.
    FirmwareFile mData;
    bool mDataOpen = false;
    quint16 mDataFrame = 1;
    quint16 mDataTotal = 0;
    int mDataPayload = 0;
};
