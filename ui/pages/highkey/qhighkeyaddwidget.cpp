#include "ui/pages/highkey/qhighkeyaddwidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

#include "ui/accessibility/keyboardaccess.h"
#include "ui/widgets/keycap.h"
#include "ui_qhighkeyaddwidget.h"

QHighKeyAddWidget::QHighKeyAddWidget(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::QHighKeyAddWidget>()) {
    ui->setupUi(this);
    setFixedSize(280, 76);
    setAccessibleName(ui->addLabel->text());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QHighKeyAddWidget::~QHighKeyAddWidget() = default;

void QHighKeyAddWidget::refreshLanguageUi() {
    ui->retranslateUi(this);
    setAccessibleName(ui->addLabel->text());
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
    if (!hasFocus()) return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(KeyCap::focusRingColor(), 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
}

void QHighKeyAddWidget::keyPressEvent(QKeyEvent* event) {
    if (KeyboardAccess::activates(event)) {
        event->accept();
        emit high_key_clicked(0, 255);
        return;
    }
    QWidget::keyPressEvent(event);
}

void QHighKeyAddWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void QHighKeyAddWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
