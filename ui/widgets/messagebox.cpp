#include "ui/widgets/messagebox.h"

#include <QAbstractButton>
#include <QPixmap>

#include "services/systemconfigutil.h"

namespace {
QMessageBox::StandardButton gNextAnswer = QMessageBox::NoButton;
QString gLastTitle;
QString gLastText;
int gCount = 0;

// The program's own picture of the icon: where no icon theme is installed,
// Qt falls back to rough built-in ones.
QPixmap ownIcon(QMessageBox::Icon icon) {
    const char* name = nullptr;
    switch (icon) {
        case QMessageBox::Information:
            name = "msg_information";
            break;
        case QMessageBox::Warning:
            name = "msg_warning";
            break;
        case QMessageBox::Critical:
            name = "msg_critical";
            break;
        case QMessageBox::Question:
            name = "msg_question";
            break;
        default:
            return QPixmap();
    }
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const QString folder = SystemConfigUtil::imageFolder(config ? config->theme() : 0);
    return QPixmap(folder + QLatin1String(name) + QStringLiteral(".png"));
}
QStringList gRecent;
QStringList gLastButtons;
}  // namespace

MessageBox::Button MessageBox::ask(QMessageBox::Icon icon, QWidget* parent, const QString& title,
                                   const QString& text, Buttons buttons, Button defaultButton,
                                   const QString& acceptText, const QString& rejectText) {
    gLastTitle = title;
    gLastText = text;
    ++gCount;
    gRecent.append(text);
    if (gRecent.size() > 20) gRecent.removeFirst();
    // Built before a test answers it, so the button texts are those shown.
    QMessageBox box(icon, title, text, buttons, parent);
    if (const QPixmap picture = ownIcon(icon); !picture.isNull()) box.setIconPixmap(picture);
    if (!acceptText.isEmpty() && box.button(QMessageBox::Ok))
        box.button(QMessageBox::Ok)->setText(acceptText);
    if (!rejectText.isEmpty() && box.button(QMessageBox::Cancel))
        box.button(QMessageBox::Cancel)->setText(rejectText);
    gLastButtons.clear();
    for (uint bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1)
        if (QAbstractButton* button = box.button(Button(bit))) gLastButtons.append(button->text());
    if (gNextAnswer != QMessageBox::NoButton) {
        const Button answer = gNextAnswer;
        gNextAnswer = QMessageBox::NoButton;
        return answer;
    }
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

MessageBox::Button MessageBox::confirm(QWidget* parent, const QString& title, const QString& text,
                                       const QString& acceptText, const QString& rejectText) {
    return ask(QMessageBox::Question, parent, title, text, QMessageBox::Ok | QMessageBox::Cancel,
               QMessageBox::Cancel, acceptText, rejectText);
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

QStringList MessageBox::lastButtonTexts() {
    return gLastButtons;
}

int MessageBox::count() {
    return gCount;
}

QStringList MessageBox::recentTexts() {
    return gRecent;
}
