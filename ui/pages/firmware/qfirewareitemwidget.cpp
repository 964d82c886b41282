#include "ui/pages/firmware/qfirewareitemwidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "ui_qfirewareitemwidget.h"

QFirewareItemWidget::QFirewareItemWidget(const QString& productName, const QPixmap& picture,
                                         int row, int col, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::QFirewareItemWidget>()), mRow(row), mCol(col) {
    ui->setupUi(this);
    // Style-sheet background and border on a plain QWidget subclass.
    setAttribute(Qt::WA_StyledBackground, true);
    ui->fireware_product_label->setText(productName);
    ui->fireware_icon_label->setScaledContents(true);
    ui->fireware_icon_label->setPixmap(picture.scaled(
        ui->fireware_icon_label->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    ui->fireware_down_button->setFocusPolicy(Qt::NoFocus);
    ui->fireware_down_button->hide();
}

QFirewareItemWidget::~QFirewareItemWidget() = default;

QString QFirewareItemWidget::productName() const {
    return ui->fireware_product_label->text();
}

void QFirewareItemWidget::refreshLanguageUi() {
    const QString name = productName();
    ui->retranslateUi(this);
    ui->fireware_product_label->setText(name);
}

void QFirewareItemWidget::on_fireware_down_button_clicked() {
    emit fireware_item_clicked(true, mRow, mCol);
}

void QFirewareItemWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit fireware_item_clicked(false, mRow, mCol);
    QWidget::mousePressEvent(event);
}

QPixmap QFirewareItemWidget::placeholder(const QSize& size, int theme) {
    const bool dark = theme == 1;
    QPixmap pixmap(size);
    pixmap.fill(dark ? QColor(24, 26, 32) : QColor(242, 243, 245));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate(size.width() * 0.08, size.height() * 0.22, size.width() * 0.84,
                       size.height() * 0.56);
    painter.setPen(Qt::NoPen);
    painter.setBrush(dark ? QColor(44, 48, 58) : QColor(201, 205, 212));
    painter.drawRoundedRect(plate, 10, 10);
    // Five rows of keys, the last with a space bar.
    const int columns = 14;
    const qreal gap = plate.width() * 0.012;
    const qreal keyW = (plate.width() - gap * (columns + 1)) / columns;
    const qreal keyH = (plate.height() - gap * 6) / 5;
    painter.setBrush(dark ? QColor(66, 72, 86) : QColor(255, 255, 255));
    for (int r = 0; r < 5; ++r) {
        const qreal y = plate.top() + gap + r * (keyH + gap);
        if (r == 4) {
            const qreal x = plate.left() + gap;
            painter.drawRoundedRect(QRectF(x, y, keyW * 3 + gap * 2, keyH), 3, 3);
            painter.drawRoundedRect(QRectF(x + (keyW + gap) * 3, y, keyW * 7 + gap * 6, keyH), 3,
                                    3);
            painter.drawRoundedRect(QRectF(x + (keyW + gap) * 10, y, keyW * 4 + gap * 3, keyH), 3,
                                    3);
            continue;
        }
        for (int c = 0; c < columns; ++c)
            painter.drawRoundedRect(QRectF(plate.left() + gap + c * (keyW + gap), y, keyW, keyH), 3,
                                    3);
    }
    painter.setBrush(QColor(255, 105, 0));
    painter.drawRoundedRect(QRectF(plate.left() + gap, plate.top() + gap, keyW, keyH), 3, 3);
    return pixmap;
}
