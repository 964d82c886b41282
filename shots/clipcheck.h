#pragma once
// Finds the labels and buttons under a widget whose text is wider than the
// room the widget gives it (a clipped or cut caption), as a shot would show.

#include <QString>
#include <QStringList>

class QWidget;

class ClipCheck {
public:
    // One line per clipped text: object name, class, text, needed and given
    // width in pixels. Hidden widgets, rich text and pictures are skipped.
    static QStringList clippedTexts(const QWidget* root);
};
