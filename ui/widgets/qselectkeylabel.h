#pragma once
// A key label that can be selected: a check mark at its top-right corner
// while selected and a border that shows the state, unless a colour of its
// own owns the border. QLightKeyLabel and QNatureLabel are such labels; the
// border rules carry their class names. Its picture paints it (KeyCap) and
// takes the mouse for it.

#include <QColor>

#include "ui/widgets/paintedkeylabel.h"

class QSelectKeyLabel : public PaintedKeyLabel {
    Q_OBJECT
public:
    // `className` is the object name and the style-rule selector.
    QSelectKeyLabel(const QString& className, quint8 keyItem, QWidget* parent = nullptr);
    ~QSelectKeyLabel() override;

    quint8 keyItem() const { return mKeyItem; }

    bool isSelected() const { return mSelected; }
    void setSelected(bool selected);
    void toggleSelected() { setSelected(!mSelected); }

    // A colour of its own: from then on the border shows the colour and
    // selection shows only the check mark.
    bool hasColor() const { return mColor.isValid(); }
    QColor color() const { return mColor; }
    void setColor(const QColor& color);
    void setColor(int r, int g, int b) { setColor(QColor(r, g, b)); }

    static QString checkMarkImage();
    // The border rule in force, e.g.
    // "QLightKeyLabel {  border: 1.5px solid rgb(255,136,38); }".
    QString borderStyle() const { return mBorderStyle; }

    void paintFace(QPainter& painter, const QFont& font) override;

private:
    void applyBorder();

    QString mClassName;
    QString mBorderStyle;
    quint8 mKeyItem;
    bool mSelected = false;
    QColor mColor;
};
