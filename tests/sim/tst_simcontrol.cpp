// Fault lines through the named pipe reach the simulated keyboard; a line
// it does not understand changes nothing; every writer that closes leaves
// the pipe ready for the next one.
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "link/usbprotocol.h"
#include "sim/simcontrol.h"
#include "sim/simhidbackend.h"
#include "support/testsupport.h"

namespace {
bool writeLines(const QString& pipe, const QByteArray& lines) {
    QFile f(pipe);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    return f.write(lines) == lines.size();
}
}  // namespace

class TestSimControl : public QObject {
    Q_OBJECT
private slots:
    void linesThroughThePipe() {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("control"));
        SimHidBackend sim;
        SimControl control(&sim);
        QVERIFY(control.listen(pipe));
        QSignalSpy handled(&control, &SimControl::lineHandled);

        QVERIFY(writeLines(pipe, "unplug\n"));
        QVERIFY(testsupport::waitFor(handled, 1));
        QVERIFY(!sim.isPlugged());
        // A second writer, several lines, the last without its newline.
        QVERIFY(writeLines(pipe, "plug\nswitch-table 2\nlatency 5\nwarp 9"));
        QVERIFY(testsupport::waitFor(handled, 5));
        QVERIFY(sim.isPlugged());
        QCOMPARE(int(sim.keyboard().state().configIndex), 2);
        QCOMPARE(handled.at(4).at(0).toString(), QStringLiteral("warp 9"));
        QCOMPARE(handled.at(4).at(1).toBool(), false);
        QCOMPARE(handled.at(3).at(1).toBool(), true);
    }

    void silentKeyboardNeitherActsNorAnswers() {
        SimHidBackend sim;
        QVERIFY(SimControl::apply(sim, QStringLiteral("silent on")));
        HidDevice* h = sim.open(SimHidBackend::kPath128);
        QVERIFY(h);
        const quint8 before = sim.keyboard().state().configIndex;
        const QByteArray report =
            QByteArray(1, '\0') +
            UsbProtocol::buildFrame(UsbProtocol::SwitchConfigTable, 1, 1, QByteArray(1, 1), 128);
        QCOMPARE(sim.write(h, reinterpret_cast<const unsigned char*>(report.constData()),
                           size_t(report.size())),
                 int(report.size()));
        unsigned char answer[129];
        QCOMPARE(sim.readTimeout(h, answer, sizeof answer, 50), 0);
        QCOMPARE(sim.keyboard().state().configIndex, before);
        sim.close(h);

        QString why;
        for (const char* bad : {"silent maybe", "latency -1", "drop", "switch-table 256", ""})
            QVERIFY2(!SimControl::apply(sim, QLatin1String(bad), &why), bad);
        QVERIFY(!why.isEmpty());
    }

    void firmwareResetsProfilesWhileSwitchedOn() {
        SimHidBackend sim;
        SimKeyboard& kb = sim.keyboard();
        const QByteArray end =
            UsbProtocol::buildFrame(UsbProtocol::DownloadFirewareKeyboardEnd, 1, 1, {}, 128);
        const QString factoryName = kb.state().profiles.first().name;
        kb.state().profiles.first().name = QStringLiteral("Mine");
        kb.state().version = 0x0106;
        // Off (the default): a firmware transfer keeps the profiles.
        kb.handle(end, 128);
        QCOMPARE(kb.state().profiles.first().name, QStringLiteral("Mine"));
        QVERIFY(SimControl::apply(sim, QStringLiteral("reset-on-firmware on")));
        QVERIFY(kb.resetOnFirmware());
        kb.handle(end, 128);
        QCOMPARE(kb.state().profiles.first().name, factoryName);
        QCOMPARE(int(kb.state().version), 0x0106);  // the firmware stays
        QVERIFY(SimControl::apply(sim, QStringLiteral("reset-on-firmware off")));
        QVERIFY(!kb.resetOnFirmware());
        QVERIFY(!SimControl::apply(sim, QStringLiteral("reset-on-firmware")));
    }

    void refusesAPathThatIsNotAPipe() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("plain"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        SimHidBackend sim;
        SimControl control(&sim);
        QString why;
        QVERIFY(!control.listen(file, &why));
        QVERIFY(why.contains(QStringLiteral("not a named pipe")));
    }
};

QTEST_GUILESS_MAIN(TestSimControl)
#include "tst_simcontrol.moc"
