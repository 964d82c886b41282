#include "ui/widgets/messagebox.h"

namespace {
QMessageBox::StandardButton gNextAnswer = QMessageBox::NoButton;
QString gLastTitle;
QString gLastText;
int gCount = 0;
QStringList gRecent;
}  // namespace

MessageBox::Button MessageBox::ask(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                   const QString& text, Buttons buttons, Button defaultButton) {
    gLastTitle = title;
    gLastText = text;
    ++gCount;
    gRecent.append(text);
    if (gRecent.size() > 20) gRecent.removeFirst();
    if (gNextAnswer != QMessageBox::NoButton) {
        const Button answer = gNextAnswer;
        gNextAnswer = QMessageBox::NoButton;
        return answer;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return static_cast<Button>(box.exec());
}

MessageBox::Button MessageBox::information(QWidget* parent, const QString& title,
                                           const QString& text, Buttons buttons) {
    return ask(QMessageBox::Information, parent, title, text, buttons, QMessageBox::NoButton);
}

MessageBox::Button MessageBox::warning(QWidget* parent, const QString& title, const QString& text,
                                       Buttons buttons) {
    return ask(QMessageBox::Warning, parent, title, text, buttons, QMessageBox::NoButton);
}

MessageBox::Button MessageBox::critical(QWidget* parent, const QString& title, const QString& text,
                                        Buttons buttons) {
    return ask(QMessageBox::Critical, parent, title, text, buttons, QMessageBox::NoButton);
}

MessageBox::Button MessageBox::question(QWidget* parent, const QString& title, const QString& text,
                                        Buttons buttons, Button defaultButton) {
    return ask(QMessageBox::Question, parent, title, text, buttons, defaultButton);
}

void MessageBox::setNextAnswer(Button answer) {
    gNextAnswer = answer;
}

QString MessageBox::lastTitle() {
    return gLastTitle;
}

QString MessageBox::lastText() {
    return gLastText;
}

int MessageBox::count() {
    return gCount;
}

QStringList MessageBox::recentTexts() {
    return gRecent;
}
