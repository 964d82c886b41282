#include "ui/pages/highkey/qdkslabel.h"

#include <QMouseEvent>
#include <QPixmap>

#include "services/systemconfigutil.h"

QDKSLabel::QDKSLabel(int row, int column, QWidget* parent)
    : QLabel(parent), mRow(row), mColumn(column) {
    setObjectName(QStringLiteral("dksCell%1%2").arg(row + 1).arg(column + 1));
    setAlignment(Qt::AlignCenter);
    setMinimumSize(60, 40);
    setCursor(Qt::PointingHandCursor);
    setSelected(false);
}

QDKSLabel::~QDKSLabel() = default;

void QDKSLabel::setSelected(bool selected) {
    mSelected = selected;
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const QString folder = config ? config->imageFolder() : SystemConfigUtil::imageFolder(0);
    setPixmap(QPixmap(folder + (selected ? QStringLiteral("dks_select.png")
                                         : QStringLiteral("dks_unselect.png"))));
}

void QDKSLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    setSelected(!mSelected);
    emit toggled(mRow, mColumn, mSelected);
    event->accept();
}
