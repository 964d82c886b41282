#include "ui/pages/light/lightsetform.h"

#include <QCheckBox>
#include <QDataStream>
#include <QDebug>
#include <QIntValidator>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "app/systemconfigutil.h"
#include "catalogue/keycatalogue.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/pageindex.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qcolorpalette.h"
#include "ui/widgets/qcolorslider.h"
#include "ui/widgets/qcustomslider.h"
#include "ui/widgets/qlightkeyboardwidget.h"
#include "ui/widgets/qlightkeylabel.h"
#include "ui_lightsetform.h"

namespace {

KeyboardConfigUtil* model() {
    return KeyboardConfigUtil::instance();
}
UsbCommunicateUtil* engine() {
    return UsbCommunicateUtil::instance();
}
void log(const QString& line) {
    qInfo().noquote() << line;
}

// Bits of an effect's functionFlag: which parameters it has.
constexpr quint8 kFlagColor = 0x01;
constexpr quint8 kFlagSpeed = 0x02;
constexpr quint8 kFlagLight = 0x04;
constexpr quint8 kFlagFullColor = 0x08;

constexpr int kEffectColumns = 4;
constexpr int kEffectRowsShown = 4;
// The engine answers or gives up within three tries of one second; a change
// still unanswered after this was dropped by another requester's command.
constexpr int kAnswerWatchdogMs = 5000;

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

    mAnswerWatchdog = new QTimer(this);
    mAnswerWatchdog->setSingleShot(true);
    mAnswerWatchdog->setInterval(kAnswerWatchdogMs);
    connect(mAnswerWatchdog, &QTimer::timeout, this, &LightSetForm::lostAnswer);

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
        log(QStringLiteral("=== LightSetForm 未知的灯效 item={%1} ===").arg(mCurrent));
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
    auto same = [&change](const Change& waiting) {
        if (waiting.kind != change.kind) return false;
        switch (change.kind) {
            case Kind::Select:
            case Kind::Names:
                return true;
            case Kind::EffectLight:
                return waiting.effect == change.effect && waiting.field == change.field;
            case Kind::CustomLight:
                return waiting.keys == change.keys;
        }
        return false;
    };
    mWaiting.erase(std::remove_if(mWaiting.begin(), mWaiting.end(), same), mWaiting.end());
    mWaiting.append(change);
    sendNext();
}

void LightSetForm::sendNext() {
    UsbCommunicateUtil* e = engine();
    while (!mInFlight && !mWaiting.isEmpty()) {
        if (!e) {
            mWaiting.clear();
            return;
        }
        const Change next = mWaiting.takeFirst();
        EffectLightEntry entry;
        if (next.kind == Kind::EffectLight) {
            // The model's entry with only the changed field replaced.
            const KeyboardConfigUtil* m = model();
            const EffectLightPtr known = m ? m->effectLight(quint8(next.effect)) : nullptr;
            if (!known) {
                log(QStringLiteral("=== LightSetForm 未知的灯效 item={%1} ===").arg(next.effect));
                continue;
            }
            entry = *known;
            switch (next.field) {
                case Field::Light:
                    entry.light = quint8(next.value);
                    break;
                case Field::Speed:
                    entry.speed = quint8(next.value);
                    break;
                case Field::FullColor:
                    entry.fullColor = quint8(next.value);
                    break;
                case Field::Color:
                    entry.colorR = quint8(next.color.red());
                    entry.colorG = quint8(next.color.green());
                    entry.colorB = quint8(next.color.blue());
                    break;
            }
        } else if (next.kind == Kind::CustomLight) {
            entry.light = quint8(next.light);
            entry.colorR = quint8(next.color.red());
            entry.colorG = quint8(next.color.green());
            entry.colorB = quint8(next.color.blue());
        }
        // Marked before sending: an answer may come back at once.
        mInFlight = true;
        mSent = next;
        mAnswerWatchdog->start();
        switch (next.kind) {
            case Kind::Select:
                e->selectEffectLight(source(), true, uchar(next.effect));
                break;
            case Kind::CustomLight:
                e->setCustomLight(source(), true, entry, next.keys);
                break;
            case Kind::EffectLight:
                e->setEffectLight(source(), true, entry);
                break;
            case Kind::Names:
                e->getEffectLightName(source(), true);
                break;
        }
    }
}

bool LightSetForm::finish(Kind kind, Change* done) {
    if (!mInFlight || mSent.kind != kind) return false;
    mInFlight = false;
    mAnswerWatchdog->stop();
    *done = mSent;
    return true;
}

void LightSetForm::abandonChanges() {
    const bool custom = mInFlight && mSent.kind == Kind::CustomLight;
    mInFlight = false;
    mAnswerWatchdog->stop();
    // What waited was meant on top of the change that failed.
    mWaiting.clear();
    if (custom) {
        mLight = mConfirmedLight;
        mColor = mConfirmedColor;
    }
    markCurrentEffect();
    showParameters();
}

void LightSetForm::lostAnswer() {
    log(QStringLiteral("=== LightSetForm 等待键盘确认超时 ==="));
    abandonChanges();
}

// ------------------------------------------------------------ answers

void LightSetForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
    if (!acceptSource(source, "usb_communicate_error")) return;
    // The model and the current effect stay as they were.
    abandonChanges();
}

void LightSetForm::usb_receive_select_effect_light(uchar source, int current, int total,
                                                   int index) {
    if (!acceptSource(source, "usb_receive_select_effect_light")) return;
    if (current < total) return;
    Change done;
    finish(Kind::Select, &done);
    mCurrent = index;
    if (mPicture) mPicture->setLabelsEnabled(false);
    markCurrentEffect();
    showParameters();
    sendNext();
}

void LightSetForm::usb_receive_set_custom_light(uchar source, int current, int total) {
    if (!acceptSource(source, "usb_receive_set_custom_light")) return;
    if (current < total) {
        if (mInFlight) mAnswerWatchdog->start();  // a long key list is still going out
        return;
    }
    // Only this page sends these: the keyboard took the colour even when the
    // answer came after the page stopped waiting for it.
    if (KeyboardConfigUtil* m = model()) {
        if (UsbCommunicateUtil* e = engine()) e->commitSetCustomLight(m);
    }
    Change done;
    if (finish(Kind::CustomLight, &done)) {
        mConfirmedLight = done.light;
        mConfirmedColor = done.color;
        // The keys the keyboard took, whatever is selected by now.
        if (mPicture) {
            for (char key : std::as_const(done.keys))
                if (auto* label = qobject_cast<QLightKeyLabel*>(mPicture->labelOf(quint8(key))))
                    label->setColor(done.color);
        }
    } else if (mPicture) {
        const QByteArray selected = mPicture->selectedKeys();
        rebuildPicture();
        mPicture->setSelectedKeys(selected);
    }
    sendNext();
}

void LightSetForm::usb_receive_set_effect_light(uchar source, int current, int total) {
    if (!acceptSource(source, "usb_receive_set_effect_light")) return;
    if (current < total) return;
    if (KeyboardConfigUtil* m = model()) {
        if (UsbCommunicateUtil* e = engine()) e->commitSetEffectLight(m);
    }
    Change done;
    finish(Kind::EffectLight, &done);
    markCurrentEffect();
    // A change still waiting redraws when its own answer comes.
    if (mWaiting.isEmpty()) showParameters();
    sendNext();
}

void LightSetForm::usb_receive_set_effect_light_language(uchar source, int current, int total) {
    if (!acceptSource(source, "usb_receive_set_effect_light_language")) return;
    if (current < total) {
        if (mInFlight) mAnswerWatchdog->start();
        return;
    }
    // Only this page asks for names: take them even after giving up waiting.
    Change done;
    finish(Kind::Names, &done);
    if (KeyboardConfigUtil* m = model()) {
        if (UsbCommunicateUtil* e = engine()) e->commitEffectName(m);
    }
    relabelEffectButtons();
    sendNext();
}
