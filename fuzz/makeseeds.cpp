// Makes the seed corpora of the fuzz targets from our own data:
//   zentaro_fuzzseeds OUT CATALOGUE SERVER_TREE
// frames: every command the frames target can start, answered by the
// simulated keyboard on both channels (its answer reports as read);
// bluetooth: the same answers as notifications and as a serial stream;
// configfile: a real export of the simulated keyboard (plain and encrypted);
// catalogue, versionxml, firmware, package: the sample catalogue and the
// files of the generated download-server tree; cli: the forms the README
// shows; profile: the simulated keyboard's profile as a file and as a share
// code.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <cstdio>

#include "fuzz/framescript.h"
#include "fuzz/fuzzsupport.h"
#include "jobs/configwritedatabase.h"
#include "link/usbprotocol.h"
#include "model/configfileformat.h"
#include "model/profilejson.h"
#include "model/sharecode.h"
#include "support/configfilerig.h"

namespace {

QString gOut;
int gCount = 0;

void seed(const QString& target, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(gOut + QLatin1Char('/') + target);
    if (FuzzSupport::save(gOut + QLatin1Char('/') + target + QLatin1Char('/') + name, bytes))
        ++gCount;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The simulated keyboard, keeping every report the engine reads from it.
class RecordingSim : public SimHidBackend {
public:
    int readTimeout(HidDevice* device, unsigned char* data, size_t length, int timeoutMs) override {
        const int got = SimHidBackend::readTimeout(device, data, length, timeoutMs);
        if (got > 0) {
            QMutexLocker lock(&mutex);
            reports.append(QByteArray(reinterpret_cast<const char*>(data), got));
        }
        return got;
    }
    QList<QByteArray> take() {
        QMutexLocker lock(&mutex);
        return std::exchange(reports, {});
    }
    QMutex mutex;
    QList<QByteArray> reports;
};

void frameSeeds(int channel, const QString& catalogueFolder) {
    ProductDataUtil catalogue(catalogueFolder);
    RecordingSim sim;
    if (channel == 64) sim.setInterfaces(SimHidBackend::Interfaces::Only64);
    SimCatalogueSeed::apply(sim, catalogue);
    UsbCommunicateUtil engine(nullptr, &sim);
    engine.openCommunicate(0);
    engine.communicateDevice();
    QByteArray stream;
    for (int command = 0; command < FrameScript::kCommands; ++command) {
        // Start the command as the target would: step 0, wait, argument,
        // two count bytes (two items), the selector.
        const QByteArray start = UsbProtocol::bytes({0, 1, 0, 2, 0, command});
        bool done = false;
        const auto a = QObject::connect(&engine, &UsbCommunicateUtil::usb_request_done, &engine,
                                        [&](uchar, uchar) { done = true; });
        const auto b = QObject::connect(&engine, &UsbCommunicateUtil::usb_communicate_error,
                                        &engine, [&](uchar, uchar, int) { done = true; });
        sim.take();
        FuzzInput in(reinterpret_cast<const uchar*>(start.constData()) + 1,
                     size_t(start.size() - 1));
        FrameScript::startCommand(engine, in, 1);
        for (int i = 0; i < 300 && !done; ++i) FuzzSupport::processEvents(10);
        FuzzSupport::processEvents(20);
        QObject::disconnect(a);
        QObject::disconnect(b);
        QByteArray input(1, char(channel == 64 ? 1 : 0));
        input += start;
        const QList<QByteArray> answers = sim.take();
        for (const QByteArray& report : answers) {
            input += char(2);  // deliver
            input += char(report.size());
            input += report;
            stream += report;
            QByteArray notifications(1, char(0));  // BLE, 64-byte frames
            for (int at = 0; at < report.size(); at += 20) {
                notifications += char(qMin(20, int(report.size()) - at));
                notifications += report.mid(at, 20);
            }
            if (channel == 64)
                seed(QStringLiteral("bluetooth"),
                     QStringLiteral("ble-%1-%2").arg(command).arg(answers.indexOf(report)),
                     notifications);
        }
        seed(QStringLiteral("frames"), QStringLiteral("sim%1-command%2").arg(channel).arg(command),
             input);
    }
    if (channel == 64) {
        // The serial link: all answers back to back, cut in pieces of 37.
        QByteArray serial(1, char(1));
        for (int at = 0; at < stream.size(); at += 37) {
            serial += char(qMin(37, int(stream.size()) - at));
            serial += stream.mid(at, 37);
        }
        seed(QStringLiteral("bluetooth"), QStringLiteral("rfcomm-stream"), serial);
    }
    engine.closeCommunicate();
}

bool exportSeeds() {
    testsupport::KeyboardRig rig;
    if (!rig.openSyncAndLoad()) return false;
    const QString file = FuzzSupport::scratch() + QStringLiteral("/export.aaa");
    ConfigWriteDatabase job(rig.model.data(), file);
    const testsupport::Results r =
        testsupport::collect(&job, &ConfigWriteDatabase::config_write_result);
    if (r.isEmpty() || r.constLast() != qMakePair(true, 100)) return false;
    const QByteArray cipher = readAll(file);
    seed(QStringLiteral("configfile"), QStringLiteral("export-plain"),
         QByteArray(1, '\0') + ConfigFileFormat::decrypt(cipher));
    seed(QStringLiteral("configfile"), QStringLiteral("export-encrypted"),
         QByteArray(1, '\1') + cipher);
    return true;
}

void serverSeeds(const QString& tree) {
    QDirIterator it(tree, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name =
            QDir(tree).relativeFilePath(path).replace(QLatin1Char('/'), QLatin1Char('-'));
        const QByteArray bytes = readAll(path);
        if (path.endsWith(QLatin1String(".xml"))) seed(QStringLiteral("versionxml"), name, bytes);
        if (path.endsWith(QLatin1String(".zip"))) seed(QStringLiteral("package"), name, bytes);
        if (path.endsWith(QLatin1String(".db3"))) seed(QStringLiteral("catalogue"), name, bytes);
        if (path.endsWith(QLatin1String(".bin"))) {
            // Firmware for the keyboard it names, on both channels, and the
            // same bytes taken as a data file.
            seed(QStringLiteral("firmware"), name + QStringLiteral("-128"),
                 QByteArray(1, '\4') + bytes);
            seed(QStringLiteral("firmware"), name + QStringLiteral("-64"),
                 QByteArray(1, '\6') + bytes);
            seed(QStringLiteral("firmware"), name + QStringLiteral("-data"),
                 QByteArray(1, '\5') + bytes);
        }
    }
}

void cliSeeds() {
    const QList<QPair<int, QByteArray>> forms = {
        {0, "Esc"},
        {0, "A"},
        {0, "Left Shift"},
        {0, "60"},
        {1, "1,2,3"},
        {1, "Esc,A,Left Shift"},
        {2, "F13"},
        {2, "Left Ctrl"},
        {2, "M3"},
        {2, "mute"},
        {2, "none"},
        {2, "1:0:0x04"},
        {3, "0"},
        {3, "1"},
        {3, "fn"},
        {4, "1.20"},
        {4, "0.1"},
        {4, "2"},
        {5, "-3"},
        {5, "12"},
        {6, "on"},
        {6, "off"},
        {7,
         "[{\"key\": \"A\", \"action\": \"down\", \"time\": 30},\n"
         " {\"key\": \"A\", \"action\": \"up\", \"time\": 0}]"},
        {7,
         "{\"macro\": 3, \"events\": [{\"key\": \"Left Ctrl\", \"action\": \"down\", \"time\": "
         "5}]}"},
    };
    int i = 0;
    for (const auto& form : forms)
        seed(QStringLiteral("cli"), QStringLiteral("form-%1").arg(i++),
             QByteArray(1, char(form.first)) + char(0x40) + form.second);
}

bool profileSeeds() {
    testsupport::KeyboardRig rig;
    if (!rig.openSyncAndLoad()) return false;
    const QByteArray file = ProfileJson::write(*rig.model);
    seed(QStringLiteral("profile"), QStringLiteral("file"), QByteArray(1, '\0') + file);
    seed(QStringLiteral("profile"), QStringLiteral("code"),
         QByteArray(1, '\1') + ShareCode::encode(file).toUtf8());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: zentaro_fuzzseeds OUT CATALOGUE SERVER_TREE\n");
        return 2;
    }
    gOut = QString::fromLocal8Bit(argv[1]);
    const QString catalogue = QString::fromLocal8Bit(argv[2]);
    const QString tree = QString::fromLocal8Bit(argv[3]);
    FuzzSupport::init();
    const QString catalogueFolder = FuzzSupport::scratch() + QStringLiteral("/catalogue");
    QDir().mkpath(catalogueFolder);
    QFile::copy(catalogue, catalogueFolder + QStringLiteral("/velmora.db3"));
    seed(QStringLiteral("catalogue"), QStringLiteral("sample"), readAll(catalogue));
    frameSeeds(128, catalogueFolder);
    frameSeeds(64, catalogueFolder);
    const bool exported = exportSeeds();
    serverSeeds(tree);
    cliSeeds();
    const bool profiles = profileSeeds();
    std::printf("zentaro_fuzzseeds: %d seeds in %s\n", gCount, qPrintable(gOut));
    return exported && profiles && gCount > 0 ? 0 : 1;
}
