#include "ui/pages/highkey/qhighkeydialog.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleOption>

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"
#include "services/customtooltip.h"
#include "services/qtoastbox.h"
#include "services/systemconfigutil.h"
#include "services/tooltiputil.h"
#include "ui/accessibility/keyboardaccess.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui/widgets/qrsokeyboardwidget.h"

namespace {
const QString kSelectedBorder = QStringLiteral("QLabel {  border: 1px solid rgb(255,136,38); }");
const QString kIdleBorder = QStringLiteral("QLabel {  border: 1px solid rgb(242,243,245); }");
}  // namespace

QHighKeyDialog::QHighKeyDialog(quint8 item, const HIGH_KEY_INFO& fresh, QWidget* parent)
    : QDialog(parent), mRecord(fresh) {
    if (item != KeyboardConfigUtil::NoSlot) {
        if (const KeyboardConfigUtil* model = KeyboardConfigUtil::instance()) {
            for (const HighKeyPtr& slot : model->keyboardHighKeyList) {
                if (slot && slot->item == item) {
                    mRecord = *slot;
                    mNew = false;
                    break;
                }
            }
        }
    }
}

QHighKeyDialog::~QHighKeyDialog() {
    CustomToolTip* tip = CustomToolTip::instance();
    if (tip && mSlots.contains(qobject_cast<QLabel*>(tip->anchor()))) tip->hideTip();
}

QByteArray QHighKeyDialog::recordBytes() const {
    QByteArray bytes;
    bytes.append(char(mRecord.item));
    bytes.append(char(mRecord.attribute));
    bytes.append(reinterpret_cast<const char*>(mRecord.data), int(sizeof(mRecord.data)));
    return bytes;
}

void QHighKeyDialog::setupCommon(QWidget* delBtn) {
    // The form's buttons reach the on_<name>_clicked slots by their names.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    delBtn->setVisible(!mNew);
    KeyboardAccess::makeReachable(this);
}

void QHighKeyDialog::orderTabs(QWidget* picture) {
    // The picture is made after the form's buttons: it goes before them.
    QWidget* previous = picture;
    for (const char* name : {"delBtn", "cancelBtn", "saveBtn"}) {
        auto* button = findChild<QPushButton*>(QLatin1String(name));
        if (!button) continue;
        setTabOrder(previous, button);
        previous = button;
    }
}

void QHighKeyDialog::setupFunctionSlots(const QList<QLabel*>& slotLabels,
                                        const QList<Function>& functions, QWidget* pickerHost) {
    mSlots = slotLabels;
    mFunctions = functions;
    while (mFunctions.size() < mSlots.size()) mFunctions.append(Function());
    for (int i = 0; i < mSlots.size(); ++i) {
        mSlots[i]->installEventFilter(this);
        mSlots[i]->setCursor(Qt::PointingHandCursor);
        // Space or Enter chooses the slot as a click does.
        mSlots[i]->setFocusPolicy(Qt::StrongFocus);
        mSlots[i]->setAccessibleName(tr("功能 %1").arg(i + 1));
        paintSlot(i);
    }
    mPicker = new QInputKeyboardWidget(KeyCatalogue::TabKeyboard, pickerHost);
    mPicker->setGeometry(0, 0, 1100, 284);
    mPicker->setAccessibleName(tr("按键功能"));
    orderTabs(mPicker);
    connect(mPicker, &QInputKeyboardWidget::input_keyboard_select, this,
            &QHighKeyDialog::input_keyboard_select);
}

void QHighKeyDialog::setupPair(QLabel* key1Label, QLabel* key2Label, QWidget* pictureHost) {
    const quint8 first = mRecord.data[0];
    key1Label->setText(defaultKeyName(first));
    key1Label->setAccessibleDescription(key1Label->text());
    mKey2Label = key2Label;
    mKey2Label->setStyleSheet(kSelectedBorder);
    mKey2Label->setText(mRecord.data[1] == 255 ? QString() : defaultKeyName(mRecord.data[1]));
    mPairPicture = new QRsoKeyboardWidget(first, pictureHost);
    mPairPicture->rebuild();
    mPairPicture->move(0, 0);
    if (mRecord.data[1] != 255) {
        mPairPicture->setSelectedKey(mRecord.data[1]);
        mSecondKey = mPairPicture->selectedKey();
    }
    connect(mPairPicture, &QRsoKeyboardWidget::keyboard_select, this,
            &QHighKeyDialog::keyboard_select);
    key2Label->setAccessibleDescription(key2Label->text());
    orderTabs(mPairPicture);
}

QHighKeyDialog::Function QHighKeyDialog::functionAt(const quint8* bytes, bool lowFirst) {
    Function f;
    f.type = bytes[0];
    f.lValue = lowFirst ? bytes[1] : bytes[2];
    f.hValue = lowFirst ? bytes[2] : bytes[1];
    return f;
}

void QHighKeyDialog::putFunction(quint8* bytes, const Function& f, bool lowFirst) {
    bytes[0] = f.type;
    bytes[1] = lowFirst ? f.lValue : f.hValue;
    bytes[2] = lowFirst ? f.hValue : f.lValue;
}

QString QHighKeyDialog::functionName(const Function& f) {
    if (f.isNone()) return QString();
    const QString name = KeyCatalogue::shortName(f.type, f.hValue, f.lValue);
    return name.isEmpty() ? KeyCatalogue::displayName(f.type, f.hValue, f.lValue) : name;
}

QString QHighKeyDialog::defaultKeyName(quint8 keyItem) {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const DefaultKeyPtr key = model ? model->defaultKey(keyItem, 0) : DefaultKeyPtr();
    return key ? key->label : QString();
}

QString QHighKeyDialog::currentKeyName(quint8 keyItem) {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const KeyBindingPtr binding = model ? model->keyConfig(0, keyItem) : KeyBindingPtr();
    if (!binding) return QString();
    const quint8 kind = binding->type == KeyCatalogue::TypeAdvanced
                            ? model->highKeyAttribute(binding->lValue)
                            : KeyCatalogue::NoKind;
    const KeyLabel label =
        KeyCatalogue::label(binding->type, binding->hValue, binding->lValue, kind);
    return label.found ? label.text : QString();
}

void QHighKeyDialog::paintSlot(int slot) {
    QLabel* label = mSlots.value(slot);
    if (!label) return;
    label->setStyleSheet(slot == mSelectedSlot ? kSelectedBorder : kIdleBorder);
    const QString name = functionName(mFunctions.value(slot));
    label->setText(name);
    // Read with the slot's name, and whether the picker fills it next.
    QString description = name.isEmpty() ? tr("无") : name;
    if (slot == mSelectedSlot)
        description = tr("%1，已选中，在按键功能中选择新功能").arg(description);
    label->setAccessibleDescription(description);
}

void QHighKeyDialog::selectSlot(int slot) {
    const int old = mSelectedSlot;
    mSelectedSlot = (slot >= 0 && slot < mSlots.size()) ? slot : -1;
    paintSlot(old);
    paintSlot(mSelectedSlot);
    CustomToolTip* tip = CustomToolTip::instance();
    if (!tip) return;
    if (mSelectedSlot >= 0) {
        const ToolTipUtil* tips = ToolTipUtil::instance();
        tip->showTip(mSlots[mSelectedSlot],
                     tips ? tips->text(QStringLiteral("QDksAddDialog/mPromptLabel")) : QString());
    } else if (mSlots.contains(qobject_cast<QLabel*>(tip->anchor()))) {
        tip->hideTip();
    }
}

void QHighKeyDialog::clickSlot(int slot) {
    selectSlot(slot == mSelectedSlot ? -1 : slot);
}

bool QHighKeyDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const int slot = mSlots.indexOf(qobject_cast<QLabel*>(watched));
        if (slot >= 0) {
            clickSlot(slot);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        const int slot = mSlots.indexOf(qobject_cast<QLabel*>(watched));
        const auto* key = static_cast<QKeyEvent*>(event);
        if (slot >= 0 && KeyboardAccess::activates(key)) {
            clickSlot(slot);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void QHighKeyDialog::input_keyboard_select(uchar type, uchar hValue, uchar lValue) {
    if (mSelectedSlot < 0) return;
    const int slot = mSelectedSlot;
    mFunctions[slot] = Function{type, hValue, lValue};
    selectSlot(-1);
    paintSlot(slot);
    slotChanged(slot);
}

void QHighKeyDialog::keyboard_select(uchar mItem) {
    mSecondKey = mItem;
    if (!mKey2Label) return;
    if (mItem != 255)
        mKey2Label->setText(currentKeyName(mItem));
    else  // deselected: the pair keeps its stored second key
        mKey2Label->setText(mRecord.data[1] == 255 ? QString() : defaultKeyName(mRecord.data[1]));
    mKey2Label->setAccessibleDescription(mKey2Label->text());
}

HIGH_KEY_INFO QHighKeyDialog::newPairRecord(quint8 kind, quint8 firstKey) {
    HIGH_KEY_INFO r;
    r.item = 255;
    r.attribute = kind;
    r.data[0] = firstKey;
    r.data[1] = 255;
    return r;
}

bool QHighKeyDialog::storePair(HIGH_KEY_INFO& record) {
    if (mSecondKey != 255) record.data[1] = mSecondKey;
    if (record.data[1] == 255 || record.data[1] == record.data[0]) {
        // A pair of one key would be written to the keyboard as it is.
        showRefusal(tr("请先选择按键2"));
        return false;
    }
    return true;
}

void QHighKeyDialog::showRefusal(const QString& text) {
    QToastBox::showToast(this, text);
}

void QHighKeyDialog::on_saveBtn_clicked() {
    HIGH_KEY_INFO record = mRecord;
    if (record.item == KeyboardConfigUtil::NoSlot) {
        const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
        const quint8 free = model ? model->freeHighKeySlot(0) : KeyboardConfigUtil::NoSlot;
        if (free == KeyboardConfigUtil::NoSlot) {
            // Slot 255 would be written as a record: refuse instead.
            showRefusal(tr("高级键数量已达上限"));
            return;
        }
        record.item = free;
    }
    if (!storeValues(record)) return;
    mRecord = record;
    mAction = mNew ? ActionNew : ActionEdit;
    accept();
}

void QHighKeyDialog::on_cancelBtn_clicked() {
    mAction = ActionNone;
    reject();
}

void QHighKeyDialog::on_delBtn_clicked() {
    if (mNew) return;
    mAction = ActionDelete;
    accept();
}

void QHighKeyDialog::paintEvent(QPaintEvent*) {
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    const SystemConfigUtil* config = SystemConfigUtil::instance();
    const bool dark = config && config->theme() == 1;
    painter.setPen(QColor(dark ? 0x4a4f59 : 0xc9cdd4));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
