#pragma once
// Base of the key labels that their picture paints from a key cap
// (QCustomLabel, QSelectKeyLabel): kept out of the style's polish, and
// every change of what they show repaints their place in the picture.

#include <QLabel>

#include "ui/widgets/keycap.h"
#include "ui/widgets/keyface.h"

class PaintedKeyLabel : public QLabel, public KeyFace {
    Q_OBJECT
public:
    explicit PaintedKeyLabel(QWidget* parent = nullptr);
    ~PaintedKeyLabel() override;

protected:
    // The cap's state from what the label shows: size, theme, enabled,
    // text or image (or both), in `font`.
    KeyCap::State capState(KeyCap::Look look, const QPainter& painter, const QFont& font) const;
    // The cap for a state: the label's last one while nothing changed (a
    // repaint then costs no cache lookup), else from KeyCap.
    const QPixmap& cap(const KeyCap::State& state);

    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Only when shown on its own; in a picture the picture paints it.
    void paintEvent(QPaintEvent* event) override;

private:
    KeyCap::State mCapState;
    QPixmap mCap;
};
