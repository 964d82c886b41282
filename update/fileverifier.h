#pragma once
// MD5 check of a downloaded file. A file that cannot be opened or read
// fails the check exactly like a wrong checksum: nothing unverified is ever
// offered for installation.

#include <QString>

class FileVerifier {
public:
    // Upper-case hex MD5 of the file; empty when it cannot be opened or read.
    static QString md5Hex(const QString& filePath);
    // True only when the file hashes to `expectedMd5` (any letter case).
    static bool verifyMd5(const QString& filePath, const QString& expectedMd5);
};
