#include "ui/pages/align/qadjustkeylabel.h"

#include <QPainter>
#include <QPainterPath>

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
    update();
}

void QAdjustKeyLabel::setTravel(int travel) {
    if (mTravel == travel) return;
    const int before = bandHeight(mTravel, mMaxTravel, height());
    mTravel = travel;
    // Most reports move the band by a few pixels: repaint only when it does.
    if (bandHeight(mTravel, mMaxTravel, height()) != before) update();
}

int QAdjustKeyLabel::bandHeight(int travel, int maxTravel, int h) {
    if (maxTravel <= 0 || travel <= 0 || h <= 0) return 0;
    return int(qBound<qint64>(0, qint64(travel) * h / maxTravel, qint64(h)));
}

void QAdjustKeyLabel::setPassColor(const QColor& c) {
    mPassColor = c;
    update();
}

void QAdjustKeyLabel::setFailColor(const QColor& c) {
    mFailColor = c;
    update();
}

void QAdjustKeyLabel::setAdjustColor(const QColor& c) {
    mAdjustColor = c;
    update();
}

void QAdjustKeyLabel::setBackColor(const QColor& c) {
    mBackColor = c;
    update();
}

void QAdjustKeyLabel::setBorderRadius(int r) {
    mBorderRadius = r;
    update();
}

void QAdjustKeyLabel::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const int w = width();
        const int h = height();
        const int band = bandHeight(mTravel, mMaxTravel, h);
        painter.fillRect(QRect(0, 0, w, band), mAdjustColor);
        painter.fillRect(QRect(0, band, w, h - band), mStatus == Passed ? mPassColor : mFailColor);
        QPen pen(mBackColor);
        pen.setWidth(mBorderRadius);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(rect(), mBorderRadius, mBorderRadius);
    }
    // Text or image on top, as a plain label draws them.
    QLabel::paintEvent(event);
}
