// The application update from the download server: a build folder downloads
// the archive as before; a copy installed from the package downloads the
// .deb the version file names, checks its MD5 and opens it with the desktop's
// package installer, or, when the server offers no package, says that the
// package manager updates it.
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include "common/apppaths.h"
#include "support/gui/guitestbase.h"
#include "support/updateserverrig.h"
#include "ui/pages/system/desktopopener.h"
#include "ui/pages/system/systemsetform.h"
#include "ui/widgets/messagebox.h"
#include "update/downloadfolder.h"
#include "update/updateserver.h"
#include "update/versioninfo.h"

class TestAppUpdate : public GuiTestBase {
    Q_OBJECT
    UpdateServerRig mServer;
    QTemporaryDir mInstalled;

private slots:
    void initTestCase() {
        QVERIFY(mServer.start());
        // An installed layout: <prefix>/bin beside <prefix>/share/zentaro/data.
        QVERIFY(QDir().mkpath(mInstalled.filePath(QStringLiteral("share/zentaro/data"))));
        QVERIFY(QDir().mkpath(mInstalled.filePath(QStringLiteral("bin"))));
    }
    void init() { QVERIFY(startWindow()); }
    void cleanup() {
        AppPaths::setApplicationFolder(QString());
        stopWindow();
    }

    void updateTakesThePackageOfTheLayout_data() {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("build folder") << false << QStringLiteral("-linux.tar.gz");
        QTest::newRow("installed") << true << QStringLiteral("_amd64.deb");
    }

    void updateTakesThePackageOfTheLayout() {
        QFETCH(bool, installed);
        QFETCH(QString, suffix);
        const VersionInfo info = offer();
        QVERIFY(info.hasPackage());
        if (installed) {
            AppPaths::setApplicationFolder(mInstalled.filePath(QStringLiteral("bin")));
            QVERIFY(AppPaths::isInstalled());
        }
        auto* form = page<SystemSetForm>();
        MessageBox::setNextAnswer(QMessageBox::Yes);  // download
        form->onUpdateAvailable(info);
        AppPaths::setApplicationFolder(QString());
        MessageBox::setNextAnswer(QMessageBox::Yes);  // open it
        DesktopOpener::setNextResult(true);
        QTRY_VERIFY_WITH_TIMEOUT(DesktopOpener::lastFile().endsWith(suffix), 10000);
        QVERIFY(QFile::exists(DesktopOpener::lastFile()));
        if (installed)
            QCOMPARE(MessageBox::lastText(),
                     QStringLiteral("下载完成，是否用系统的软件包安装程序打开？"));
        auto* quit = form->findChild<QTimer*>(QStringLiteral("installQuitTimer"));
        QVERIFY(quit->isActive());
        quit->stop();
        QFile::remove(DesktopOpener::lastFile());
    }

    void installedWithoutAPackageNamesThePackageManager() {
        VersionInfo info = offer();
        info.packageUrl = QUrl();
        AppPaths::setApplicationFolder(mInstalled.filePath(QStringLiteral("bin")));
        DesktopOpener::setNextResult(true);
        const QString before = DesktopOpener::lastFile();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        page<SystemSetForm>()->onUpdateAvailable(info);
        QVERIFY2(MessageBox::lastText().contains(QStringLiteral("软件包管理器")),
                 qPrintable(MessageBox::lastText()));
        QTest::qWait(200);
        QCOMPARE(DesktopOpener::lastFile(), before);
    }

    // A package whose bytes differ from the MD5 of the version file is
    // removed, never opened.
    void damagedPackageIsNotOpened() {
        const VersionInfo info = offer();
        const QString path = QStringLiteral("/normal/") + info.packageUrl.fileName();
        QFile file(mServer.file(path));
        QVERIFY(file.open(QIODevice::Append));
        file.write("x");
        file.close();
        AppPaths::setApplicationFolder(mInstalled.filePath(QStringLiteral("bin")));
        DesktopOpener::setNextResult(true);
        const QString before = DesktopOpener::lastFile();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        page<SystemSetForm>()->onUpdateAvailable(info);
        AppPaths::setApplicationFolder(QString());
        QTest::qWait(1500);
        QCOMPARE(DesktopOpener::lastFile(), before);
        QVERIFY(!QFile::exists(DownloadFolder::filePath(info.packageUrl.fileName())));
    }

private:
    VersionInfo offer() const {
        QFile file(mServer.file(UpdateServer::versionPath()));
        if (!file.open(QIODevice::ReadOnly)) return VersionInfo();
        VersionInfo info =
            VersionInfo::parse(file.readAll(), mServer.url(UpdateServer::versionPath()));
        info.version = QStringLiteral("999.0.0");
        return info;
    }
};

QTEST_MAIN(TestAppUpdate)
#include "tst_appupdate.moc"
