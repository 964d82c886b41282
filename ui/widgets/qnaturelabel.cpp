#include "ui/widgets/qnaturelabel.h"

#include <QPainter>

#include "ui/widgets/keycap.h"
#include "ui/widgets/keylabelhost.h"

QNatureLabel::QNatureLabel(quint8 keyItem, QWidget* parent)
    : QSelectKeyLabel(QStringLiteral("QNatureLabel"), keyItem, parent) {}

QNatureLabel::~QNatureLabel() = default;

QString QNatureLabel::distanceText(int hundredths) {
    return QString::number(hundredths / 100.0, 'f', 2);
}

QString QNatureLabel::triggerToolTip(bool model, bool quick) {
    return (model ? tr("快速触发模式:已开启") : tr("快速触发模式:已关闭")) +
           QStringLiteral("\r\n") + (quick ? tr("连续快速触发:已开启") : tr("连续快速触发:已关闭"));
}

void QNatureLabel::setTrigger(const TriggerSettingPtr& trigger) {
    mHasTrigger = !trigger.isNull();
    mTrigger = trigger ? trigger->trigger : 0;
    mPress = trigger ? trigger->quickTrigger : 0;
    mRelease = trigger ? trigger->resetTrigger : 0;
    setToolTip(trigger ? triggerToolTip(trigger->model, trigger->quick) : QString());
    KeyLabelHost::refresh(this);
}

void QNatureLabel::setTriggerVisible(bool visible) {
    if (mTriggerVisible == visible) return;
    mTriggerVisible = visible;
    KeyLabelHost::refresh(this);
}

void QNatureLabel::setQuickVisible(bool visible) {
    if (mQuickVisible == visible) return;
    mQuickVisible = visible;
    KeyLabelHost::refresh(this);
}

void QNatureLabel::paintFace(QPainter& painter, const QFont& font) {
    QSelectKeyLabel::paintFace(painter, font);
    if (!mHasTrigger || (!mTriggerVisible && !mQuickVisible)) return;
    QFont small = font;
    small.setPixelSize(qMax(7, font.pixelSize() > 0 ? font.pixelSize() - 1 : 8));
    painter.setFont(small);
    const QRect inner = rect().adjusted(3, 2, -3, -2);
    if (mTriggerVisible) {
        painter.setPen(QColor(255, 105, 0));
        painter.drawText(inner, Qt::AlignLeft | Qt::AlignTop, triggerText());
    }
    if (mQuickVisible) {
        painter.setPen(KeyCap::darkTheme() ? QColor(0xe5, 0xe6, 0xeb) : QColor(0x1d, 0x21, 0x29));
        painter.drawText(inner, Qt::AlignLeft | Qt::AlignBottom, pressText());
        painter.drawText(inner, Qt::AlignRight | Qt::AlignBottom, releaseText());
    }
}
