#pragma once
// DeviceManageForm: page PageDevice of the main window. Opens a keyboard
// over USB/2.4G or Bluetooth, reads its whole configuration, matches it to
// the catalogue, makes sure the catalogue and the product's picture package
// are on disk (downloading them when needed) and hands over to the key page.

#include <QPointer>
#include <QString>
#include <memory>

#include "ui/pages/basepage.h"
#include "ui/widgets/qcustomprogressdialog.h"

namespace Ui {
class DeviceManageForm;
}

class FileDownloadUtil;
class QDeviceAddWidget;
class QTimer;
class SyncConfigUtil;
class UdevRuleInstaller;

class DeviceManageForm : public BasePage {
    Q_OBJECT
public:
    explicit DeviceManageForm(QWidget* parent = nullptr);
    ~DeviceManageForm() override;

    // The keyboard is read anew from here: the link closes, the model empties
    // and the page opens the keyboard again.
    void enter() override;
    void leave() override;
    void devicesChanged(bool autoOpen) override { refresh(autoOpen); }

    // Set once the firmware page has been entered; from then on this page
    // opens no keyboard until the program ends.
    static void setFirmwareMode(bool on);
    static bool firmwareMode();

    // A sync that hears nothing for this long ends as failed.
    static constexpr int kSyncSilenceMs = 10000;
    // The read's progress dialog shows only once the read has run this long:
    // a quick read would flash it and spend its time painting it.
    static constexpr int kSyncDialogDelayMs = 300;

    // The folder under data/ that holds the open keyboard's picture package:
    // the product name the keyboard reports (which is the catalogue's
    // productData), or productData when the reported name is not a plain
    // folder name. Empty without a matched product.
    static QString dataFolderName();

    QCustomProgressDialog* progressDialog() const { return mDialog; }
    FileDownloadUtil* downloader() const { return mDownloader.get(); }
    QString permissionText() const;
    // The hint's Fix button is shown and can be pressed.
    bool canFixPermission() const;

public slots:
    void refreshLanguageUi() override;
    // With autoOpen (and outside firmware mode) opens a keyboard.
    void refresh(bool autoOpen);
    void grid_Layout_Clicked(int flag, int row, int col);
    void sync_config_result(bool status, int value);
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onDownloadFinished(int type, QString filePath);
    void onUpdateError(int type, QString error);
    void ble_discovery_finished(bool flag);
    void protocol_device_connected();
    void protocol_device_disconnected();
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_connect_wireless_device(uchar state);

private:
    void buildGrid();
    void openDevice(bool fromClick);
    void startSync();
    void stopSync();
    void onSyncSilent();
    // The read's progress dialog, unless the user put it away for this read.
    void openSyncDialog();
    // Step after a complete read (and after a fresh catalogue): key page,
    // picture package download, catalogue download or no-match.
    void continueWithProduct(bool catalogueJustReplaced);
    void downloadPackage();
    void downloadCatalogue();
    void noMatchingProduct();
    void connectDownloader();
    // Cancel of a catalogue or package download: stops it, leaves no file.
    void cancelDownload();
    void openProgressDialog(const QString& label, bool showBar);
    void discardDialog();
    void showPermissionHint(bool show);
    // Fix button: installs the udev rule, then opens the keyboard again.
    void fixPermission();
    void permissionFixFinished(bool ok, const QString& error);

    std::unique_ptr<Ui::DeviceManageForm> ui;
    QDeviceAddWidget* mTile = nullptr;
    QPointer<QCustomProgressDialog> mDialog;
    std::shared_ptr<FileDownloadUtil> mDownloader;
    SyncConfigUtil* mSync = nullptr;
    QTimer* mSyncWatchdog = nullptr;
    QTimer* mSyncDialogDelay = nullptr;
    int mSyncValue = 0;
    UdevRuleInstaller* mRuleInstaller = nullptr;
    bool mSyncDialogDismissed = false;
    // The data folder a running package download is meant for.
    QString mPackageFolder;
};
