#pragma once
// Every file dialog of the program goes through here. Tests answer the next
// dialog with setNextFileName() (an empty name is a cancelled dialog).
// A dialog starts in the folder the user last chose (kept in the settings
// file as System/LastFolder), else in the documents folder, never in the
// program's own folder.

#include <QString>

class QWidget;

class FileDialog {
public:
    // `dir` empty or a bare file name: the start folder (with that name).
    static QString getOpenFileName(QWidget* parent, const QString& caption,
                                   const QString& dir = QString(),
                                   const QString& filter = QString());
    static QString getSaveFileName(QWidget* parent, const QString& caption,
                                   const QString& dir = QString(),
                                   const QString& filter = QString());

    // The last folder chosen while it exists, else the documents folder.
    static QString startFolder();
    // Remembers the folder of `fileName` for the next dialog.
    static void rememberFolder(const QString& fileName);

    static void setNextFileName(const QString& fileName);
    static QString lastCaption();
    static QString lastFilter();
    // Where the last dialog started (also for a dialog a test answered).
    static QString lastDir();

private:
    static QString resolveDir(const QString& dir);
    static bool takeNext(const QString& caption, const QString& dir, const QString& filter,
                         QString* fileName);
};
