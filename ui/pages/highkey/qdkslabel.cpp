#include "ui/pages/highkey/qdkslabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "services/systemconfigutil.h"
#include "ui/accessibility/keyboardaccess.h"
#include "ui/widgets/keycap.h"

QDKSLabel::QDKSLabel(int row, int column, QWidget* parent)
    : QLabel(parent), mRow(row), mColumn(column) {
    setObjectName(QStringLiteral("dksCell%1%2").arg(row + 1).arg(column + 1));
    setAlignment(Qt::AlignCenter);
    setMinimumSize(60, 40);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("功能 %1：%2").arg(row + 1).arg(eventName(column)));
    setSelected(false);
}

QDKSLabel::~QDKSLabel() = default;

QString QDKSLabel::eventName(int column) {
    switch (column) {
        case 0:
            return tr("按下触发");
        case 1:
            return tr("按到底");
        case 2:
            return tr("从底部抬起");
        default:
            return tr("抬起复位");
    }
}

void QDKSLabel::setSelected(bool selected) {
    mSelected = selected;
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const QString folder = config ? config->imageFolder() : SystemConfigUtil::imageFolder(0);
    setPixmap(QPixmap(folder + (selected ? QStringLiteral("dks_select.png")
                                         : QStringLiteral("dks_unselect.png"))));
    setAccessibleDescription(selected ? tr("开") : tr("关"));
}

void QDKSLabel::toggle() {
    setSelected(!mSelected);
    emit toggled(mRow, mColumn, mSelected);
}

void QDKSLabel::keyPressEvent(QKeyEvent* event) {
    if (KeyboardAccess::activates(event)) {
        toggle();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void QDKSLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // The keyboard's ring, as around the keys of the pictures.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(KeyCap::focusRingColor(), 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
}

void QDKSLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    toggle();
    event->accept();
}
