// firmware check | firmware update | firmware write FILE | firmware-data
// write FILE: firmware through the command engine, frame by frame, verified
// by the same FirmwareTransfer as the pages (MD5 of a download, header,
// checksum, product) before a single frame goes out.
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "cli/backupcommand.h"
#include "cli/clicommand.h"
#include "cli/clierrors.h"
#include "cli/clisession.h"
#include "common/apppaths.h"
#include "common/signatureverifier.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/firmwarefile.h"
#include "protocol/firmwaretransfer.h"
#ifdef ZENTARO_CLI_DOWNLOADS
#include "update/downloadfolder.h"
#include "update/downloadmanager.h"
#include "update/updatechecker.h"
#include "update/updateserver.h"
#endif

namespace {

constexpr uchar kSource = 10;  // the other page's source

// --no-backup: the user chose to send firmware without backing up first.
bool gBackup = true;

// --unsigned: the user accepts firmware that nobody signed.
bool gUnsigned = false;

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// Empty when the firmware `f` read from `path` may go out: signed by a
// trusted key (FILE.sig beside it), or unsigned with --unsigned given.
// Checked over the bytes that will be sent.
QString signatureRefusal(CliSession& s, const QString& path, const FirmwareFile& f) {
    QFile sig(SignatureVerifier::signaturePath(path));
    if (!sig.exists()) {
        if (!gUnsigned)
            return QStringLiteral(
                       "%1 has no signature (%2); firmware nobody signed may come from anyone "
                       "and may leave the keyboard unusable; nothing was sent (give --unsigned "
                       "to write it anyway)")
                .arg(fileName(path), fileName(sig.fileName()));
        s.say(QStringLiteral("%1 has no signature; writing it anyway, as --unsigned asks")
                  .arg(fileName(path)));
        return QString();
    }
    const QByteArray signature = sig.open(QIODevice::ReadOnly) ? sig.read(65) : QByteArray();
    const SignatureVerifier::Result result = SignatureVerifier::verify(
        f.bytes(), signature.isEmpty() ? QByteArray(1, '\0') : signature, path);
    return result == SignatureVerifier::Valid
               ? QString()
               : SignatureVerifier::refusalText(result, fileName(path)) +
                     QStringLiteral("; nothing was sent");
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

// Verifies `f` for this keyboard (and against the server's MD5 when given)
// and sends it; every refusal comes before the first frame.
int transfer(CliSession& s, const FirmwareFile& f, const QString& name, const QString& what,
             const QString& md5 = QString(), const QString& intro = QString()) {
    const bool firmware = f.kind() == FirmwareFile::KeyboardFirmware;
    const quint16 product = firmware ? quint16(s.model().keyboardProductInfo->serialNumber) : 0;
    // Firmware may reset the profiles: back them up first, once the file is
    // known to be good. A backup that fails keeps the firmware from going out.
    BackupStore::Backup backup;
    const bool backUp = firmware && gBackup &&
                        FirmwareTransfer::verify(f, product, md5) == FirmwareTransfer::Accepted;
    if (backUp && CliBackup::create(s, true, &backup) != 0)
        return s.fail(
            QStringLiteral("nothing was sent; to update without a backup, give --no-backup"));
    FirmwareTransfer job(&s.engine(), kSource);
    bool done = false;
    int error = 0;
    QObject::connect(&job, &FirmwareTransfer::progress, &s,
                     [&](int percent) { s.progress(what, percent); });
    QObject::connect(&job, &FirmwareTransfer::finished, &s, [&](int code) {
        error = code;
        done = true;
        s.wake();
    });
    switch (job.start(f, product, md5)) {
        case FirmwareTransfer::Accepted:
            break;
        case FirmwareTransfer::WrongMd5:
            return s.fail(QStringLiteral("the downloaded %1 does not match its MD5; it was deleted "
                                         "and nothing was sent")
                              .arg(name));
        case FirmwareTransfer::OtherProduct:
            return s.fail(QStringLiteral("%1 is firmware for product %2, this keyboard is product "
                                         "%3; nothing was sent (error %4)")
                              .arg(name)
                              .arg(f.identifier())
                              .arg(product)
                              .arg(FirmwareTransfer::kOtherProductError));
        case FirmwareTransfer::Unreadable:
            return s.fail(QStringLiteral("cannot read %1; nothing was sent").arg(name));
        case FirmwareTransfer::Damaged:
            return s.fail(invalidText(name, f) + QStringLiteral("; nothing was sent"));
    }
    if (!intro.isEmpty()) s.say(intro);
    const int total = job.frameCount();
    // The transfer ends by itself (answer, error or silence); the guard only
    // keeps a broken event loop from hanging the terminal.
    if (!s.waitUntil(done, 10 * 60 * 1000)) job.abort(UsbProtocol::ErrorNoAnswer);
    if (error) {
        if (job.frame() > total)
            return s.fail(QStringLiteral("the keyboard did not take the firmware"), error);
        return s.fail(
            QStringLiteral("%1 stopped at frame %2 of %3").arg(what).arg(job.frame()).arg(total),
            error);
    }
    s.progress(what, 100);
    s.endProgress();
    s.say(QStringLiteral("%1: %2 bytes sent in %3 frames").arg(what).arg(f.size()).arg(total));
    if (firmware)
        s.say(QStringLiteral("if the keyboard does not come back, unplug it and plug it in again"));
    if (backUp) CliBackup::compareAfterTransfer(s, backup);
    return 0;
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
        const QString refusal = signatureRefusal(s, path, f);
        if (!refusal.isEmpty()) return s.refuse(refusal);
        // The product check needs the keyboard's product number, the backup
        // its profiles.
        if (gBackup ? !s.readKeyboard() : (!s.open() || !s.sync(0))) return 1;
        return transfer(s, f, fileName(path), QStringLiteral("firmware"));
    }
    if (!s.open()) return 1;
    return transfer(s, f, fileName(path), QStringLiteral("firmware data"));
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
    // Read once: what is hashed and checked is what is sent.
    FirmwareFile f;
    f.load(path, FirmwareFile::KeyboardFirmware);
    QFile::remove(path);
    if (f.status() == FirmwareFile::CannotOpen)
        return s.fail(QStringLiteral("cannot read the downloaded firmware %1; nothing was sent")
                          .arg(info.version));
    return transfer(s, f, fileName(path), QStringLiteral("firmware"), info.md5,
                    QStringLiteral("updating firmware %1 to %2").arg(now, info.version));
}
#endif

int runFirmware(CliSession& s, const QStringList& given) {
    QStringList args = given;
    gBackup = !args.removeAll(QStringLiteral("--no-backup"));
    gUnsigned = args.removeAll(QStringLiteral("--unsigned"));
    SignatureVerifier::setEnglish(true);
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
    "firmware update [--no-backup]  download newer firmware, check it, write it\n"
    "firmware write FILE [--no-backup] [--unsigned]  write the keyboard firmware in FILE",
    runFirmware,
    "The download server is --server=URL, else System/ServerUrl in data/config.ini.\n"
    "A download whose MD5 differs from the server's is deleted; a file too short,\n"
    "damaged or made for another keyboard is refused. Nothing is sent then.\n"
    "Firmware must be signed by a trusted key: a download through its signed\n"
    "firmversion.xml, a FILE through FILE.sig beside it; a FILE without one is\n"
    "written only with --unsigned.\n"
    "Before sending, every profile is backed up (see zentaro-cli backup --help);\n"
    "when the backup fails nothing is sent, unless --no-backup is given. Afterwards\n"
    "the profiles are compared with the backup and a restore is offered.");

static CliCommand::Registrar registerFirmwareData(
    "firmware-data", "firmware-data write FILE     write a firmware data file", runData,
    "The file's length field and checksum are checked before anything is sent.");
