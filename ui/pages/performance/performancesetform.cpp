#include "ui/pages/performance/performancesetform.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"
#include "services/systemconfigutil.h"
#include "ui/pageindex.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qcustomslider.h"
#include "ui/widgets/qnaturekeyboardwidget.h"
#include "ui_performancesetform.h"

namespace {
constexpr int kIndicatorTravel = 25;
constexpr int kDeadZoneMax = 100;

}  // namespace

PerformanceSetForm::PerformanceSetForm(QWidget* parent)
    : SettingPage(PagePerformance, UsbProtocol::SourcePerformance, parent),
      ui(std::make_unique<Ui::PerformanceSetForm>()) {
    ui->setupUi(content());
    // Screen readers name each slider by the label beside it.
    ui->triggerTitleLabel->setBuddy(ui->triggerSlider);
    ui->quickTitleLabel->setBuddy(ui->quickSlider);
    ui->resetTitleLabel->setBuddy(ui->resetSlider);
    ui->deadDownTitleLabel->setBuddy(ui->deadDownSlider);
    ui->deadUpTitleLabel->setBuddy(ui->deadUpSlider);
    ui->sportsPromptLabel->hide();
    // The cards keep their height: wrapped captions take the room they are
    // given instead of asking the layout for more.
    for (QLabel* caption : {ui->triggerDescribeLabel, ui->quickDescribeLabel}) {
        QSizePolicy policy = caption->sizePolicy();
        policy.setHeightForWidth(false);
        caption->setSizePolicy(policy);
        caption->setMinimumHeight(caption->fontMetrics().lineSpacing() * 3);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    ui->triDisplayBtn->setChecked(mTriggerDisplay);
    ui->quickDisplayBtn->setChecked(mQuickDisplay);
    ui->deadDownSlider->setRange(0, kDeadZoneMax);
    ui->deadUpSlider->setRange(0, kDeadZoneMax);
    for (QWidget* area :
         {ui->triggerArea, ui->quickCheckArea, ui->quickArea, ui->resetArea, ui->continueArea})
        area->installEventFilter(this);
    mRequests = new RequestQueue(engine(), source(), this);
    connectControls();
    nameControls();
    setPerKeyEnabled(false);
    logLine(QStringLiteral("性能设置页面初始化"));
}

PerformanceSetForm::~PerformanceSetForm() {
    logLine(QStringLiteral("性能设置页面销毁"));
}

void PerformanceSetForm::connectControls() {
    auto click = [this](QPushButton* b, void (PerformanceSetForm::*slot)()) {
        connect(b, &QPushButton::clicked, this, [this, slot] { (this->*slot)(); });
    };
    click(ui->selectAllBtn, &PerformanceSetForm::on_selectAllBtn_clicked);
    click(ui->invertBtn, &PerformanceSetForm::on_invertBtn_clicked);
    click(ui->deselectAllBtn, &PerformanceSetForm::on_deselectAllBtn_clicked);
    click(ui->triDisplayBtn, &PerformanceSetForm::on_triDisplayBtn_clicked);
    click(ui->quickDisplayBtn, &PerformanceSetForm::on_quickDisplayBtn_clicked);
    click(ui->triggerDecBtn, &PerformanceSetForm::on_triggerDecBtn_clicked);
    click(ui->triggerAddBtn, &PerformanceSetForm::on_triggerAddBtn_clicked);
    click(ui->quickDecBtn, &PerformanceSetForm::on_quickDecBtn_clicked);
    click(ui->quickAddBtn, &PerformanceSetForm::on_quickAddBtn_clicked);
    click(ui->resetDecBtn, &PerformanceSetForm::on_resetDecBtn_clicked);
    click(ui->resetAddBtn, &PerformanceSetForm::on_resetAddBtn_clicked);
    click(ui->rate8Btn, &PerformanceSetForm::on_rate8Btn_clicked);
    click(ui->rate4Btn, &PerformanceSetForm::on_rate4Btn_clicked);
    click(ui->rate2Btn, &PerformanceSetForm::on_rate2Btn_clicked);
    click(ui->rate1Btn, &PerformanceSetForm::on_rate1Btn_clicked);
    click(ui->shakeLowBtn, &PerformanceSetForm::on_shakeLowBtn_clicked);
    click(ui->shakeMiddleBtn, &PerformanceSetForm::on_shakeMiddleBtn_clicked);
    click(ui->shakeHighBtn, &PerformanceSetForm::on_shakeHighBtn_clicked);
    connect(ui->quickCheckBox, &QCheckBox::clicked, this,
            &PerformanceSetForm::on_quickCheckBox_clicked);
    connect(ui->continueCheckBox, &QCheckBox::clicked, this,
            &PerformanceSetForm::on_continueCheckBox_clicked);
    connect(ui->brokenCheckBox, &QCheckBox::clicked, this,
            &PerformanceSetForm::on_brokenCheckBox_clicked);
    connect(ui->sportsCheckBox, &QCheckBox::clicked, this,
            &PerformanceSetForm::on_sportsCheckBox_clicked);
    connect(ui->triggerSlider, &QCustomSlider::customSliderClicked, this,
            &PerformanceSetForm::triggerSliderClicked);
    connect(ui->quickSlider, &QCustomSlider::customSliderClicked, this,
            &PerformanceSetForm::quickSliderClicked);
    connect(ui->resetSlider, &QCustomSlider::customSliderClicked, this,
            &PerformanceSetForm::resetSliderClicked);
    connect(ui->deadDownSlider, &QCustomSlider::customSliderClicked, this,
            &PerformanceSetForm::deadDownSliderClicked);
    connect(ui->deadUpSlider, &QCustomSlider::customSliderClicked, this,
            &PerformanceSetForm::deadUpSliderClicked);
    // The wheel and the arrow keys move a slider too: such a step counts as a
    // release at the position it reaches.
    auto stepped = [this](QCustomSlider* slider, void (PerformanceSetForm::*slot)(int, int)) {
        connect(slider, &QAbstractSlider::actionTriggered, this, [this, slider, slot] {
            if (slider->isSliderDown()) return;  // a drag acts on release
            // The position is already moved; the value follows after this signal.
            (this->*slot)(QCustomSlider::Release, slider->sliderPosition());
        });
    };
    stepped(ui->triggerSlider, &PerformanceSetForm::triggerSliderClicked);
    stepped(ui->quickSlider, &PerformanceSetForm::quickSliderClicked);
    stepped(ui->resetSlider, &PerformanceSetForm::resetSliderClicked);
    stepped(ui->deadDownSlider, &PerformanceSetForm::deadDownSliderClicked);
    stepped(ui->deadUpSlider, &PerformanceSetForm::deadUpSliderClicked);

    if (UsbCommunicateUtil* e = engine()) {
        connect(e, &UsbCommunicateUtil::usb_communicate_error, this,
                &PerformanceSetForm::usb_communicate_error);
        connect(e, &UsbCommunicateUtil::usb_receive_set_whole_param, this,
                &PerformanceSetForm::usb_receive_set_whole_param);
        connect(e, &UsbCommunicateUtil::usb_receive_set_trigger_config, this,
                &PerformanceSetForm::usb_receive_set_trigger_config);
        connect(e, &UsbCommunicateUtil::usb_receive_set_quick_trigger_config, this,
                &PerformanceSetForm::usb_receive_set_quick_trigger_config);
    }
}

void PerformanceSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
    nameControls();
    // Values are no translatable texts: show them again.
    showWholeParam();
    keyboard_select();
}

void PerformanceSetForm::nameControls() {
    ui->triggerDecBtn->setAccessibleName(tr("减小触发行程"));
    ui->triggerAddBtn->setAccessibleName(tr("增大触发行程"));
    ui->quickDecBtn->setAccessibleName(tr("减小按下灵敏度"));
    ui->quickAddBtn->setAccessibleName(tr("增大按下灵敏度"));
    ui->resetDecBtn->setAccessibleName(tr("减小抬起灵敏度"));
    ui->resetAddBtn->setAccessibleName(tr("增大抬起灵敏度"));
}

int PerformanceSetForm::indicatorOffset(int value, int minimum, int maximum) {
    if (maximum <= minimum) return 0;
    const int clamped = qBound(minimum, value, maximum);
    return (clamped - minimum) * kIndicatorTravel / (maximum - minimum);
}

QString PerformanceSetForm::distanceText(int hundredths) {
    return QString::number(hundredths / 100.0, 'f', 2) + QStringLiteral("mm");
}

// ------------------------------------------------------------ showing the page

void PerformanceSetForm::enter() {
    if (QPushButton* own = navigationBar()->button(PagePerformance)) own->setChecked(true);
    const KeyboardConfigUtil* m = model();
    ui->deadDownSlider->setRange(0, kDeadZoneMax);
    ui->deadUpSlider->setRange(0, kDeadZoneMax);
    mParam = m && m->keyboardWholeParam ? *m->keyboardWholeParam : WholeParam();
    showWholeParam();
    const bool hideRows = m && m->keyboardProductInfo && m->keyboardProductInfo->flag0;
    ui->rateWidget->setVisible(!hideRows);
    ui->shakeWidget->setVisible(!hideRows);
    if (m && m->keyboardProduct) {
        const ProductRecord& p = *m->keyboardProduct;
        ui->triggerSlider->setRange(p.triggerMin, p.triggerMax);
        ui->quickSlider->setRange(p.qttMin, p.qttMax);
        ui->resetSlider->setRange(p.qrtMin, p.qrtMax);
    }
    const QString folder = SystemConfigUtil::instance()
                               ? SystemConfigUtil::instance()->imageFolder()
                               : SystemConfigUtil::imageFolder(0);
    mTriggerBottom = QPixmap(folder + QStringLiteral("trigger_bottom.png"));
    mTriggerIndex = QPixmap(folder + QStringLiteral("trigger_index.png"));
    mTriggerBack = QPixmap(folder + QStringLiteral("trigger_back.png"));
    setPerKeyEnabled(false);
    buildPicture();
    showActuation(ui->triggerSlider->value());
}

void PerformanceSetForm::buildPicture() {
    if (!mKeyboardWidget) {
        mKeyboardWidget = new QNatureKeyboardWidget(ui->keyboardWidget);
        connect(mKeyboardWidget, &QNatureKeyboardWidget::keyboard_select, this,
                &PerformanceSetForm::keyboard_select);
        // Right after the page tabs, as on the other pages, not at the end
        // where its late creation puts it.
        if (NavigationBar* bar = navigationBar())
            if (QWidget* last = bar->button(PageOther)) setTabOrder(last, mKeyboardWidget);
    }
    QNatureKeyboardWidget::placePicture(mKeyboardWidget);
    mKeyboardWidget->rebuild();
    mKeyboardWidget->show();
    applyDisplaySwitches();
}

void PerformanceSetForm::applyDisplaySwitches() {
    ui->triDisplayBtn->setChecked(mTriggerDisplay);
    ui->quickDisplayBtn->setChecked(mQuickDisplay);
    if (!mKeyboardWidget) return;
    mKeyboardWidget->setTriggerVisible(mTriggerDisplay);
    mKeyboardWidget->setQuickVisible(mQuickDisplay);
}

void PerformanceSetForm::showWholeParam() {
    ui->rate8Btn->setChecked(mParam.pollingRate == 0);
    ui->rate4Btn->setChecked(mParam.pollingRate == 1);
    ui->rate2Btn->setChecked(mParam.pollingRate == 2);
    ui->rate1Btn->setChecked(mParam.pollingRate == 3);
    ui->shakeLowBtn->setChecked(mParam.shakeLevel == 0);
    ui->shakeMiddleBtn->setChecked(mParam.shakeLevel == 1);
    ui->shakeHighBtn->setChecked(mParam.shakeLevel == 2);
    ui->brokenCheckBox->setChecked(mParam.touchOptimize);
    ui->sportsCheckBox->setChecked(mParam.sportsMode);
    ui->deadDownSlider->setValue(mParam.deadDown);
    ui->deadUpSlider->setValue(mParam.deadUp);
    ui->deadDownValueLabel->setText(distanceText(ui->deadDownSlider->value()));
    ui->deadUpValueLabel->setText(distanceText(ui->deadUpSlider->value()));
}

void PerformanceSetForm::showActuation(int value) {
    ui->triggerValueLabel->setText(distanceText(value));
    const int offset =
        indicatorOffset(value, ui->triggerSlider->minimum(), ui->triggerSlider->maximum());
    QPixmap picture(ui->triggerPictureLabel->minimumSize());
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.drawPixmap(0, 0, mTriggerBottom);
        painter.drawPixmap(0, offset, mTriggerIndex);
        painter.drawPixmap(0, 0, mTriggerBack);
    }
    ui->triggerPictureLabel->setPixmap(picture);
}

// ------------------------------------------------------------ selection

QByteArray PerformanceSetForm::selectedKeys() const {
    return mKeyboardWidget ? mKeyboardWidget->selectedKeys() : QByteArray();
}

void PerformanceSetForm::on_selectAllBtn_clicked() {
    if (!mKeyboardWidget) return;
    mKeyboardWidget->selectAll();
    keyboard_select();
}

void PerformanceSetForm::on_invertBtn_clicked() {
    if (!mKeyboardWidget) return;
    mKeyboardWidget->invertSelection();
    keyboard_select();
}

void PerformanceSetForm::on_deselectAllBtn_clicked() {
    if (!mKeyboardWidget) return;
    mKeyboardWidget->deselectAll();
    keyboard_select();
}

void PerformanceSetForm::setQuickControlsEnabled(bool enabled) {
    for (QWidget* w :
         {static_cast<QWidget*>(ui->quickSlider), static_cast<QWidget*>(ui->quickDecBtn),
          static_cast<QWidget*>(ui->quickAddBtn), static_cast<QWidget*>(ui->resetSlider),
          static_cast<QWidget*>(ui->resetDecBtn), static_cast<QWidget*>(ui->resetAddBtn),
          static_cast<QWidget*>(ui->continueCheckBox)})
        w->setEnabled(enabled);
}

void PerformanceSetForm::setPerKeyEnabled(bool enabled) {
    ui->triggerSlider->setEnabled(enabled);
    ui->triggerDecBtn->setEnabled(enabled);
    ui->triggerAddBtn->setEnabled(enabled);
    ui->quickCheckBox->setEnabled(enabled);
    if (!enabled) {
        ui->quickCheckBox->setChecked(false);
        ui->continueCheckBox->setChecked(false);
        setQuickControlsEnabled(false);
    }
}

void PerformanceSetForm::keyboard_select() {
    const QByteArray keys = selectedKeys();
    if (keys.isEmpty()) {
        setPerKeyEnabled(false);
        return;
    }
    // The key pressed last; when that press deselected it, the first
    // selected key stands in for the selection.
    quint8 key = mKeyboardWidget->lastKey();
    if (!keys.contains(char(key))) key = quint8(keys.at(0));
    const KeyboardConfigUtil* m = model();
    const TriggerSettingPtr t = m ? m->triggerConfig(key) : TriggerSettingPtr();
    setPerKeyEnabled(true);
    const TriggerSetting setting = t ? *t : TriggerSetting();
    ui->triggerSlider->setValue(setting.trigger);
    showActuation(ui->triggerSlider->value());
    ui->quickCheckBox->setChecked(setting.model);
    if (setting.model) {
        ui->quickSlider->setValue(setting.quickTrigger);
        ui->resetSlider->setValue(setting.resetTrigger);
        ui->quickValueLabel->setText(distanceText(ui->quickSlider->value()));
        ui->resetValueLabel->setText(distanceText(ui->resetSlider->value()));
        ui->continueCheckBox->setChecked(setting.quick);
        setQuickControlsEnabled(true);
    } else {
        ui->continueCheckBox->setChecked(false);
        setQuickControlsEnabled(false);
    }
}

bool PerformanceSetForm::eventFilter(QObject* watched, QEvent* event) {
    // Presses on the per-key controls while they are disabled reach their
    // area: tell the user what is missing.
    if (event->type() == QEvent::MouseButtonPress && selectedKeys().isEmpty())
        toast(tr("请先选择要设置的按键"));
    return SettingPage::eventFilter(watched, event);
}

// ------------------------------------------------------------ display switches

void PerformanceSetForm::on_triDisplayBtn_clicked() {
    mTriggerDisplay = !mTriggerDisplay;
    applyDisplaySwitches();
}

void PerformanceSetForm::on_quickDisplayBtn_clicked() {
    mQuickDisplay = !mQuickDisplay;
    applyDisplaySwitches();
}

// ------------------------------------------------------------ actuation point

void PerformanceSetForm::sendTrigger(int value) {
    const QByteArray keys = selectedKeys();
    if (keys.isEmpty()) return;
    TriggerSetting setting;
    setting.trigger = quint16(value);
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetTriggerConfig),
        [from, setting, keys] {
            UsbCommunicateUtil* e = engine();
            if (e) e->setTriggerConfig(from, true, setting, keys);
            return e != nullptr;
        },
        [this](bool ok, int error) {
            if (!ok) return requestFailed(error);
            UsbCommunicateUtil* e = engine();
            KeyboardConfigUtil* m = model();
            if (e && m) e->commitSetTriggerConfig(m);
            restoreAfterConfirmation();
        },
        QStringLiteral("trigger/") + QString::fromLatin1(keys.toHex()));
}

void PerformanceSetForm::triggerSliderClicked(int type, int value) {
    showActuation(value);
    if (type == QCustomSlider::Release) sendTrigger(value);
}

void PerformanceSetForm::on_triggerDecBtn_clicked() {
    const int value = qMax(ui->triggerSlider->minimum(), ui->triggerSlider->value() - 1);
    ui->triggerSlider->setValue(value);
    showActuation(value);
    sendTrigger(value);
}

void PerformanceSetForm::on_triggerAddBtn_clicked() {
    const int value = qMin(ui->triggerSlider->maximum(), ui->triggerSlider->value() + 1);
    ui->triggerSlider->setValue(value);
    showActuation(value);
    sendTrigger(value);
}

// ------------------------------------------------------------ rapid trigger

void PerformanceSetForm::sendQuick(const QString& field,
                                   const std::function<void(QuickTriggerEntry&)>& change) {
    const QByteArray keys = selectedKeys();
    if (keys.isEmpty()) return;
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetQuickTriggerConfig),
        [from, keys, change] {
            // Built when it goes out, from what the keyboard confirmed by
            // then: a change sent just before this one is kept.
            UsbCommunicateUtil* e = engine();
            const KeyboardConfigUtil* m = model();
            if (!e || !m) return false;
            QuickTriggerList list;
            for (char c : keys) {
                const TriggerSettingPtr t = m->triggerConfig(quint8(c));
                auto entry = QuickTriggerPtr::create();
                entry->keyItem = quint8(c);
                if (t) {
                    entry->model = t->model;
                    entry->quick = t->quick;
                    entry->quickTrigger = t->quickTrigger;
                    entry->resetTrigger = t->resetTrigger;
                }
                change(*entry);
                list.append(entry);
            }
            e->setQuickTriggerConfig(from, true, list);
            return true;
        },
        [this](bool ok, int error) {
            if (!ok) return requestFailed(error);
            UsbCommunicateUtil* e = engine();
            KeyboardConfigUtil* m = model();
            if (e && m) e->commitSetQuickTriggerConfig(m);
            restoreAfterConfirmation();
        },
        QStringLiteral("quick/%1/").arg(field) + QString::fromLatin1(keys.toHex()));
}

void PerformanceSetForm::on_quickCheckBox_clicked(bool checked) {
    setQuickControlsEnabled(checked);
    if (!checked) ui->continueCheckBox->setChecked(false);
    if (checked) {
        ui->quickValueLabel->setText(distanceText(ui->quickSlider->value()));
        ui->resetValueLabel->setText(distanceText(ui->resetSlider->value()));
    }
    sendQuick(QStringLiteral("model"), [checked](QuickTriggerEntry& q) { q.model = checked; });
}

void PerformanceSetForm::on_continueCheckBox_clicked(bool checked) {
    sendQuick(QStringLiteral("quick"), [checked](QuickTriggerEntry& q) { q.quick = checked; });
}

void PerformanceSetForm::stepSlider(QCustomSlider* slider, int delta) {
    slider->setValue(qBound(slider->minimum(), slider->value() + delta, slider->maximum()));
}

void PerformanceSetForm::quickSliderClicked(int type, int value) {
    ui->quickValueLabel->setText(distanceText(value));
    if (type != QCustomSlider::Release) return;
    sendQuick(QStringLiteral("press"),
              [value](QuickTriggerEntry& q) { q.quickTrigger = quint16(value); });
}

void PerformanceSetForm::resetSliderClicked(int type, int value) {
    ui->resetValueLabel->setText(distanceText(value));
    if (type != QCustomSlider::Release) return;
    sendQuick(QStringLiteral("release"),
              [value](QuickTriggerEntry& q) { q.resetTrigger = quint16(value); });
}

void PerformanceSetForm::on_quickDecBtn_clicked() {
    stepSlider(ui->quickSlider, -1);
    quickSliderClicked(QCustomSlider::Release, ui->quickSlider->value());
}

void PerformanceSetForm::on_quickAddBtn_clicked() {
    stepSlider(ui->quickSlider, 1);
    quickSliderClicked(QCustomSlider::Release, ui->quickSlider->value());
}

void PerformanceSetForm::on_resetDecBtn_clicked() {
    stepSlider(ui->resetSlider, -1);
    resetSliderClicked(QCustomSlider::Release, ui->resetSlider->value());
}

void PerformanceSetForm::on_resetAddBtn_clicked() {
    stepSlider(ui->resetSlider, 1);
    resetSliderClicked(QCustomSlider::Release, ui->resetSlider->value());
}

// ------------------------------------------------------------ global parameters

void PerformanceSetForm::sendWholeParam() {
    showWholeParam();
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetWholeParam),
        [this, from] {
            // The page's parameters as they are when the request goes out:
            // every change made while an earlier one was on its way.
            UsbCommunicateUtil* e = engine();
            if (e) e->setWholeParam(from, true, mParam);
            return e != nullptr;
        },
        [this](bool ok, int error) {
            if (!ok) return requestFailed(error);
            UsbCommunicateUtil* e = engine();
            KeyboardConfigUtil* m = model();
            if (!e || !m || !m->keyboardWholeParam) return;
            e->commitWholeParam(m);
            // Changes still waiting stay on the page until they are answered.
            if (mRequests->pending() > 0) return;
            mParam = *m->keyboardWholeParam;
            showWholeParam();
        },
        QStringLiteral("param"));
}

void PerformanceSetForm::setRate(qint8 rate) {
    if (mParam.pollingRate == rate) {
        showWholeParam();
        return;
    }
    mParam.pollingRate = rate;
    sendWholeParam();
}

void PerformanceSetForm::setShake(qint8 level) {
    if (mParam.shakeLevel == level) {
        showWholeParam();
        return;
    }
    mParam.shakeLevel = level;
    sendWholeParam();
}

void PerformanceSetForm::on_rate8Btn_clicked() {
    setRate(0);
}
void PerformanceSetForm::on_rate4Btn_clicked() {
    setRate(1);
}
void PerformanceSetForm::on_rate2Btn_clicked() {
    setRate(2);
}
void PerformanceSetForm::on_rate1Btn_clicked() {
    setRate(3);
}
void PerformanceSetForm::on_shakeLowBtn_clicked() {
    setShake(0);
}
void PerformanceSetForm::on_shakeMiddleBtn_clicked() {
    setShake(1);
}
void PerformanceSetForm::on_shakeHighBtn_clicked() {
    setShake(2);
}

void PerformanceSetForm::on_brokenCheckBox_clicked(bool checked) {
    if (mParam.touchOptimize == checked) return;
    mParam.touchOptimize = checked;
    sendWholeParam();
}

void PerformanceSetForm::on_sportsCheckBox_clicked(bool checked) {
    if (mParam.sportsMode == checked) return;
    mParam.sportsMode = checked;
    sendWholeParam();
}

void PerformanceSetForm::deadDownSliderClicked(int type, int value) {
    ui->deadDownValueLabel->setText(distanceText(value));
    if (type != QCustomSlider::Release) return;
    mParam.deadDown = qint16(value);
    sendWholeParam();
}

void PerformanceSetForm::deadUpSliderClicked(int type, int value) {
    ui->deadUpValueLabel->setText(distanceText(value));
    if (type != QCustomSlider::Release) return;
    mParam.deadUp = qint16(value);
    sendWholeParam();
}

bool PerformanceSetForm::isBusy() const {
    return mRequests->busy();
}

// ------------------------------------------------------------ confirmations

void PerformanceSetForm::restoreAfterConfirmation() {
    if (!mKeyboardWidget) return;
    const QByteArray selection = selectedKeys();
    mKeyboardWidget->rebuild();
    mKeyboardWidget->setSelectedKeys(selection);
    applyDisplaySwitches();
}

// The model takes a change when its request ends answered (see the
// callbacks above); these slots keep the log of whose answer came.
void PerformanceSetForm::usb_receive_set_trigger_config(uchar source, int current, int total) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    if (!acceptSource(source, "usb_receive_set_trigger_config")) return;
    mRequests->progress();
}

void PerformanceSetForm::usb_receive_set_quick_trigger_config(uchar source, int current,
                                                              int total) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    if (!acceptSource(source, "usb_receive_set_quick_trigger_config")) return;
    mRequests->progress();
}

void PerformanceSetForm::usb_receive_set_whole_param(uchar source, int current, int total) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    acceptSource(source, "usb_receive_set_whole_param");
}

void PerformanceSetForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
}

void PerformanceSetForm::requestFailed(int error) {
    if (error == RequestQueue::ErrorCleared) return;
    // What waited was meant on top of the change that failed.
    mRequests->clear();
    // Back to what the keyboard holds.
    const KeyboardConfigUtil* m = model();
    mParam = m && m->keyboardWholeParam ? *m->keyboardWholeParam : WholeParam();
    showWholeParam();
    restoreAfterConfirmation();
    keyboard_select();
    toast(tr("修改没有保存到键盘，页面已恢复为键盘上的设置"));
}
