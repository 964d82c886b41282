// The system page through the main window: the back button's rules, the
// service key, live language (with Qt's own button words and the languages
// named in themselves), and the autostart entry that the "start with
// the system" box writes, refusing to claim it when the entry cannot be
// written.
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "services/autostartentry.h"
#include "services/qtoastbox.h"
#include "services/systemconfigutil.h"
#include "support/gui/guitestbase.h"
#include "ui/pages/system/desktopopener.h"
#include "ui/pages/system/systemsetform.h"
#include "ui/pages/system/trayavailability.h"
#include "ui/widgets/messagebox.h"

class TestSystemSetForm : public GuiTestBase {
    Q_OBJECT
    QTemporaryDir mConfigHome;

private slots:
    void initTestCase() {
        QVERIFY(mConfigHome.isValid());
        qputenv("XDG_CONFIG_HOME", mConfigHome.path().toLocal8Bit());
        // The close-to-tray box is live only with a tray.
        TrayAvailability::setOverride(1);
    }
    void init() { QVERIFY(startWindow()); }
    void cleanup() { stopWindow(); }

    void backButtonReturnsWhereItMay() {
        // From a page the back button may return to.
        showPage(PageMacro);
        showPage(PageSystem);
        click(QStringLiteral("backButton"));
        QVERIFY(waitForPage(PageMacro));
        // From the performance page it leads to the device page (which
        // may read the keyboard and move on to the key page at once).
        showPage(PagePerformance);
        showPage(PageSystem);
        QSignalSpy asked(page<SystemSetForm>(), &BasePage::navigateRequested);
        click(QStringLiteral("backButton"));
        QCOMPARE(asked.count(), 1);
        QCOMPARE(asked.first().first().toInt(), int(PageDevice));
    }

    void serviceKeyOpensTheFirmwarePage() {
        MainWindow::setFirewarePageUnlocked(false);
        showPage(PageSystem);
        QVERIFY(!widget(QStringLiteral("firewareButton"))->isVisible());
        QTest::keyClick(page<SystemSetForm>(), Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(waitForPage(PageFireware));
        QVERIFY(MainWindow::isFirewarePageUnlocked());
        QVERIFY(widget(QStringLiteral("firewareButton"))->isVisible());
        MainWindow::setFirewarePageUnlocked(false);
    }

    void languageChangesLive() {
        showPage(PageSystem);
        auto* box = qobject_cast<QComboBox*>(widget(QStringLiteral("langComboBox")));
        QVERIFY(box);
        box->setCurrentIndex(2);
        QCOMPARE(SystemConfigUtil::instance()->language(), 2);
        QCOMPARE(qobject_cast<QPushButton*>(widget(QStringLiteral("backButton")))->text(),
                 QStringLiteral("Back"));
        QVERIFY(widget(QStringLiteral("appTitleLabel"))
                    ->property("text")
                    .toString()
                    .startsWith(QStringLiteral("Zentaro version RUZ-V")));
        box->setCurrentIndex(1);
        QCOMPARE(qobject_cast<QPushButton*>(widget(QStringLiteral("backButton")))->text(),
                 QStringLiteral("返回"));
    }

    void standardButtonsFollowTheLanguage() {
        showPage(PageSystem);
        auto* box = qobject_cast<QComboBox*>(widget(QStringLiteral("langComboBox")));
        QVERIFY(box);
        const QStringList names = {QStringLiteral("简体中文"), QStringLiteral("English"),
                                   QStringLiteral("Tiếng Việt")};
        // Language, a standard OK/Cancel box, the factory reset's own words.
        const struct {
            int language;
            QStringList standard;
            QStringList reset;
        } cases[] = {
            {2, {"OK", "Cancel"}, {"Confirm", "Cancel"}},
            // Qt has no Vietnamese catalogue: ours of its texts answers.
            {3, {"Đồng ý", "Hủy"}, {"Xác nhận", "Hủy"}},
            {1, {"确定", "取消"}, {"确认", "取消"}},
        };
        for (const auto& c : cases) {
            showPage(PageSystem);
            box->setCurrentIndex(c.language);
            QCOMPARE(SystemConfigUtil::instance()->language(), c.language);
            for (int i = 0; i < names.size(); ++i) QCOMPARE(box->itemText(i + 1), names.at(i));

            MessageBox::setNextAnswer(QMessageBox::Cancel);
            MessageBox::warning(mainWindow(), QString(), QString(),
                                QMessageBox::Ok | QMessageBox::Cancel);
            QCOMPARE(MessageBox::lastButtonTexts(), c.standard);

            showPage(PageOther);
            MessageBox::setNextAnswer(QMessageBox::Cancel);
            click(QStringLiteral("resetBtn"));
            QCOMPARE(MessageBox::lastButtonTexts(), c.reset);
        }
    }

    void autostartEntryFollowsTheBox() {
        showPage(PageSystem);
        auto* box = qobject_cast<QCheckBox*>(widget(QStringLiteral("autoCheckBox")));
        QVERIFY(box && !box->isChecked());
        click(QStringLiteral("autoCheckBox"));
        QVERIFY(SystemConfigUtil::instance()->powerAuto());
        QFile entry(AutostartEntry::path());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(entry.readAll());
        entry.close();
        QVERIFY(AutostartEntry::path().startsWith(mConfigHome.path() + "/autostart/"));
        QVERIFY2(text.contains(QStringLiteral("Exec=\"") + QCoreApplication::applicationFilePath() +
                               QStringLiteral("\"\n")),
                 qPrintable(text));

        click(QStringLiteral("autoCheckBox"));
        QVERIFY(!SystemConfigUtil::instance()->powerAuto());
        QVERIFY(!QFile::exists(AutostartEntry::path()));
    }

    void autostartThatCannotBeWrittenIsNotClaimed() {
        // A file where the autostart folder should be: nothing can be written.
        QDir(mConfigHome.filePath(QStringLiteral("autostart"))).removeRecursively();
        QFile blocker(mConfigHome.filePath(QStringLiteral("autostart")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        showPage(PageSystem);
        auto* box = qobject_cast<QCheckBox*>(widget(QStringLiteral("autoCheckBox")));
        click(QStringLiteral("autoCheckBox"));
        QVERIFY(!box->isChecked());
        QVERIFY(!SystemConfigUtil::instance()->powerAuto());
        bool toasted = false;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* toast = qobject_cast<QToastBox*>(top))
                toasted = toasted || toast->text().startsWith(QStringLiteral("无法写入开机启动项"));
        QVERIFY(toasted);
        QFile::remove(blocker.fileName());
    }

    void settingThatCannotBeSavedIsToasted() {
        showPage(PageSystem);
        // A folder where the file belongs: nothing can be written, not even by root.
        const QString file = SystemConfigUtil::instance()->configFile();
        QFile::remove(file);
        QVERIFY(QDir().mkpath(file));
        click(QStringLiteral("closeCheckBox"));
        QVERIFY(SystemConfigUtil::instance()->closeMin());
        QVERIFY(toastStartingWith(QStringLiteral("无法保存设置：")));
        QVERIFY(QDir(file).removeRecursively());
    }

    void installerThatCannotBeOpenedKeepsTheProgramRunning() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("zentaro-setup.bin"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("installer");
        out.close();
        VersionInfo info;
        info.version = QStringLiteral("999.0.0");
        info.md5 = QString::fromLatin1(
            QCryptographicHash::hash("installer", QCryptographicHash::Md5).toHex().toUpper());
        auto* form = page<SystemSetForm>();
        auto* quitTimer = form->findChild<QTimer*>(QStringLiteral("installQuitTimer"));
        QVERIFY(quitTimer);
        MessageBox::setNextAnswer(QMessageBox::No);  // remembers the offer, downloads nothing
        form->onUpdateAvailable(info);

        // The desktop cannot open it: no quit, and the user learns where it is.
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                    box->accept();
        });
        closer.start(20);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        DesktopOpener::setNextResult(false);
        form->onDownloadFinished(file);
        QCOMPARE(DesktopOpener::lastFile(), file);
        QVERIFY(!quitTimer->isActive());
        QVERIFY2(MessageBox::lastText().contains(QDir::toNativeSeparators(file)),
                 qPrintable(MessageBox::lastText()));
        QVERIFY(QFile::exists(file));

        // Opened: the program leaves shortly after.
        MessageBox::setNextAnswer(QMessageBox::Yes);
        DesktopOpener::setNextResult(true);
        form->onDownloadFinished(file);
        QVERIFY(quitTimer->isActive());
        quitTimer->stop();
    }

private:
    static bool toastStartingWith(const QString& text) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* toast = qobject_cast<QToastBox*>(top);
                toast && toast->text().startsWith(text))
                return true;
        return false;
    }
};

QTEST_MAIN(TestSystemSetForm)
#include "tst_systemsetform.moc"
