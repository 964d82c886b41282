// The simulated keyboard's flash: changes survive the backend, a broken
// state file is kept aside rather than lost.
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "link/usbprotocol.h"
#include "sim/simhidbackend.h"

using namespace UsbProtocol;

namespace {
// Writes one request as the engine would, through an open 128-byte handle;
// true when the whole report went out. (A QVERIFY in here would only leave
// this helper, and the test would go on.)
bool request(SimHidBackend& sim, uchar order, const QByteArray& payload) {
    HidDevice* h = sim.open(SimHidBackend::kPath128);
    if (!h) return false;
    const QByteArray report = QByteArray(1, '\0') + buildFrame(order, 1, 1, payload, 128);
    const int written = sim.write(h, reinterpret_cast<const unsigned char*>(report.constData()),
                                  size_t(report.size()));
    sim.close(h);
    return written == int(report.size());
}
}  // namespace

class TestSimHidBackend : public QObject {
    Q_OBJECT
private slots:
    void changesSurviveTheBackend();
    void brokenStateFileIsKeptAside();
};

void TestSimHidBackend::changesSurviveTheBackend() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kb.json"));
    {
        SimHidBackend sim;
        QVERIFY(sim.setStateFile(file));
        QVERIFY(!sim.loadedFromFile());
        QVERIFY(QFile::exists(file));
        QByteArray name = QByteArray("Tournament").leftJustified(28, '\0');
        QVERIFY(request(sim, SetConfigInfo, QByteArray(1, '\1') + name + QByteArray(1, '\0')));
        QVERIFY(request(sim, SwitchConfigTable, bytes({2})));
        // Saved shortly after, without waiting for the backend to go away.
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile(file).size() > 0 &&
                [&] {
                    QFile f(file);
                    return f.open(QIODevice::ReadOnly) && f.readAll().contains("Tournament");
                }(),
            2000);
        QVERIFY(request(sim, SwitchConfigTable, bytes({1})));
    }  // the last change is written when the backend goes away
    SimHidBackend again;
    QVERIFY(again.setStateFile(file));
    QVERIFY(again.loadedFromFile());
    QCOMPARE(again.keyboard().state().configIndex, uchar(1));
    QCOMPARE(again.keyboard().state().profile(1)->name, QStringLiteral("Tournament"));
}

void TestSimHidBackend::brokenStateFileIsKeptAside() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kb.json"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("{ not json");
    f.close();
    SimHidBackend sim;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("kb\\.json\\.broken")));
    QVERIFY(!sim.setStateFile(file));
    QFile kept(file + QStringLiteral(".broken"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("{ not json"));
    // A usable factory state took its place.
    SimHidBackend again;
    QVERIFY(again.setStateFile(file));
    QVERIFY(again.loadedFromFile());
}

QTEST_GUILESS_MAIN(TestSimHidBackend)
#include "tst_simhidbackend.moc"
