#pragma once
// A key label that can be selected: a check mark at its top-right corner
// while selected and a border that shows the state, unless a colour of its
// own owns the border. QLightKeyLabel and QNatureLabel are such labels; the
// border rules carry their class names. The label paints its key cap itself
// (a picture holds a hundred of them; per-label style sheets cost too much).

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPixmap>

class QPainter;

class QSelectKeyLabel : public QLabel {
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

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Everything the painted cap depends on; the cap is painted again only
    // when one of them changed (a picture repaints a hundred labels at once).
    struct CapState {
        QSize size;
        qreal ratio = 0;
        bool dark = false;
        bool enabled = false;
        bool selected = false;
        QColor color;
        QString text;
        qint64 image = 0;
        QFont font;
        bool operator==(const CapState& o) const {
            return size == o.size && ratio == o.ratio && dark == o.dark && enabled == o.enabled &&
                   selected == o.selected && color == o.color && text == o.text &&
                   image == o.image && font == o.font;
        }
    };
    void applyBorder();
    void paintCap(QPainter& painter, const CapState& state);
    static QPixmap checkMark();

    QString mClassName;
    QString mBorderStyle;
    quint8 mKeyItem;
    bool mSelected = false;
    QColor mColor;
    CapState mCapState;
    QPixmap mCap;
};
