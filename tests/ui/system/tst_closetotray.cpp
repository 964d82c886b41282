// Close to tray only where the desktop shows a tray: elsewhere the window
// closes normally, and the system page shows the option off, disabled and why.
#include <QCheckBox>
#include <QLabel>
#include <QtTest>

#include "services/systemconfigutil.h"
#include "support/gui/guitestbase.h"
#include "ui/mainwindow.h"
#include "ui/pages/system/trayavailability.h"

class TestCloseToTray : public GuiTestBase {
    Q_OBJECT

private slots:
    void cleanup() {
        stopWindow();
        TrayAvailability::setOverride(-1);
    }

    void withoutATrayTheWindowCloses() {
        TrayAvailability::setOverride(0);
        QVERIFY(startWindow());
        SystemConfigUtil::instance()->setCloseMin(true);
        showPage(PageSystem);
        auto* box = qobject_cast<QCheckBox*>(widget(QStringLiteral("closeCheckBox")));
        QVERIFY(box);
        QVERIFY(!box->isEnabled());
        QVERIFY(!box->isChecked());
        const QString reason =
            widget(QStringLiteral("closePromptLabel"))->property("text").toString();
        QCOMPARE(reason, QStringLiteral("桌面没有系统托盘，关闭窗口即退出程序"));
        // The stored choice is kept for a desktop with a tray.
        QVERIFY(SystemConfigUtil::instance()->closeMin());
        QVERIFY(mainWindow()->close());
        SystemConfigUtil::instance()->setCloseMin(false);
    }

    void withATrayTheWindowHides() {
        TrayAvailability::setOverride(1);
        QVERIFY(startWindow());
        showPage(PageSystem);
        auto* box = qobject_cast<QCheckBox*>(widget(QStringLiteral("closeCheckBox")));
        QVERIFY(box->isEnabled());
        click(QStringLiteral("closeCheckBox"));
        QVERIFY(SystemConfigUtil::instance()->closeMin());
        QVERIFY(!mainWindow()->close());
        QVERIFY(!mainWindow()->isVisible());
        SystemConfigUtil::instance()->setCloseMin(false);
    }
};

QTEST_MAIN(TestCloseToTray)
#include "tst_closetotray.moc"
