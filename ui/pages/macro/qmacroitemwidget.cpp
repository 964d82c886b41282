#include "ui/pages/macro/qmacroitemwidget.h"

#include <QListWidgetItem>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>

#include "catalogue/keycatalogue.h"
#include "services/systemconfigutil.h"
#include "ui_qmacroitemwidget.h"

QMacroItemWidget::QMacroItemWidget(QListWidgetItem* item, int number, const MacroEvent& event,
                                   QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::QMacroItemWidget>()), mItem(item) {
    ui->setupUi(this);
    setFixedHeight(kRowHeight);
    setNumber(number);
    setEvent(event);
}

QMacroItemWidget::~QMacroItemWidget() = default;

void QMacroItemWidget::setNumber(int number) {
    ui->indexLabel->setText(QStringLiteral("%1").arg(number));
    nameForReaders();
}

void QMacroItemWidget::setEvent(const MacroEvent& event) {
    mEvent = event;
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const QString folder = config ? config->imageFolder() : SystemConfigUtil::imageFolder(0);
    ui->stateLabel->setPixmap(
        QPixmap(folder + (event.state ? QStringLiteral("macro_item_down.png")
                                      : QStringLiteral("macro_item_up.png"))));
    ui->nameLabel->setText(keyName(event));
    ui->timeLabel->setText(QStringLiteral("%1ms").arg(event.time));
    nameForReaders();
}

void QMacroItemWidget::nameForReaders() {
    // The arrow is a picture and the row a bare widget: a screen reader
    // gets the whole step in words, on the row and on its list entry.
    const QString state = mEvent.state ? tr("按下") : tr("松开");
    const QString step = tr("第 %1 步：%2 %3，%4 毫秒")
                             .arg(ui->indexLabel->text(), ui->nameLabel->text(), state)
                             .arg(mEvent.time);
    ui->stateLabel->setAccessibleName(state);
    ui->delButton->setAccessibleName(tr("删除第 %1 步").arg(ui->indexLabel->text()));
    setAccessibleName(step);
    if (mItem) mItem->setData(Qt::AccessibleTextRole, step);
}

QString QMacroItemWidget::keyName(const MacroEvent& event) {
    return KeyCatalogue::shortName(event.type, event.hValue, event.lValue);
}

QString QMacroItemWidget::numberText() const {
    return ui->indexLabel->text();
}
QString QMacroItemWidget::nameText() const {
    return ui->nameLabel->text();
}
QString QMacroItemWidget::timeText() const {
    return ui->timeLabel->text();
}

void QMacroItemWidget::on_delButton_clicked() {
    emit macroItemDelete(mItem);
}

void QMacroItemWidget::paintEvent(QPaintEvent*) {
    // Lets the style sheet draw the row's own background and border.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
