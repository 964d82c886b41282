#include <QRegularExpression>
#include <QTest>

#include "link/usbhidutil.h"
#include "link/usbprotocol.h"
#include "sim/scriptedhidbackend.h"
#include "sim/simhidbackend.h"

class TestUsbHidUtil : public QObject {
    Q_OBJECT
private slots:
    void opensTheRightInterface_data();
    void opensTheRightInterface();
    void countsAndEnumeratesOnlyVendorInterfaces();
    void matchNeedsAllFourValues();
    void missingPermissionNamesTheUdevRule();
};

namespace {
// A device node the user may not open, as hidraw reports it without the rule.
class DeniedBackend : public ScriptedHidBackend {
public:
    HidDevice* open(const QByteArray&) override { return nullptr; }
    QString error(HidDevice*) override {
        return QStringLiteral(
            "Failed to open a device with path 'scripted:keyboard': Permission denied");
    }
};
}  // namespace

void TestUsbHidUtil::opensTheRightInterface_data() {
    QTest::addColumn<int>("interfaces");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("frameSize");
    QTest::newRow("both: 0xFF00 comes first")
        << int(SimHidBackend::Interfaces::Both) << QByteArray(SimHidBackend::kPath128) << 128;
    QTest::newRow("only 0xFF02") << int(SimHidBackend::Interfaces::Only64)
                                 << QByteArray(SimHidBackend::kPath64) << 64;
    QTest::newRow("boot interface only")
        << int(SimHidBackend::Interfaces::NonVendorOnly) << QByteArray() << 0;
}

void TestUsbHidUtil::opensTheRightInterface() {
    QFETCH(int, interfaces);
    QFETCH(QByteArray, path);
    QFETCH(int, frameSize);
    SimHidBackend sim;
    sim.setInterfaces(SimHidBackend::Interfaces(interfaces));
    setUsbFrameSize(100);
    HidDevice* handle = UsbHidUtil::openDevice(&sim, QStringLiteral("Test"),
                                               UsbHidUtil::OpenPolicy::NextEntryOnBlockingFailure);
    QVERIFY(!sim.openedPaths().contains(SimHidBackend::kPathBoot));
    if (path.isEmpty()) {
        QVERIFY(!handle);
        QVERIFY(sim.openedPaths().isEmpty());
        QCOMPARE(gUsbFrameMaxsize, 100);
        return;
    }
    QVERIFY(handle);
    QCOMPARE(sim.openedPaths(), QList<QByteArray>{path});
    QCOMPARE(gUsbFrameMaxsize, frameSize);
    QCOMPARE(gUsbDataMaxsize, frameSize - 6);
    sim.close(handle);
}

void TestUsbHidUtil::countsAndEnumeratesOnlyVendorInterfaces() {
    SimHidBackend sim;
    UsbHidUtil util(&sim);
    QCOMPARE(util.connectedCount(), 2u);
    QList<DeviceRecordPtr> list;
    util.enumerate(list);
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(0)->vendorId, quint16(0x3A7E));
    QCOMPARE(list.at(0)->path, QString::fromLatin1(SimHidBackend::kPath128));
    QCOMPARE(list.at(0)->serialNumber, qint16(0));
    QVERIFY(!list.at(0)->productStr.isEmpty());

    sim.setInterfaces(SimHidBackend::Interfaces::NonVendorOnly);
    QCOMPARE(util.connectedCount(), 0u);
    sim.setInterfaces(SimHidBackend::Interfaces::Both);
    sim.unplug();
    QCOMPARE(util.connectedCount(), 0u);
}

void TestUsbHidUtil::matchNeedsAllFourValues() {
    QVERIFY(UsbHidUtil::match(0x3A7E, 0x1026, 0x0001, 0xFF00));
    QVERIFY(UsbHidUtil::match(0x3A7E, 0x1026, 0x0002, 0xFF02));
    QVERIFY(!UsbHidUtil::match(0x3A7E, 0x1026, 0x0001, 0xFF02));
    QVERIFY(!UsbHidUtil::match(0x3A7E, 0x1026, 0x0006, 0x0001));
    QVERIFY(!UsbHidUtil::match(0x3A7F, 0x1026, 0x0001, 0xFF00));
}

void TestUsbHidUtil::missingPermissionNamesTheUdevRule() {
    DeniedBackend denied;
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("70-zentaro\\.rules")));
    QVERIFY(!UsbHidUtil::openDevice(&denied, QStringLiteral("Test"),
                                    UsbHidUtil::OpenPolicy::NextEntryOnBlockingFailure));
}

QTEST_GUILESS_MAIN(TestUsbHidUtil)
#include "tst_usbhidutil.moc"
