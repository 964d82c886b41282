#include "ui/importpreview/importpreviewdialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTextLayout>
#include <cmath>

#include "model/keyboardconfigutil.h"
#include "ui_importpreviewdialog.h"

ImportPreviewDialog::ImportPreviewDialog(const Profile& profile, const KeyboardConfigUtil& model,
                                         QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::ImportPreviewDialog>()),
      mProfile(profile),
      mModel(model) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("importPreviewDialog"));
    setWindowTitle(tr("导入预览"));
    setAccessibleName(tr("导入预览"));
    ui->detailsList->setAccessibleName(tr("不同之处"));
    ui->summaryLabel->setAccessibleName(tr("导入摘要"));
    QPushButton* apply = ui->buttonBox->button(QDialogButtonBox::Apply);
    apply->setText(tr("应用"));
    apply->setAccessibleName(tr("应用"));
    apply->setObjectName(QStringLiteral("applyButton"));
    QPushButton* cancel = ui->buttonBox->button(QDialogButtonBox::Cancel);
    cancel->setText(tr("取消"));
    cancel->setAccessibleName(tr("取消"));
    connect(apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (int section : Profile::allSections()) {
        QCheckBox* box = sectionCheck(section);
        // A section the file does not hold cannot be written.
        box->setEnabled(mProfile.sections & section);
        box->setChecked(mProfile.sections & section);
        connect(box, &QCheckBox::toggled, this,
                [this, apply] { apply->setEnabled(chosenSections() != 0); });
    }
    // Always there, so that a scroll bar appearing never narrows the rows
    // after their heights were taken.
    ui->detailsList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui->detailsList->viewport()->installEventFilter(this);
    fill();
}

ImportPreviewDialog::~ImportPreviewDialog() = default;

bool ImportPreviewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->detailsList->viewport() && event->type() == QEvent::Resize) fitRows();
    return QDialog::eventFilter(watched, event);
}

void ImportPreviewDialog::fitRows() {
    QListWidget* list = ui->detailsList;
    // The item's text margins of the style, both sides, and a little room.
    const int width = list->viewport()->width() - 12;
    if (width <= 0) return;
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        QTextLayout layout(item->text(), list->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        qreal height = 0;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            height += line.height();
        }
        layout.endLayout();
        item->setSizeHint(QSize(width, int(std::ceil(height)) + 4));
        // The whole text also where a reader hovers or a screen reader asks.
        item->setToolTip(item->text());
    }
}

QCheckBox* ImportPreviewDialog::sectionCheck(int section) const {
    switch (section) {
        case Profile::Keys:
            return ui->keysCheck;
        case Profile::Lighting:
            return ui->lightingCheck;
        case Profile::AdvancedKeys:
            return ui->advancedKeysCheck;
        case Profile::Macros:
            return ui->macrosCheck;
        case Profile::Performance:
            return ui->performanceCheck;
        default:
            return ui->parametersCheck;
    }
}

int ImportPreviewDialog::chosenSections() const {
    int chosen = 0;
    for (int section : Profile::allSections())
        if (sectionCheck(section)->isChecked()) chosen |= section;
    return chosen;
}

void ImportPreviewDialog::fill() {
    ProfilePlan plan;
    ProfileJson::Error error;
    ProfilePlan::build(mProfile, mModel, Profile::AllSections, &plan, &error);
    const QList<ProfilePlan::Difference> diffs = plan.differences(mModel);
    const bool other =
        mModel.keyboardProductInfo && mModel.keyboardProductInfo->serialNumber != mProfile.product;
    ui->summaryLabel->setText(
        other ? tr("配置“%1”来自另一款产品（%2），按键按名称匹配。选择要写入的部分：")
                    .arg(mProfile.name, mProfile.productName)
              : tr("配置“%1”。选择要写入的部分：").arg(mProfile.name));
    ui->detailsList->clear();
    for (int section : Profile::allSections()) {
        QCheckBox* box = sectionCheck(section);
        const int n = ProfilePlan::count(diffs, section);
        box->setText(mProfile.sections & section
                         ? tr("%1：%n 处不同", nullptr, n).arg(sectionText(section))
                         : tr("%1：文件中没有").arg(sectionText(section)));
        box->setAccessibleName(box->text());
        for (const ProfilePlan::Difference& d : diffs)
            if (d.section == section) ui->detailsList->addItem(differenceText(d));
        for (const ProfilePlan::Unmatched& u : plan.unmatched())
            if (u.section == section) ui->detailsList->addItem(unmatchedText(u));
    }
    fitRows();
}

QString ImportPreviewDialog::sectionText(int section) {
    switch (section) {
        case Profile::Keys:
            return tr("按键");
        case Profile::Lighting:
            return tr("灯光");
        case Profile::AdvancedKeys:
            return tr("高级键");
        case Profile::Macros:
            return tr("宏");
        case Profile::Performance:
            return tr("性能");
        default:
            return tr("参数");
    }
}

QString ImportPreviewDialog::differenceText(const ProfilePlan::Difference& d) {
    using D = ProfilePlan::Difference;
    const QString key =
        d.label.isEmpty() ? tr("按键 %1").arg(d.key) : tr("%1（按键 %2）").arg(d.label).arg(d.key);
    QString where;
    switch (d.what) {
        case D::Binding:
            where = d.layer == 1 ? tr("%1，Fn 层").arg(key) : key;
            break;
        case D::CustomLight:
        case D::Trigger:
            where = key;
            break;
        case D::Effect:
            where = tr("灯效 %1 %2").arg(d.index).arg(d.label);
            break;
        case D::AdvancedSlot:
            where = tr("高级键位置 %1").arg(d.index);
            break;
        case D::Macro:
            where = tr("宏 M%1").arg(d.index + 1);
            break;
        case D::Parameter:
            where = d.field;
            break;
    }
    return tr("%1：%2 → %3")
        .arg(sectionText(d.section) + QStringLiteral(" · ") + where, d.actual, d.meant);
}

QString ImportPreviewDialog::unmatchedText(const ProfilePlan::Unmatched& u) {
    using U = ProfilePlan::Unmatched;
    const QString key =
        u.label.isEmpty() ? tr("按键 %1").arg(u.key) : tr("%1（按键 %2）").arg(u.label).arg(u.key);
    switch (u.what) {
        case U::Key:
            return tr("无法匹配：%1，本键盘没有这个按键，保持不变").arg(key);
        case U::Effect:
            return tr("无法匹配：灯效 %1，本键盘没有这个灯效，保持不变").arg(u.index);
        case U::AdvancedSlot:
            return tr("无法匹配：高级键位置 %1，本键盘的位置更少，保持不变").arg(u.index);
    }
    return key;
}

QString ImportPreviewDialog::errorText(const ProfileJson::Error& e) {
    using E = ProfileJson::Error;
    QString why;
    switch (e.reason) {
        case E::None:
            return QString();
        case E::NotJson:
            return tr("文件不是 JSON：%1（第 %2 字节）").arg(e.detail, e.value);
        case E::TooLarge:
            return tr("文件太大（超过 %1 字节）").arg(e.detail);
        case E::WrongType:
            why = tr("%1 不是%2").arg(e.value, e.detail);
            break;
        case E::UnknownField:
            why = tr("未知字段");
            break;
        case E::Missing:
            why = tr("缺少此字段");
            break;
        case E::BadFormat:
            why = tr("%1 不是 %2 格式").arg(e.value, e.detail);
            break;
        case E::BadVersion:
            why = tr("不支持版本 %1（本程序读取版本 %2）").arg(e.value, e.detail);
            break;
        case E::OutOfRange:
            why = tr("%1 超出范围 %2").arg(e.value, e.detail);
            break;
        case E::Duplicate:
            why = e.value.isEmpty() ? tr("重复出现") : tr("%1 重复出现").arg(e.value);
            break;
        case E::BadColour:
            why = tr("%1 不是颜色（#rrggbb）").arg(e.value);
            break;
        case E::UnknownFunction:
            why = tr("%1 不是按键功能").arg(e.value);
            break;
        case E::BadDistance:
            why = tr("%1 的小数超过两位").arg(e.value);
            break;
        case E::BadData:
            why = tr("数据字节数 %1 不对（应为 %2）").arg(e.value, e.detail);
            break;
    }
    return e.field.isEmpty() ? why : tr("%1：%2").arg(e.field, why);
}
