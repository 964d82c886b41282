#include "ui/widgets/qselectkeylabel.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

#include "app/systemconfigutil.h"

QSelectKeyLabel::QSelectKeyLabel(const QString& className, quint8 keyItem, QWidget* parent)
    : QLabel(parent), mClassName(className), mKeyItem(keyItem) {
    setObjectName(className);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    // The picture hit-tests its labels itself (drag selection).
    setAttribute(Qt::WA_TransparentForMouseEvents);
    applyBorder();
}

QSelectKeyLabel::~QSelectKeyLabel() = default;

QString QSelectKeyLabel::checkMarkImage() {
    return QStringLiteral(":/images/images/light/light_key_select.png");
}

void QSelectKeyLabel::setSelected(bool selected) {
    if (mSelected == selected) return;
    mSelected = selected;
    if (mColor.isValid())
        update();  // the colour keeps the border; only the check mark changes
    else
        applyBorder();
}

void QSelectKeyLabel::setColor(const QColor& color) {
    if (!color.isValid()) return;
    mColor = color;
    mBorderStyle = QStringLiteral("%1 {  border: 1.5px solid %2; }").arg(mClassName, color.name());
    update();
}

void QSelectKeyLabel::applyBorder() {
    mBorderStyle =
        mSelected ? QStringLiteral("%1 {  border: 1.5px solid rgb(255,136,38); }").arg(mClassName)
                  : QStringLiteral("%1 {  border: 1.5px solid rgb(201,205,212); }").arg(mClassName);
    update();
}

bool QSelectKeyLabel::event(QEvent* event) {
    const bool done = QLabel::event(event);
    // The style rule's background lies under the painted cap: drawing it as
    // well doubled the cost of every picture repaint. The rule's font stays.
    if ((event->type() == QEvent::Polish || event->type() == QEvent::StyleChange) &&
        textFormat() != Qt::RichText)
        setAttribute(Qt::WA_StyledBackground, false);
    return done;
}

void QSelectKeyLabel::paintEvent(QPaintEvent* event) {
    if (textFormat() == Qt::RichText) {
        QLabel::paintEvent(event);
        if (!mSelected) return;
        QPainter painter(this);
        painter.drawPixmap(width() - 12, 1, checkMark());
        return;
    }
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    CapState state;
    state.size = size();
    state.ratio = devicePixelRatioF();
    state.dark = config && config->theme() == 1;
    state.enabled = isEnabled();
    state.selected = mSelected;
    state.color = mColor;
    const QPixmap image = pixmap();
    state.image = image.isNull() ? 0 : image.cacheKey();
    state.text = image.isNull() ? text() : QString();
    state.font = font();
    if (mCap.isNull() || !(state == mCapState)) {
        mCap = QPixmap(state.size * state.ratio);
        mCap.setDevicePixelRatio(state.ratio);
        mCap.fill(Qt::transparent);
        QPainter painter(&mCap);
        paintCap(painter, state);
        mCapState = state;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, mCap);
}

QPixmap QSelectKeyLabel::checkMark() {
    QPixmap mark;
    if (!QPixmapCache::find(checkMarkImage(), &mark)) {
        mark.load(checkMarkImage());
        QPixmapCache::insert(checkMarkImage(), mark);
    }
    return mark;
}

void QSelectKeyLabel::paintCap(QPainter& painter, const CapState& state) {
    const bool dark = state.dark;
    QColor face = dark ? QColor(0x23, 0x25, 0x2b) : QColor(0xff, 0xff, 0xff);
    QColor ink = dark ? QColor(0xe5, 0xe6, 0xeb) : QColor(0x1d, 0x21, 0x29);
    if (!state.enabled) {
        face = dark ? QColor(0x2a, 0x2d, 0x34) : QColor(0xf2, 0xf3, 0xf5);
        ink = dark ? QColor(0x7d, 0x85, 0x92) : QColor(0x86, 0x90, 0x9c);
    }
    QColor border;
    if (state.color.isValid())
        border = state.color;
    else if (state.selected)
        border = QColor(255, 136, 38);
    else
        border = dark ? QColor(0x4a, 0x4f, 0x59) : QColor(201, 205, 212);
    const QRect area(QPoint(0, 0), state.size);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(border, 1.5));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(area).adjusted(0.75, 0.75, -0.75, -0.75), 6, 6);
    const QPixmap image = pixmap();
    if (!image.isNull()) {
        const QSizeF size = image.deviceIndependentSize();
        if (!state.enabled) painter.setOpacity(0.45);
        painter.drawPixmap(
            QPointF((area.width() - size.width()) / 2, (area.height() - size.height()) / 2), image);
        painter.setOpacity(1);
    } else if (!state.text.isEmpty()) {
        painter.setPen(ink);
        painter.setFont(state.font);
        painter.drawText(area.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap,
                         state.text);
    }
    if (state.selected) painter.drawPixmap(area.width() - 12, 1, checkMark());
}
