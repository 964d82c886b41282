// The firmware page through the real main window on the simulated keyboard:
// the product grid, a transfer that writes the product's firmware, a
// product without firmware, and firmware mode for the device page. Firmware
// goes out only with a trusted firmware.bin.sig, or after the user accepted
// the risk of an unsigned one; and, since a keyboard in boot mode cannot be
// read, only over a recent backup or the user's explicit "without backup".

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "catalogue/productdatautil.h"
#include "common/apppaths.h"
#include "common/signatureverifier.h"
#include "jobs/backupstore.h"
#include "link/usbprotocol.h"
#include "protocol/firmwarefile.h"
#include "services/qtoastbox.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/device/devicemanageform.h"
#include "ui/pageindex.h"
#include "ui/pages/firmware/firewaremanageform.h"
#include "ui/pages/firmware/qfirewareitemwidget.h"
#include "ui/widgets/messagebox.h"

class TestFirewareManageForm : public GuiTestBase {
    Q_OBJECT
private slots:
    void init();
    void cleanup() {
        stopWindow();
        // Firmware mode lasts until the program restarts; the next test is
        // such a restart.
        DeviceManageForm::setFirmwareMode(false);
    }

    void fourProductsGiveTwoRows();
    void tileWritesTheProductsFirmware();
    void productWithoutFirmwareEndsInTheFailureToast();
    void unplugDuringTheTransferEndsIt();
    void unsignedOrForgedFirmwareSendsNothing();
    void recentBackupStandsInElseTheUserWaivesIt();

private:
    FirewareManageForm* form() { return page<FirewareManageForm>(); }
    void enter();
    QFirewareItemWidget* tileOf(const QString& productData);
    static bool toastShown(const QString& text);
};

void TestFirewareManageForm::init() {
    QVERIFY(startWindow());
    // A fourth product, without a data folder of its own.
    QSqlQuery query(QSqlDatabase::database(ProductDataUtil::ConnectionName));
    QVERIFY(query.exec(QStringLiteral(
        "INSERT INTO product_table SELECT 999, vendorId, productId, interface, 'Spare 60', "
        "'Spare60', triggerMin, triggerMax, qttMin, qttMax, qrtMin, qrtMax, width, height, strCol "
        "FROM product_table WHERE serialNumber = 258")));
}

void TestFirewareManageForm::enter() {
    showPage(PageFireware);
    QVERIFY(form());
    form()->setRestartWaitMs(0);
    QVERIFY(DeviceManageForm::firmwareMode());
}

QFirewareItemWidget* TestFirewareManageForm::tileOf(const QString& productData) {
    const QList<ProductRecordPtr>& products = form()->products();
    for (int i = 0; i < products.size(); ++i)
        if (products[i]->productData == productData) return form()->tiles().value(i);
    return nullptr;
}

bool TestFirewareManageForm::toastShown(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* toast = qobject_cast<QToastBox*>(w);
        if (toast && toast->text() == text) return true;
    }
    return false;
}

void TestFirewareManageForm::fourProductsGiveTwoRows() {
    enter();
    QCOMPARE(form()->products().size(), 4);
    QCOMPARE(form()->tiles().size(), 4);
    auto* grid = form()->findChild<QGridLayout*>(QStringLiteral("gridLayout"));
    QVERIFY(grid);
    for (int col = 0; col < 3; ++col)
        QVERIFY(qobject_cast<QFirewareItemWidget*>(grid->itemAtPosition(0, col)->widget()));
    QVERIFY(qobject_cast<QFirewareItemWidget*>(grid->itemAtPosition(1, 0)->widget()));
    for (int col = 1; col < 3; ++col) {
        QWidget* cell = grid->itemAtPosition(1, col)->widget();
        QVERIFY(cell && !qobject_cast<QFirewareItemWidget*>(cell));
    }
    QVERIFY(!grid->itemAtPosition(2, 0) || !grid->itemAtPosition(2, 0)->widget());
    QCOMPARE(form()->tiles().at(3)->row(), 1);
    QCOMPARE(form()->tiles().at(3)->col(), 0);

    // Entering again rebuilds the same grid, not a second one.
    showPage(PageSystem);
    enter();
    QCOMPARE(form()->tiles().size(), 4);
    QCOMPARE(form()->findChildren<QFirewareItemWidget*>().size(), 4);

    // A cell beyond the list starts nothing and leaves no dialog behind.
    form()->grid_Layout_Clicked(false, 1, 2);
    QVERIFY(!form()->progressDialog());
    QVERIFY(!form()->isTransferring());
}

void TestFirewareManageForm::tileWritesTheProductsFirmware() {
    enter();
    QFirewareItemWidget* tile = tileOf(QStringLiteral("Lusk75"));
    QVERIFY(tile);
    FirmwareFile expected;
    QCOMPARE(expected.load(
                 FirewareManageForm::firmwarePath(*ProductDataUtil::instance()->findProduct(258)),
                 FirmwareFile::KeyboardFirmware),
             FirmwareFile::Ok);
    MessageBox::setNextAnswer(QMessageBox::Ok);  // without a backup
    QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, tile->rect().center());
    QVERIFY(form()->isTransferring());
    QVERIFY(form()->progressDialog());
    // Done: the dialog waits out the keyboard's restart, then closes.
    QTRY_VERIFY_WITH_TIMEOUT(!form()->progressDialog(), 30000);
    QVERIFY(!form()->isTransferring());
    QCOMPARE(keyboard().firmwareImage(), expected.bytes().mid(40));
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0106));
    QVERIFY(!toastShown(QStringLiteral("下载固件失败")));

    // Firmware mode: the device page opens no keyboard any more.
    const int opened = sim().openedPaths().size();
    showPage(PageDevice);
    QTest::qWait(300);
    QCOMPARE(sim().openedPaths().size(), opened);
}

void TestFirewareManageForm::productWithoutFirmwareEndsInTheFailureToast() {
    enter();
    QFirewareItemWidget* tile = tileOf(QStringLiteral("Spare60"));
    QVERIFY(tile);
    QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, tile->rect().center());
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("下载固件失败")), 10000);
    QVERIFY(!form()->progressDialog());
    QVERIFY(!form()->isTransferring());
    QVERIFY(keyboard().firmwareImage().isEmpty());
}

void TestFirewareManageForm::unplugDuringTheTransferEndsIt() {
    enter();
    QFirewareItemWidget* tile = tileOf(QStringLiteral("Lusk75"));
    QVERIFY(tile);
    sim().setLatencyMs(20);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, tile->rect().center());
    QTRY_VERIFY(form()->progressDialog() && form()->progressDialog()->value() > 0);
    sim().unplug();
    QTRY_VERIFY_WITH_TIMEOUT(toastShown(QStringLiteral("下载固件失败")), 15000);
    QVERIFY(!form()->isTransferring());
    QVERIFY(!QApplication::activeModalWidget());

    // The page takes the next transfer once the keyboard is back.
    sim().setLatencyMs(0);
    sim().plug();
    showPage(PageFireware);
    tile = tileOf(QStringLiteral("Lusk75"));
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, tile->rect().center());
    QVERIFY(form()->isTransferring());
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isTransferring(), 30000);
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0106));
}

void TestFirewareManageForm::unsignedOrForgedFirmwareSendsNothing() {
    // A product of its own whose data folder this test fills and removes.
    QSqlQuery query(QSqlDatabase::database(ProductDataUtil::ConnectionName));
    QVERIFY(query.exec(QStringLiteral(
        "INSERT INTO product_table SELECT 998, vendorId, productId, interface, 'Spare 61', "
        "'Spare61', triggerMin, triggerMax, qttMin, qttMax, qrtMin, qrtMax, width, height, strCol "
        "FROM product_table WHERE serialNumber = 258")));
    const QString lusk =
        FirewareManageForm::firmwarePath(*ProductDataUtil::instance()->findProduct(258));
    const QString folder = AppPaths::writableDataFile(QStringLiteral("Spare61"));
    QVERIFY(QDir().mkpath(folder));
    auto removeFolder = qScopeGuard([folder] { QDir(folder).removeRecursively(); });
    const QString firmware = folder + QStringLiteral("/firmware.bin");
    QVERIFY(QFile::copy(lusk, firmware));
    enter();
    QFirewareItemWidget* tile = tileOf(QStringLiteral("Spare61"));
    QVERIFY(tile);
    auto nothingSent = [this] {
        QTest::qWait(100);
        return !form()->isTransferring() && !form()->progressDialog() &&
               testsupport::requests(sim().writtenReports(), UsbProtocol::DownloadFirewareKeyboard)
                   .isEmpty();
    };

    // No signature: the user is asked, in words that name the risk; "No"
    // sends nothing.
    const int boxes = MessageBox::count();
    MessageBox::setNextAnswer(QMessageBox::No);
    QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, tile->rect().center());
    QCOMPARE(MessageBox::count(), boxes + 1);
    QVERIFY2(MessageBox::lastText().contains(QStringLiteral("firmware.bin")) &&
                 MessageBox::lastText().contains(QStringLiteral("没有签名")) &&
                 MessageBox::lastText().contains(QStringLiteral("无法再使用")),
             qPrintable(MessageBox::lastText()));
    QVERIFY(nothingSent());

    // A signature no trusted key made: refused without a question.
    for (const QByteArray& signature : {QByteArray(64, '\x11'), QByteArray("short")}) {
        QFile sig(firmware + QStringLiteral(".sig"));
        QVERIFY(sig.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(sig.write(signature), signature.size());
        sig.close();
        QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, tile->rect().center());
        QCOMPARE(MessageBox::count(), boxes + 1);
        QVERIFY(toastShown(SignatureVerifier::refusalText(
            signature.size() == 64 ? SignatureVerifier::Untrusted : SignatureVerifier::Malformed,
            QStringLiteral("firmware.bin"))));
        QVERIFY(nothingSent());
    }
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0105));
}

void TestFirewareManageForm::recentBackupStandsInElseTheUserWaivesIt() {
    auto sentNothing = [this] {
        QTest::qWait(100);
        return !form()->isTransferring() &&
               testsupport::requests(sim().writtenReports(), UsbProtocol::DownloadFirewareKeyboard)
                   .isEmpty();
    };
    auto clickLusk = [this](QMessageBox::StandardButton answer) {
        QFirewareItemWidget* tile = tileOf(QStringLiteral("Lusk75"));
        QVERIFY(tile);
        MessageBox::setNextAnswer(answer);
        QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, tile->rect().center());
    };

    // A backup made on the other page while the keyboard could be read
    // stands in for the one the boot mode prevents, and the user is told so.
    showPage(PageOther);
    click(QStringLiteral("backupNowBtn"));
    const BackupStore store;
    QTRY_COMPARE_WITH_TIMEOUT(store.list(258).size(), 1, 20000);
    const BackupStore::Backup made = store.list(258).first();
    QVERIFY(!made.isDamaged());
    enter();
    clickLusk(QMessageBox::Cancel);
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("固件更新前的备份"));
    QVERIFY2(
        MessageBox::lastText().contains(made.names().first()) &&
            MessageBox::lastText().contains(QLocale().toString(made.created, QLocale::ShortFormat)),
        qPrintable(MessageBox::lastText()));
    QVERIFY(sentNothing());

    // Too old to hold the latest settings: the user must choose.
    const QString manifest = store.folder(258) + QLatin1Char('/') + made.id + QLatin1Char('/') +
                             BackupStore::ManifestName;
    QFile file(manifest);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    const QDateTime old = made.created.addDays(-FirewareManageForm::kRecentBackupDays - 1);
    o.insert(QStringLiteral("created"), old.toString(Qt::ISODate));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(o).toJson());
    file.close();
    QVERIFY(!store.list(258).first().isDamaged());
    clickLusk(QMessageBox::Cancel);
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("无法备份"));
    QVERIFY(MessageBox::lastText().contains(QLocale().toString(old, QLocale::ShortFormat)));
    QVERIFY(sentNothing());

    // None at all: the same choice, in its own words and buttons.
    QVERIFY(QDir(store.folder(258)).removeRecursively());
    clickLusk(QMessageBox::Cancel);
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("无法备份"));
    QVERIFY(MessageBox::lastText().contains(QStringLiteral("还没有可用的备份")));
    QCOMPARE(MessageBox::lastButtonTexts(),
             QStringList({QStringLiteral("不备份直接更新"), QStringLiteral("取消")}));
    QVERIFY(sentNothing());

    // Chosen explicitly: the firmware goes out.
    clickLusk(QMessageBox::Ok);
    QVERIFY(form()->isTransferring());
    QTRY_VERIFY_WITH_TIMEOUT(!form()->isTransferring(), 30000);
    QCOMPARE(quint16(keyboard().state().version), quint16(0x0106));
}

QTEST_MAIN(TestFirewareManageForm)
#include "tst_firewaremanageform.moc"
