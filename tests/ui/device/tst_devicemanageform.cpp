// The device page through the real main window on the simulated keyboard:
// the road to the key page, a second connect that downloads nothing, a
// missing picture package fetched from the local download server, a hostile
// package refused without a trace, a cancelled download, a keyboard the user
// may not open (and the Fix button that installs the udev rule for it), and a
// keyboard that stops answering during the read, and the read's progress
// dialog, which only a read slow enough to be seen shows.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "common/apppaths.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "services/qtoastbox.h"
#include "services/systemconfigutil.h"
#include "sim/simhidbackend.h"
#include "support/gui/guitestbase.h"
#include "support/updateserverrig.h"
#include "ui/device/devicemanageform.h"
#include "ui/device/udevruleinstaller.h"
#include "ui/pageindex.h"
#include "ui/widgets/qcustomprogressdialog.h"
#include "update/downloadfolder.h"
#include "update/filedownloadutil.h"
#include "update/updateserver.h"

namespace {
constexpr qint16 kCompactProduct = 259;  // Pim65: no folder next to the tests

bool toastShown(const QString& start) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* toast = qobject_cast<QToastBox*>(w))
            if (toast->text().startsWith(start)) return true;
    return false;
}

void closeToasts() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QToastBox*>(w)) delete w;
}

// Counts the progress dialogs shown anywhere while it lives.
class DialogShowCounter : public QObject {
public:
    int shown = 0;
    DialogShowCounter() { qApp->installEventFilter(this); }
    ~DialogShowCounter() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QCustomProgressDialog*>(watched)) ++shown;
        return QObject::eventFilter(watched, event);
    }
};
}  // namespace

class TestDeviceManageForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void cleanup();

    void secondConnectDownloadsNothing();
    void missingPackageIsDownloadedAndUnpacked();
    void hostilePackageIsRefusedWhole();
    void unknownKeyboardFetchesTheCatalogueOnceInThreeDays();
    void deniedKeyboardNamesTheUdevRule();
    void fixButtonInstallsTheRuleAndOpensAgain();
    void silentKeyboardEndsTheRead();
    void cancelledDownloadLeavesNothing();
    void onlyASlowReadShowsItsDialog();

private:
    // A private application folder, download folder and server for the
    // download roads, so parallel tests never share a data folder.
    void useOwnFolders();
    DeviceManageForm* devicePage() { return page<DeviceManageForm>(); }
    // Back to the device page, whose entry closes the link and opens the
    // keyboard again. Not waited for: the road may leave it at once.
    void reconnect() { mainWindow()->showPage(PageDevice); }

    std::unique_ptr<QTemporaryDir> mAppDir;
    std::unique_ptr<UpdateServerRig> mServer;
};

void TestDeviceManageForm::cleanup() {
    stopWindow();
    closeToasts();
    AppPaths::setApplicationFolder(QString());
    UdevRuleInstaller::setLauncherForTests(QString());
    DownloadFolder::setPath(QString());
    UpdateServer::setBaseUrl(QUrl());
    mServer.reset();
    mAppDir.reset();
}

void TestDeviceManageForm::useOwnFolders() {
    mAppDir = std::make_unique<QTemporaryDir>();
    QVERIFY(mAppDir->isValid());
    AppPaths::setApplicationFolder(mAppDir->path());
    DownloadFolder::setPath(mAppDir->filePath(QStringLiteral("downloads")));
    mServer = std::make_unique<UpdateServerRig>();
    QVERIFY(mServer->start());
    UpdateServer::setBaseUrl(mServer->base());
}

void TestDeviceManageForm::secondConnectDownloadsNothing() {
    QVERIFY(startWindow());
    QCOMPARE(mainWindow()->currentPageIndex(), int(PageKey));
    // The keyboard names the folder the build unpacked its package into.
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    QCOMPARE(model->keyboardProductInfo->productName, QStringLiteral("Lusk75"));
    QCOMPARE(model->keyboardProduct->serialNumber, qint16(258));
    QCOMPARE(DeviceManageForm::dataFolderName(), QStringLiteral("Lusk75"));

    QSignalSpy progress(devicePage()->downloader(), &FileDownloadUtil::download_progress);
    QSignalSpy failed(devicePage()->downloader(), &FileDownloadUtil::download_error);
    const int opened = sim().openedPaths().size();
    reconnect();
    QVERIFY(waitForPage(PageKey, 20000));
    QVERIFY(sim().openedPaths().size() > opened);
    QVERIFY(progress.isEmpty());
    QVERIFY(failed.isEmpty());
    QVERIFY(!devicePage()->downloader()->isBusy());
}

void TestDeviceManageForm::missingPackageIsDownloadedAndUnpacked() {
    useOwnFolders();
    GuiSession::Options options;
    options.product = kCompactProduct;
    QVERIFY(startWindow(options, false));
    QVERIFY(waitForPage(PageKey, 20000));
    const QDir folder(mAppDir->filePath(QStringLiteral("data/Pim65")));
    QVERIFY(folder.exists(QStringLiteral("firmware.bin")));
    QVERIFY(folder.exists(QStringLiteral("dark/fireware_bg.png")));
    QCOMPARE(KeyboardConfigUtil::instance()->keyboardProduct->serialNumber, kCompactProduct);
    // The downloaded archive is gone once unpacked; no dialog stays up.
    QCOMPARE(QDir(DownloadFolder::path()).entryList(QDir::Files), QStringList());
    QVERIFY(!devicePage()->progressDialog());

    // From now on the folder is there: a new connect downloads nothing.
    QSignalSpy progress(devicePage()->downloader(), &FileDownloadUtil::download_progress);
    const int opened = sim().openedPaths().size();
    reconnect();
    QVERIFY(waitForPage(PageKey, 20000));
    QVERIFY(sim().openedPaths().size() > opened);
    QVERIFY(progress.isEmpty());
}

void TestDeviceManageForm::hostilePackageIsRefusedWhole() {
    useOwnFolders();
    // A package whose second entry climbs out of its folder.
    const QString work = mAppDir->filePath(QStringLiteral("work/in"));
    QVERIFY(QDir().mkpath(work));
    QFile(work + QStringLiteral("/firmware.bin")).open(QIODevice::WriteOnly);
    QFile escaped(mAppDir->filePath(QStringLiteral("work/owned")));
    QVERIFY(escaped.open(QIODevice::WriteOnly));
    escaped.write("x");
    escaped.close();
    const QString zip = mServer->file(QStringLiteral("/normal/pim65/pim65.zip"));
    QFile::remove(zip);
    QProcess make;
    make.setWorkingDirectory(work);
    make.start(QStringLiteral("zip"), {QStringLiteral("-q"), zip, QStringLiteral("firmware.bin"),
                                       QStringLiteral("../owned")});
    QVERIFY(make.waitForFinished(30000) && make.exitCode() == 0);
    // Signed like a real release, so the unpacker itself must refuse it.
    QVERIFY(mServer->sign(QStringLiteral("/normal/pim65/pim65.zip")));

    GuiSession::Options options;
    options.product = kCompactProduct;
    QVERIFY(startWindow(options, false));
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("更新错误")), 20000);
    QCOMPARE(mainWindow()->currentPageIndex(), int(PageDevice));
    QVERIFY(!devicePage()->progressDialog());
    // No folder (nor a half-filled temporary one) is left behind, so the
    // next connect tries again instead of skipping the download.
    QCOMPARE(QDir(mAppDir->filePath(QStringLiteral("data")))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QVERIFY(!QFile::exists(mAppDir->filePath(QStringLiteral("data/Pim65"))));
    QVERIFY(!QFile::exists(mAppDir->filePath(QStringLiteral("owned"))));
}

void TestDeviceManageForm::unknownKeyboardFetchesTheCatalogueOnceInThreeDays() {
    useOwnFolders();
    QVERIFY(startWindow(GuiSession::Options(), false));
    QVERIFY(waitForPage(PageKey, 20000));
    // The keyboard now names a product the catalogue does not know.
    SimKeyboardState unknown = sim().keyboard().state();
    unknown.serialNumber = 999;
    sim().setKeyboardState(unknown);
    QSignalSpy finished(devicePage()->downloader(), &FileDownloadUtil::download_finished);
    const QString noMatch = QStringLiteral("没有匹配的产品");

    // Checked today: no download, the no-match message at once.
    reconnect();
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(noMatch), 20000);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!UsbCommunicateUtil::instance()->isConnected());
    QVERIFY(!KeyboardConfigUtil::instance()->keyboardProduct);

    // Three days later the catalogue is fetched once, then still no match.
    SystemConfigUtil* config = SystemConfigUtil::instance();
    const QDate later = QDate::currentDate().addDays(3);
    config->setTodayProvider([later] { return later; });
    QVERIFY(config->isCatalogueCheckDue());
    for (int attempt = 0; attempt < 2; ++attempt) {
        closeToasts();
        click(QStringLiteral("deviceAddWidget"));
        QTRY_VERIFY_WITH_TIMEOUT(toastShown(noMatch), 20000);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).toInt(), int(FileDownloadUtil::Catalogue));
        QVERIFY(!config->isCatalogueCheckDue());
        QVERIFY(!UsbCommunicateUtil::instance()->isConnected());
        QCOMPARE(mainWindow()->currentPageIndex(), int(PageDevice));
    }
}

void TestDeviceManageForm::deniedKeyboardNamesTheUdevRule() {
    QVERIFY(startWindow());
    sim().setDenyOpen(true);
    // No pkexec: the command alone, naming the rule where it really lies.
    UdevRuleInstaller::setLauncherForTests(QStringLiteral("/nonexistent/pkexec"));
    reconnect();
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("打开设备失败")), 10000);
    QVERIFY2(devicePage()->permissionText().contains(
                 QStringLiteral("sudo cp '%1' /etc/udev/rules.d/ && sudo udevadm control "
                                "--reload-rules && sudo udevadm trigger")
                     .arg(UdevRuleInstaller::ruleFile())),
             qPrintable(devicePage()->permissionText()));
    QVERIFY(!devicePage()->canFixPermission());
    QVERIFY(!KeyboardConfigUtil::instance()->keyboardProduct);

    // With access granted, a click on the tile opens it and the line goes.
    sim().setDenyOpen(false);
    click(QStringLiteral("deviceAddWidget"));
    QVERIFY(waitForPage(PageKey, 20000));
    QVERIFY(devicePage()->permissionText().isEmpty());
}

void TestDeviceManageForm::fixButtonInstallsTheRuleAndOpensAgain() {
    // The rule as a build carries it (beside the tests for this run), and a
    // stand-in for pkexec that notes its arguments and exits with the code
    // the test chooses.
    const QString rule = UdevRuleInstaller::ruleFile();
    const bool placed = !QFile::exists(rule);
    if (placed) {
        QVERIFY(QDir().mkpath(QFileInfo(rule).absolutePath()));
        QVERIFY(QFile::copy(qEnvironmentVariable("ZENTARO_SOURCE_DIR") +
                                QStringLiteral("/resources/linux/70-zentaro.rules"),
                            rule));
    }
    auto removeRule = qScopeGuard([placed, rule] {
        if (placed) QFile::remove(rule);
    });
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString launcher = work.filePath(QStringLiteral("pkexec"));
    const QString argsFile = work.filePath(QStringLiteral("args"));
    const QString codeFile = work.filePath(QStringLiteral("code"));
    QFile script(launcher);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\nexit $(cat '%2')\n")
                     .arg(argsFile, codeFile)
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto setExitCode = [&](int code) {
        QFile file(codeFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(code));
    };
    UdevRuleInstaller::setLauncherForTests(launcher);

    QVERIFY(startWindow());
    sim().setDenyOpen(true);
    closeToasts();
    reconnect();
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("打开设备失败")), 10000);
    QTRY_VERIFY(devicePage()->canFixPermission());

    // The user dismisses the password prompt: the hint and button stay.
    setExitCode(126);
    click(QStringLiteral("fixPermissionButton"));
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("修复失败")), 10000);
    QVERIFY(devicePage()->canFixPermission());
    QVERIFY(!devicePage()->permissionText().isEmpty());
    QVERIFY(!UsbCommunicateUtil::instance()->isConnected());

    // Authorised: the rule goes in by its path as an argument, udev reloads,
    // and the keyboard opens without another click.
    setExitCode(0);
    sim().setDenyOpen(false);
    const int opened = sim().openedPaths().size();
    click(QStringLiteral("fixPermissionButton"));
    QVERIFY(waitForPage(PageKey, 20000));
    QVERIFY(sim().openedPaths().size() > opened);
    QVERIFY(devicePage()->permissionText().isEmpty());
    QFile args(argsFile);
    QVERIFY(args.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(args.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("/bin/sh"));
    QCOMPARE(lines.value(1), QStringLiteral("-c"));
    QCOMPARE(lines.value(2),
             QStringLiteral("install -m 0644 -- \"$1\" /etc/udev/rules.d/70-zentaro.rules && "
                            "udevadm control --reload-rules && udevadm trigger "
                            "--subsystem-match=hidraw --action=change --settle"));
    QCOMPARE(lines.value(4), rule);
}

void TestDeviceManageForm::silentKeyboardEndsTheRead() {
    QVERIFY(startWindow());
    closeToasts();
    // The keyboard answers the open, then nothing more.
    sim().dropNextAnswers(1000);
    reconnect();
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("读取配置失败")), 30000);
    QVERIFY(!devicePage()->progressDialog());
    QCOMPARE(mainWindow()->currentPageIndex(), int(PageDevice));
    sim().dropNextAnswers(0);
}

void TestDeviceManageForm::cancelledDownloadLeavesNothing() {
    useOwnFolders();
    // A server that sends half of the real package and holds the rest back
    // until told, so Cancel comes while the download runs.
    QFile zip(mServer->file(QStringLiteral("/normal/pim65/pim65.zip")));
    QVERIFY(zip.open(QIODevice::ReadOnly));
    const QByteArray package = zip.readAll();
    QTcpServer slow;
    QVERIFY(slow.listen(QHostAddress::LocalHost));
    QPointer<QTcpSocket> client;
    connect(&slow, &QTcpServer::newConnection, this, [&] {
        client = slow.nextPendingConnection();
        connect(client, &QTcpSocket::readyRead, client, [&, socket = client.data()] {
            socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\nContent-Length: " +
                          QByteArray::number(package.size()) + "\r\n\r\n" +
                          package.left(package.size() / 2));
        });
    });
    UpdateServer::setBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(slow.serverPort())));

    GuiSession::Options options;
    options.product = kCompactProduct;
    QVERIFY(startWindow(options, false));
    // The download's dialog, with half the package received.
    QTRY_VERIFY_WITH_TIMEOUT(client && devicePage()->downloader()->isBusy(), 20000);
    GuiSession::settle(200);
    QVERIFY(devicePage()->progressDialog());
    QTest::mouseClick(devicePage()->progressDialog()->cancelButton(), Qt::LeftButton);
    QVERIFY(!devicePage()->progressDialog());
    // Whatever the server sends now reaches no one.
    if (client) client->write(package.mid(package.size() / 2));
    GuiSession::settle(500);
    QCOMPARE(mainWindow()->currentPageIndex(), int(PageDevice));
    QVERIFY(!devicePage()->downloader()->isBusy());
    QCOMPARE(QDir(DownloadFolder::path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QVERIFY(!QFile::exists(mAppDir->filePath(QStringLiteral("data/Pim65"))));

    // The next connect downloads the package again, to its end.
    UpdateServer::setBaseUrl(mServer->base());
    click(QStringLiteral("deviceAddWidget"));
    QVERIFY(waitForPage(PageKey, 20000));
    QVERIFY(QFile::exists(mAppDir->filePath(QStringLiteral("data/Pim65/firmware.bin"))));
}

void TestDeviceManageForm::onlyASlowReadShowsItsDialog() {
    QVERIFY(startWindow());
    {
        // A quick read ends before its dialog would show.
        DialogShowCounter dialogs;
        QElapsedTimer clock;
        clock.start();
        reconnect();
        QVERIFY(waitForPage(PageKey, 20000));
        if (clock.elapsed() < DeviceManageForm::kSyncDialogDelayMs) QCOMPARE(dialogs.shown, 0);
    }

    // A slow one shows it with the progress so far, and drops it at the end.
    sim().setLatencyMs(40);
    auto restore = qScopeGuard([this] { sim().setLatencyMs(0); });
    reconnect();
    QTRY_VERIFY_WITH_TIMEOUT(devicePage()->progressDialog(), 10000);
    QVERIFY(devicePage()->progressDialog()->value() > 9);
    QVERIFY(waitForPage(PageKey, 20000));
    QVERIFY(!devicePage()->progressDialog());

    // Put away, it stays away for the rest of that read.
    reconnect();
    QTRY_VERIFY_WITH_TIMEOUT(devicePage()->progressDialog(), 10000);
    DialogShowCounter dialogs;
    QTest::mouseClick(devicePage()->progressDialog()->cancelButton(), Qt::LeftButton);
    QVERIFY(!devicePage()->progressDialog());
    QVERIFY(waitForPage(PageKey, 20000));
    QCOMPARE(dialogs.shown, 0);
}

QTEST_MAIN(TestDeviceManageForm)
#include "tst_devicemanageform.moc"
