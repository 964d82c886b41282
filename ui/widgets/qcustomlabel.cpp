#include "ui/widgets/qcustomlabel.h"

#include <QMouseEvent>

#include "app/systemconfigutil.h"

QCustomLabel::QCustomLabel(const KeyPositionPtr& position, QWidget* parent)
    : QLabel(parent), mPosition(position) {
    setObjectName(QStringLiteral("QCustomLabel"));
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setCursor(Qt::PointingHandCursor);
}

QCustomLabel::~QCustomLabel() = default;

void QCustomLabel::setSelected(bool selected) {
    if (mSelected == selected) return;
    mSelected = selected;
    if (!selected) {
        setStyleSheet(QString());
        return;
    }
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const bool dark = config && config->theme() == 1;
    setStyleSheet(dark ? QStringLiteral("QCustomLabel { border: 2px solid #ff7a1a; "
                                        "background-color: #3a2a1c; }")
                       : QStringLiteral("QCustomLabel { border: 2px solid #ff6900; "
                                        "background-color: #fff3e8; }"));
}

void QCustomLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mPressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void QCustomLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && mPressed) {
        mPressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint())) emit clicked(mPosition);
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
