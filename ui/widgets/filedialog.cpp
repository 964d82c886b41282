#include "ui/widgets/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "services/systemconfigutil.h"

namespace {
bool gHasNext = false;
QString gNext;
QString gLastCaption;
QString gLastFilter;
QString gLastDir;
const QString kLastFolderKey = QStringLiteral("System/LastFolder");

// The settings file of this run; QSettings objects of one file share their
// data inside the process, so this one and SystemConfigUtil's stay in step.
QString settingsFile() {
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    return config ? config->configFile() : QString();
}
}  // namespace

QString FileDialog::startFolder() {
    const QString file = settingsFile();
    if (!file.isEmpty()) {
        const QString last = QSettings(file, QSettings::IniFormat).value(kLastFolderKey).toString();
        if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

void FileDialog::rememberFolder(const QString& fileName) {
    const QString file = settingsFile();
    if (file.isEmpty() || fileName.isEmpty()) return;
    const QString folder = QFileInfo(fileName).absolutePath();
    QSettings settings(file, QSettings::IniFormat);
    if (settings.value(kLastFolderKey).toString() == folder) return;
    settings.setValue(kLastFolderKey, folder);
    // A folder that cannot be remembered costs only the next dialog's start.
    settings.sync();
}

QString FileDialog::resolveDir(const QString& dir) {
    if (dir.isEmpty()) return startFolder();
    if (!dir.contains(QLatin1Char('/'))) return QDir(startFolder()).filePath(dir);
    return dir;
}

bool FileDialog::takeNext(const QString& caption, const QString& dir, const QString& filter,
                          QString* fileName) {
    gLastCaption = caption;
    gLastFilter = filter;
    gLastDir = dir;
    if (!gHasNext) return false;
    gHasNext = false;
    *fileName = gNext;
    return true;
}

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) {
    const QString start = resolveDir(dir);
    QString name;
    if (!takeNext(caption, start, filter, &name))
        name = QFileDialog::getOpenFileName(parent, caption, start, filter);
    if (!name.isEmpty()) rememberFolder(name);
    return name;
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) {
    const QString start = resolveDir(dir);
    QString name;
    if (!takeNext(caption, start, filter, &name))
        name = QFileDialog::getSaveFileName(parent, caption, start, filter);
    if (!name.isEmpty()) rememberFolder(name);
    return name;
}

void FileDialog::setNextFileName(const QString& fileName) {
    gHasNext = true;
    gNext = fileName;
}

QString FileDialog::lastCaption() {
    return gLastCaption;
}

QString FileDialog::lastFilter() {
    return gLastFilter;
}

QString FileDialog::lastDir() {
    return gLastDir;
}
