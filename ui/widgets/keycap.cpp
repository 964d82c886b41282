#include "ui/widgets/keycap.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmapCache>

#include "services/systemconfigutil.h"

namespace {

QString cacheKey(const KeyCap::State& s) {
    return QStringLiteral("keycap:%1:%2x%3@%4:%5%6%7%8:%9:%10:%11:%12")
        .arg(int(s.look))
        .arg(s.size.width())
        .arg(s.size.height())
        .arg(s.ratio)
        .arg(int(s.dark))
        .arg(int(s.enabled))
        .arg(int(s.selected))
        .arg(int(s.hovered))
        .arg(s.border.isValid() ? s.border.name(QColor::HexArgb) : QString())
        .arg(s.image.isNull() ? 0 : s.image.cacheKey())
        .arg(s.font.key())
        .arg(s.text);
}

}  // namespace

bool KeyCap::darkTheme() {
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    return config && config->theme() == 1;
}

QColor KeyCap::focusRingColor() {
    // Blue, not the accent: selected things already wear the accent.
    return darkTheme() ? QColor(0x6c, 0xb2, 0xff) : QColor(0x16, 0x5d, 0xff);
}

QString KeyCap::checkMarkImage() {
    return QStringLiteral(":/images/images/light/light_key_select.png");
}

QPixmap KeyCap::checkMark() {
    QPixmap mark;
    if (!QPixmapCache::find(checkMarkImage(), &mark)) {
        mark.load(checkMarkImage());
        QPixmapCache::insert(checkMarkImage(), mark);
    }
    return mark;
}

QPixmap KeyCap::pixmap(const State& state) {
    const QString key = cacheKey(state);
    QPixmap cap;
    if (QPixmapCache::find(key, &cap)) return cap;
    cap = QPixmap(state.size * state.ratio);
    cap.setDevicePixelRatio(state.ratio);
    cap.fill(Qt::transparent);
    {
        QPainter painter(&cap);
        paint(painter, state);
    }
    QPixmapCache::insert(key, cap);
    return cap;
}

void KeyCap::paint(QPainter& painter, const State& state) {
    const bool dark = state.dark;
    QColor face = dark ? QColor(0x23, 0x25, 0x2b) : QColor(0xff, 0xff, 0xff);
    QColor border = dark ? QColor(0x4a, 0x4f, 0x59) : QColor(0xc9, 0xcd, 0xd4);
    QColor ink = dark ? QColor(0xe5, 0xe6, 0xeb) : QColor(0x1d, 0x21, 0x29);
    qreal line = 1.5;
    if (!state.enabled) {
        face = dark ? QColor(0x2a, 0x2d, 0x34) : QColor(0xf2, 0xf3, 0xf5);
        ink = dark ? QColor(0x7d, 0x85, 0x92) : QColor(0x86, 0x90, 0x9c);
    }
    if (state.look == Clickable) {
        if (state.selected) {
            face = dark ? QColor(0x3a, 0x2a, 0x1c) : QColor(0xff, 0xf3, 0xe8);
            border = dark ? QColor(0xff, 0x7a, 0x1a) : QColor(0xff, 0x69, 0x00);
            line = 2;
        } else if (!state.enabled) {
            border = dark ? QColor(0x34, 0x37, 0x3f) : QColor(0xe5, 0xe6, 0xeb);
        } else if (state.hovered) {
            border = dark ? QColor(0xff, 0x9a, 0x45) : QColor(0xff, 0x88, 0x26);
        }
    } else if (state.border.isValid()) {
        border = state.border;
    } else if (state.selected) {
        border = QColor(255, 136, 38);
    }
    const QRect area(QPoint(0, 0), state.size);
    const qreal inset = line / 2;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(border, line));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(area).adjusted(inset, inset, -inset, -inset), 6, 6);
    const QRect inner = area.adjusted(2, 1, -2, -1);
    if (!state.image.isNull() && !state.text.isEmpty()) {
        // Image over text, the two centred together.
        const QSizeF size = state.image.deviceIndependentSize();
        const QFontMetrics metrics(state.font);
        const int textHeight = metrics.height();
        const qreal top = (area.height() - size.height() - textHeight) / 2;
        if (!state.enabled) painter.setOpacity(0.45);
        painter.drawPixmap(QPointF((area.width() - size.width()) / 2, top), state.image);
        painter.setOpacity(1);
        painter.setPen(ink);
        painter.setFont(state.font);
        painter.drawText(QRect(inner.left(), int(top + size.height()), inner.width(), textHeight),
                         Qt::AlignCenter, state.text);
    } else if (!state.image.isNull()) {
        const QSizeF size = state.image.deviceIndependentSize();
        if (!state.enabled) painter.setOpacity(0.45);
        painter.drawPixmap(
            QPointF((area.width() - size.width()) / 2, (area.height() - size.height()) / 2),
            state.image);
        painter.setOpacity(1);
    } else if (!state.text.isEmpty()) {
        painter.setPen(ink);
        painter.setFont(state.font);
        painter.drawText(inner, Qt::AlignCenter | Qt::TextWordWrap, state.text);
    }
    if (state.look == Selectable && state.selected)
        painter.drawPixmap(area.width() - 12, 1, checkMark());
}
