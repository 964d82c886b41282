#include "ui/pages/system/desktopopener.h"

#include <QDesktopServices>
#include <QUrl>
#include <optional>

namespace {
std::optional<bool> gNextResult;
QString gLastFile;
}  // namespace

bool DesktopOpener::openFile(const QString& filePath) {
    gLastFile = filePath;
    if (gNextResult) {
        const bool opened = *gNextResult;
        gNextResult.reset();
        return opened;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}

void DesktopOpener::setNextResult(bool opened) {
    gNextResult = opened;
}

QString DesktopOpener::lastFile() {
    return gLastFile;
}
