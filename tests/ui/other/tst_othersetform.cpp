// The other page through the real main window on the simulated keyboard:
// firmware update from the served download tree, firmware data files and
// the factory reset, checked by what the keyboard holds afterwards. Forged,
// unsigned, replayed or plainly fetched descriptions send nothing.

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "common/signatureverifier.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/firmwarefile.h"
#include "protocol/firmwaretransfer.h"
#include "protocol/usbcommunicateutil.h"
#include "services/qtoastbox.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "support/updateserverrig.h"
#include "ui/pageindex.h"
#include "ui/pages/other/othersetform.h"
#include "ui/widgets/filedialog.h"
#include "ui/widgets/messagebox.h"
#include "update/downloadfolder.h"
#include "update/updatechecker.h"
#include "update/updateserver.h"

using testsupport::requests;

class TestOtherSetForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firmwareUpdateFromTheServer();
    void wrongMd5IsDeletedAndNothingSent();
    void firmwareWithoutImageIsRefused();
    void sameVersionOffersNothing();
    void forgedDescriptionSendsNothing_data();
    void forgedDescriptionSendsNothing();
    void replayedOlderDescriptionOffersNothing();
    void plainHttpServerIsRefused();
    void firmwareDataFile();
    void firmwareDataFileRefusals_data();
    void firmwareDataFileRefusals();
    void factoryReset();
    void firmwareOfAnotherProductIsRefused();
    void jobsEndWhenTheKeyboardGoesAway_data();
    void jobsEndWhenTheKeyboardGoesAway();

private:
    OtherSetForm* form() { return page<OtherSetForm>(); }
    QList<QByteArray> sent(uchar request) { return requests(sim().writtenReports(), request); }
    static bool toastShown(const QString& text);
    static int toastsStartingWith(const QString& text);
    // Answers the box that follows the offer's question (the page asks it
    // from the same signal, after the first answer was used).
    void answerAfterOffer(QMessageBox::StandardButton answer);
    // Offers `xml` as the product's firmversion.xml and clicks "更新固件".
    void offer(const QByteArray& xml, QMessageBox::StandardButton first);
    QByteArray firmversion(const QString& version, const QString& md5,
                           const QString& file = QStringLiteral("firmware-0106.bin"));
    QString dataFile(const QByteArray& bytes);
    bool downloadFolderEmpty() const;

    std::unique_ptr<UpdateServerRig> mServer;
    QTemporaryDir mDownloads;
    QTemporaryDir mFiles;
    QString mProduct;
};

void TestOtherSetForm::init() {
    mServer = std::make_unique<UpdateServerRig>();
    QVERIFY(mServer->start());
    UpdateServer::setBaseUrl(mServer->base());
    DownloadFolder::setPath(mDownloads.path());
    QVERIFY(startWindow());
    showPage(PageOther);
    QVERIFY(form());
    mProduct = KeyboardConfigUtil::instance()->keyboardProduct->productData.toLower();
    sim().clearWrittenReports();
}

void TestOtherSetForm::cleanup() {
    stopWindow();
    mServer.reset();
    UpdateServer::setBaseUrl(QUrl());
    DownloadFolder::setPath(QString());
}

bool TestOtherSetForm::toastShown(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->text() == text) return true;
    }
    return false;
}

int TestOtherSetForm::toastsStartingWith(const QString& text) {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->isVisible() && toast->text().startsWith(text)) ++n;
    }
    return n;
}

void TestOtherSetForm::answerAfterOffer(QMessageBox::StandardButton answer) {
    auto* checker = form()->findChild<UpdateChecker*>();
    QVERIFY(checker);
    connect(
        checker, &UpdateChecker::updateAvailable, this,
        [answer] { MessageBox::setNextAnswer(answer); }, Qt::SingleShotConnection);
}

void TestOtherSetForm::offer(const QByteArray& xml, QMessageBox::StandardButton first) {
    // The server of these tests publishes what it signs.
    const QString path = QStringLiteral("/normal/%1/firmversion.xml").arg(mProduct);
    if (!xml.isEmpty()) QVERIFY(mServer->write(path, xml) && mServer->sign(path));
    MessageBox::setNextAnswer(first);
    click(QStringLiteral("syncFireBtn"));
}

QByteArray TestOtherSetForm::firmversion(const QString& version, const QString& md5,
                                         const QString& file) {
    return QStringLiteral(
               "<update><version>%1</version><description>notes</description>"
               "<md5>%2</md5><url>%3</url></update>")
        .arg(version, md5, file)
        .toUtf8();
}

bool TestOtherSetForm::downloadFolderEmpty() const {
    return QDir(mDownloads.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty();
}

QString TestOtherSetForm::dataFile(const QByteArray& bytes) {
    static int n = 0;
    const QString path = mFiles.filePath(QStringLiteral("data%1.bin").arg(++n));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return QString();
    return path;
}

void TestOtherSetForm::firmwareUpdateFromTheServer() {
    auto* version = qobject_cast<QLabel*>(widget(QStringLiteral("versionFireLabel")));
    QCOMPARE(version->text(), QStringLiteral("键盘固件版本：V0.1.0.5"));

    // The served file: what the keyboard should end up holding.
    const QString served = QDir(mServer->file(QStringLiteral("/normal/") + mProduct))
                               .entryList({QStringLiteral("firmware-*.bin")})
                               .value(0);
    QVERIFY(!served.isEmpty());
    FirmwareFile expected;
    QCOMPARE(expected.load(mServer->file(QStringLiteral("/normal/%1/%2").arg(mProduct, served)),
                           FirmwareFile::KeyboardFirmware),
             FirmwareFile::Ok);

    answerAfterOffer(QMessageBox::Yes);
    offer(QByteArray(), QMessageBox::Yes);
    QTRY_VERIFY_WITH_TIMEOUT(
        toastShown(QStringLiteral("固件升级成功，如果没连上设备，请重新拔插USB线！")), 20000);
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("同步"));

    // Every block went in order and the end command carried the header's
    // offset-4 value first.
    const int m = gUsbDataMaxsize;
    QCOMPARE(keyboard().firmwareImage(), expected.bytes().mid(40));
    QCOMPARE(sent(UsbProtocol::DownloadFirewareKeyboard).size(), expected.frameCount(m));
    const QList<QByteArray> end = sent(UsbProtocol::DownloadFirewareKeyboardEnd);
    QCOMPARE(end.size(), 1);
    QCOMPARE(end[0].mid(7, 8), expected.bytes().mid(4, 8));
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0106));
    QVERIFY(!form()->progressDialog());
    QVERIFY(downloadFolderEmpty());
}

void TestOtherSetForm::wrongMd5IsDeletedAndNothingSent() {
    const QString served = QDir(mServer->file(QStringLiteral("/normal/") + mProduct))
                               .entryList({QStringLiteral("firmware-*.bin")})
                               .value(0);
    offer(firmversion(QStringLiteral("0.1.0.6"), QStringLiteral("00112233445566778899AABBCCDDEEFF"),
                      served),
          QMessageBox::Yes);
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("下载文件校验失败")), 20000);
    QVERIFY(downloadFolderEmpty());
    QVERIFY(!form()->progressDialog());
    QTest::qWait(100);
    QVERIFY(sent(UsbProtocol::DownloadFirewareKeyboard).isEmpty());
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0105));
}

void TestOtherSetForm::firmwareWithoutImageIsRefused() {
    const QByteArray header(40, '\x01');
    QVERIFY(mServer->write(QStringLiteral("/normal/%1/short.bin").arg(mProduct), header));
    const QString md5 =
        QString::fromLatin1(QCryptographicHash::hash(header, QCryptographicHash::Md5).toHex());
    answerAfterOffer(QMessageBox::Ok);
    const int boxes = MessageBox::count();
    offer(firmversion(QStringLiteral("0.1.0.7"), md5, QStringLiteral("short.bin")),
          QMessageBox::Yes);
    QTRY_VERIFY_WITH_TIMEOUT(MessageBox::count() == boxes + 2, 20000);
    QCOMPARE(MessageBox::lastText(), QStringLiteral("下载固件失败！"));
    QTest::qWait(100);
    QVERIFY(sent(UsbProtocol::DownloadFirewareKeyboard).isEmpty());
    QVERIFY(sent(UsbProtocol::DownloadFirewareKeyboardEnd).isEmpty());
    QVERIFY(!form()->progressDialog());
    QVERIFY(downloadFolderEmpty());
}

void TestOtherSetForm::sameVersionOffersNothing() {
    const int boxes = MessageBox::count();
    offer(firmversion(QStringLiteral("0.1.0.5"), QStringLiteral("00")), QMessageBox::Yes);
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("没有新版本")), 20000);
    QCOMPARE(MessageBox::count(), boxes);
    MessageBox::setNextAnswer(QMessageBox::NoButton);
}

void TestOtherSetForm::forgedDescriptionSendsNothing_data() {
    QTest::addColumn<QString>("forgery");
    QTest::newRow("altered firmware with its MD5 updated") << "tampered";
    QTest::newRow("signature missing") << "missing";
    QTest::newRow("signed by an unknown key") << "unknown";
}

void TestOtherSetForm::forgedDescriptionSendsNothing() {
    QFETCH(QString, forgery);
    const QString folder = QStringLiteral("/normal/") + mProduct;
    const QString path = folder + QStringLiteral("/firmversion.xml");
    const QString served =
        QDir(mServer->file(folder)).entryList({QStringLiteral("firmware-*.bin")}).value(0);
    QFile image(mServer->file(folder + QLatin1Char('/') + served));
    QVERIFY(image.open(QIODevice::ReadOnly));
    QByteArray bytes = image.readAll();
    image.close();
    if (forgery == QLatin1String("tampered")) {
        // The attacker's image, with the description's MD5 made to fit.
        bytes[60] = char(bytes[60] ^ 0x33);
        QVERIFY(mServer->write(folder + QStringLiteral("/evil.bin"), bytes));
        const QString md5 = QString::fromLatin1(
            QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toUpper());
        QVERIFY(mServer->write(
            path, firmversion(QStringLiteral("0.1.0.6"), md5, QStringLiteral("evil.bin"))));
    } else if (forgery == QLatin1String("missing")) {
        QVERIFY(QFile::remove(mServer->file(path + QStringLiteral(".sig"))));
    } else {
        QVERIFY(mServer->sign(path, mServer->untrustedKey()));
    }
    const int boxes = MessageBox::count();
    MessageBox::setNextAnswer(QMessageBox::Yes);
    click(QStringLiteral("syncFireBtn"));
    const QString why = SignatureVerifier::refusalText(forgery == QLatin1String("missing")
                                                           ? SignatureVerifier::Missing
                                                           : SignatureVerifier::Untrusted,
                                                       QStringLiteral("firmversion.xml"));
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("更新错误: ") + why), 20000);
    // No offer was made, nothing was downloaded or sent.
    QCOMPARE(MessageBox::count(), boxes);
    MessageBox::setNextAnswer(QMessageBox::NoButton);
    QVERIFY(downloadFolderEmpty());
    QTest::qWait(100);
    QVERIFY(sent(UsbProtocol::DownloadFirewareKeyboard).isEmpty());
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0105));
}

void TestOtherSetForm::replayedOlderDescriptionOffersNothing() {
    // An old release, properly signed, served again: not an update.
    const int boxes = MessageBox::count();
    offer(firmversion(QStringLiteral("0.1.0.4"), QStringLiteral("00")), QMessageBox::Yes);
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("没有新版本")), 20000);
    QCOMPARE(MessageBox::count(), boxes);
    MessageBox::setNextAnswer(QMessageBox::NoButton);
    QVERIFY(sent(UsbProtocol::DownloadFirewareKeyboard).isEmpty());
}

void TestOtherSetForm::plainHttpServerIsRefused() {
    const QUrl away(QStringLiteral("http://192.0.2.1:8000"));
    UpdateServer::setBaseUrl(away);
    click(QStringLiteral("syncFireBtn"));
    const QString why = UpdateServer::transportRefusal(away);
    QVERIFY(why.contains(QStringLiteral("192.0.2.1")));
    // Refused at once, before any connection could have been tried.
    QVERIFY(toastShown(QStringLiteral("更新错误: ") + why));
    QVERIFY(sent(UsbProtocol::DownloadFirewareKeyboard).isEmpty());
}

namespace {
QByteArray dataBytes(const QByteArray& data, int lengthDelta = 0, int sumDelta = 0) {
    QByteArray header(40, '\0');
    quint32 sum = 0;
    for (char c : data) sum += quint8(c);
    auto put = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i) header[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put(16, quint32(data.size() + lengthDelta));
    put(24, sum + quint32(sumDelta));
    return header + data;
}
}  // namespace

void TestOtherSetForm::firmwareDataFile() {
    const int m = gUsbDataMaxsize;
    // 40 + m bytes: the header and one frame of data.
    QByteArray data(m, '\0');
    for (int i = 0; i < m; ++i) data[i] = char(0xC0 + i);
    FileDialog::setNextFileName(dataFile(dataBytes(data)));
    click(QStringLiteral("fireDataBtn"));
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("固件数据下载成功！")), 10000);
    const QList<QByteArray> frames = sent(UsbProtocol::DownloadFirewareData);
    QCOMPARE(frames.size(), 2);
    QCOMPARE(int(quint8(frames[0][6])), 40);
    QCOMPARE(frames[0].mid(7 + 28, 2), QByteArray::fromHex("0200"));
    QCOMPARE(frames[1].mid(7, m), data);
    QCOMPARE(int(quint8(frames[1][3])), 2);  // frame number 2
    QCOMPARE(keyboard().firmwareImage().mid(40), data);
    QVERIFY(!form()->isDataTransferring());
    QVERIFY(!form()->progressDialog());
}

void TestOtherSetForm::firmwareDataFileRefusals_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("length field one short") << dataBytes("abcdef", -1);
    QTest::newRow("checksum off by one") << dataBytes("abcdef", 0, 1);
    QTest::newRow("shorter than its header") << QByteArray(30, '\0');
}

void TestOtherSetForm::firmwareDataFileRefusals() {
    QFETCH(QByteArray, bytes);
    FileDialog::setNextFileName(dataFile(bytes));
    MessageBox::setNextAnswer(QMessageBox::Ok);
    click(QStringLiteral("fireDataBtn"));
    QCOMPARE(MessageBox::lastText(), QStringLiteral("固件数据不匹配！"));
    QTest::qWait(50);
    QVERIFY(sim().writtenReports().isEmpty());
    QVERIFY(!form()->progressDialog());
}

void TestOtherSetForm::factoryReset() {
    // A changed key map that the reset must undo.
    SimProfile& profile = *keyboard().state().activeProfile();
    const SimKey factory = keyboard().state().factoryLayers[0][20];
    profile.layers[0][20] = {1, 0, 0x1E};

    // The success box comes from the answer: accept it when it shows.
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->accept();
    });
    closer.start(20);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    click(QStringLiteral("resetBtn"));
    QTRY_COMPARE_WITH_TIMEOUT(MessageBox::lastText(), QStringLiteral("恢复出厂设置成功！"), 10000);
    QCOMPARE(sent(UsbProtocol::ResetKeyboard).size(), 1);
    QCOMPARE(int(keyboard().state().activeProfile()->layers[0][20].lValue), int(factory.lValue));
    QVERIFY(!form()->isResetting());
    // Back on the device page, which reads the keyboard again.
    QTRY_VERIFY(mainWindow()->currentPageIndex() != PageOther);
}

void TestOtherSetForm::firmwareOfAnotherProductIsRefused() {
    // A sound file with the right MD5, made for the next product number.
    QByteArray bytes(40, '\0');
    const quint16 other = quint16(keyboard().state().serialNumber + 1);
    bytes[0] = char(other & 0xFF);
    bytes[1] = char(other >> 8);
    bytes += QByteArray(500, '\x5A');
    QVERIFY(mServer->write(QStringLiteral("/normal/%1/other.bin").arg(mProduct), bytes));
    const QString md5 =
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    answerAfterOffer(QMessageBox::Yes);
    offer(firmversion(QStringLiteral("0.1.0.7"), md5, QStringLiteral("other.bin")),
          QMessageBox::Yes);
    QTRY_VERIFY_WITH_TIMEOUT(
        toastShown(QStringLiteral("这个固件不适用于当前键盘，没有发送任何数据")), 20000);
    QTest::qWait(100);
    QVERIFY(sent(UsbProtocol::DownloadFirewareKeyboard).isEmpty());
    QVERIFY(sent(UsbProtocol::DownloadFirewareKeyboardEnd).isEmpty());
    QVERIFY(!form()->progressDialog());
    QVERIFY(downloadFolderEmpty());
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0105));
    MessageBox::setNextAnswer(QMessageBox::NoButton);
}

void TestOtherSetForm::jobsEndWhenTheKeyboardGoesAway_data() {
    QTest::addColumn<QString>("job");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("toast");
    QTest::newRow("firmware, unplugged") << "firmware"
                                         << "unplug" << QStringLiteral("下载固件失败");
    QTest::newRow("data, unplugged") << "data"
                                     << "unplug" << QStringLiteral("下载固件数据失败");
    QTest::newRow("data, silent") << "data"
                                  << "silent" << QStringLiteral("下载固件数据失败：键盘没有应答");
    QTest::newRow("reset, unplugged")
        << "reset"
        << "unplug" << QStringLiteral("恢复出厂设置失败：键盘连接已断开");
    QTest::newRow("reset, silent") << "reset"
                                   << "silent" << QStringLiteral("恢复出厂设置失败：键盘没有应答");
    QTest::newRow("reset, another command")
        << "reset"
        << "supersede" << QStringLiteral("恢复出厂设置失败：被另一个操作打断");
}

void TestOtherSetForm::jobsEndWhenTheKeyboardGoesAway() {
    QFETCH(QString, job);
    QFETCH(QString, fault);
    QFETCH(QString, toast);
    // Shorter than the engine's own give-up: the page's watchdog is what ends
    // a keyboard that stays silent even when the engine says nothing.
    form()->setSilenceMs(400);
    auto strike = [this, fault] {
        if (fault == QLatin1String("unplug")) sim().unplug();
        if (fault == QLatin1String("silent")) sim().dropNextAnswers(1000);
        if (fault == QLatin1String("supersede"))
            UsbCommunicateUtil::instance()->getProductInfo(UsbProtocol::SourceMainWindow, true);
    };
    if (job == QLatin1String("reset")) {
        // The reset waits while the fault strikes; an answer is decided when
        // the request arrives, so silence must come first.
        sim().setLatencyMs(200);
        if (fault == QLatin1String("silent")) strike();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        click(QStringLiteral("resetBtn"));
        QVERIFY(form()->isResetting());
        if (fault != QLatin1String("silent")) strike();
    } else {
        // The fault strikes once the first frame was confirmed.
        connect(
            form()->transfer(), &FirmwareTransfer::progress, this,
            [strike] { QTimer::singleShot(0, strike); }, Qt::SingleShotConnection);
        if (job == QLatin1String("data")) {
            FileDialog::setNextFileName(dataFile(dataBytes(QByteArray(3000, '\x21'))));
            click(QStringLiteral("fireDataBtn"));
        } else {
            answerAfterOffer(QMessageBox::Yes);
            offer(QByteArray(), QMessageBox::Yes);
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(toastsStartingWith(toast) == 1, 20000);
    QVERIFY(!form()->progressDialog());
    QVERIFY(!form()->isResetting() && !form()->isDataTransferring() &&
            !form()->isFirmwareTransferring());
    QVERIFY(!QApplication::activeModalWidget());
    QTest::qWait(200);
    QCOMPARE(toastsStartingWith(toast), 1);

    // The page takes the next job once the keyboard is back.
    sim().setLatencyMs(0);
    if (fault == QLatin1String("unplug")) {
        sim().plug();
        QVERIFY(waitForPage(PageKey, 20000));
        showPage(PageOther);
    }
    QVERIFY(waitForEngineIdle(10000));
    sim().dropNextAnswers(0);
    FileDialog::setNextFileName(dataFile(dataBytes("abc")));
    click(QStringLiteral("fireDataBtn"));
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("固件数据下载成功！")), 10000);
}

QTEST_MAIN(TestOtherSetForm)
#include "tst_othersetform.moc"
