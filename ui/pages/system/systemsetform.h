#pragma once
// SystemSetForm: page PageSystem, the program's own settings: version and
// update check, start with the desktop session, close to the tray,
// language, and the hidden theme and firmware-tool rows. A service key
// (F10) opens the firmware page.

#include <QPointer>
#include <memory>

#include "ui/pages/basepage.h"
#include "update/versioninfo.h"

namespace Ui {
class SystemSetForm;
}

class DownloadManager;
class QCustomProgressDialog;
class QTimer;
class UpdateChecker;

class SystemSetForm : public BasePage {
    Q_OBJECT
public:
    static constexpr int kServiceKey = Qt::Key_F10;

    explicit SystemSetForm(QWidget* parent = nullptr);
    ~SystemSetForm() override;

    // Where "back" leads follows the page the user came from.
    void enter() override;
    int previousPageIndex() const { return mPreviousIndex; }

    // "磁性键盘软件版本-RUZ-V<version>" in the current language.
    static QString versionText();

    UpdateChecker* checker() const { return mChecker; }
    DownloadManager* downloader() const { return mDownloader; }

public slots:
    void refreshLanguageUi() override;
    void on_backButton_clicked();
    void on_autoCheckBox_stateChanged(int state);
    void on_closeCheckBox_stateChanged(int state);
    void on_firewareCheckBox_stateChanged(int state);
    void on_langComboBox_currentIndexChanged(int index);
    void on_themeComboBox_currentIndexChanged(int index);
    void on_appCheckBtn_clicked();
    void onUpdateAvailable(VersionInfo info);
    void onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal);
    void onDownloadFinished(QString filePath);
    void onUpdateError(QString error);

signals:
    // The service key was pressed: the firmware page's button stays shown
    // until the program ends.
    void firewarePageUnlocked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Close to tray is offered only where the desktop shows a tray.
    void showTrayAvailability();
    void setChecked(class QCheckBox* box, bool checked);
    void closeProgress();

    std::unique_ptr<Ui::SystemSetForm> ui;
    int mPreviousIndex = -1;
    UpdateChecker* mChecker = nullptr;
    DownloadManager* mDownloader = nullptr;
    VersionInfo mInfo;
    // The update offered is the Debian package (an installed copy).
    bool mPackageUpdate = false;
    QPointer<QWidget> mProgress;
    // Ends the program a moment after the installer was started.
    QTimer* mQuitTimer = nullptr;
};
