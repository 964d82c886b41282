// firmware check | firmware update | firmware write FILE | firmware-data
// write FILE: firmware through the command engine, frame by frame, with the
// same checks as the other page (MD5 of a download, header, checksum) before
// a single frame goes out.
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "cli/clicommand.h"
#include "cli/clierrors.h"
#include "cli/clisession.h"
#include "link/usbprotocol.h"
#include "model/apppaths.h"
#include "model/keyboardconfigutil.h"
#include "protocol/firmwarefile.h"
#ifdef ZENTARO_CLI_DOWNLOADS
#include "update/downloadfolder.h"
#include "update/downloadmanager.h"
#include "update/updatechecker.h"
#include "update/updateserver.h"
#endif

namespace {

constexpr uchar kSource = 10;  // the other page's source
// The identifier mismatch code of the firmware transfer.
constexpr int kOtherProduct = -23;

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// The refusal of a file that failed its checks, in words.
QString invalidText(const QString& name, const FirmwareFile& f) {
    switch (f.status()) {
        case FirmwareFile::TooShort:
            return QStringLiteral("%1 is too short to be %2 (%3 bytes)")
                .arg(name, f.kind() == FirmwareFile::KeyboardFirmware
                               ? QStringLiteral("keyboard firmware")
                               : QStringLiteral("firmware data"))
                .arg(f.size());
        case FirmwareFile::TooLarge:
            return QStringLiteral("%1 is too large for the keyboard").arg(name);
        case FirmwareFile::LengthMismatch:
            return QStringLiteral(
                       "%1 is damaged: its length field says %2 bytes of data, it holds %3")
                .arg(name)
                .arg(f.dataLength())
                .arg(f.size() - FirmwareFile::kHeaderSize);
        case FirmwareFile::ChecksumMismatch:
            return QStringLiteral("%1 is damaged: its checksum does not match its data").arg(name);
        default:
            return QStringLiteral("%1: %2").arg(name, FirmwareFile::statusText(f.status()));
    }
}

// Sends every frame of `f`, then (firmware only) the end command.
int transfer(CliSession& s, const FirmwareFile& f, const QString& what) {
    const bool firmware = f.kind() == FirmwareFile::KeyboardFirmware;
    const int payload = gUsbDataMaxsize;
    const int total = f.frameCount(payload);
    const qint64 size = firmware ? f.imageSize() : f.size();
    UsbCommunicateUtil& e = s.engine();
    for (int i = 1; i <= total; ++i) {
        const QByteArray block = f.frame(i, payload);
        const int error =
            firmware
                ? s.exchange(kSource, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard,
                             [&] {
                                 e.downloadFirewareKeyboard(kSource, true, quint16(i),
                                                            int(block.size()), block);
                             })
                : s.exchange(kSource, &UsbCommunicateUtil::usb_receive_download_fireware_data, [&] {
                      e.downloadFirewareData(kSource, true, quint16(i), int(block.size()), block);
                  });
        if (error)
            return s.fail(
                QStringLiteral("%1 stopped at frame %2 of %3").arg(what).arg(i).arg(total), error);
        s.progress(what, int(qMin<qint64>(
                             99, f.bytesSentAfter(i, payload) * 100 / qMax<qint64>(1, size))));
    }
    if (firmware) {
        // The engine puts its second argument on the wire first: the header
        // value at offset 4 leads, as the keyboard expects.
        const int error = s.exchange(
            kSource, &UsbCommunicateUtil::usb_receive_download_fireware_keyboard_end, [&] {
                e.downloadFirewareKeyboardEnd(kSource, true, f.secondEndValue(), f.firstEndValue());
            });
        if (error) return s.fail(QStringLiteral("the keyboard did not take the firmware"), error);
    }
    s.progress(what, 100);
    s.endProgress();
    s.say(QStringLiteral("%1: %2 bytes sent in %3 frames").arg(what).arg(f.size()).arg(total));
    if (firmware)
        s.say(QStringLiteral("if the keyboard does not come back, unplug it and plug it in again"));
    return 0;
}

// A firmware file must be made for this keyboard's product.
bool checkProduct(CliSession& s, const QString& name, const FirmwareFile& f) {
    const qint16 product = s.model().keyboardProductInfo->serialNumber;
    if (f.identifier() == quint16(product)) return true;
    s.fail(QStringLiteral("%1 is firmware for product %2, this keyboard is product %3; nothing "
                          "was sent (error %4)")
               .arg(name)
               .arg(f.identifier())
               .arg(product)
               .arg(kOtherProduct));
    return false;
}

int writeFile(CliSession& s, const QString& path, FirmwareFile::Kind kind) {
    const QString unreadable = CliErrors::unreadable(path);
    if (!unreadable.isEmpty()) return s.refuse(unreadable);
    FirmwareFile f;
    if (f.load(path, kind) != FirmwareFile::Ok) {
        if (f.status() == FirmwareFile::CannotOpen)
            return s.refuse(QStringLiteral("cannot read %1").arg(fileName(path)));
        return s.refuse(invalidText(fileName(path), f) + QStringLiteral("; nothing was sent"));
    }
    if (kind == FirmwareFile::FirmwareData && f.dataLength() == 0)
        return s.refuse(QStringLiteral("%1 holds no data; nothing was sent").arg(fileName(path)));
    if (kind == FirmwareFile::KeyboardFirmware) {
        if (!s.open() || !s.sync(0)) return 1;
        if (!checkProduct(s, fileName(path), f)) return 1;
        return transfer(s, f, QStringLiteral("firmware"));
    }
    if (!s.open()) return 1;
    return transfer(s, f, QStringLiteral("firmware data"));
}

#ifdef ZENTARO_CLI_DOWNLOADS
void useServer(CliSession& s) {
    const QString setting = QSettings(AppPaths::configFile(), QSettings::IniFormat)
                                .value(QStringLiteral("System/ServerUrl"))
                                .toString();
    UpdateServer::setBaseUrl(UpdateServer::resolve(s.options().serverUrl, setting));
}

// The terminal speaks English; the library's own text is the window's.
QString noServer() {
    return QStringLiteral(
               "no download server is configured (give --server=URL, or set "
               "System/ServerUrl in %1)")
        .arg(AppPaths::configFile());
}

// What the server offers this keyboard; false after a failure line.
bool offered(CliSession& s, VersionInfo* info) {
    if (!s.readKeyboard()) return false;
    useServer(s);
    if (!UpdateServer::isConfigured()) {
        s.fail(QStringLiteral("cannot check for firmware: %1").arg(noServer()));
        return false;
    }
    UpdateChecker checker;
    bool done = false;
    QString error;
    QObject::connect(&checker, &UpdateChecker::updateAvailable, &s, [&](VersionInfo i) {
        *info = i;
        done = true;
        s.wake();
    });
    QObject::connect(&checker, &UpdateChecker::checkError, &s, [&](QString text) {
        error = text;
        done = true;
        s.wake();
    });
    checker.checkPath(UpdateServer::firmwareVersionPath(s.model().keyboardProduct->productData));
    if (!s.waitUntil(done, UpdateChecker::kTransferTimeoutMs + 5000))
        error = QStringLiteral("the download server did not answer");
    if (!error.isEmpty()) {
        s.fail(QStringLiteral("cannot check for firmware: %1").arg(error));
        return false;
    }
    return true;
}

QString current(CliSession& s) {
    return FirmwareFile::formatVersion(quint16(s.model().keyboardProductInfo->version));
}

int check(CliSession& s) {
    VersionInfo info;
    if (!offered(s, &info)) return 1;
    const QString now = current(s);
    if (VersionInfo::isNewer(info.version, now))
        s.say(QStringLiteral("firmware %1 is available (the keyboard has %2): %3")
                  .arg(info.version, now, info.description));
    else
        s.say(QStringLiteral("firmware %1 is up to date").arg(now));
    return 0;
}

int update(CliSession& s) {
    VersionInfo info;
    if (!offered(s, &info)) return 1;
    const QString now = current(s);
    if (!VersionInfo::isNewer(info.version, now)) {
        s.say(QStringLiteral("firmware %1 is up to date").arg(now));
        return 0;
    }
    const QString path = DownloadFolder::filePath(QFileInfo(info.url.path()).completeBaseName() +
                                                  QStringLiteral(".bin"));
    DownloadManager downloader;
    bool done = false;
    QString error;
    QObject::connect(&downloader, &DownloadManager::progress, &s,
                     [&](qlonglong received, qlonglong total) {
                         if (total > 0)
                             s.progress(QStringLiteral("download"), int(received * 100 / total));
                     });
    QObject::connect(&downloader, &DownloadManager::finished, &s, [&](QString) {
        done = true;
        s.wake();
    });
    QObject::connect(&downloader, &DownloadManager::error, &s, [&](QString text) {
        error = text;
        done = true;
        s.wake();
    });
    downloader.download(info.url, path);
    if (!s.waitUntil(done, 10 * 60 * 1000)) {
        downloader.abort();
        error = QStringLiteral("the download did not end");
    }
    s.endProgress();
    if (!error.isEmpty())
        return s.fail(QStringLiteral("cannot download firmware %1: %2").arg(info.version, error));
    // What was verified is exactly what is sent: read once, hashed and sent
    // from memory.
    FirmwareFile f;
    f.load(path, FirmwareFile::KeyboardFirmware);
    QFile::remove(path);
    const QString md5 = QString::fromLatin1(
        QCryptographicHash::hash(f.bytes(), QCryptographicHash::Md5).toHex().toUpper());
    if (f.status() == FirmwareFile::CannotOpen || md5 != info.md5.toUpper())
        return s.fail(QStringLiteral("the downloaded firmware %1 does not match its MD5; it was "
                                     "deleted and nothing was sent")
                          .arg(info.version));
    if (!f.isValid())
        return s.fail(invalidText(fileName(path), f) + QStringLiteral("; nothing was sent"));
    if (!checkProduct(s, fileName(path), f)) return 1;
    s.say(QStringLiteral("updating firmware %1 to %2").arg(now, info.version));
    return transfer(s, f, QStringLiteral("firmware"));
}
#endif

int runFirmware(CliSession& s, const QStringList& args) {
    const QString verb = args.value(0);
    if (verb == QLatin1String("write")) {
        if (args.size() != 2)
            return s.refuse(QStringLiteral("usage: zentaro-cli firmware write FILE"));
        return writeFile(s, args.at(1), FirmwareFile::KeyboardFirmware);
    }
    if (verb != QLatin1String("check") && verb != QLatin1String("update"))
        return s.refuse(
            QStringLiteral("firmware: say check, update or write (zentaro-cli firmware --help)"));
    if (args.size() != 1)
        return s.refuse(QStringLiteral("firmware %1: too many arguments").arg(verb));
#ifdef ZENTARO_CLI_DOWNLOADS
    return verb == QLatin1String("check") ? check(s) : update(s);
#else
    return s.fail(QStringLiteral("this build of zentaro-cli cannot download"));
#endif
}

int runData(CliSession& s, const QStringList& args) {
    if (args.size() != 2 || args.at(0) != QLatin1String("write"))
        return s.refuse(QStringLiteral("usage: zentaro-cli firmware-data write FILE"));
    return writeFile(s, args.at(1), FirmwareFile::FirmwareData);
}

}  // namespace

static CliCommand::Registrar registerFirmware(
    "firmware",
    "firmware check               ask the download server for newer firmware\n"
    "firmware update              download newer firmware, check it, write it\n"
    "firmware write FILE          write the keyboard firmware in FILE",
    runFirmware,
    "The download server is --server=URL, else System/ServerUrl in data/config.ini.\n"
    "A download whose MD5 differs from the server's is deleted; a file too short,\n"
    "damaged or made for another keyboard is refused. Nothing is sent then.");

static CliCommand::Registrar registerFirmwareData(
    "firmware-data", "firmware-data write FILE     write a firmware data file", runData,
    "The file's length field and checksum are checked before anything is sent.");
