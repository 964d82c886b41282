#include "services/customtooltip.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace {
QPointer<CustomToolTip> gInstance;
}

CustomToolTip::CustomToolTip(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("CustomToolTip"));
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    mLabel = new QLabel(this);
    mLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(mLabel);
    hide();
    gInstance = this;
}

CustomToolTip::~CustomToolTip() = default;

CustomToolTip* CustomToolTip::instance() {
    return gInstance.data();
}

QString CustomToolTip::text() const {
    return mLabel->text();
}

void CustomToolTip::setText(const QString& text) {
    mLabel->setText(text);
}

Qt::Alignment CustomToolTip::alignment() const {
    return mLabel->alignment();
}

void CustomToolTip::setAlignment(Qt::Alignment alignment) {
    mLabel->setAlignment(alignment);
}

QPoint CustomToolTip::placement(const QPoint& anchor, int offset, const QSize& size,
                                int bottomOffset, const QSize& screen) {
    int x = anchor.x() + offset - size.width() / 2;
    if (x < 0) x = 0;
    if (x + size.width() > screen.width()) x = screen.width() - size.width();
    int y = anchor.y() + bottomOffset - size.height();
    if (y < 0) y = 0;
    if (y + size.height() > screen.height()) y = screen.height() - size.height();
    return QPoint(x, y);
}

void CustomToolTip::place(const QPoint& anchor, int offset) {
    mAnchorPoint = anchor;
    mOffset = offset;
    QSize screen(width(), height());
    if (const QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->size();
    move(placement(anchor, offset, size(), mBottomOffset, screen));
    show();
}

void CustomToolTip::showTip(QWidget* anchor, const QString& text) {
    if (!anchor) return;
    mAnchor = anchor;
    mActive = true;
    setText(text);
    place(anchor->mapToGlobal(QPoint(0, 0)), anchor->width() / 2);
}

void CustomToolTip::updatePlacement(bool rereadAnchor) {
    if (!mActive) return;
    if (rereadAnchor && mAnchor) {
        place(mAnchor->mapToGlobal(QPoint(0, 0)), mAnchor->width() / 2);
    } else {
        place(mAnchorPoint, mOffset);
    }
}

void CustomToolTip::hideTip() {
    mActive = false;
    mAnchor.clear();
    hide();
}

void CustomToolTip::suspendTip() {
    hide();
}

void CustomToolTip::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void CustomToolTip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The style sheet may resize the window after it was placed.
    if (mActive && isVisible()) {
        QSize screen(width(), height());
        if (const QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->size();
        move(placement(mAnchorPoint, mOffset, size(), mBottomOffset, screen));
    }
}
