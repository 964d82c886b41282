#pragma once
// Unpacks a product picture package (zip) into its data folder, all or
// nothing: every entry goes into a temporary sibling folder first, and only
// when all are out does that folder take the target's place. A package with
// an entry that would land outside the folder ("../x", an absolute path, a
// symbolic link), a damaged or cut archive, one that unpacks to more than
// kMaxUnpackedBytes (a zip bomb), or a failed write leaves the target as it
// was and no temporary folder behind.

#include <QCoreApplication>
#include <QString>

class PackageUnpacker {
    Q_DECLARE_TR_FUNCTIONS(PackageUnpacker)

public:
    // Pictures and firmware of one keyboard take a few megabytes.
    static constexpr qint64 kMaxUnpackedBytes = 64LL * 1024 * 1024;

    // False with a reason in `error` (in the interface language, for the log
    // and the toast).
    static bool unpack(const QString& zipPath, const QString& targetDir, QString* error = nullptr);
    // True when `entryName` stays inside the folder it is unpacked into.
    static bool isSafeEntryName(const QString& entryName);
};
