#pragma once
// Every message box of the program goes through here. Tests answer the next
// box with setNextAnswer(): the call then returns that answer at once,
// without showing anything, and the text it would have shown is kept.

#include <QMessageBox>
#include <QString>
#include <QStringList>

class MessageBox {
public:
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    static Button information(QWidget* parent, const QString& title, const QString& text,
                              Buttons buttons = QMessageBox::Ok);
    static Button warning(QWidget* parent, const QString& title, const QString& text,
                          Buttons buttons = QMessageBox::Ok);
    static Button critical(QWidget* parent, const QString& title, const QString& text,
                           Buttons buttons = QMessageBox::Ok);
    static Button question(QWidget* parent, const QString& title, const QString& text,
                           Buttons buttons = QMessageBox::Yes | QMessageBox::No,
                           Button defaultButton = QMessageBox::NoButton);

    // A question whose accept (Ok) and reject (Cancel) buttons carry the
    // caller's words instead of the standard ones; returns Ok or Cancel.
    static Button confirm(QWidget* parent, const QString& title, const QString& text,
                          const QString& acceptText, const QString& rejectText);

    // The next box returns `answer` without being shown (tests).
    static void setNextAnswer(Button answer);
    // Title and text of the last box asked for (shown or answered).
    static QString lastTitle();
    static QString lastText();
    // Button texts of the last box, in the order of the standard buttons
    // (what the user would read in the current language).
    static QStringList lastButtonTexts();
    // How many boxes have been asked for since the program started.
    static int count();
    // Texts of the last 20 boxes, oldest first (a later box may follow the
    // one a test waits for before it looks).
    static QStringList recentTexts();

private:
    static Button ask(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                      const QString& text, Buttons buttons, Button defaultButton,
                      const QString& acceptText = QString(), const QString& rejectText = QString());
};
