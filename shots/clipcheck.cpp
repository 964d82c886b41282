#include "shots/clipcheck.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>

namespace {
// The widest line of a plain text as the widget's font draws it.
int textWidth(const QWidget* widget, QString text) {
    text.remove(QLatin1Char('&'));
    const QFontMetrics metrics(widget->font());
    int width = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        width = qMax(width, metrics.horizontalAdvance(line));
    return width;
}

// Room for the text of a label, or -1 when its text is not checked.
int labelRoom(const QLabel* label) {
    if (label->wordWrap() || label->text().isEmpty() || Qt::mightBeRichText(label->text()))
        return -1;
    int room = label->contentsRect().width() - 2 * label->margin();
    if (label->indent() > 0) room -= label->indent();
    return room;
}

int buttonRoom(const QAbstractButton* button) {
    if (button->text().isEmpty()) return -1;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(button))
        contents = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<const QPushButton*>(button))
        return -1;
    int room = button->style()->subElementRect(contents, &option, button).width();
    if (!button->icon().isNull() && contents == QStyle::SE_PushButtonContents)
        room -= button->iconSize().width() + 4;
    return room;
}
}  // namespace

QStringList ClipCheck::clippedTexts(const QWidget* root) {
    QStringList found;
    if (!root) return found;
    QList<const QWidget*> widgets{root};
    for (QWidget* child : root->findChildren<QWidget*>()) widgets << child;
    for (const QWidget* widget : std::as_const(widgets)) {
        if (!widget->isVisible() || widget->width() <= 0) continue;
        QString text;
        int room = -1;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            text = label->text();
            room = labelRoom(label);
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            text = button->text();
            room = buttonRoom(button);
        }
        if (room < 0) continue;
        // One pixel of grace for rounding of fractional advances.
        const int need = textWidth(widget, text);
        if (need <= room + 1) continue;
        found << QStringLiteral("%1 (%2) \"%3\": needs %4 px, has %5 px")
                     .arg(widget->objectName(), QLatin1String(widget->metaObject()->className()),
                          QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')))
                     .arg(need)
                     .arg(room);
    }
    return found;
}
