#include "ui/widgets/qselectkeylabel.h"

#include <QEvent>
#include <QPainter>

#include "ui/widgets/keycap.h"
#include "ui/widgets/keylabelhost.h"

QSelectKeyLabel::QSelectKeyLabel(const QString& className, quint8 keyItem, QWidget* parent)
    : PaintedKeyLabel(parent), mClassName(className), mKeyItem(keyItem) {
    setObjectName(className);
    // The picture hit-tests its labels itself (drag selection).
    setAttribute(Qt::WA_TransparentForMouseEvents);
    applyBorder();
}

QSelectKeyLabel::~QSelectKeyLabel() = default;

QString QSelectKeyLabel::checkMarkImage() {
    return KeyCap::checkMarkImage();
}

void QSelectKeyLabel::setSelected(bool selected) {
    if (mSelected == selected) return;
    mSelected = selected;
    if (mColor.isValid())
        KeyLabelHost::refresh(this);  // the colour keeps the border; the check mark changes
    else
        applyBorder();
}

void QSelectKeyLabel::setColor(const QColor& color) {
    if (!color.isValid()) return;
    mColor = color;
    mBorderStyle = QStringLiteral("%1 {  border: 1.5px solid %2; }").arg(mClassName, color.name());
    KeyLabelHost::refresh(this);
}

void QSelectKeyLabel::applyBorder() {
    mBorderStyle =
        mSelected ? QStringLiteral("%1 {  border: 1.5px solid rgb(255,136,38); }").arg(mClassName)
                  : QStringLiteral("%1 {  border: 1.5px solid rgb(201,205,212); }").arg(mClassName);
    KeyLabelHost::refresh(this);
}

void QSelectKeyLabel::paintFace(QPainter& painter, const QFont& font) {
    KeyCap::State state = capState(KeyCap::Selectable, painter, font);
    state.selected = mSelected;
    state.border = mColor;
    painter.drawPixmap(0, 0, cap(state));
}
