#pragma once
// The other page: the keyboard's firmware version, firmware update from the
// download server, factory reset, writing a firmware data file, and the
// backups of the keyboard's profiles. Every job runs behind a modal
// progress dialog and ends, whatever happens to the keyboard, with the
// dialog closed and one toast or box saying how it ended. A firmware update
// backs up every profile first (or runs without a backup only when the user
// says so), compares the profiles afterwards and offers to restore them.

#include <QPointer>
#include <functional>
#include <memory>

#include "jobs/backupstore.h"
#include "protocol/firmwarefile.h"
#include "protocol/firmwaretransfer.h"
#include "ui/pages/settingpage.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "update/versioninfo.h"

namespace Ui {
class OtherSetForm;
}

class DownloadManager;
class QTimer;
class UpdateChecker;

class OtherSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit OtherSetForm(QWidget* parent = nullptr);
    ~OtherSetForm() override;

    void enter() override;

    // "键盘固件版本：V" and the formatted version.
    static QString versionText(quint16 version);

    // The jobs in progress (read by tests).
    bool isFirmwareTransferring() const { return mJob == Job::Firmware; }
    bool isDataTransferring() const { return mJob == Job::Data; }
    bool isResetting() const { return mJob == Job::Reset; }
    // A backup, a restore or the comparison after a firmware update runs.
    bool isBackupBusy() const {
        return mJob == Job::Backup || mJob == Job::Restore || mJob == Job::Compare;
    }
    class BackupListForm* backupList() const;
    QCustomProgressDialog* progressDialog() const { return mDialog; }
    FirmwareTransfer* transfer() const { return mTransfer; }

    // A factory reset that hears nothing for this long ends as failed
    // (longer than the engine's own three sends).
    static constexpr int kResetSilenceMs = FirmwareTransfer::kSilenceMs;
    void setSilenceMs(int ms);

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
    enum class Job { None, Firmware, Data, Reset, Backup, Restore, Compare };

    // Replaces the progress dialog by a new one (value 0). Only a download
    // offers Cancel: nothing has reached the keyboard yet. A transfer or a
    // reset cannot be taken back halfway; they end by the keyboard's answer,
    // its error, an unplug or their watchdog.
    void openDialog(const QString& text, bool cancellable);
    void closeDialog();
    // Verified by the transfer itself; a refusal sends nothing.
    void startTransfer(const FirmwareFile& file, Job job, const QString& md5);
    void transferFinished(int error);
    // The end of a factory reset: 0 success, else why it failed.
    void endReset(int error);
    void refreshVersion();
    quint16 productNumber() const;

    // Backups: `then` runs after the job's end, outside its signal.
    void backUp(bool automatic, const std::function<void(bool ok)>& then);
    void sendTransfer(const FirmwareFile& file, Job job, const QString& md5);
    // `updated`: right after a transfer, whose success toast it gives.
    void compareAfterTransfer(bool updated);
    void askRestore(const QString& id);
    void restore(const QString& id);
    void deleteBackup(const QString& id);

    std::unique_ptr<Ui::OtherSetForm> ui;
    UpdateChecker* mChecker = nullptr;
    DownloadManager* mDownloader = nullptr;
    VersionInfo mOffered;
    QPointer<QCustomProgressDialog> mDialog;
    FirmwareTransfer* mTransfer = nullptr;
    QTimer* mResetWatchdog = nullptr;
    Job mJob = Job::None;
    BackupStore mStore;
    // The backup made before the last firmware transfer, to compare with
    // once the keyboard is back; cleared when compared.
    BackupStore::Backup mLastBackup;
    QString mPendingCompare;
    QString mBackupError;
};
