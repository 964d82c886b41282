// The RFCOMM transport on a fake socket: connection, error codes, and frames
// taken from a byte stream however it is cut.
#include <QSignalSpy>
#include <QTest>

#include "bluetooth/classicbluetooth.h"
#include "fakebluetooth.h"
#include "link/usbprotocol.h"

class TestClassicBluetooth : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensTheSerialPortService();
    void errorCodes();
    void streamBecomesFrames();
    void closeWhileConnectingStaysClosed();

private:
    bool open();
    fakebt::Backend backend;
    QScopedPointer<ClassicBluetooth> classic;
};

void TestClassicBluetooth::init() {
    backend = fakebt::Backend();
    classic.reset(new ClassicBluetooth(&backend));
}

void TestClassicBluetooth::cleanup() {
    classic.reset();
}

bool TestClassicBluetooth::open() {
    QSignalSpy connected(classic.data(), &ClassicBluetooth::ble_connected);
    classic->openDevice(fakebt::device("11:22:33:44:55:66", "QMX_75", false), 64);
    return connected.wait(2000) && classic->isConnected();
}

void TestClassicBluetooth::opensTheSerialPortService() {
    QVERIFY(open());
    QCOMPARE(backend.socket->address, QBluetoothAddress(QStringLiteral("11:22:33:44:55:66")));
    QCOMPARE(backend.socket->service, QBluetoothUuid(QBluetoothUuid::ServiceClassUuid::SerialPort));
    const QByteArray f = UsbProtocol::buildFrame(0x01, 1, 1, QByteArray(), 64);
    QVERIFY(classic->sendData(f));
    QCOMPARE(backend.socket->written, QList<QByteArray>{f});
    QSignalSpy down(classic.data(), &ClassicBluetooth::ble_disconnected);
    emit backend.socket->disconnected();
    QCOMPARE(down.count(), 1);
}

void TestClassicBluetooth::errorCodes() {
    QSignalSpy errors(classic.data(), &ClassicBluetooth::ble_error_callback);
    const QByteArray f = UsbProtocol::buildFrame(0x01, 1, 1, QByteArray(), 64);
    // No address: nothing to connect to.
    classic->openDevice(QBluetoothDeviceInfo(), 64);
    QVERIFY(backend.socket.isNull());
    QVERIFY(!classic->sendData(f));
    QVERIFY(open());
    backend.socket->failWrites = true;
    QVERIFY(!classic->sendData(f));
    backend.refuseSocket = true;
    classic->openDevice(fakebt::device("11:22:33:44:55:66", "QMX_75", false), 64);
    QTRY_COMPARE(errors.count(), 4);
    QList<int> codes;
    for (const QList<QVariant>& e : errors) codes.append(e.at(0).toInt());
    QCOMPARE(codes, (QList<int>{-200, -201, -202, -200}));
    QVERIFY(!classic->isConnected());
}

void TestClassicBluetooth::streamBecomesFrames() {
    QVERIFY(open());
    QSignalSpy frames(classic.data(), &ClassicBluetooth::ble_data_received_callback);
    const QByteArray a = UsbProtocol::buildFrame(0x81, 1, 2, QByteArray("\x01\x02"), 64);
    const QByteArray b = UsbProtocol::buildFrame(0x81, 2, 2, QByteArray(58, 'z'), 64);
    QByteArray bad = UsbProtocol::buildFrame(0x82, 1, 1, QByteArray(), 64);
    bad[5] = char(0xFF);
    // Split inside a's header, b's payload; two frames in one read.
    backend.socket->feed(a.left(3));
    QVERIFY(frames.isEmpty());
    backend.socket->feed(a.mid(3) + b.left(30));
    QCOMPARE(frames.count(), 1);
    backend.socket->feed(b.mid(30) + bad + a);
    QCOMPARE(frames.count(), 3);
    QCOMPARE(frames.at(0).at(4).toByteArray(), QByteArray("\x01\x02"));
    QCOMPARE(frames.at(1).at(1).value<uchar>(), uchar(2));
    QCOMPARE(frames.at(1).at(4).toByteArray(), QByteArray(58, 'z'));
    QCOMPARE(frames.at(2).at(4).toByteArray(), QByteArray("\x01\x02"));
    // A read without a tag produces nothing.
    backend.socket->feed(QByteArray("\x01\x81\x01\x01\x00\x01\x05", 7));
    QCOMPARE(frames.count(), 3);
}

void TestClassicBluetooth::closeWhileConnectingStaysClosed() {
    QSignalSpy connected(classic.data(), &ClassicBluetooth::ble_connected);
    classic->openDevice(fakebt::device("11:22:33:44:55:66", "QMX_75", false), 64);
    classic->closeDevice();
    QTest::qWait(20);
    QVERIFY(connected.isEmpty());
    QVERIFY(!classic->isConnected());
}

QTEST_GUILESS_MAIN(TestClassicBluetooth)
#include "tst_classicbluetooth.moc"
