#include "ui/pages/key/keysetform.h"

#include <QDebug>
#include <QKeyEvent>
#include <QPushButton>
#include <memory>

#include "catalogue/keycatalogue.h"
#include "common/applog.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"
#include "services/systemconfigutil.h"
#include "services/tooltiputil.h"
#include "ui/pageindex.h"
#include "ui/widgets/navigationbar.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui/widgets/qkeykeyboardwidget.h"
#include "ui_keysetform.h"

namespace {
KeyBinding bindingOf(int layer, quint8 keyItem) {
    const KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    const KeyBindingPtr b = m ? m->keyConfig(layer, keyItem) : KeyBindingPtr();
    return b ? *b : KeyBinding{keyItem, 0xFF, 0xFF, 0xFF};
}

QList<quint8> keysAtPosition(int layer, quint8 keyItem) {
    const KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    return m ? m->keysAtPosition(layer, keyItem) : QList<quint8>{keyItem};
}

bool sameFunction(const KeyBinding& a, const KeyBinding& b) {
    return a.type == b.type && a.hValue == b.hValue && a.lValue == b.lValue;
}

bool isRedo(const QKeyEvent* event) {
    return event->matches(QKeySequence::Redo) ||
           (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier) ||
           (event->key() == Qt::Key_Z &&
            event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier));
}

// Keys that move the focus or act on the picture's focus cursor: never taken
// as "press a key to select it".
bool isNavigationKey(int key) {
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return true;
        default:
            return false;
    }
}

bool isModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_AltGr || key == Qt::Key_Meta || key == Qt::Key_Super_L ||
           key == Qt::Key_Super_R;
}
}  // namespace

KeySetForm::KeySetForm(QWidget* parent)
    : SettingPage(PageKey, UsbProtocol::SourceKeySet, parent),
      ui(std::make_unique<Ui::KeySetForm>()) {
    ui->setupUi(content());
    // Down in the search field goes to the results.
    ui->searchEdit->installEventFilter(this);
    mTabButtons = {ui->keyboardBtn, ui->systemBtn, ui->macroBtn, ui->lightBtn, ui->extendBtn};
    mRequests = new RequestQueue(engine(), source(), this);

    connect(ui->normalLayerButton, &QPushButton::clicked, this,
            &KeySetForm::on_normalLayerButton_clicked);
    connect(ui->fn1LayerButton, &QPushButton::clicked, this,
            &KeySetForm::on_fn1LayerButton_clicked);
    connect(ui->keyboardBtn, &QPushButton::clicked, this, &KeySetForm::on_keyboardBtn_clicked);
    connect(ui->systemBtn, &QPushButton::clicked, this, &KeySetForm::on_systemBtn_clicked);
    connect(ui->macroBtn, &QPushButton::clicked, this, &KeySetForm::on_macroBtn_clicked);
    connect(ui->lightBtn, &QPushButton::clicked, this, &KeySetForm::on_lightBtn_clicked);
    connect(ui->extendBtn, &QPushButton::clicked, this, &KeySetForm::on_extendBtn_clicked);
    connect(ui->undoButton, &QPushButton::clicked, this, &KeySetForm::undo);
    connect(ui->searchEdit, &QLineEdit::textChanged, this, &KeySetForm::onSearchChanged);
    connect(ui->searchEdit, &QLineEdit::returnPressed, this, &KeySetForm::onSearchEntered);

    if (UsbCommunicateUtil* e = engine()) {
        connect(e, &UsbCommunicateUtil::usb_communicate_error, this,
                &KeySetForm::usb_communicate_error);
        connect(e, &UsbCommunicateUtil::usb_receive_set_keyboard_config, this,
                &KeySetForm::usb_receive_set_keyboard_config);
        connect(e, &UsbCommunicateUtil::usb_receive_set_keyboard_default, this,
                &KeySetForm::usb_receive_set_keyboard_default);
        connect(e, &UsbCommunicateUtil::usb_receive_del_high_key, this,
                &KeySetForm::usb_receive_del_high_key);
    }
    if (SystemConfigUtil* config = SystemConfigUtil::instance()) {
        // Picker faces and key images come from the theme's folder.
        connect(config, &SystemConfigUtil::themeChanged, this, [this] {
            mPickerStale = true;
            if (isVisible()) refresh();
        });
    }
    refreshLanguageUi();
    logLine(QStringLiteral("按键设置页面初始化"));
}

KeySetForm::~KeySetForm() {
    logLine(QStringLiteral("按键设置页面销毁"));
}

QKeyKeyboardWidget* KeySetForm::picture() const {
    return mPicture;
}
QInputKeyboardWidget* KeySetForm::picker() const {
    return mPicker;
}

void KeySetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
    if (const ToolTipUtil* tips = ToolTipUtil::instance()) {
        tips->setToolTip(ui->undoButton, QStringLiteral("KeySetForm/undoButton"));
        tips->setToolTip(ui->searchEdit, QStringLiteral("KeySetForm/searchEdit"));
    }
    ui->searchEdit->setAccessibleName(tr("搜索按键功能"));
    ui->undoButton->setAccessibleName(tr("撤销"));
    // Tool tips of the picker buttons follow the language.
    if (mPicker) openTab(mTab);
}

void KeySetForm::enter() {
    forgetStaleUndo();
    refresh();
    if (mPicture) mPicture->setFocus(Qt::OtherFocusReason);
}

void KeySetForm::leave() {
    if (mPicture) mPicture->hidePrompt();
}

void KeySetForm::refresh() {
    updateLayerButtons();
    const bool searching = !ui->searchEdit->text().isEmpty();
    ui->searchEdit->blockSignals(true);
    ui->searchEdit->clear();
    ui->searchEdit->blockSignals(false);
    // The picker's faces come from the fixed catalogue: tab 0 as it stands
    // is tab 0 opened again (unless the theme changed its pictures).
    if (!mPicker || mTab != KeyCatalogue::TabKeyboard || searching || mPickerStale)
        openTab(KeyCatalogue::TabKeyboard);
    updateTabButtons();
    rebuildPicture();
    updateUndoButton();
}

void KeySetForm::rebuildPicture() {
    const KeyboardConfigUtil* m = model();
    const qint16 product = m && m->keyboardProduct ? m->keyboardProduct->serialNumber : -1;
    if (mPicture && mPicture->layer() == mLayer && mPictureProduct == product) {
        // The same keyboard's picture: built again in place.
        mPicture->rebuild();
        return;
    }
    mPictureProduct = product;
    if (mPicture) {
        mPicture->hidePrompt();
        mPicture->hide();
        mPicture->deleteLater();
    }
    const bool hadFocus = mPicture && mPicture->hasFocus();
    mPicture = new QKeyKeyboardWidget(mLayer, ui->keyboardArea);
    QKeyboardWidget::placePicture(mPicture);
    // Keys typed while the picture has the focus select keys on it.
    mPicture->installEventFilter(this);
    connect(mPicture, &QKeyboardWidget::keyEntered, this, [this](quint8 keyItem) {
        // Enter chooses the key under the cursor (unless one is chosen) and
        // goes on to the picker.
        if (!mPicture->isKeySelected()) mPicture->selectKey(keyItem);
        if (mPicture->isKeySelected() && mPicker) mPicker->setFocus(Qt::TabFocusReason);
    });
    mPicture->rebuild();
    mPicture->show();
    placeInTabChain();
    if (hadFocus) mPicture->setFocus(Qt::OtherFocusReason);
}

void KeySetForm::placeInTabChain() {
    // Page tabs, picture, picker (and its buttons), then the page's buttons.
    QList<QWidget*> chain;
    if (NavigationBar* bar = navigationBar())
        for (int index = PageKey; index <= PageOther; ++index)
            if (QWidget* tab = bar->button(index)) chain << tab;
    if (mPicture) chain << mPicture;
    if (mPicker) {
        chain << mPicker;
        for (QPushButton* extra : mPicker->findChildren<QPushButton*>()) chain << extra;
    }
    chain << ui->searchEdit << ui->normalLayerButton << ui->fn1LayerButton;
    for (QPushButton* tab : std::as_const(mTabButtons)) chain << tab;
    chain << ui->undoButton;
    for (int i = 1; i < chain.size(); ++i) setTabOrder(chain.at(i - 1), chain.at(i));
}

void KeySetForm::openTab(int tab) {
    mTab = tab;
    mPickerStale = false;
    if (mPicker) {
        mPicker->hide();
        mPicker->deleteLater();
    }
    mPicker = new QInputKeyboardWidget(tab, ui->pickerArea);
    connect(mPicker, &QInputKeyboardWidget::input_keyboard_select, this,
            &KeySetForm::input_keyboard_select);
    connect(mPicker, &QInputKeyboardWidget::input_keyboard_button, this,
            &KeySetForm::input_keyboard_button);
    mPicker->setExtraButtonsVisible(tab == KeyCatalogue::TabKeyboard);
    if (!ui->searchEdit->text().trimmed().isEmpty()) mPicker->setSearchText(ui->searchEdit->text());
    mPicker->show();
    updateTabButtons();
    placeInTabChain();
}

void KeySetForm::updateLayerButtons() {
    ui->normalLayerButton->setChecked(mLayer == 0);
    ui->fn1LayerButton->setChecked(mLayer == 1);
}

void KeySetForm::updateTabButtons() {
    const bool searching = !ui->searchEdit->text().trimmed().isEmpty();
    for (int i = 0; i < mTabButtons.size(); ++i)
        mTabButtons[i]->setChecked(!searching && i == mTab);
}

void KeySetForm::updateUndoButton() {
    ui->undoButton->setEnabled(!mUndo[mLayer].isEmpty());
}

void KeySetForm::on_normalLayerButton_clicked() {
    if (mLayer != 0) {
        mLayer = 0;
        refresh();
    }
    updateLayerButtons();
}

void KeySetForm::on_fn1LayerButton_clicked() {
    if (mLayer != 1) {
        mLayer = 1;
        refresh();
    }
    updateLayerButtons();
}

void KeySetForm::on_keyboardBtn_clicked() {
    openTab(KeyCatalogue::TabKeyboard);
}
void KeySetForm::on_systemBtn_clicked() {
    openTab(KeyCatalogue::TabSystem);
}
void KeySetForm::on_macroBtn_clicked() {
    openTab(KeyCatalogue::TabMacro);
}
void KeySetForm::on_lightBtn_clicked() {
    openTab(KeyCatalogue::TabLight);
}
void KeySetForm::on_extendBtn_clicked() {
    openTab(KeyCatalogue::TabExtend);
}

void KeySetForm::onSearchChanged(const QString& text) {
    if (mPicker) mPicker->setSearchText(text);
    updateTabButtons();
}

void KeySetForm::onSearchEntered() {
    if (!mPicker || mPicker->takeOnlyMatch()) return;
    // Several matches: Enter goes to them (Up and Down walk, Enter takes).
    if (!mPicker->buttons().isEmpty()) mPicker->setFocus(Qt::TabFocusReason);
}

void KeySetForm::input_keyboard_select(uchar type, uchar hValue, uchar lValue) {
    AppLog::line(
        QStringLiteral(
            "=== KeySetForm input_keyboard_select type:( %1 },hValue:{%2 },lValue:{ %3 } ===")
            .arg(type)
            .arg(hValue)
            .arg(lValue));
    if (!mPicture || !mPicture->isKeySelected()) return;
    sendBinding(mPicture->selectedKeyItem(), type, hValue, lValue);
}

void KeySetForm::input_keyboard_button(uchar type) {
    AppLog::line(QStringLiteral("=== KeySetForm input_keyboard_button type:( %1 } ===").arg(type));
    if (!engine()) return;
    const bool selected = mPicture && mPicture->isKeySelected();
    switch (type) {
        case 0:
            if (selected) restoreDefault(mPicture->selectedKeyItem());
            break;
        case 1:
            if (selected)
                sendBinding(mPicture->selectedKeyItem(), KeyCatalogue::TypeNone, 0xFF, 0xFF);
            break;
        case 2:
            resetLayer();  // the whole layer: no key of it is meant
            break;
        default:
            break;
    }
}

bool KeySetForm::isBusy() const {
    return mRequests->busy();
}

bool KeySetForm::sendBinding(quint8 keyItem, quint8 type, quint8 hValue, quint8 lValue,
                             Origin origin) {
    if (!engine()) return false;
    auto change = std::make_shared<Change>();
    change->layer = mLayer;
    change->keyItem = keyItem;
    change->after = KeyBinding{keyItem, type, hValue, lValue};
    change->undo = origin == Origin::Undo;
    change->redo = origin == Origin::Redo;
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetKeyboardConfig),
        [change, from] {
            UsbCommunicateUtil* e = engine();
            if (!e) return false;
            // The binding it replaces as confirmed when it goes out.
            change->before = bindingOf(change->layer, change->keyItem);
            auto map = QSharedPointer<KeyBindingMap>::create();
            for (quint8 key : keysAtPosition(change->layer, change->keyItem))
                map->insert(
                    key, KeyBindingPtr::create(KeyBinding{
                             key, change->after.type, change->after.hValue, change->after.lValue}));
            e->setKeyboardConfig(from, true, uchar(change->layer), map);
            return true;
        },
        [this, change](bool ok, int error) {
            if (ok)
                bindingConfirmed(*change);
            else
                requestFailed(error);
        });
    return true;
}

void KeySetForm::restoreDefault(quint8 keyItem) {
    auto change = std::make_shared<Change>();
    change->layer = mLayer;
    change->keyItem = keyItem;
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetKeyboardDefault),
        [change, from] {
            UsbCommunicateUtil* e = engine();
            if (!e) return false;
            change->before = bindingOf(change->layer, change->keyItem);
            // Every key number of the position, two at most (one request);
            // each comes back with its own factory binding.
            QByteArray keys;
            for (quint8 key : keysAtPosition(change->layer, change->keyItem).mid(0, 2))
                keys.append(char(key));
            if (keys.size() < 2) keys.append(char(0xFF));
            e->setKeyboardDefault(from, true, uchar(change->layer), keys);
            return true;
        },
        [this, change](bool ok, int error) {
            if (ok)
                defaultConfirmed(*change);
            else
                requestFailed(error);
        });
}

void KeySetForm::resetLayer() {
    auto change = std::make_shared<Change>();
    change->layer = mLayer;
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetKeyboardDefault),
        [this, change, from] {
            UsbCommunicateUtil* e = engine();
            if (!e) return false;
            if (const KeyboardConfigUtil* m = model())
                mLayerRecords = m->highKeysOnlyInLayer(change->layer);
            e->setKeyboardDefault(from, true, uchar(change->layer), QByteArray(2, char(0xFF)));
            return true;
        },
        [this, change](bool ok, int error) {
            if (ok) {
                defaultConfirmed(*change);
                return;
            }
            mLayerRecords.clear();
            requestFailed(error);
        });
}

void KeySetForm::rebuildKeepingOtherSelection(quint8 changedKey) {
    // A key chosen meanwhile stays chosen; the key just changed does not.
    const quint8 kept = mPicture && mPicture->isKeySelected() ? mPicture->selectedKeyItem() : 255;
    rebuildPicture();
    if (kept != 255 && kept != changedKey && mPicture) mPicture->selectKey(kept);
}

void KeySetForm::requestFailed(int error) {
    if (error == RequestQueue::ErrorCleared) return;
    // What waited was meant on top of the change that failed. The model and
    // the picture stay as the keyboard confirmed them; the selection stays so
    // that the user can try again.
    mRequests->clear();
    updateUndoButton();
    toast(tr("修改没有保存到键盘，页面已恢复为键盘上的设置"));
}

void KeySetForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
    acceptSource(source, "usb_communicate_error");
}

// The model takes a change when its request ends answered (the callbacks
// given to the queue); these slots keep the log of whose answer came.
void KeySetForm::usb_receive_set_keyboard_config(uchar source, int current, int total,
                                                 uchar layer) {
    Q_UNUSED(layer);
    if (!acceptSource(source, "usb_receive_set_keyboard_config")) return;
    if (current < total) mRequests->progress();
}

void KeySetForm::usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer,
                                                  bool flag) {
    Q_UNUSED(layer);
    if (!acceptSource(source, "usb_receive_set_keyboard_default")) return;
    if (current < total) return;
    // Whether the keyboard reset the whole layer: its request's end needs it.
    if (mRequests->awaits(UsbProtocol::answerOf(UsbProtocol::SetKeyboardDefault)))
        mWholeLayerAnswer = flag;
}

void KeySetForm::usb_receive_del_high_key(uchar source, int current, int total,
                                          HIGH_KEY_INFO keyboardHighKey) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    Q_UNUSED(keyboardHighKey);
    acceptSource(source, "usb_receive_del_high_key");
}

void KeySetForm::bindingConfirmed(const Change& done) {
    KeyboardConfigUtil* m = model();
    if (!m) return;
    m->setKeyConfig(done.layer, done.keyItem, done.after.type, done.after.hValue,
                    done.after.lValue);
    releaseAdvancedKey(done.before);
    QList<UndoEntry>& stack = mUndo[done.layer];
    QList<UndoEntry>& redoStack = mRedo[done.layer];
    const KeyBindingPtr record = m->keyConfig(done.layer, done.keyItem);
    if (done.undo) {
        if (!stack.isEmpty()) stack.removeLast();
        // Redo sends again what the key held before this undo.
        redoStack.append(UndoEntry{done.keyItem, done.before, record});
    } else {
        if (done.redo) {
            if (!redoStack.isEmpty()) redoStack.removeLast();
        } else {
            redoStack.clear();  // a new change ends what could be redone
        }
        if (!sameFunction(done.before, done.after) &&
            done.before.type != KeyCatalogue::TypeAdvanced) {
            // An advanced key cannot come back: its record is freed.
            stack.append(UndoEntry{done.keyItem, done.before, record});
        }
    }
    rebuildKeepingOtherSelection(done.keyItem);
    updateUndoButton();
}

void KeySetForm::defaultConfirmed(const Change& done) {
    const bool wholeLayer = mWholeLayerAnswer;
    mWholeLayerAnswer = false;
    if (wholeLayer) {
        // The layer's keys lost their advanced keys: free those records on
        // the keyboard before it is read again.
        freeNextLayerRecord();
        return;
    }
    mLayerRecords.clear();
    KeyboardConfigUtil* m = model();
    UsbCommunicateUtil* e = engine();
    if (!m || !e) return;
    e->commitSetKeyboardDefault(m, uchar(done.layer));
    mRedo[done.layer].clear();
    if (done.keyItem != 255) {
        releaseAdvancedKey(done.before);
        const KeyBinding now = bindingOf(done.layer, done.keyItem);
        if (!sameFunction(done.before, now) && done.before.type != KeyCatalogue::TypeAdvanced)
            mUndo[done.layer].append(
                UndoEntry{done.keyItem, done.before, m->keyConfig(done.layer, done.keyItem)});
    }
    rebuildKeepingOtherSelection(done.keyItem);
    updateUndoButton();
}

void KeySetForm::releaseAdvancedKey(const KeyBinding& before) {
    if (before.type != KeyCatalogue::TypeAdvanced) return;
    KeyboardConfigUtil* m = model();
    if (!m || !engine()) return;
    const quint8 kind = m->highKeyAttribute(before.lValue);
    if (kind > 2) return;  // RS, OKS and SOCD keys are never remapped here
    for (const HighKeyPtr& slot : std::as_const(m->keyboardHighKeyList)) {
        if (slot && slot->item == before.lValue) {
            // The keyboard frees the record too; the model follows its answer.
            freeRecord(*slot, [this](bool ok, int error) {
                if (!ok) requestFailed(error);
            });
            return;
        }
    }
}

void KeySetForm::freeRecord(const HIGH_KEY_INFO& record,
                            const std::function<void(bool, int)>& then) {
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::DelHighKey),
        [record, from] {
            UsbCommunicateUtil* e = engine();
            if (e) e->delHighKey(from, true, record);
            return e != nullptr;
        },
        [record, then](bool ok, int error) {
            if (ok) {
                if (KeyboardConfigUtil* m = model()) {
                    for (int slot = 0; slot < m->keyboardHighKeyList.size(); ++slot) {
                        const HighKeyPtr& r = m->keyboardHighKeyList.at(slot);
                        if (r && r->item == record.item) {
                            m->clearHighKey(slot);
                            break;
                        }
                    }
                }
            }
            then(ok, error);
        });
}

void KeySetForm::freeNextLayerRecord() {
    if (mLayerRecords.isEmpty() || !engine()) {
        finishLayerReset();
        return;
    }
    freeRecord(mLayerRecords.takeFirst(), [this](bool ok, int error) {
        if (ok) {
            freeNextLayerRecord();
            return;
        }
        // The layer itself was reset: records not freed stay until the next
        // reset, and the keyboard is read again as after any layer reset.
        if (error != RequestQueue::ErrorCleared) mRequests->clear();
        finishLayerReset();
    });
}

void KeySetForm::finishLayerReset() {
    mLayerRecords.clear();
    toast(tr("重置键盘数据成功！"));
    clearUndo();
    emit navigateRequested(PageDevice);
}

int KeySetForm::undoDepth(int layer) const {
    return layer == 1 ? mUndo[1].size() : mUndo[0].size();
}

int KeySetForm::redoDepth(int layer) const {
    return layer == 1 ? mRedo[1].size() : mRedo[0].size();
}

void KeySetForm::clearUndo() {
    mUndo[0].clear();
    mUndo[1].clear();
    mRedo[0].clear();
    mRedo[1].clear();
    updateUndoButton();
}

void KeySetForm::forgetStaleUndo() {
    // A sync or an import replaces the model's records: changes recorded
    // against the old ones belong to another keyboard or table.
    const KeyboardConfigUtil* m = model();
    for (int layer = 0; layer < 2; ++layer) {
        for (const auto* list : {&mUndo[layer], &mRedo[layer]}) {
            for (const UndoEntry& entry : *list) {
                if (!m || m->keyConfig(layer, entry.keyItem) != entry.record) {
                    clearUndo();
                    return;
                }
            }
        }
    }
}

bool KeySetForm::undo() {
    mLastPressedKey = 0;  // Ctrl of Ctrl+Z selects nothing
    forgetStaleUndo();
    if (mUndo[mLayer].isEmpty() || mRequests->busy()) return false;
    const UndoEntry entry = mUndo[mLayer].last();
    return sendBinding(entry.keyItem, entry.before.type, entry.before.hValue, entry.before.lValue,
                       Origin::Undo);
}

bool KeySetForm::redo() {
    mLastPressedKey = 0;
    forgetStaleUndo();
    if (mRedo[mLayer].isEmpty() || mRequests->busy()) return false;
    const UndoEntry entry = mRedo[mLayer].last();
    return sendBinding(entry.keyItem, entry.before.type, entry.before.hValue, entry.before.lValue,
                       Origin::Redo);
}

quint8 KeySetForm::keyOfComputerKey(const QKeyEvent* event) const {
    quint8 type = 0, usage = 0;
    if (!KeyCatalogue::bindingForKeyEvent(event->key(),
                                          event->modifiers().testFlag(Qt::KeypadModifier),
                                          event->nativeScanCode(), &type, &usage))
        return 255;
    const KeyboardConfigUtil* m = model();
    if (!m) return 255;
    for (const DefaultKeyPtr& key : m->keyboardDefaultList)
        if (key && key->type == type && key->hValue == 0 && key->lValue == usage)
            return key->keyItem;
    return 255;
}

bool KeySetForm::handleComputerKey(QKeyEvent* event) {
    if (!mPicture || event->isAutoRepeat()) return false;
    if (mPicture->isKeySelected()) {
        // The picker is armed: only Escape does something.
        if (event->key() != Qt::Key_Escape) return false;
        mPicture->clearSelection();
        return true;
    }
    // Escape and the keys that move the focus or the cursor stay theirs.
    if (event->key() == Qt::Key_Escape || isNavigationKey(event->key())) return false;
    // Modifiers are taken on release so that Ctrl+Z does not pick Ctrl first.
    if (isModifierKey(event->key()) && event->type() == QEvent::KeyPress) return true;
    const quint8 key = keyOfComputerKey(event);
    if (key == 255) return false;
    mPicture->selectKey(key);
    mPicture->setFocusKey(key);
    return true;
}

bool KeySetForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool keyEvent =
        type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride;
    if (watched == ui->searchEdit && type == QEvent::KeyPress && mPicker &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down && !mPicker->buttons().isEmpty()) {
        mPicker->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (watched != mPicture.data() || !keyEvent) return SettingPage::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // A shortcut (Ctrl+1) sees only the override: its key still counts as
    // pressed, so that letting go of Ctrl afterwards selects nothing.
    if (type != QEvent::KeyRelease && !key->isAutoRepeat()) mLastPressedKey = key->key();
    if (type == QEvent::ShortcutOverride) return false;
    if (type == QEvent::KeyPress) {
        if (key->matches(QKeySequence::Undo)) {
            undo();
            return true;
        }
        if (isRedo(key)) {
            redo();
            return true;
        }
        return handleComputerKey(key);
    }
    if (isModifierKey(key->key()) && !key->isAutoRepeat() && mLastPressedKey == key->key()) {
        handleComputerKey(key);
        return true;
    }
    return false;
}

void KeySetForm::keyPressEvent(QKeyEvent* event) {
    // Ctrl+Z and redo anywhere on the page (the search field keeps its own).
    if (event->matches(QKeySequence::Undo)) {
        undo();
        event->accept();
        return;
    }
    if (isRedo(event)) {
        redo();
        event->accept();
        return;
    }
    SettingPage::keyPressEvent(event);
}
