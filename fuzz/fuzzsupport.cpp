#include "fuzz/fuzzsupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

void quiet(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::abort();
    }
}

}  // namespace

void FuzzSupport::init() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "zentaro-fuzz";
    static char* argv[] = {name, nullptr};
    // Working copies, downloads and settings stay in the scratch folder, where
    // the targets look for what was left behind.
    const QString tmp = scratch() + QStringLiteral("/tmp");
    QDir().mkpath(tmp);
    qputenv("TMPDIR", QFile::encodeName(tmp));
#ifdef ZENTARO_FUZZ_BIN_DIR
    // The sample catalogue of this build (tests/catalogue/samplecatalogue.h).
    if (qEnvironmentVariableIsEmpty("ZENTARO_BIN_DIR"))
        qputenv("ZENTARO_BIN_DIR", ZENTARO_FUZZ_BIN_DIR);
#endif
    qputenv("XDG_DATA_HOME", QFile::encodeName(scratch() + QStringLiteral("/xdg-data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch() + QStringLiteral("/xdg-cache")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch() + QStringLiteral("/xdg-config")));
    if (qEnvironmentVariableIsEmpty("ZENTARO_FUZZ_LOG")) qInstallMessageHandler(quiet);
    new QCoreApplication(argc, argv);
}

void FuzzSupport::processEvents(int ms) {
    const QDeadlineTimer deadline(ms);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    } while (!deadline.hasExpired());
}

QString FuzzSupport::scratch() {
    static QTemporaryDir* dir =
        new QTemporaryDir(QDir::tempPath() + QStringLiteral("/zentaro-fuzz-XXXXXX"));
    return dir->path();
}

void FuzzSupport::emptyFolder(const QString& folder) {
    QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

QList<QString> FuzzSupport::filesBelow(const QString& folder) {
    QList<QString> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) out.append(base.relativeFilePath(it.next()));
    std::sort(out.begin(), out.end());
    return out;
}

bool FuzzSupport::save(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(bytes);
    return file.commit();
}

void FuzzSupport::require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "==zentaro-fuzz== invariant broken: %s\n", what);
    std::abort();
}
