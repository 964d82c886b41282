#pragma once
// What a widget that paints its key labels itself (the keyboard pictures and
// the picker) does with them: keeps them hidden and out of the style's
// polish, paints them, finds the one under the mouse, shows its tool tip,
// gives clickable keys their hover look and their clicks, and keeps the
// keyboard's focus cursor (arrow keys; the host acts on Space and Enter).

#include <QList>
#include <QPointer>

class QEvent;
class QLabel;
class QPainter;
class QRect;
class QPoint;
class QWidget;

class KeyLabelHost {
public:
    explicit KeyLabelHost(QWidget* host);

    // A new label of the host: hidden for good (the host paints it).
    static void adopt(QLabel* label);
    // Asks the label's host to repaint the label's place.
    static void refresh(QLabel* label);
    // True for an event the label must not run (the style's polish of a
    // label that is never shown costs more than building the label).
    static bool skipsEvent(const QEvent* event);

    // Paints the labels that meet `dirty` (host coordinates).
    void paint(QPainter& painter, const QRect& dirty, const QList<QLabel*>& labels) const;
    static QLabel* labelAt(const QList<QLabel*>& labels, const QPoint& pos);

    // Tool tips, and hover and clicks of clickable labels (QCustomLabel).
    // True when the event was taken.
    bool handleEvent(QEvent* event, const QList<QLabel*>& labels);
    // The hover look goes (labels are about to be deleted).
    void forget();

    // The key the focus cursor is on (null before the host first had the
    // focus, or after its labels were built again).
    QLabel* focusLabel() const;
    void setFocusLabel(QLabel* label);
    // Arrow keys move to the nearest key in their direction; with `linear`
    // (a list of search results) Up and Left go to the previous key, Down
    // and Right to the next.
    void setLinear(bool linear) { mLinear = linear; }
    static QLabel* nearest(const QList<QLabel*>& labels, const QLabel* from, int key);

private:
    void setHovered(QLabel* label);
    void refreshFocus();
    bool moveFocus(int key, const QList<QLabel*>& labels);

    QWidget* mHost;
    QPointer<QLabel> mHovered;
    QPointer<QLabel> mPressed;
    QPointer<QLabel> mFocus;
    bool mLinear = false;
};
