#pragma once
// The private folder downloads go to: "downloads" in the user's cache
// folder, created for this user only (0700). Never the shared temporary
// folder, where another local user could plant a file or a link under the
// name we are about to write.

#include <QString>

class DownloadFolder {
public:
    // The folder, created when missing; empty when it cannot be made
    // private (then downloads fail with "Cannot open file for writing").
    static QString path();
    // path() + "/" + the last component of `fileName` (never a sub-path).
    static QString filePath(const QString& fileName);
    // Tests point it elsewhere; an empty path restores the default.
    static void setPath(const QString& path);
};
