// Settings file, language and theme rules, translator switching, the
// catalogue-check schedule and the tool-tip texts.
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include "services/systemconfigutil.h"
#include "services/tooltiputil.h"
#include "ui/traymenu.h"

class TestSystemConfigUtil : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultsWithoutFile();
    void configFileIsRelativeToWorkingDirectory();
    void settersWriteAtOnce();
    void failedWriteIsReported();
    void themeChangesOnlyOnNewValue();
    void imageFolderAndStyleSheet();
    void effectiveLanguageRule_data();
    void effectiveLanguageRule();
    void languageSwitchInstallsTranslator();
    void catalogueCheckSchedule();
    void toolTipFilePerLanguage();
    void toolTipTexts();

private:
    QString configPath() const { return mDir->filePath(QStringLiteral("data/config.ini")); }
    std::unique_ptr<QTemporaryDir> mDir;
    QString mOldCwd;
};

void TestSystemConfigUtil::init() {
    mDir = std::make_unique<QTemporaryDir>();
    mOldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(mDir->path()));
}

void TestSystemConfigUtil::cleanup() {
    QDir::setCurrent(mOldCwd);
    mDir.reset();
}

void TestSystemConfigUtil::defaultsWithoutFile() {
    SystemConfigUtil config(configPath());
    QCOMPARE(SystemConfigUtil::instance(), &config);
    QCOMPARE(config.language(), 0);
    QCOMPARE(config.theme(), 0);
    QCOMPARE(config.powerAuto(), false);
    QCOMPARE(config.closeMin(), false);
    QCOMPARE(config.fireware(), false);
    QCOMPARE(config.commType(), 0);
    // Reading alone creates nothing.
    QVERIFY(!QFile::exists(configPath()));
}

void TestSystemConfigUtil::configFileIsRelativeToWorkingDirectory() {
    {
        SystemConfigUtil config;
        config.setCommType(1);
    }
    QVERIFY(QFile::exists(configPath()));
    QSettings ini(configPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("System/CommType")).toInt(), 1);
}

void TestSystemConfigUtil::settersWriteAtOnce() {
    SystemConfigUtil config(configPath());
    config.setPowerAuto(true);
    config.setCloseMin(true);
    config.setFireware(true);
    config.setCommType(1);
    QVERIFY(config.setTheme(1));
    QVERIFY(config.setLanguage(3) || config.language() == 3);

    // Already on disk while the first object lives.
    QSettings ini(configPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("System/PowerAuto")).toBool(), true);
    QCOMPARE(ini.value(QStringLiteral("System/CloseMin")).toBool(), true);
    QCOMPARE(ini.value(QStringLiteral("System/Fireware")).toBool(), true);
    QCOMPARE(ini.value(QStringLiteral("System/CommType")).toInt(), 1);
    QCOMPARE(ini.value(QStringLiteral("System/Theme")).toInt(), 1);
    QCOMPARE(ini.value(QStringLiteral("System/Language")).toInt(), 3);

    SystemConfigUtil reread(configPath());
    QCOMPARE(reread.powerAuto(), true);
    QCOMPARE(reread.closeMin(), true);
    QCOMPARE(reread.fireware(), true);
    QCOMPARE(reread.commType(), 1);
    QCOMPARE(reread.theme(), 1);
    QCOMPARE(reread.language(), 3);

    // Setting the same value again still writes (a hand-edited file is fixed).
    ini.setValue(QStringLiteral("System/CloseMin"), false);
    ini.sync();
    reread.setCloseMin(true);
    ini.sync();
    QCOMPARE(ini.value(QStringLiteral("System/CloseMin")).toBool(), true);
}

void TestSystemConfigUtil::failedWriteIsReported() {
    // A file where the data folder belongs: nothing can be written, not even
    // by root.
    QFile blocker(mDir->filePath(QStringLiteral("data")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SystemConfigUtil config(configPath());
    QSignalSpy failed(&config, &SystemConfigUtil::saveFailed);
    QVERIFY(!config.setCloseMin(true));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().first().toString(), configPath());
    QVERIFY(config.closeMin());  // holds for this run
    QVERIFY(!config.setCommType(1));
    QVERIFY(!config.markCatalogueChecked());
    QVERIFY(config.setTheme(1));
    QCOMPARE(failed.count(), 4);

    // Once the folder can be written, the next write succeeds, and what was
    // set meanwhile is kept too.
    QVERIFY(QFile::remove(blocker.fileName()));
    QVERIFY(QDir(mDir->path()).mkpath(QStringLiteral("data")));
    QVERIFY(config.setFireware(true));
    QCOMPARE(failed.count(), 4);
    QSettings ini(configPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("System/Fireware")).toBool(), true);
    QCOMPARE(ini.value(QStringLiteral("System/CloseMin")).toBool(), true);

    // A read-only folder (where permissions apply) keeps the file as it was.
    QFile::setPermissions(mDir->filePath(QStringLiteral("data")),
                          QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(configPath(), QFile::ReadOwner);
    if (!QFileInfo(configPath()).isWritable()) {
        QVERIFY(!config.setFireware(false));
        QCOMPARE(failed.count(), 5);
        QSettings again(configPath(), QSettings::IniFormat);
        QCOMPARE(again.value(QStringLiteral("System/Fireware")).toBool(), true);
    }
    QFile::setPermissions(mDir->filePath(QStringLiteral("data")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(configPath(), QFile::ReadOwner | QFile::WriteOwner);
}

void TestSystemConfigUtil::themeChangesOnlyOnNewValue() {
    SystemConfigUtil config(configPath());
    QSignalSpy spy(&config, &SystemConfigUtil::themeChanged);
    QVERIFY(!config.setTheme(0));
    QCOMPARE(spy.count(), 0);
    QVERIFY(!QFile::exists(configPath()));
    QVERIFY(config.setTheme(1));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(config.theme(), 1);
    QVERIFY(!config.setTheme(1));
    QCOMPARE(spy.count(), 1);
}

void TestSystemConfigUtil::imageFolderAndStyleSheet() {
    QCOMPARE(SystemConfigUtil::imageFolder(0), QStringLiteral(":/images/images/light/"));
    QCOMPARE(SystemConfigUtil::imageFolder(1), QStringLiteral(":/images/images/dark/"));
    QCOMPARE(SystemConfigUtil::imageFolder(2), QString());
    QCOMPARE(SystemConfigUtil::imageFolder(-1), QString());
    QCOMPARE(SystemConfigUtil::styleSheetPath(1), QStringLiteral(":/styles/styles/dark.qss"));
    QCOMPARE(SystemConfigUtil::styleSheetPath(0), QStringLiteral(":/styles/styles/light.qss"));
    QCOMPARE(SystemConfigUtil::styleSheetPath(2), QStringLiteral(":/styles/styles/light.qss"));

    SystemConfigUtil config(configPath());
    QVERIFY(config.setTheme(2));
    QCOMPARE(config.imageFolder(), QString());
}

void TestSystemConfigUtil::effectiveLanguageRule_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("system");
    QTest::addColumn<int>("effective");
    QTest::newRow("follow system: Chinese") << 0 << int(QLocale::Chinese) << 1;
    QTest::newRow("follow system: English") << 0 << int(QLocale::English) << 2;
    QTest::newRow("follow system: Vietnamese") << 0 << int(QLocale::Vietnamese) << 3;
    QTest::newRow("follow system: German gives Chinese") << 0 << int(QLocale::German) << 1;
    QTest::newRow("stored English wins") << 2 << int(QLocale::Chinese) << 2;
    QTest::newRow("stored Vietnamese wins") << 3 << int(QLocale::English) << 3;
    QTest::newRow("stored Chinese wins") << 1 << int(QLocale::English) << 1;
    QTest::newRow("unknown value follows system") << 7 << int(QLocale::English) << 2;
}

void TestSystemConfigUtil::effectiveLanguageRule() {
    QFETCH(int, stored);
    QFETCH(int, system);
    QFETCH(int, effective);
    QCOMPARE(SystemConfigUtil::effectiveLanguage(stored, QLocale::Language(system)), effective);
}

void TestSystemConfigUtil::languageSwitchInstallsTranslator() {
    {
        QSettings ini(configPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("System/Language"), 1);
    }
    SystemConfigUtil config(configPath());
    QVERIFY(config.loadTranslator());
    QCOMPARE(TrayMenu::message(), QStringLiteral("点击恢复显示"));

    QSignalSpy spy(&config, &SystemConfigUtil::languageChanged);
    QVERIFY(!config.setLanguage(1));
    QCOMPARE(spy.count(), 0);

    QVERIFY(config.setLanguage(2));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(config.effectiveLanguage(), 2);
    // The English catalogue really translates: the tray balloon and a page text.
    QCOMPARE(TrayMenu::title(), QStringLiteral("Zentaro"));
    QCOMPARE(TrayMenu::message(), QStringLiteral("Click to show the window"));
    QCOMPARE(QCoreApplication::translate("MainWindow", "设备"), QStringLiteral("Device"));

    // Standard buttons follow the language, Vietnamese included (Qt has no
    // catalogue of its own for it).
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    QVERIFY(config.setLanguage(3));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Hủy"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Có"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"),
             QStringLiteral("&Tên tệp:"));

    // Back to Chinese: only one translator is installed at a time.
    QVERIFY(config.setLanguage(1));
    QCOMPARE(spy.count(), 3);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    QCOMPARE(TrayMenu::message(), QStringLiteral("点击恢复显示"));
}

void TestSystemConfigUtil::catalogueCheckSchedule() {
    SystemConfigUtil config(configPath());
    QDate today(2025, 6, 10);
    config.setTodayProvider([&today] { return today; });
    // No entry: the default date lies in the past.
    QVERIFY(config.isCatalogueCheckDue());

    config.markCatalogueChecked();
    QSettings ini(configPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("System/CheckApp")).toString(), QStringLiteral("2025-06-10"));
    QVERIFY(!config.isCatalogueCheckDue());
    today = today.addDays(1);
    QVERIFY(!config.isCatalogueCheckDue());
    today = today.addDays(1);
    QVERIFY(!config.isCatalogueCheckDue());
    today = today.addDays(1);
    QVERIFY(config.isCatalogueCheckDue());

    // A date and time as the old default carries it is understood too.
    ini.setValue(QStringLiteral("System/CheckApp"), QStringLiteral("2025-06-12 08:00:00"));
    ini.sync();
    QVERIFY(!config.isCatalogueCheckDue());
    ini.setValue(QStringLiteral("System/CheckApp"), QStringLiteral("garbage"));
    ini.sync();
    QVERIFY(config.isCatalogueCheckDue());
}

void TestSystemConfigUtil::toolTipFilePerLanguage() {
    const QString dir = QCoreApplication::applicationDirPath();
    QCOMPARE(ToolTipUtil::tipFile(1), dir + QStringLiteral("/data/tip_file_cn.ini"));
    QCOMPARE(ToolTipUtil::tipFile(2), dir + QStringLiteral("/data/tip_file_en.ini"));
    QCOMPARE(ToolTipUtil::tipFile(3), dir + QStringLiteral("/data/tip_file_vn.ini"));
    QCOMPARE(ToolTipUtil::tipFile(0), dir + QStringLiteral("/data/tip_file_en.ini"));

    {
        QSettings ini(configPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("System/Language"), 3);
    }
    SystemConfigUtil config(configPath());
    ToolTipUtil tips;
    QCOMPARE(ToolTipUtil::instance(), &tips);
    QCOMPARE(tips.fileName(), ToolTipUtil::tipFile(3));
}

void TestSystemConfigUtil::toolTipTexts() {
    const QString file = mDir->filePath(QStringLiteral("tips.ini"));
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(
            "[MainWindow]\n"
            "deviceButton=设备管理\n"
            "addButton=Add a profile, then name it\n"
            "[keyboard]\n"
            "key\\a=Letter A\n");
    }
    ToolTipUtil tips(file);
    QCOMPARE(tips.text(QStringLiteral("MainWindow/deviceButton")), QStringLiteral("设备管理"));
    // Commas do not cut a tip short.
    QCOMPARE(tips.text(QStringLiteral("MainWindow/addButton")),
             QStringLiteral("Add a profile, then name it"));
    QCOMPARE(tips.text(QStringLiteral("keyboard/key/a")), QStringLiteral("Letter A"));
    QCOMPARE(tips.text(QStringLiteral("MainWindow/missing")), QString());

    QWidget widget;
    tips.setToolTip(&widget, QStringLiteral("MainWindow/deviceButton"));
    QCOMPARE(widget.toolTip(), QStringLiteral("设备管理"));

    ToolTipUtil missing(mDir->filePath(QStringLiteral("none.ini")));
    QCOMPARE(missing.text(QStringLiteral("MainWindow/deviceButton")), QString());
}

QTEST_MAIN(TestSystemConfigUtil)
#include "tst_systemconfigutil.moc"
