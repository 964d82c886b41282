#include "update/fileverifier.h"

#include <QCryptographicHash>
#include <QFile>

QString FileVerifier::md5Hex(const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file)) return QString();
    return QString::fromLatin1(hash.result().toHex()).toUpper();
}

bool FileVerifier::verifyMd5(const QString& filePath, const QString& expectedMd5) {
    const QString actual = md5Hex(filePath);
    return !actual.isEmpty() && actual == expectedMd5.trimmed().toUpper();
}
