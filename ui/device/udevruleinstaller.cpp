#include "ui/device/udevruleinstaller.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include "common/apppaths.h"

namespace {
QString gLauncher;

// udev reads these by itself: a rule there needs no copy, only a reload.
bool udevReadsFolder(const QString& folder) {
    return folder == QLatin1String("/usr/lib/udev/rules.d") ||
           folder == QLatin1String("/lib/udev/rules.d") ||
           folder == QLatin1String("/etc/udev/rules.d");
}

QString reloadCommand(bool sudo) {
    const QString s = sudo ? QStringLiteral("sudo ") : QString();
    return s + QStringLiteral("udevadm control --reload-rules && ") + s +
           QStringLiteral("udevadm trigger --subsystem-match=hidraw --action=change --settle");
}

QString shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}
}  // namespace

UdevRuleInstaller::UdevRuleInstaller(QObject* parent) : QObject(parent) {}

UdevRuleInstaller::~UdevRuleInstaller() {
    if (mProcess) {
        mProcess->disconnect(this);
        mProcess->kill();
        mProcess->waitForFinished(1000);
    }
}

QString UdevRuleInstaller::ruleFile() {
    if (AppPaths::isInstalled())
        return QDir::cleanPath(AppPaths::applicationFolder() +
                               QStringLiteral("/../lib/udev/rules.d/") + kRuleName);
    return QDir(AppPaths::dataFolder()).filePath(kRuleName);
}

QString UdevRuleInstaller::launcher() {
    if (!gLauncher.isEmpty()) return gLauncher;
    return QStandardPaths::findExecutable(QStringLiteral("pkexec"));
}

void UdevRuleInstaller::setLauncherForTests(const QString& program) {
    gLauncher = program;
}

bool UdevRuleInstaller::available() {
    const QString program = launcher();
    return !program.isEmpty() && QFileInfo(program).isExecutable() &&
           QFileInfo(ruleFile()).isFile();
}

QString UdevRuleInstaller::manualCommand(const QString& rule) {
    if (udevReadsFolder(QFileInfo(rule).absolutePath())) return reloadCommand(true);
    return QStringLiteral("sudo cp %1 %2/ && ").arg(shellQuoted(rule), kTargetFolder) +
           reloadCommand(true);
}

QStringList UdevRuleInstaller::launcherArguments(const QString& rule) {
    // The path goes in as "$1", never into the script's text.
    QString script = reloadCommand(false);
    if (!udevReadsFolder(QFileInfo(rule).absolutePath()))
        script =
            QStringLiteral("install -m 0644 -- \"$1\" %1/%2 && ").arg(kTargetFolder, kRuleName) +
            script;
    return {QStringLiteral("/bin/sh"), QStringLiteral("-c"), script, QStringLiteral("sh"), rule};
}

bool UdevRuleInstaller::start() {
    if (mProcess) return false;
    const QString program = launcher();
    const QString rule = ruleFile();
    if (program.isEmpty() || !QFileInfo(rule).isFile()) return false;

    mProcess = new QProcess(this);
    mProcess->setProcessChannelMode(QProcess::MergedChannels);
    connect(mProcess, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit) {
            end(false, tr("安装规则的程序意外退出"));
            return;
        }
        // pkexec: 126 the authentication was dismissed, 127 not authorised.
        switch (code) {
            case 0:
                end(true, QString());
                break;
            case 126:
                end(false, tr("已取消授权"));
                break;
            case 127:
                end(false, tr("没有权限安装规则"));
                break;
            default:
                end(false, tr("安装规则失败（退出码 %1）").arg(code));
                break;
        }
    });
    connect(mProcess, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) end(false, tr("无法启动 pkexec"));
    });
    mTimer = new QTimer(this);
    mTimer->setSingleShot(true);
    connect(mTimer, &QTimer::timeout, this, [this] { end(false, tr("安装规则超时")); });
    qInfo().noquote()
        << QStringLiteral("=== UdevRuleInstaller 安装 udev 规则 rule={%1} ===").arg(rule);
    mProcess->start(program, launcherArguments(rule));
    mTimer->start(mTimeoutMs);
    return true;
}

void UdevRuleInstaller::end(bool ok, const QString& error) {
    if (!mProcess) return;
    QProcess* process = mProcess;
    mProcess = nullptr;
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) process->kill();
    process->deleteLater();
    if (mTimer) {
        mTimer->deleteLater();
        mTimer = nullptr;
    }
    const QString output = QString::fromLocal8Bit(process->readAll()).trimmed();
    qInfo().noquote() << QStringLiteral(
                             "=== UdevRuleInstaller 结束 ok={%1};error={%2};output={%3} ===")
                             .arg(ok ? 1 : 0)
                             .arg(error, output);
    emit finished(ok, error);
}
