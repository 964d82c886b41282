#include "ui/widgets/filedialog.h"

#include <QFileDialog>

namespace {
bool gHasNext = false;
QString gNext;
QString gLastCaption;
QString gLastFilter;
}  // namespace

bool FileDialog::takeNext(const QString& caption, const QString& filter, QString* fileName) {
    gLastCaption = caption;
    gLastFilter = filter;
    if (!gHasNext) return false;
    gHasNext = false;
    *fileName = gNext;
    return true;
}

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) {
    QString name;
    if (takeNext(caption, filter, &name)) return name;
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter) {
    QString name;
    if (takeNext(caption, filter, &name)) return name;
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
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
