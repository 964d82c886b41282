#pragma once
// Every file dialog of the program goes through here. Tests answer the next
// dialog with setNextFileName() (an empty name is a cancelled dialog).

#include <QString>

class QWidget;

class FileDialog {
public:
    static QString getOpenFileName(QWidget* parent, const QString& caption,
                                   const QString& dir = QString(),
                                   const QString& filter = QString());
    static QString getSaveFileName(QWidget* parent, const QString& caption,
                                   const QString& dir = QString(),
                                   const QString& filter = QString());

    static void setNextFileName(const QString& fileName);
    static QString lastCaption();
    static QString lastFilter();

private:
    static bool takeNext(const QString& caption, const QString& filter, QString* fileName);
};
