#include "ui/widgets/qselectkeylabel.h"

#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

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
    setStyleSheet(QStringLiteral("%1 {  border: 1.5px solid %2; }").arg(mClassName, color.name()));
}

void QSelectKeyLabel::applyBorder() {
    setStyleSheet(
        mSelected
            ? QStringLiteral("%1 {  border: 1.5px solid rgb(255,136,38); }").arg(mClassName)
            : QStringLiteral("%1 {  border: 1.5px solid rgb(201,205,212); }").arg(mClassName));
}

void QSelectKeyLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!mSelected) return;
    QPixmap mark;
    if (!QPixmapCache::find(checkMarkImage(), &mark)) {
        mark.load(checkMarkImage());
        QPixmapCache::insert(checkMarkImage(), mark);
    }
    QPainter painter(this);
    painter.drawPixmap(width() - 12, 1, mark);
}
