#include "ui/pages/light/lightsetform.h"

#include <QCheckBox>
#include <QDataStream>
#include <QDebug>
#include <QIntValidator>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QToolButton>

#include "catalogue/keycatalogue.h"
#include "common/applog.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"
#include "services/systemconfigutil.h"
#include "ui/pageindex.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qcolorpalette.h"
#include "ui/widgets/qcolorslider.h"
#include "ui/widgets/qcustomslider.h"
#include "ui/widgets/qlightkeyboardwidget.h"
#include "ui/widgets/qlightkeylabel.h"
#include "ui_lightsetform.h"

namespace {

// Bits of an effect's functionFlag: which parameters it has.
constexpr quint8 kFlagColor = 0x01;
constexpr quint8 kFlagSpeed = 0x02;
constexpr quint8 kFlagLight = 0x04;
constexpr quint8 kFlagFullColor = 0x08;

constexpr int kEffectColumns = 4;
constexpr int kEffectRowsShown = 4;

const QColor kPurple(217, 26, 217);
const QColor kPink(245, 49, 157);
const QColor kRed(255, 0, 0);
const QColor kOrange(255, 125, 0);
const QColor kLightYellow(247, 186, 30);
const QColor kYellow(250, 220, 25);
const QColor kLightGreen(170, 255, 127);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kViolet(85, 0, 255);

QString paintedWith(const QColor& c) {
    return QStringLiteral("background-color: rgb(%1, %2, %3);")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue());
}

}  // namespace

LightSetForm::LightSetForm(QWidget* parent)
    : SettingPage(PageLight, UsbProtocol::SourceLightSet, parent),
      ui(std::make_unique<Ui::LightSetForm>()) {
    ui->setupUi(content());
    // Screen readers name each slider by the label beside it.
    ui->lightTitleLabel->setBuddy(ui->lightSlider);
    ui->speedTitleLabel->setBuddy(ui->speedSlider);
    ui->rLabel->setBuddy(ui->rLineEdit);
    ui->gLabel->setBuddy(ui->gLineEdit);
    ui->bLabel->setBuddy(ui->bLineEdit);
    mChannelEdits = {ui->rLineEdit, ui->gLineEdit, ui->bLineEdit};
    ui->hexLineEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("#?[0-9A-Fa-f]{0,6}")), ui->hexLineEdit));
    for (QLineEdit* edit : std::as_const(mChannelEdits))
        edit->setValidator(new QIntValidator(0, 255, edit));
    const QList<QPair<QPushButton*, QColor>> presets = {
        {ui->purpleColorBtn, kPurple},       {ui->pinkColorBtn, kPink},
        {ui->colourColorBtn, kRed},          {ui->orangeColorBtn, kOrange},
        {ui->lyellowColorBtn, kLightYellow}, {ui->yellowColorBtn, kYellow},
        {ui->lgreenColorBtn, kLightGreen},   {ui->greenColorBtn, kGreen},
        {ui->blueColorBtn, kBlue},           {ui->hblueColorBtn, kViolet}};
    for (const auto& preset : presets) preset.first->setStyleSheet(paintedWith(preset.second));

    mRequests = new RequestQueue(engine(), source(), this);

    connectControls();
    refreshLanguageUi();
    showParameters();
    logLine(QStringLiteral("灯光设置页面初始化"));
}

LightSetForm::~LightSetForm() {
    logLine(QStringLiteral("灯光设置页面销毁"));
}

void LightSetForm::connectControls() {
    auto click = [this](QPushButton* b, void (LightSetForm::*slot)()) {
        connect(b, &QPushButton::clicked, this, [this, slot] { (this->*slot)(); });
    };
    click(ui->selectAllBtn, &LightSetForm::on_selectAllBtn_clicked);
    click(ui->invertBtn, &LightSetForm::on_invertBtn_clicked);
    click(ui->deselectAllBtn, &LightSetForm::on_deselectAllBtn_clicked);
    click(ui->purpleColorBtn, &LightSetForm::on_purpleColorBtn_clicked);
    click(ui->pinkColorBtn, &LightSetForm::on_pinkColorBtn_clicked);
    click(ui->colourColorBtn, &LightSetForm::on_colourColorBtn_clicked);
    click(ui->orangeColorBtn, &LightSetForm::on_orangeColorBtn_clicked);
    click(ui->lyellowColorBtn, &LightSetForm::on_lyellowColorBtn_clicked);
    click(ui->yellowColorBtn, &LightSetForm::on_yellowColorBtn_clicked);
    click(ui->lgreenColorBtn, &LightSetForm::on_lgreenColorBtn_clicked);
    click(ui->greenColorBtn, &LightSetForm::on_greenColorBtn_clicked);
    click(ui->blueColorBtn, &LightSetForm::on_blueColorBtn_clicked);
    click(ui->hblueColorBtn, &LightSetForm::on_hblueColorBtn_clicked);
    connect(ui->lightSlider, &QCustomSlider::customSliderClicked, this,
            &LightSetForm::lightSliderClicked);
    connect(ui->speedSlider, &QCustomSlider::customSliderClicked, this,
            &LightSetForm::speedSliderClicked);
    // The wheel and the arrow keys move a slider too: such a step counts as a
    // release at the value it reaches.
    auto stepped = [this](QCustomSlider* slider, void (LightSetForm::*slot)(int, int)) {
        connect(slider, &QAbstractSlider::actionTriggered, this, [this, slider, slot] {
            if (slider->isSliderDown()) return;  // a drag acts on release
            QTimer::singleShot(0, this, [this, slider, slot] {
                (this->*slot)(QCustomSlider::Release, slider->value());
            });
        });
    };
    stepped(ui->lightSlider, &LightSetForm::lightSliderClicked);
    stepped(ui->speedSlider, &LightSetForm::speedSliderClicked);
    connect(ui->colorCheckBox, &QCheckBox::stateChanged, this,
            &LightSetForm::on_colorCheckBox_stateChanged);
    connect(ui->colorPalette, &QColorPalette::select_color, this, &LightSetForm::colorChanged);
    connect(ui->colorSlider, &QColorSlider::color_moving, this, &LightSetForm::previewColor);
    connect(ui->colorSlider, &QColorSlider::select_color, this,
            [this](const QColor& c) { chooseColor(c, ColorSource::Slider); });
    connect(ui->hexLineEdit, &QLineEdit::editingFinished, this, &LightSetForm::hexEdited);
    for (QLineEdit* edit : std::as_const(mChannelEdits))
        connect(edit, &QLineEdit::editingFinished, this, &LightSetForm::channelEdited);

    if (UsbCommunicateUtil* e = engine()) {
        connect(e, &UsbCommunicateUtil::usb_communicate_error, this,
                &LightSetForm::usb_communicate_error);
        connect(e, &UsbCommunicateUtil::usb_receive_set_custom_light, this,
                &LightSetForm::usb_receive_set_custom_light);
        connect(e, &UsbCommunicateUtil::usb_receive_set_effect_light, this,
                &LightSetForm::usb_receive_set_effect_light);
        connect(e, &UsbCommunicateUtil::usb_receive_set_effect_light_language, this,
                &LightSetForm::usb_receive_set_effect_light_language);
        connect(e, &UsbCommunicateUtil::usb_receive_select_effect_light, this,
                &LightSetForm::usb_receive_select_effect_light);
    }
    if (SystemConfigUtil* config = SystemConfigUtil::instance()) {
        // Key images come from the theme's folder.
        connect(config, &SystemConfigUtil::themeChanged, this, [this] {
            if (!isVisible() || !mPicture) return;
            const QByteArray selected = mPicture->selectedKeys();
            rebuildPicture();
            mPicture->setSelectedKeys(selected);
        });
    }
}

void LightSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
    nameControls();
    mPictureInputs.clear();  // key texts and tips are in the language
    relabelEffectButtons();
    showParameters();
    // The keyboard names its effects in the program's language.
    UsbCommunicateUtil* e = engine();
    const KeyboardConfigUtil* m = model();
    if (e && e->isConnected() && m && m->keyboardProduct) {
        Change names;
        names.kind = Kind::Names;
        enqueue(names);
    }
}

void LightSetForm::nameControls() {
    const QList<QPair<QPushButton*, QString>> swatches = {
        {ui->purpleColorBtn, tr("紫色")},    {ui->pinkColorBtn, tr("粉色")},
        {ui->colourColorBtn, tr("红色")},    {ui->orangeColorBtn, tr("橙色")},
        {ui->lyellowColorBtn, tr("琥珀色")}, {ui->yellowColorBtn, tr("黄色")},
        {ui->lgreenColorBtn, tr("浅绿色")},  {ui->greenColorBtn, tr("绿色")},
        {ui->blueColorBtn, tr("蓝色")},      {ui->hblueColorBtn, tr("紫罗兰色")}};
    for (const auto& swatch : swatches) swatch.first->setAccessibleName(swatch.second);
    ui->colorPalette->setAccessibleName(tr("色轮"));
    ui->colorPalette->setAccessibleDescription(tr("左右方向键转动色相"));
    ui->colorSlider->setAccessibleName(tr("颜色深浅"));
    ui->hexLineEdit->setAccessibleName(tr("颜色代码"));
}

void LightSetForm::placeInTabChain() {
    QList<QWidget*> chain;
    if (NavigationBar* bar = navigationBar())
        for (int index = PageKey; index <= PageOther; ++index)
            if (QWidget* tab = bar->button(index)) chain << tab;
    if (mPicture) chain << mPicture;
    chain << ui->selectAllBtn << ui->invertBtn << ui->deselectAllBtn;
    for (int item : std::as_const(mEffectItems))
        if (QToolButton* button = mEffectButtons.value(item)) chain << button;
    chain << ui->lightSlider << ui->speedSlider << ui->colorCheckBox << ui->colorPalette
          << ui->purpleColorBtn << ui->pinkColorBtn << ui->colourColorBtn << ui->orangeColorBtn
          << ui->lyellowColorBtn << ui->yellowColorBtn << ui->lgreenColorBtn << ui->greenColorBtn
          << ui->blueColorBtn << ui->hblueColorBtn << ui->colorSlider << ui->hexLineEdit
          << ui->rLineEdit << ui->gLineEdit << ui->bLineEdit;
    for (int i = 1; i < chain.size(); ++i) setTabOrder(chain.at(i - 1), chain.at(i));
}

// ------------------------------------------------------------ showing the page

void LightSetForm::enter() {
    if (QPushButton* own = navigationBar()->button(PageLight)) own->setChecked(true);
    mCurrent = EffectNone;
    // Building the picture and the buttons costs most of the page switch:
    // done again only when what they show changed since the last time.
    const QByteArray pictureInputs = pictureFingerprint();
    if (!mPicture || pictureInputs != mPictureInputs) {
        rebuildPicture();
    } else {
        // As a fresh picture: nothing selected.
        mPicture->deselectAll();
    }
    if (effectItems() != mEffectItems) {
        rebuildEffectButtons();
    } else {
        relabelEffectButtons();
        markCurrentEffect();
    }
    showParameters();
}

QByteArray LightSetForm::pictureFingerprint() const {
    const KeyboardConfigUtil* m = model();
    QByteArray inputs;
    if (!m) return inputs;
    QDataStream out(&inputs, QIODevice::WriteOnly);
    out << QKeyboardWidget::imageFolder()
        << (m->keyboardProduct ? int(m->keyboardProduct->serialNumber) : -1);
    if (const SystemConfigUtil* config = SystemConfigUtil::instance()) out << config->theme();
    for (const KeyPositionPtr& p : m->keyboardPositionMap) {
        if (!p || !p->flag) continue;
        out << p->keyItem << p->posItem << p->left << p->top << p->width << p->height;
        if (const KeyBindingPtr b = m->keyConfig(0, p->keyItem)) {
            out << b->type << b->hValue << b->lValue;
            if (b->type == KeyCatalogue::TypeAdvanced) out << m->highKeyAttribute(b->lValue);
        } else {
            out << quint8(0xEE);
        }
        if (const CustomLightPtr l = m->customLight(p->keyItem))
            out << l->light << l->colorR << l->colorG << l->colorB;
        else
            out << quint8(0xEE);
    }
    return inputs;
}

QList<int> LightSetForm::effectItems() const {
    QList<int> items{EffectCustom};
    if (const KeyboardConfigUtil* m = model())
        for (auto it = m->keyboardEffectNameMap.cbegin(); it != m->keyboardEffectNameMap.cend();
             ++it)
            if (it.value() && it.key() != EffectCustom) items.append(it.key());
    return items;
}

void LightSetForm::rebuildPicture() {
    if (mPicture) {
        mPicture->hide();
        mPicture->deleteLater();
    }
    mPicture = new QLightKeyboardWidget(ui->keyboardArea);
    QKeyboardWidget::placePicture(mPicture);
    mPicture->rebuild();
    mPictureInputs = pictureFingerprint();
    mPicture->setLabelsEnabled(mCurrent == EffectCustom);
    mPicture->show();
    placeInTabChain();
}

void LightSetForm::rebuildEffectButtons() {
    for (QToolButton* button : std::as_const(mEffectButtons)) {
        ui->effectLayout->removeWidget(button);
        button->hide();
        button->deleteLater();
    }
    mEffectButtons.clear();
    const QList<int> items = effectItems();
    mEffectItems = items;
    for (int i = 0; i < items.size(); ++i) {
        const int item = items.at(i);
        auto* button = new QToolButton(ui->effectWidget);
        button->setObjectName(item == EffectCustom ? QStringLiteral("customEffectBtn")
                                                   : QStringLiteral("effectBtn%1").arg(item));
        button->setProperty("effectItem", item);
        button->setCheckable(true);
        button->setMinimumSize(100, 40);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setCursor(Qt::PointingHandCursor);
        connect(button, &QToolButton::clicked, this, [this, item] { effectButtonClicked(item); });
        ui->effectLayout->addWidget(button, i / kEffectColumns, i % kEffectColumns);
        mEffectButtons.insert(item, button);
    }
    // Keep a short last row as wide as the others.
    for (int column = 0; column < kEffectColumns; ++column)
        ui->effectLayout->setColumnStretch(column, 1);
    const int rows = int((items.size() + kEffectColumns - 1) / kEffectColumns);
    ui->effectLayout->setRowStretch(rows, 1);
    // Up to four rows without scrolling, whatever room the window leaves.
    const int rowHeight = 40 + ui->effectLayout->verticalSpacing();
    ui->effectScrollArea->setMinimumHeight(qMin(rows, kEffectRowsShown) * rowHeight);
    relabelEffectButtons();
    markCurrentEffect();
    placeInTabChain();
}

void LightSetForm::relabelEffectButtons() {
    const KeyboardConfigUtil* m = model();
    for (auto it = mEffectButtons.cbegin(); it != mEffectButtons.cend(); ++it) {
        if (it.key() == EffectCustom) {
            it.value()->setText(tr("自定义"));
            continue;
        }
        const EffectNamePtr name = m ? m->keyboardEffectNameMap.value(quint8(it.key())) : nullptr;
        if (name) it.value()->setText(name->name);
    }
}

void LightSetForm::markCurrentEffect() {
    for (auto it = mEffectButtons.cbegin(); it != mEffectButtons.cend(); ++it)
        it.value()->setChecked(it.key() == mCurrent);
}

void LightSetForm::showParameters() {
    mShowing = true;
    bool light = false, speed = false, fullColor = false, color = false;
    QString prompt;
    if (mCurrent == EffectCustom) {
        light = color = true;
        prompt = tr("在键盘上选择按键，再设置它们的亮度和颜色");
    } else if (mCurrent == EffectNone) {
        prompt = tr("请先选择一种灯光模式");
    } else {
        const KeyboardConfigUtil* m = model();
        const EffectLightPtr entry = m ? m->effectLight(quint8(mCurrent)) : nullptr;
        const quint8 flags = entry ? entry->functionFlag : 0;
        light = flags & kFlagLight;
        speed = flags & kFlagSpeed;
        fullColor = flags & kFlagFullColor;
        color = flags & kFlagColor;
        if (light) mLight = entry->light;
        if (speed) mSpeed = entry->speed;
        if (fullColor) mFullColor = entry->fullColor != 0;
        if (color) mColor = QColor(entry->colorR, entry->colorG, entry->colorB);
        if (!(light || speed || fullColor || color)) prompt = tr("这个模式没有可调整的参数");
    }
    ui->lightWidget->setVisible(light);
    ui->speedWidget->setVisible(speed);
    ui->colorWidget->setVisible(fullColor);
    ui->paletteWidget->setVisible(color);
    ui->paramPromptLabel->setText(prompt);
    ui->paramPromptLabel->setVisible(!prompt.isEmpty());
    showLight(mLight);
    showSpeed(mSpeed);
    showFullColor(mFullColor);
    showColor(mColor, ColorSource::Other);
    const bool custom = mCurrent == EffectCustom;
    for (QPushButton* b : {ui->selectAllBtn, ui->invertBtn, ui->deselectAllBtn})
        b->setEnabled(custom);
    if (mPicture) mPicture->setLabelsEnabled(custom);
    mShowing = false;
}

void LightSetForm::showLight(int value) {
    ui->lightSlider->setValue(value);
    ui->lightValueLabel->setText(QStringLiteral("%1").arg(ui->lightSlider->value()));
}

void LightSetForm::showSpeed(int value) {
    ui->speedSlider->setValue(value);
    ui->speedValueLabel->setText(QStringLiteral("%1").arg(ui->speedSlider->value()));
}

void LightSetForm::showFullColor(bool on) {
    const bool was = mShowing;
    mShowing = true;
    ui->colorCheckBox->setChecked(on);
    mShowing = was;
}

void LightSetForm::showColor(const QColor& color, ColorSource from) {
    if (from != ColorSource::Hex) {
        ui->hexLineEdit->setText(color.name());
        ui->hexLineEdit->setModified(false);
    }
    if (from != ColorSource::Fields) {
        const int channels[] = {color.red(), color.green(), color.blue()};
        for (int i = 0; i < 3; ++i) {
            mChannelEdits[i]->setText(QString::number(channels[i]));
            mChannelEdits[i]->setModified(false);
        }
    }
    if (from != ColorSource::Palette) ui->colorPalette->setColor(color);
    if (from != ColorSource::Slider) {
        // A colour fades to white along the slider; a grey runs from black.
        if (color.hsvSaturation() == 0) {
            ui->colorSlider->setColors(Qt::black, Qt::white);
            ui->colorSlider->setPosition(color.red() / 255.0);
        } else {
            ui->colorSlider->setColors(Qt::white, color);
            ui->colorSlider->setPosition(1.0);
        }
    }
    // A style sheet change re-polishes the label: only when the colour moved.
    const QString preview = QStringLiteral(
                                "background-color: %1; border: 1px solid rgba(0, 0, 0, 40); "
                                "border-radius: 6px;")
                                .arg(color.name());
    if (ui->colorPreviewLabel->styleSheet() != preview)
        ui->colorPreviewLabel->setStyleSheet(preview);
}

// ------------------------------------------------------------ effect buttons

void LightSetForm::effectButtonClicked(int item) {
    if (item == mCurrent) {
        markCurrentEffect();
        return;
    }
    // The mark moves only when the keyboard confirms the selection.
    markCurrentEffect();
    Change select;
    select.kind = Kind::Select;
    select.effect = item;
    enqueue(select);
}

// ------------------------------------------------------------ selection

void LightSetForm::on_selectAllBtn_clicked() {
    if (mPicture) mPicture->selectAll();
}

void LightSetForm::on_invertBtn_clicked() {
    if (mPicture) mPicture->invertSelection();
}

void LightSetForm::on_deselectAllBtn_clicked() {
    if (mPicture) mPicture->deselectAll();
}

QByteArray LightSetForm::keysWithSharedPositions(const QByteArray& selected) const {
    const KeyboardConfigUtil* m = model();
    QByteArray keys = selected;
    if (!m) return keys;
    QList<quint8> positions;
    for (char key : selected) {
        const KeyPositionPtr p = m->keyboardPositionMap.value(quint8(key));
        if (p && !positions.contains(p->posItem)) positions.append(p->posItem);
    }
    for (const KeyPositionPtr& p : m->keyboardPositionMap) {
        if (p && positions.contains(p->posItem) && !keys.contains(char(p->keyItem)))
            keys.append(char(p->keyItem));
    }
    return keys;
}

// ------------------------------------------------------------ parameters

void LightSetForm::lightSliderClicked(int type, int value) {
    ui->lightValueLabel->setText(QStringLiteral("%1").arg(value));
    if (type != QCustomSlider::Release || mShowing) return;
    if (value == mLight) return;
    applyChange(Field::Light, value);
}

void LightSetForm::speedSliderClicked(int type, int value) {
    ui->speedValueLabel->setText(QStringLiteral("%1").arg(value));
    if (type != QCustomSlider::Release || mShowing) return;
    if (value == mSpeed) return;
    applyChange(Field::Speed, value);
}

void LightSetForm::on_colorCheckBox_stateChanged(int state) {
    const bool on = state != Qt::Unchecked;
    if (mShowing || on == mFullColor) return;
    applyChange(Field::FullColor, on ? 1 : 0);
}

void LightSetForm::on_purpleColorBtn_clicked() {
    chooseColor(kPurple, ColorSource::Other);
}
void LightSetForm::on_pinkColorBtn_clicked() {
    chooseColor(kPink, ColorSource::Other);
}
void LightSetForm::on_colourColorBtn_clicked() {
    chooseColor(kRed, ColorSource::Other);
}
void LightSetForm::on_orangeColorBtn_clicked() {
    chooseColor(kOrange, ColorSource::Other);
}
void LightSetForm::on_lyellowColorBtn_clicked() {
    chooseColor(kLightYellow, ColorSource::Other);
}
void LightSetForm::on_yellowColorBtn_clicked() {
    chooseColor(kYellow, ColorSource::Other);
}
void LightSetForm::on_lgreenColorBtn_clicked() {
    chooseColor(kLightGreen, ColorSource::Other);
}
void LightSetForm::on_greenColorBtn_clicked() {
    chooseColor(kGreen, ColorSource::Other);
}
void LightSetForm::on_blueColorBtn_clicked() {
    chooseColor(kBlue, ColorSource::Other);
}
void LightSetForm::on_hblueColorBtn_clicked() {
    chooseColor(kViolet, ColorSource::Other);
}

void LightSetForm::colorChanged(const QColor& color) {
    chooseColor(color, ColorSource::Palette);
}

void LightSetForm::previewColor(const QColor& color) {
    ui->hexLineEdit->setText(color.name());
    ui->hexLineEdit->setModified(false);
}

void LightSetForm::hexEdited() {
    if (!ui->hexLineEdit->isModified()) return;
    ui->hexLineEdit->setModified(false);
    QString text = ui->hexLineEdit->text().trimmed();
    if (!text.startsWith(QLatin1Char('#'))) text.prepend(QLatin1Char('#'));
    const QColor color = text.size() == 7 ? QColor(text) : QColor();
    if (!color.isValid()) {
        showColor(mColor, ColorSource::Other);  // back to the colour in use
        return;
    }
    chooseColor(color, ColorSource::Hex);
}

void LightSetForm::channelEdited() {
    bool modified = false;
    for (QLineEdit* edit : std::as_const(mChannelEdits)) {
        modified = modified || edit->isModified();
        edit->setModified(false);
    }
    if (!modified) return;
    int channels[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) channels[i] = qBound(0, mChannelEdits[i]->text().toInt(), 255);
    chooseColor(QColor(channels[0], channels[1], channels[2]), ColorSource::Fields);
}

void LightSetForm::chooseColor(const QColor& color, ColorSource from) {
    if (!color.isValid()) return;
    const QColor opaque(color.red(), color.green(), color.blue());
    showColor(opaque, from);
    applyChange(Field::Color, 0, opaque);
}

bool LightSetForm::isKnownEffect(int item) const {
    const KeyboardConfigUtil* m = model();
    if (!m || m->keyboardEffectLightMap.isEmpty()) return false;
    return item >= m->keyboardEffectLightMap.firstKey() &&
           item <= m->keyboardEffectLightMap.lastKey();
}

void LightSetForm::applyChange(Field field, int value, const QColor& color) {
    if (mCurrent == EffectNone) {
        // No effect chosen yet: nowhere to send the change.
        showParameters();
        return;
    }
    if (mCurrent == EffectCustom) {
        if (field != Field::Light && field != Field::Color) return;
        const QByteArray keys =
            keysWithSharedPositions(mPicture ? mPicture->selectedKeys() : QByteArray());
        if (keys.isEmpty()) {
            toast(tr("请先选择要设置的按键，再修改亮度或颜色！"));
            showParameters();
            return;
        }
        if (field == Field::Light) mLight = value;
        if (field == Field::Color) mColor = color;
        Change custom;
        custom.kind = Kind::CustomLight;
        custom.light = mLight;
        custom.color = mColor;
        custom.keys = keys;
        enqueue(custom);
        return;
    }
    if (!isKnownEffect(mCurrent)) {
        AppLog::line(QStringLiteral("=== LightSetForm 未知的灯效 item={%1} ===").arg(mCurrent));
        showParameters();
        return;
    }
    switch (field) {
        case Field::Light:
            mLight = value;
            break;
        case Field::Speed:
            mSpeed = value;
            break;
        case Field::FullColor:
            mFullColor = value != 0;
            break;
        case Field::Color:
            mColor = color;
            break;
    }
    Change effect;
    effect.kind = Kind::EffectLight;
    effect.effect = mCurrent;
    effect.field = field;
    effect.value = value;
    effect.color = color;
    enqueue(effect);
}

// ------------------------------------------------------------ sending

void LightSetForm::enqueue(const Change& change) {
    // A newer value of the same parameter replaces one not yet sent.
    QString key;
    uchar order = 0;
    switch (change.kind) {
        case Kind::Select:
            key = QStringLiteral("select");
            order = UsbProtocol::answerOf(UsbProtocol::SelectEffectLight);
            break;
        case Kind::Names:
            key = QStringLiteral("names");
            order = UsbProtocol::answerOf(UsbProtocol::GetEffectLightName);
            break;
        case Kind::EffectLight:
            key = QStringLiteral("effect/%1/%2").arg(change.effect).arg(int(change.field));
            order = UsbProtocol::answerOf(UsbProtocol::SetEffectLight);
            break;
        case Kind::CustomLight:
            key = QStringLiteral("custom/") + QString::fromLatin1(change.keys.toHex());
            order = UsbProtocol::answerOf(UsbProtocol::SetCustomLight);
            break;
    }
    mRequests->enqueue(
        order, [this, change] { return startChange(change); },
        [this, change](bool ok, int error) {
            if (ok)
                changeConfirmed(change);
            else
                changeFailed(change, error);
        },
        key);
}

bool LightSetForm::startChange(const Change& change) {
    UsbCommunicateUtil* e = engine();
    if (!e) return false;
    EffectLightEntry entry;
    if (change.kind == Kind::EffectLight) {
        // The model's entry as confirmed by now, only the changed field
        // replaced: each change builds on the one answered before it.
        const KeyboardConfigUtil* m = model();
        const EffectLightPtr known = m ? m->effectLight(quint8(change.effect)) : nullptr;
        if (!known) {
            AppLog::line(
                QStringLiteral("=== LightSetForm 未知的灯效 item={%1} ===").arg(change.effect));
            return false;
        }
        entry = *known;
        switch (change.field) {
            case Field::Light:
                entry.light = quint8(change.value);
                break;
            case Field::Speed:
                entry.speed = quint8(change.value);
                break;
            case Field::FullColor:
                entry.fullColor = quint8(change.value);
                break;
            case Field::Color:
                entry.colorR = quint8(change.color.red());
                entry.colorG = quint8(change.color.green());
                entry.colorB = quint8(change.color.blue());
                break;
        }
    } else if (change.kind == Kind::CustomLight) {
        entry.light = quint8(change.light);
        entry.colorR = quint8(change.color.red());
        entry.colorG = quint8(change.color.green());
        entry.colorB = quint8(change.color.blue());
    }
    switch (change.kind) {
        case Kind::Select:
            e->selectEffectLight(source(), true, uchar(change.effect));
            break;
        case Kind::CustomLight:
            e->setCustomLight(source(), true, entry, change.keys);
            break;
        case Kind::EffectLight:
            e->setEffectLight(source(), true, entry);
            break;
        case Kind::Names:
            e->getEffectLightName(source(), true);
            break;
    }
    return true;
}

void LightSetForm::changeConfirmed(const Change& done) {
    KeyboardConfigUtil* m = model();
    UsbCommunicateUtil* e = engine();
    switch (done.kind) {
        case Kind::Select:
            mCurrent = done.effect;
            if (mPicture) mPicture->setLabelsEnabled(false);
            markCurrentEffect();
            showParameters();
            break;
        case Kind::CustomLight:
            if (m && e) e->commitSetCustomLight(m);
            mConfirmedLight = done.light;
            mConfirmedColor = done.color;
            // The keys the keyboard took, whatever is selected by now.
            if (mPicture) {
                for (char key : std::as_const(done.keys))
                    if (auto* label = qobject_cast<QLightKeyLabel*>(mPicture->labelOf(quint8(key))))
                        label->setColor(done.color);
            }
            break;
        case Kind::EffectLight:
            if (m && e) e->commitSetEffectLight(m);
            markCurrentEffect();
            // A change still waiting redraws when its own answer comes.
            if (mRequests->pending() == 0) showParameters();
            break;
        case Kind::Names:
            if (m && e) e->commitEffectName(m);
            relabelEffectButtons();
            break;
    }
}

void LightSetForm::changeFailed(const Change& change, int error) {
    // Dropped together with a change that failed before it; or nothing to
    // send for it any more (an effect the keyboard no longer reports).
    if (error == RequestQueue::ErrorCleared || error == RequestQueue::ErrorNotSent) return;
    // The names stay as they were; changes waiting behind them still go.
    if (change.kind == Kind::Names) return;
    abandonChanges();
    toast(tr("修改没有保存到键盘，页面已恢复为键盘上的设置"));
}

void LightSetForm::abandonChanges() {
    // What waited was meant on top of the change that failed.
    mRequests->clear();
    mLight = mConfirmedLight;
    mColor = mConfirmedColor;
    markCurrentEffect();
    showParameters();
}

bool LightSetForm::isBusy() const {
    return mRequests->busy();
}

// ------------------------------------------------------------ answers

// The model takes a change when its request ends answered (changeConfirmed);
// these slots keep the log of whose answer came and keep a long transfer
// from looking stalled.
void LightSetForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
}

void LightSetForm::usb_receive_select_effect_light(uchar source, int current, int total,
                                                   int index) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    Q_UNUSED(index);
    acceptSource(source, "usb_receive_select_effect_light");
}

void LightSetForm::usb_receive_set_custom_light(uchar source, int current, int total) {
    if (!acceptSource(source, "usb_receive_set_custom_light")) return;
    if (current < total) mRequests->progress();
}

void LightSetForm::usb_receive_set_effect_light(uchar source, int current, int total) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    acceptSource(source, "usb_receive_set_effect_light");
}

void LightSetForm::usb_receive_set_effect_light_language(uchar source, int current, int total) {
    if (!acceptSource(source, "usb_receive_set_effect_light_language")) return;
    if (current < total) mRequests->progress();
}
