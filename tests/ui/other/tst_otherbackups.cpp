// The backups card of the other page through the real window on the
// simulated keyboard: a firmware update that resets the profiles is backed
// up before, noticed after and undone by "Restore my settings"; Back up now,
// Restore and Delete; a backup that cannot be written (no folder, no space
// left), a damaged one and a keyboard that goes away during a restore.

#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtEndian>
#include <QtTest>
#include <csignal>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "services/qtoastbox.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/pageindex.h"
#include "ui/pages/other/backuplistform.h"
#include "ui/pages/other/othersetform.h"
#include "ui/widgets/messagebox.h"

using testsupport::requests;

namespace {

// Every table of the simulated keyboard and which one is active.
QByteArray tables(const SimKeyboardState& s) {
    QJsonObject keep;
    keep.insert(QStringLiteral("profiles"), s.toJson().value(QStringLiteral("profiles")));
    keep.insert(QStringLiteral("active"), int(s.configIndex));
    return QJsonDocument(keep).toJson();
}

// Firmware for the simulated keyboard (product 258) whose image names 0.1.0.6.
QByteArray firmware() {
    QByteArray image = "ZFW1";
    image += char(0x06);
    image += char(0x01);
    for (int i = int(image.size()); i < 2048; ++i) image += char(i * 7);
    quint32 sum = 0;
    for (char c : image) sum += quint8(c);
    QByteArray header(40, '\0');
    qToLittleEndian<quint16>(258, header.data());
    qToLittleEndian<quint32>(quint32(image.size()), header.data() + 4);
    qToLittleEndian<quint32>(sum, header.data() + 8);
    return header + image;
}

void personalise(SimKeyboardState& s) {
    for (int i = 0; i < s.profiles.size(); ++i) {
        SimProfile& p = s.profiles[i];
        p.name = QStringLiteral("Mine %1").arg(i);
        p.layers[0][17] = {1, 0, quint8(0x68 + i)};
        p.lights[17] = {2, quint8(10 * i), 20, 30};
        p.triggers[17] = {quint16(150 + i), true, true, 20, 25};
    }
}

}  // namespace

class TestOtherBackups : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firmwareResetIsUndoneByRestore();
    void backUpNowRestoreAndDelete();
    void failedBackupSendsNoFirmwareUnlessTold();
    void fullDiskSendsNoFirmwareAndKeepsOldBackups();
    void damagedBackupIsShownAndNotRestored();
    void unplugDuringRestoreSaysHowFar();

private:
    OtherSetForm* form() { return page<OtherSetForm>(); }
    QTreeWidget* list() { return qobject_cast<QTreeWidget*>(widget(QStringLiteral("backupList"))); }
    QString backupFolder() const { return mBackups.path() + QStringLiteral("/258"); }
    // Answers every box with `answer` from now on.
    void answerAll(QMessageBox::StandardButton answer);
    static bool toastShown(const QString& text);
    void updateFirmware();

    QTemporaryDir mDownloads;
    QTemporaryDir mBackups;
    QTimer mAnswerer;
    QMessageBox::StandardButton mAnswer = QMessageBox::NoButton;
    int mAsked = -1;
};

void TestOtherBackups::init() {
    qputenv("ZENTARO_BACKUP_FOLDER", mBackups.path().toUtf8());
    QDir(backupFolder()).removeRecursively();
    QFile::remove(backupFolder());  // the blocker of a test before
    mAnswer = QMessageBox::NoButton;
    mAsked = -1;
    connect(&mAnswerer, &QTimer::timeout, this, [this] {
        // A box took the last answer: the next one gets the same.
        if (mAnswer != QMessageBox::NoButton && MessageBox::count() != mAsked) {
            mAsked = MessageBox::count();
            MessageBox::setNextAnswer(mAnswer);
        }
    });
    mAnswerer.start(5);
    QVERIFY(startWindow());
    showPage(PageOther);
    QVERIFY(form());
}

void TestOtherBackups::cleanup() {
    mAnswerer.stop();
    mAnswerer.disconnect(this);
    MessageBox::setNextAnswer(QMessageBox::NoButton);
    stopWindow();
    qunsetenv("ZENTARO_BACKUP_FOLDER");
}

bool TestOtherBackups::toastShown(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->text() == text) return true;
    }
    return false;
}

void TestOtherBackups::answerAll(QMessageBox::StandardButton answer) {
    mAnswer = answer;
    mAsked = MessageBox::count();
    MessageBox::setNextAnswer(answer);
}

void TestOtherBackups::updateFirmware() {
    // As a finished download hands the file over (the download itself is
    // the update tests' business); "synchronise?" is answered by the caller.
    const QString path = mDownloads.filePath(QStringLiteral("firmware-0106.bin"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(firmware()) > 0);
    f.close();
    form()->onDownloadFinished(path);
}

void TestOtherBackups::firmwareResetIsUndoneByRestore() {
    personalise(keyboard().state());
    const QByteArray mine = tables(keyboard().state());
    keyboard().setResetOnFirmware(true);
    answerAll(QMessageBox::Yes);
    updateFirmware();
    QTRY_VERIFY_WITH_TIMEOUT(MessageBox::lastTitle() == QStringLiteral("恢复我的设置") &&
                                 MessageBox::lastText().startsWith(QStringLiteral("配置已恢复")),
                             60000);
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0106));
    QCOMPARE(tables(keyboard().state()), mine);
    // One automatic backup, made before the first frame.
    const QStringList ids = QDir(backupFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(ids.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isBackupBusy(), 20000);
}

void TestOtherBackups::backUpNowRestoreAndDelete() {
    personalise(keyboard().state());
    const QByteArray mine = tables(keyboard().state());
    click(QStringLiteral("backupNowBtn"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), 1, 20000);
    QCOMPARE(list()->topLevelItem(0)->text(3), QStringLiteral("手动"));
    QCOMPARE(list()->topLevelItem(0)->text(2), QString::number(keyboard().state().profiles.size()));
    QVERIFY(list()->topLevelItem(0)->text(4).contains(QStringLiteral("Mine 1")));

    // The user changes things; the backup brings them back.
    for (SimProfile& p : keyboard().state().profiles) p.layers[0][17] = {1, 0, 0x04};
    keyboard().state().profiles.first().name = QStringLiteral("Other");
    answerAll(QMessageBox::Ok);
    list()->setCurrentItem(list()->topLevelItem(0));
    click(QStringLiteral("restoreBackupBtn"));
    QTRY_VERIFY_WITH_TIMEOUT(MessageBox::lastText().startsWith(QStringLiteral("配置已恢复")),
                             30000);
    QCOMPARE(tables(keyboard().state()), mine);

    // The window reads the restored keyboard again and lands on the key page;
    // going back before that read ends would race it.
    QVERIFY(waitForPage(PageKey, 20000));
    QVERIFY(waitForEngineIdle());
    showPage(PageOther);
    QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), 1, 20000);
    answerAll(QMessageBox::Yes);
    list()->setCurrentItem(list()->topLevelItem(0));
    click(QStringLiteral("deleteBackupBtn"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), 0, 20000);
    QVERIFY(QDir(backupFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

void TestOtherBackups::failedBackupSendsNoFirmwareUnlessTold() {
    // A file stands where the backups would go.
    QFile blocker(mBackups.filePath(QStringLiteral("258")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    sim().clearWrittenReports();
    // "Synchronise?" yes; "update without a backup?" no.
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTimer refuser;
    connect(&refuser, &QTimer::timeout, this, [this] {
        if (form()->isBackupBusy()) MessageBox::setNextAnswer(QMessageBox::No);
    });
    refuser.start(1);
    updateFirmware();
    QTRY_VERIFY_WITH_TIMEOUT(MessageBox::lastTitle() == QStringLiteral("备份失败"), 30000);
    refuser.stop();
    QVERIFY(MessageBox::lastText().contains(QStringLiteral("固件没有发送")));
    QTest::qWait(200);
    QVERIFY(requests(sim().writtenReports(), UsbProtocol::DownloadFirewareKeyboard).isEmpty());
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0105));

    QVERIFY(toastShown(QStringLiteral("没有备份，固件没有发送")));
    // Told: the firmware goes out without a backup.
    answerAll(QMessageBox::Yes);
    updateFirmware();
    QTRY_COMPARE_WITH_TIMEOUT(quint16(keyboard().state().version), quint16(0x0106), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isFirmwareTransferring(), 20000);
}

void TestOtherBackups::fullDiskSendsNoFirmwareAndKeepsOldBackups() {
    // Every file under the folder, hidden ones too, with its bytes.
    auto snapshot = [this] {
        QStringList all;
        QDirIterator it(backupFolder(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            all << path + QLatin1Char('=') + QString::fromLatin1(bytes.toBase64());
        }
        all.sort();
        return all;
    };
    personalise(keyboard().state());
    click(QStringLiteral("backupNowBtn"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), 1, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isBackupBusy(), 20000);
    const QStringList before = snapshot();
    const QString path = mDownloads.filePath(QStringLiteral("firmware-0106.bin"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(firmware()) > 0);
    f.close();
    sim().clearWrittenReports();

    // A disk that takes no more bytes: each write past the first byte of a
    // file fails, as when no space is left.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit full = old;
    full.rlim_cur = 1;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &full), 0);
    auto roomAgain = qScopeGuard([&old] { setrlimit(RLIMIT_FSIZE, &old); });
    // "Synchronise?" yes; "update without a backup?" no.
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QTimer refuser;
    connect(&refuser, &QTimer::timeout, this, [this] {
        if (form()->isBackupBusy()) MessageBox::setNextAnswer(QMessageBox::No);
    });
    refuser.start(1);
    form()->onDownloadFinished(path);
    QTRY_VERIFY_WITH_TIMEOUT(MessageBox::lastTitle() == QStringLiteral("备份失败"), 30000);
    refuser.stop();
    roomAgain.dismiss();
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
    QVERIFY(MessageBox::lastText().contains(QStringLiteral("固件没有发送")));
    QTest::qWait(200);
    QVERIFY(requests(sim().writtenReports(), UsbProtocol::DownloadFirewareKeyboard).isEmpty());
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0105));
    // The earlier backup is as it was, and nothing half-written lies beside it.
    QCOMPARE(snapshot(), before);
    form()->backupList()->refresh(258);
    QCOMPARE(list()->topLevelItemCount(), 1);
    QVERIFY(list()->topLevelItem(0)->text(3) != QStringLiteral("已损坏"));
}

void TestOtherBackups::damagedBackupIsShownAndNotRestored() {
    click(QStringLiteral("backupNowBtn"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), 1, 20000);
    const QString id = list()->topLevelItem(0)->data(0, Qt::UserRole).toString();
    QFile f(backupFolder() + QLatin1Char('/') + id + QStringLiteral("/profile-0.json"));
    QVERIFY(f.open(QIODevice::Append));
    f.write(" ");
    f.close();
    form()->backupList()->refresh(258);
    QCOMPARE(list()->topLevelItem(0)->text(3), QStringLiteral("已损坏"));
    list()->setCurrentItem(list()->topLevelItem(0));
    auto* restore = qobject_cast<QPushButton*>(widget(QStringLiteral("restoreBackupBtn")));
    QVERIFY(!restore->isEnabled());
    QVERIFY(qobject_cast<QPushButton*>(widget(QStringLiteral("deleteBackupBtn")))->isEnabled());
}

void TestOtherBackups::unplugDuringRestoreSaysHowFar() {
    personalise(keyboard().state());
    click(QStringLiteral("backupNowBtn"));
    QTRY_COMPARE_WITH_TIMEOUT(list()->topLevelItemCount(), 1, 20000);
    for (SimProfile& p : keyboard().state().profiles) p.layers[0][17] = {1, 0, 0x04};
    answerAll(QMessageBox::Ok);
    list()->setCurrentItem(list()->topLevelItem(0));
    // The keyboard goes once the first profile (the active table's) is back
    // and the restore moves to the next table.
    const int first = keyboard().state().configIndex;
    const QString firstName = keyboard().state().profile(quint8(first))->name;
    QTimer unplugger;
    connect(&unplugger, &QTimer::timeout, this, [this, &unplugger, first] {
        if (form()->isBackupBusy() && int(keyboard().state().configIndex) != first) {
            unplugger.stop();
            sim().unplug();
        }
    });
    unplugger.start(1);
    click(QStringLiteral("restoreBackupBtn"));
    const auto stopped = [] {
        for (const QString& text : MessageBox::recentTexts())
            if (text.startsWith(QStringLiteral("恢复在配置"))) return text;
        return QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(!stopped().isEmpty(), 30000);
    QVERIFY2(stopped().endsWith(QStringLiteral("已恢复：") + firstName), qPrintable(stopped()));
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isBackupBusy(), 20000);
}

QTEST_MAIN(TestOtherBackups)
#include "tst_otherbackups.moc"
