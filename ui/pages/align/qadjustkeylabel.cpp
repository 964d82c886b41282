#include "ui/pages/align/qadjustkeylabel.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include "ui/widgets/keylabelhost.h"

QAdjustKeyLabel::QAdjustKeyLabel(quint8 keyItem, int maxTravel, QWidget* parent)
    : QLabel(parent), mKeyItem(keyItem), mMaxTravel(maxTravel) {
    setObjectName(QStringLiteral("QAdjustKeyLabel"));
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

QAdjustKeyLabel::~QAdjustKeyLabel() = default;

void QAdjustKeyLabel::setStatus(quint8 status) {
    if (mStatus == status) return;
    mStatus = status;
    KeyLabelHost::refresh(this);
}

void QAdjustKeyLabel::setTravel(int travel) {
    if (mTravel == travel) return;
    const int before = bandHeight(mTravel, mMaxTravel, height());
    mTravel = travel;
    // Most reports move the band by a few pixels: repaint only when it does.
    if (bandHeight(mTravel, mMaxTravel, height()) != before) KeyLabelHost::refresh(this);
}

bool QAdjustKeyLabel::takeTravel(int travel, quint8 status) {
    const bool statusChanged = mStatus != status;
    const int before = bandHeight(mTravel, mMaxTravel, height());
    mStatus = status;
    mTravel = travel;
    return statusChanged || bandHeight(mTravel, mMaxTravel, height()) != before;
}

int QAdjustKeyLabel::bandHeight(int travel, int maxTravel, int h) {
    if (maxTravel <= 0 || travel <= 0 || h <= 0) return 0;
    return int(qBound<qint64>(0, qint64(travel) * h / maxTravel, qint64(h)));
}

void QAdjustKeyLabel::setPassColor(const QColor& c) {
    mPassColor = c;
    KeyLabelHost::refresh(this);
}

void QAdjustKeyLabel::setFailColor(const QColor& c) {
    mFailColor = c;
    KeyLabelHost::refresh(this);
}

void QAdjustKeyLabel::setAdjustColor(const QColor& c) {
    mAdjustColor = c;
    KeyLabelHost::refresh(this);
}

void QAdjustKeyLabel::setBackColor(const QColor& c) {
    mBackColor = c;
    KeyLabelHost::refresh(this);
}

void QAdjustKeyLabel::setBorderRadius(int r) {
    mBorderRadius = r;
    KeyLabelHost::refresh(this);
}

void QAdjustKeyLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintFace(painter, font());
}

void QAdjustKeyLabel::paintFace(QPainter& painter, const QFont&) {
    const int w = width();
    const int h = height();
    const int band = bandHeight(mTravel, mMaxTravel, h);
    painter.fillRect(QRect(0, 0, w, band), mAdjustColor);
    painter.fillRect(QRect(0, band, w, h - band), mStatus == Passed ? mPassColor : mFailColor);
    painter.drawPixmap(0, 0, layer());
}

const QPixmap& QAdjustKeyLabel::layer() {
    const qreal dpr = devicePixelRatioF();
    const bool combined = !combinedImage().isNull() || !combinedText().isEmpty();
    const QString text = combined ? combinedText() : this->text();
    const QPixmap image = combined ? combinedImage() : pixmap();
    const qint64 imageKey = image.isNull() ? 0 : image.cacheKey();
    const QColor ink = palette().color(foregroundRole());
    if (!mLayer.isNull() && mLayerSize == size() && mLayerText == text && mLayerImage == imageKey &&
        mLayerFont == font() && mLayerInk == ink && mLayerBack == mBackColor &&
        mLayerRadius == mBorderRadius && qFuzzyCompare(mLayer.devicePixelRatio(), dpr))
        return mLayer;
    mLayerSize = size();
    mLayerText = text;
    mLayerImage = imageKey;
    mLayerFont = font();
    mLayerInk = ink;
    mLayerBack = mBackColor;
    mLayerRadius = mBorderRadius;
    mLayer = QPixmap(size() * dpr);
    mLayer.setDevicePixelRatio(dpr);
    mLayer.fill(Qt::transparent);
    QPainter painter(&mLayer);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(mBackColor);
    pen.setWidth(mBorderRadius);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect(), mBorderRadius, mBorderRadius);
    // Text or image on top, placed as a plain label places them.
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    if (!image.isNull()) {
        const QSize s = image.deviceIndependentSize().toSize();
        painter.drawPixmap(QStyle::alignedRect(layoutDirection(), alignment(), s, area), image);
    }
    if (!text.isEmpty()) {
        painter.setFont(font());
        painter.setPen(ink);
        painter.drawText(area, int(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0), text);
    }
    return mLayer;
}
