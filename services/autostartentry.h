#pragma once
// Starting with the desktop session: an XDG autostart entry
// $XDG_CONFIG_HOME/autostart/zentaro.desktop (~/.config when the variable is
// unset or relative) whose Exec is the program's absolute path.

#include <QString>

class AutostartEntry {
public:
    // Where the entry lives.
    static QString path();
    // The whole text of an entry that starts `program`.
    static QByteArray contents(const QString& program);
    // True when the entry exists and starts `program`.
    static bool isInstalled(const QString& program);
    // Writes the entry atomically (nothing is written when it is already
    // there). False with a reason when it could not be written.
    static bool install(const QString& program, QString* error);
    // Removes the entry; no entry is fine. False with a reason otherwise.
    static bool remove(QString* error);
};
