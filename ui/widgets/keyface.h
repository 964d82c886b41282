#pragma once
// A key label that its picture paints. The labels of a keyboard picture and
// of the picker are never shown as widgets of their own: they hold what a
// key shows (text, image, tool tip, enabled, selection, values) and the
// picture paints all of them in one pass, which is what keeps building and
// repainting a hundred keys within a frame.

#include <QFont>
#include <QPixmap>
#include <QString>

class QPainter;

class KeyFace {
public:
    virtual ~KeyFace() = default;
    // Paints the key into a painter whose origin is the key's top-left
    // corner, in the picture's font.
    virtual void paintFace(QPainter& painter, const QFont& font) = 0;

    // A key that shows an image over a text (set by the label rule; a plain
    // label shows the two as rich text).
    void setCombinedFace(const QPixmap& image, const QString& text) {
        mCombinedImage = image;
        mCombinedText = text;
    }
    void clearCombinedFace() {
        mCombinedImage = QPixmap();
        mCombinedText.clear();
    }
    const QPixmap& combinedImage() const { return mCombinedImage; }
    const QString& combinedText() const { return mCombinedText; }

private:
    QPixmap mCombinedImage;
    QString mCombinedText;
};
