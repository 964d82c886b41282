#pragma once
// The painted key cap shared by every keyboard picture and the picker: a
// rounded face with a border and the key's text or image. A picture and a
// picker hold some two hundred caps and most of them look alike, so each
// look is drawn once and kept in the pixmap cache for every label that
// shows it; style-sheet borders on that many widgets cost a frame.

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QSize>
#include <QString>

class QPainter;

class KeyCap {
public:
    // Clickable keys (key page, picker) tint their face while selected;
    // selectable keys (lighting, advanced keys, performance) show a check
    // mark and may give their border a colour of their own.
    enum Look : quint8 { Clickable, Selectable };

    struct State {
        Look look = Clickable;
        QSize size;
        qreal ratio = 1;
        bool dark = false;
        bool enabled = true;
        bool selected = false;
        bool hovered = false;
        QColor border;  // a colour of the key's own; invalid: by state
        QString text;
        QPixmap image;
        QFont font;
        bool operator==(const State& o) const {
            return look == o.look && size == o.size && ratio == o.ratio && dark == o.dark &&
                   enabled == o.enabled && selected == o.selected && hovered == o.hovered &&
                   border == o.border && text == o.text && image.cacheKey() == o.image.cacheKey() &&
                   font == o.font;
        }
    };

    // The cap for a state, from the cache or drawn now.
    static QPixmap pixmap(const State& state);
    static void paint(QPainter& painter, const State& state);
    // The check mark of a selected selectable key.
    static QPixmap checkMark();
    static QString checkMarkImage();
    // True while the program runs in the dark theme.
    static bool darkTheme();
    // The blue of the keyboard's focus ring, in the current theme.
    static QColor focusRingColor();
};
