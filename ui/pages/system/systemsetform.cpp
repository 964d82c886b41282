#include "ui/pages/system/systemsetform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include "common/apppaths.h"
#include "services/autostartentry.h"
#include "services/restarter.h"
#include "services/systemconfigutil.h"
#include "ui/autoswitch/autoswitchdialog.h"
#include "ui/pageindex.h"
#include "ui/pages/system/desktopopener.h"
#include "ui/pages/system/trayavailability.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "ui_systemsetform.h"
#include "update/downloadfolder.h"
#include "update/downloadmanager.h"
#include "update/fileverifier.h"
#include "update/updatechecker.h"
#include "update/updateserver.h"

namespace {
// A reader finds their language by its own name, whatever the interface
// shows now (index 0, "follow the system", stays translated).
void nameLanguagesInThemselves(QComboBox* box) {
    box->setItemText(1, QStringLiteral("简体中文"));
    box->setItemText(2, QStringLiteral("English"));
    box->setItemText(3, QStringLiteral("Tiếng Việt"));
}
}  // namespace

SystemSetForm::SystemSetForm(QWidget* parent)
    : BasePage(0, parent), ui(std::make_unique<Ui::SystemSetForm>()) {
    ui->setupUi(this);
    nameLanguagesInThemselves(ui->langComboBox);
    logLine(QStringLiteral("系统设置页面初始化"));
    setFocusPolicy(Qt::StrongFocus);

    if (SystemConfigUtil* config = SystemConfigUtil::instance()) {
        // The controls show the stored settings; nothing is written back.
        const QSignalBlocker a(ui->autoCheckBox), c(ui->closeCheckBox), t(ui->themeComboBox),
            l(ui->langComboBox), f(ui->firewareCheckBox);
        ui->autoCheckBox->setChecked(config->powerAuto());
        ui->closeCheckBox->setChecked(config->closeMin());
        ui->themeComboBox->setCurrentIndex(config->theme() == 1 ? 1 : 0);
        const int language = config->language();
        ui->langComboBox->setCurrentIndex(language >= 1 && language <= 3 ? language : 0);
        ui->firewareCheckBox->setChecked(config->fireware());
        // Whatever page changed a setting, the user learns it was not kept.
        connect(config, &SystemConfigUtil::saveFailed, this, [this](const QString& file) {
            toast(tr("无法保存设置：%1").arg(QDir::toNativeSeparators(file)));
        });
    }
    showTrayAvailability();
    connect(ui->autoSwitchButton, &QPushButton::clicked, this,
            [this] { AutoSwitchDialog::open(window()); });
    ui->systemThemeWidget->hide();
    ui->systemFirewareWidget->hide();
    ui->backButton->setFocusPolicy(Qt::NoFocus);

    mChecker = new UpdateChecker(this);
    mDownloader = new DownloadManager(this);
    connect(mChecker, &UpdateChecker::updateAvailable, this, &SystemSetForm::onUpdateAvailable);
    connect(mChecker, &UpdateChecker::checkError, this, &SystemSetForm::onUpdateError);
    connect(mDownloader, &DownloadManager::progress, this, &SystemSetForm::onDownloadProgress);
    connect(mDownloader, &DownloadManager::finished, this, &SystemSetForm::onDownloadFinished);
    connect(mDownloader, &DownloadManager::error, this, &SystemSetForm::onUpdateError);
    ui->appTitleLabel->setText(versionText());

    mQuitTimer = new QTimer(this);
    mQuitTimer->setObjectName(QStringLiteral("installQuitTimer"));
    mQuitTimer->setSingleShot(true);
    mQuitTimer->setInterval(2000);
    connect(mQuitTimer, &QTimer::timeout, qApp, &QCoreApplication::quit);
}

SystemSetForm::~SystemSetForm() {
    if (mChecker) {
        disconnect(mChecker, nullptr, this, nullptr);
        mChecker->deleteLater();
    }
    if (mDownloader) {
        disconnect(mDownloader, nullptr, this, nullptr);
        mDownloader->deleteLater();
    }
    closeProgress();
    logLine(QStringLiteral("系统设置页面销毁"));
}

QString SystemSetForm::versionText() {
    return tr("磁性键盘软件版本-") + QStringLiteral("RUZ") + tr("-V") +
           VersionInfo::programVersion();
}

void SystemSetForm::enter() {
    mPreviousIndex = previousPage();
    ui->appTitleLabel->setText(versionText());
    // The service key reaches the page without a click first.
    setFocus(Qt::OtherFocusReason);
}

void SystemSetForm::refreshLanguageUi() {
    BasePage::refreshLanguageUi();
    const QSignalBlocker l(ui->langComboBox), t(ui->themeComboBox);
    ui->retranslateUi(this);
    showTrayAvailability();
    nameLanguagesInThemselves(ui->langComboBox);
    ui->appTitleLabel->setText(versionText());
}

void SystemSetForm::on_backButton_clicked() {
    switch (mPreviousIndex) {
        case PageKey:
        case PageLight:
        case PageHighKey:
        case PageMacro:
        case PageAlign:
        case PageOther:
            emit navigateRequested(mPreviousIndex);
            break;
        default:
            emit navigateRequested(PageDevice);
            break;
    }
}

void SystemSetForm::setChecked(QCheckBox* box, bool checked) {
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
}

void SystemSetForm::on_autoCheckBox_stateChanged(int state) {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config) return;
    QString error;
    if (state == Qt::Checked && !config->powerAuto()) {
        // The setting follows the entry: a box that says "on" starts the
        // program at the next log-in.
        if (!AutostartEntry::install(QCoreApplication::applicationFilePath(), &error)) {
            setChecked(ui->autoCheckBox, false);
            toast(tr("无法写入开机启动项：%1").arg(error));
            return;
        }
        config->setPowerAuto(true);
    } else if (state == Qt::Unchecked && config->powerAuto()) {
        if (!AutostartEntry::remove(&error)) {
            setChecked(ui->autoCheckBox, true);
            toast(tr("无法删除开机启动项：%1").arg(error));
            return;
        }
        config->setPowerAuto(false);
    }
}

void SystemSetForm::on_closeCheckBox_stateChanged(int state) {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config) return;
    if (state == Qt::Checked && !config->closeMin())
        config->setCloseMin(true);
    else if (state == Qt::Unchecked && config->closeMin())
        config->setCloseMin(false);
}

void SystemSetForm::showTrayAvailability() {
    if (TrayAvailability::available()) return;
    // The stored choice stays for a desktop with a tray; here it cannot work.
    const QSignalBlocker c(ui->closeCheckBox);
    ui->closeCheckBox->setChecked(false);
    ui->closeCheckBox->setEnabled(false);
    ui->closeTitleLabel->setEnabled(false);
    ui->closePromptLabel->setText(tr("桌面没有系统托盘，关闭窗口即退出程序"));
}

void SystemSetForm::on_firewareCheckBox_stateChanged(int state) {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config) return;
    if (state == Qt::Checked && !config->fireware())
        config->setFireware(true);
    else if (state == Qt::Unchecked && config->fireware())
        config->setFireware(false);
}

void SystemSetForm::on_langComboBox_currentIndexChanged(int index) {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config || index < 0 || index > 3 || index == config->language()) return;
    config->setLanguage(index);
}

void SystemSetForm::on_themeComboBox_currentIndexChanged(int index) {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config || index < 0 || index > 1) return;
    if ((index == 1) == (config->theme() == 1)) return;
    config->setTheme(index);
    // The style sheet is chosen at start-up: a new copy takes over.
    Restarter::restart();
}

void SystemSetForm::on_appCheckBtn_clicked() {
    if (mChecker) mChecker->checkPath(UpdateServer::versionPath());
}

void SystemSetForm::onUpdateAvailable(VersionInfo info) {
    if (!VersionInfo::isNewer(info.version, VersionInfo::programVersion())) {
        MessageBox::information(this, tr("提示"), tr("没有新版本"));
        return;
    }
    mInfo = info;
    // A copy installed from the package updates through a package, opened by
    // the desktop's package installer; a build folder keeps the archive.
    mPackageUpdate = AppPaths::isInstalled();
    if (mPackageUpdate && !info.hasPackage()) {
        MessageBox::information(
            this, tr("发现新版本"),
            tr("发现新版本 %1。本程序是用软件包安装的，请用系统的软件包管理器更新。")
                .arg(info.version));
        return;
    }
    if (mPackageUpdate) {
        mInfo.url = info.packageUrl;
        mInfo.md5 = info.packageMd5;
    }
    const auto answer =
        MessageBox::question(this, tr("发现新版本"),
                             tr("发现新版本 %1\n\n更新内容:\n%2\n\n是否立即下载更新?")
                                 .arg(info.version, info.description));
    if (answer != QMessageBox::Yes) return;
    closeProgress();
    mProgress =
        QCustomProgressDialog::open(window(), tr("正在下载更新..."), QString(), 0, 100, true);
    mProgress->setObjectName(QStringLiteral("updateProgressDialog"));
    // The file keeps the name it has on the server, in our private folder.
    const QString name =
        mInfo.url.fileName().isEmpty() ? QStringLiteral("zentaro-update") : mInfo.url.fileName();
    mDownloader->download(mInfo.url, DownloadFolder::filePath(name));
}

void SystemSetForm::onDownloadProgress(qlonglong bytesReceived, qlonglong bytesTotal) {
    auto* progress = qobject_cast<QCustomProgressDialog*>(mProgress.data());
    if (!progress || bytesTotal <= 0) return;
    progress->setMaximum(int(qMin<qlonglong>(bytesTotal, INT_MAX)));
    progress->setValue(int(qMin<qlonglong>(bytesReceived, INT_MAX)));
}

void SystemSetForm::onDownloadFinished(QString filePath) {
    closeProgress();
    // A file that cannot be hashed is as unverified as a wrong one.
    if (!FileVerifier::verifyMd5(filePath, mInfo.md5)) {
        toast(tr("下载文件校验失败"));
        QFile::remove(filePath);
        return;
    }
    const auto answer =
        MessageBox::question(this, tr("安装"),
                             mPackageUpdate ? tr("下载完成，是否用系统的软件包安装程序打开？")
                                            : tr("下载完成，是否安装..."));
    if (answer != QMessageBox::Yes) return;
    if (!DesktopOpener::openFile(filePath)) {
        // Nothing runs the installer: stay, and say where the file is.
        logLine(QStringLiteral("SystemSetForm 无法打开安装程序 file={%1}").arg(filePath));
        MessageBox::warning(this, tr("安装"),
                            tr("无法打开安装程序。已下载的文件保存在：\n%1")
                                .arg(QDir::toNativeSeparators(filePath)));
        return;
    }
    mQuitTimer->start();
}

void SystemSetForm::onUpdateError(QString error) {
    closeProgress();
    toast(tr("更新错误: ") + error);
}

void SystemSetForm::closeProgress() {
    if (mProgress) {
        mProgress->close();
        mProgress->deleteLater();
    }
    mProgress = nullptr;
}

void SystemSetForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == kServiceKey) {
        emit firewarePageUnlocked();
        emit navigateRequested(PageFireware);
        event->accept();
        return;
    }
    BasePage::keyPressEvent(event);
}
