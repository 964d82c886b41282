#include "ui/widgets/paintedkeylabel.h"

#include <QEvent>
#include <QPainter>

#include "ui/widgets/keylabelhost.h"

PaintedKeyLabel::PaintedKeyLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
}

PaintedKeyLabel::~PaintedKeyLabel() = default;

KeyCap::State PaintedKeyLabel::capState(KeyCap::Look look, const QPainter& painter,
                                        const QFont& font) const {
    KeyCap::State state;
    state.look = look;
    state.size = size();
    state.ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    state.dark = KeyCap::darkTheme();
    state.enabled = isEnabled();
    if (!combinedImage().isNull() || !combinedText().isEmpty()) {
        state.image = combinedImage();
        state.text = combinedText();
    } else {
        state.image = pixmap();
        if (state.image.isNull()) state.text = text();
    }
    state.font = font;
    return state;
}

const QPixmap& PaintedKeyLabel::cap(const KeyCap::State& state) {
    if (mCap.isNull() || !(state == mCapState)) {
        mCap = KeyCap::pixmap(state);
        mCapState = state;
    }
    return mCap;
}

bool PaintedKeyLabel::event(QEvent* event) {
    if (KeyLabelHost::skipsEvent(event)) return true;
    return QLabel::event(event);
}

void PaintedKeyLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) KeyLabelHost::refresh(this);
}

void PaintedKeyLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintFace(painter, font());
}
