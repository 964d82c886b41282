#include "ui/autoswitch/autoswitchcontroller.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QSettings>
#include <QStackedWidget>
#include <QWidget>

#include "common/applog.h"
#include "common/apppaths.h"
#include "jobs/focussource.h"
#include "jobs/procprocesssource.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "services/qtoastbox.h"
#include "ui/configtablepanel.h"
#include "ui/jobrunner.h"
#include "ui/traymenu.h"

namespace {
QPointer<AutoSwitchController> gInstance;
}

AutoSwitchController::AutoSwitchController(ConfigTablePanel* tables, JobRunner* jobs,
                                           TrayMenu* tray, QWidget* window)
    : QObject(window), mTables(tables), mJobs(jobs), mTray(tray), mWindow(window) {
    gInstance = this;
    mOwnProcesses = std::make_unique<ProcProcessSource>();
    mFocus = FocusSource::forSession(this, &mFocusWhy);
    if (!mFocus) AppLog::line(QStringLiteral("=== AutoSwitch no focus: %1 ===").arg(mFocusWhy));
    build(mOwnProcesses.get(), mFocus);
    connect(mJobs, &JobRunner::syncEnded, this, [this](bool ok, int) {
        if (ok) reload();
    });
    // The device page reads the keyboard without the job runner, then shows
    // a setting page: a page change may bring another keyboard.
    if (auto* pages = window->findChild<QStackedWidget*>(QStringLiteral("stackedWidget")))
        connect(pages, &QStackedWidget::currentChanged, this, &AutoSwitchController::reload);
    if (mTray) {
        connect(mTray, &TrayMenu::profileChosen, this,
                [this](int table) { mTables->switchTo(table); });
        connect(mTray, &TrayMenu::autoSwitchPauseToggled, this,
                [this](bool paused) { mSwitcher->setPaused(paused); });
    }
}

AutoSwitchController::~AutoSwitchController() = default;

AutoSwitchController* AutoSwitchController::instance() {
    return gInstance;
}

void AutoSwitchController::build(ProcessSource* processes, FocusSource* focus) {
    const AutoSwitchRules rules = mSwitcher ? mSwitcher->rules() : AutoSwitchRules();
    const bool paused = mSwitcher && mSwitcher->isPaused();
    delete mSwitcher;
    mSwitcher = new AutoSwitcher(processes, focus, this);
    mSwitcher->setBusy([this] { return mTables->jobRunning(); });
    mSwitcher->setConnected([] {
        UsbCommunicateUtil* e = UsbCommunicateUtil::instance();
        return e && e->isConnected() && KeyboardConfigUtil::instance();
    });
    connect(mSwitcher, &AutoSwitcher::switchRequested, this,
            [this](int table, const QString& profile, const QString& program) {
                if (!mTables->switchTo(table)) {
                    AppLog::line(
                        QStringLiteral("=== AutoSwitch switch to { %1 } dropped ===").arg(profile));
                    return;
                }
                say(switchText(profile, program));
            });
    connect(mSwitcher, &AutoSwitcher::missingProfile, this, [this](const QString& profile) {
        say(tr("键盘上没有配置表“%1”，未切换").arg(profile));
    });
    mSwitcher->setPaused(paused);
    mSwitcher->setRules(rules);
}

void AutoSwitchController::setSources(ProcessSource* processes, FocusSource* focus) {
    mFocusWhy.clear();
    build(processes, focus);
}

QString AutoSwitchController::focusNote() const {
    if (mSwitcher->focusKnown()) return QString();
    if (FocusSource::isWayland())
        return tr("Wayland 不告知哪个窗口拥有焦点：这里只有“运行时”规则有效。");
    return tr("无法得知哪个窗口拥有焦点：这里只有“运行时”规则有效。");
}

QString AutoSwitchController::switchText(const QString& profile, const QString& program) {
    if (program.isEmpty()) return tr("%1 配置表").arg(profile);
    return tr("%1 配置表，用于 %2").arg(profile, program);
}

void AutoSwitchController::say(const QString& text) {
    if (mWindow->isVisible())
        QToastBox::showToast(mWindow, text);
    else if (mTray && mTray->icon()->isVisible())
        mTray->icon()->showMessage(QCoreApplication::applicationName(), text,
                                   QSystemTrayIcon::Information, 3000);
}

void AutoSwitchController::reload() {
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    const qint16 product = m && m->keyboardProductInfo ? m->keyboardProductInfo->serialNumber : 0;
    if (product == mProduct) return;
    mProduct = product;
    AutoSwitchRules rules;
    if (product) {
        QSettings settings(AppPaths::configFile(), QSettings::IniFormat);
        rules.load(settings, product);
    }
    mSwitcher->setRules(rules);
    emit rulesChanged();
}

bool AutoSwitchController::saveRules(const AutoSwitchRules& rules) {
    if (!mProduct) return false;
    QSettings settings(AppPaths::configFile(), QSettings::IniFormat);
    rules.save(settings, mProduct);
    if (settings.status() != QSettings::NoError) return false;
    mSwitcher->setRules(rules);
    emit rulesChanged();
    return true;
}
