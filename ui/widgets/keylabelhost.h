#pragma once
// What a widget that paints its key labels itself (the keyboard pictures and
// the picker) does with them: keeps them hidden and out of the style's
// polish, paints them, finds the one under the mouse, shows its tool tip,
// and gives clickable keys their hover look and their clicks.

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

private:
    void setHovered(QLabel* label);

    QWidget* mHost;
    QPointer<QLabel> mHovered;
    QPointer<QLabel> mPressed;
};
