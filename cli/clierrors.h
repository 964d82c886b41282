#pragma once
// Every code a zentaro-cli command can end with, said in words: the command
// engine's, the configuration file jobs' and the firmware transfer's.

#include <QString>

class CliErrors {
public:
    // Errors of the command engine and the link (-1, -2, -3, -4, -200 ...).
    static QString engine(int code);
    // Export of the configuration to `path`.
    static QString exportFailure(const QString& path, int code);
    // Import of the configuration file `path`.
    static QString importFailure(const QString& path, int code);
    // Why `path` cannot be read; empty when it can.
    static QString unreadable(const QString& path);
    // Why `path` cannot be written (a folder, no such folder, no permission);
    // empty when it looks writable.
    static QString unwritable(const QString& path);
};
