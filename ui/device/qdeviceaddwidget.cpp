#include "ui/device/qdeviceaddwidget.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>

#include "services/systemconfigutil.h"
#include "ui_qdeviceaddwidget.h"

QDeviceAddWidget::QDeviceAddWidget(int row, int col, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::QDeviceAddWidget>()), mRow(row), mCol(col) {
    ui->setupUi(this);
    setAttribute(Qt::WA_StyledBackground, true);
    setCursor(Qt::PointingHandCursor);
    QFont font = ui->titleLabel->font();
    font.setPointSize(9);
    ui->titleLabel->setFont(font);
    refreshLanguageUi();
}

QDeviceAddWidget::~QDeviceAddWidget() = default;

void QDeviceAddWidget::refreshLanguageUi() {
    ui->retranslateUi(this);
    const int theme = SystemConfigUtil::instance() ? SystemConfigUtil::instance()->theme() : 0;
    // Read as the PNG it is: a reader left to guess the format loads and asks
    // every image plugin first, before the window's first paint.
    QImageReader reader(SystemConfigUtil::imageFolder(theme) + QStringLiteral("device_open.png"),
                        "png");
    reader.setAutoDetectImageFormat(false);
    const QPixmap picture = QPixmap::fromImage(reader.read());
    if (!picture.isNull())
        ui->iconLabel->setPixmap(
            picture.scaled(ui->iconLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void QDeviceAddWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit device_clicked(0, mRow, mCol);
    QWidget::mousePressEvent(event);
}

void QDeviceAddWidget::paintEvent(QPaintEvent* event) {
    // Lets the style sheet draw the tile's background and border.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QWidget::paintEvent(event);
}
