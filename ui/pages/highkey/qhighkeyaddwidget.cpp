#include "ui/pages/highkey/qhighkeyaddwidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "ui_qhighkeyaddwidget.h"

QHighKeyAddWidget::QHighKeyAddWidget(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::QHighKeyAddWidget>()) {
    ui->setupUi(this);
    setFixedSize(280, 76);
    setCursor(Qt::PointingHandCursor);
}

QHighKeyAddWidget::~QHighKeyAddWidget() = default;

void QHighKeyAddWidget::refreshLanguageUi() {
    ui->retranslateUi(this);
}

void QHighKeyAddWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit high_key_clicked(0, 255);
    QWidget::mouseReleaseEvent(event);
}

void QHighKeyAddWidget::paintEvent(QPaintEvent*) {
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
