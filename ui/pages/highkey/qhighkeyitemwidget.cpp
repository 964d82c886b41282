#include "ui/pages/highkey/qhighkeyitemwidget.h"

#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"
#include "services/systemconfigutil.h"
#include "ui/accessibility/keyboardaccess.h"
#include "ui/widgets/keycap.h"
#include "ui/widgets/qkeyboardwidget.h"
#include "ui_qhighkeyitemwidget.h"

namespace {

QString defaultName(quint8 keyItem) {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const DefaultKeyPtr key = model ? model->defaultKey(keyItem, 0) : DefaultKeyPtr();
    return key ? key->label : QString();
}

// Name of the function at `bytes` (type first), "-" when there is none.
QString functionName(const quint8* bytes, bool lowFirst) {
    const quint8 type = bytes[0];
    const quint8 lValue = lowFirst ? bytes[1] : bytes[2];
    const quint8 hValue = lowFirst ? bytes[2] : bytes[1];
    if (type == 0xFF && lValue == 0xFF && hValue == 0xFF) return QStringLiteral("-");
    // Functions beyond the picker's keyboard tab (media keys, macros) by their other names.
    const QString name = KeyCatalogue::displayName(type, hValue, lValue);
    return name.isEmpty() ? QStringLiteral("?") : name;
}

}  // namespace

QHighKeyItemWidget::QHighKeyItemWidget(const HIGH_KEY_INFO& record, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::QHighKeyItemWidget>()), mRecord(record) {
    ui->setupUi(this);
    setFixedSize(280, 76);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    const QString image = kindImage(record.attribute);
    if (image.isEmpty()) {
        qInfo().noquote() << QStringLiteral("=== QHighKeyItemWidget item匹配错误 ===");
    } else {
        const SystemConfigUtil* config = SystemConfigUtil::instance();
        const QString folder = config ? config->imageFolder() : SystemConfigUtil::imageFolder(0);
        ui->iconLabel->setPixmap(QPixmap(folder + image));
    }
    ui->titleLabel->setText(defaultName(record.data[0]));
    // The badge is an image: readers get the kind, the entry reads whole.
    ui->iconLabel->setAccessibleName(QKeyboardWidget::advancedKindName(record.attribute));

    QStringList names;
    switch (record.attribute) {
        case 0:
            names << functionName(&record.data[1], true);
            break;
        case 1:
            names << functionName(&record.data[4], false) << functionName(&record.data[7], true);
            break;
        case 2:
            for (int g = 0; g < 4; ++g) names << functionName(&record.data[2 + 4 * g], true);
            break;
        case 3:
        case 4:
        case 5:
            names << defaultName(record.data[1]);
            break;
        default:
            break;
    }
    ui->functionLabel->setText(names.join(QStringLiteral("  ·  ")));
    setAccessibleName(ui->titleLabel->text());
    // Its delete button shows only a cross.
    ui->delBtn->setFocusPolicy(Qt::TabFocus);
    ui->delBtn->setAccessibleName(tr("删除 %1 的高级键").arg(ui->titleLabel->text()));
    setAccessibleDescription(QKeyboardWidget::advancedKeyText(record.item, record.data[0]));
}

QHighKeyItemWidget::~QHighKeyItemWidget() = default;

QString QHighKeyItemWidget::title() const {
    return ui->titleLabel->text();
}
QString QHighKeyItemWidget::functions() const {
    return ui->functionLabel->text();
}

QString QHighKeyItemWidget::kindImage(quint8 kind) {
    static const char* const images[] = {"high_key_tgl.png", "high_key_mt.png",
                                         "high_key_dks.png", "high_key_rs.png",
                                         "high_key_oks.png", "high_key_socd.png"};
    return kind < 6 ? QString::fromLatin1(images[kind]) : QString();
}

void QHighKeyItemWidget::on_delBtn_clicked() {
    emit high_key_clicked(1, mRecord.item);
}

void QHighKeyItemWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit high_key_clicked(0, mRecord.item);
    QWidget::mouseReleaseEvent(event);
}

void QHighKeyItemWidget::paintEvent(QPaintEvent*) {
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (!hasFocus()) return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(KeyCap::focusRingColor(), 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
}

void QHighKeyItemWidget::keyPressEvent(QKeyEvent* event) {
    if (KeyboardAccess::activates(event)) {
        event->accept();
        emit high_key_clicked(0, mRecord.item);
        return;
    }
    QWidget::keyPressEvent(event);
}

void QHighKeyItemWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void QHighKeyItemWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
