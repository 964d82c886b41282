#include "ui/traymenu.h"

#include <QCoreApplication>
#include <QMenu>
#include <QWidget>

#include "model/keyboardconfigutil.h"
#include "services/systemconfigutil.h"

TrayMenu::TrayMenu(QWidget* window) : QObject(window), mWindow(window) {
    mIcon = new QSystemTrayIcon(this);
    mIcon->setIcon(QIcon(SystemConfigUtil::imageFolder(0) + QStringLiteral("game_keyboard.png")));
    mIcon->setToolTip(QCoreApplication::applicationName());
    mIcon->showMessage(title(), message(), QSystemTrayIcon::Information, 3000);

    // These four texts stay untranslated.
    mMenu = std::make_unique<QMenu>();
    mMenu->addAction(QStringLiteral("窗口最小化"), window, &QWidget::hide);
    mMenu->addAction(QStringLiteral("窗口最大化"), window, &QWidget::showMaximized);
    mMenu->addAction(QStringLiteral("恢复原始大小"), window, &QWidget::showNormal);
    mMenu->addSeparator();
    mProfiles = mMenu->addMenu(QString());
    connect(mProfiles, &QMenu::aboutToShow, this, &TrayMenu::fillProfiles);
    mPause = mMenu->addAction(QString());
    mPause->setCheckable(true);
    connect(mPause, &QAction::toggled, this, &TrayMenu::autoSwitchPauseToggled);
    retranslate();
    if (SystemConfigUtil* config = SystemConfigUtil::instance())
        connect(config, &SystemConfigUtil::languageChanged, this, &TrayMenu::retranslate);
    mMenu->addSeparator();
    mMenu->addAction(QStringLiteral("退出"), qApp, &QCoreApplication::quit);
    mIcon->setContextMenu(mMenu.get());

    connect(mIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit restoreRequested();
            });
    mIcon->show();
}

TrayMenu::~TrayMenu() {
    mIcon->hide();
}

void TrayMenu::retranslate() {
    mProfiles->setTitle(tr("配置表"));
    mPause->setText(tr("暂停自动切换"));
}

void TrayMenu::setAutoSwitchPaused(bool paused) {
    const QSignalBlocker quiet(mPause);
    mPause->setChecked(paused);
}

void TrayMenu::fillProfiles() {
    mProfiles->clear();
    KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    if (!m || m->keyboardConfigList.isEmpty()) {
        mProfiles->addAction(tr("没有键盘"))->setEnabled(false);
        return;
    }
    for (const ConfigTableEntryPtr& t : m->keyboardConfigList) {
        if (!t) continue;
        QAction* a = mProfiles->addAction(t->configName);
        a->setCheckable(true);
        a->setChecked(t->index == m->keyboardConfigIndex);
        const int table = t->index;
        connect(a, &QAction::triggered, this, [this, table] { emit profileChosen(table); });
    }
}

// The window's translation context keeps the existing translations.
QString TrayMenu::title() {
    return QCoreApplication::translate("MainWindow", "磁性键盘");
}

QString TrayMenu::message() {
    return QCoreApplication::translate("MainWindow", "点击恢复显示");
}

bool TrayMenu::hideToTray() {
    SystemConfigUtil* config = SystemConfigUtil::instance();
    if (!config || !config->closeMin() || !mIcon->isVisible()) return false;
    mWindow->hide();
    // These two texts stay untranslated.
    mIcon->showMessage(QStringLiteral("提示"), QStringLiteral("程序已最小化到托盘"),
                       QSystemTrayIcon::Information, 2000);
    return true;
}
