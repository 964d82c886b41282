#include "ui/pages/highkey/highkeyform.h"

#include <QDebug>
#include <QGridLayout>

#include "catalogue/keycatalogue.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/pageindex.h"
#include "ui/pages/highkey/qdksadddialog.h"
#include "ui/pages/highkey/qhighkeyaddwidget.h"
#include "ui/pages/highkey/qhighkeyitemwidget.h"
#include "ui/pages/highkey/qmtadddialog.h"
#include "ui/pages/highkey/qpairadddialog.h"
#include "ui/pages/highkey/qsocdadddialog.h"
#include "ui/pages/highkey/qtgladddialog.h"
#include "ui/widgets/qhighkeyboardwidget.h"
#include "ui_highkeyform.h"

namespace {
enum Kind { Tgl = 0, Mt = 1, Dks = 2, Rs = 3, Oks = 4, Socd = 5 };
bool isPairKind(int kind) {
    return kind == Rs || kind == Oks || kind == Socd;
}
// The keys a record puts its advanced key on.
QList<quint8> keysOf(const HIGH_KEY_INFO& r) {
    QList<quint8> keys{r.data[0]};
    if (isPairKind(r.attribute)) keys.append(r.data[1]);
    keys.removeAll(quint8(255));
    return keys;
}
// Those keys and every other key number drawn as the same key (same posItem)
// that layer 0 binds: the model binds a whole position, so the keyboard must
// get each of them too.
QList<quint8> positionKeysOf(const HIGH_KEY_INFO& r) {
    QList<quint8> keys;
    const KeyboardConfigUtil* m = KeyboardConfigUtil::instance();
    for (quint8 key : keysOf(r)) {
        const QList<quint8> drawn = m ? m->keysAtPosition(0, key) : QList<quint8>{key};
        for (quint8 k : drawn)
            if (!keys.contains(k)) keys.append(k);
    }
    return keys;
}
}  // namespace

HighKeyForm::HighKeyForm(QWidget* parent)
    : SettingPage(PageHighKey, UsbProtocol::SourceHighKey, parent),
      ui(std::make_unique<Ui::HighKeyForm>()) {
    ui->setupUi(content());
    connect(ui->tglBtn, &QPushButton::clicked, this, &HighKeyForm::on_tglBtn_clicked);
    connect(ui->mtBtn, &QPushButton::clicked, this, &HighKeyForm::on_mtBtn_clicked);
    connect(ui->dksBtn, &QPushButton::clicked, this, &HighKeyForm::on_dksBtn_clicked);
    connect(ui->rsBtn, &QPushButton::clicked, this, &HighKeyForm::on_rsBtn_clicked);
    connect(ui->oksBtn, &QPushButton::clicked, this, &HighKeyForm::on_oksBtn_clicked);
    connect(ui->socdBtn, &QPushButton::clicked, this, &HighKeyForm::on_socdBtn_clicked);
    ui->highKeyGridLayout->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    mRequests = new RequestQueue(UsbCommunicateUtil::instance(), source(), this);

    if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance()) {
        connect(engine, &UsbCommunicateUtil::usb_communicate_error, this,
                &HighKeyForm::usb_communicate_error);
        connect(engine, &UsbCommunicateUtil::usb_receive_add_high_key, this,
                &HighKeyForm::usb_receive_add_high_key);
        connect(engine, &UsbCommunicateUtil::usb_receive_del_high_key, this,
                &HighKeyForm::usb_receive_del_high_key);
        connect(engine, &UsbCommunicateUtil::usb_receive_set_keyboard_default, this,
                &HighKeyForm::usb_receive_set_keyboard_default);
        connect(engine, &UsbCommunicateUtil::usb_receive_set_keyboard_config, this,
                &HighKeyForm::usb_receive_set_keyboard_config);
    }
    markKindTabs();
    logLine(QStringLiteral("高级键管理页面初始化"));
}

HighKeyForm::~HighKeyForm() {
    logLine(QStringLiteral("高级键管理页面销毁"));
}

void HighKeyForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
    refreshPrompt();
    rebuildList();
}

QList<QPushButton*> HighKeyForm::kindTabs() const {
    return {ui->tglBtn, ui->mtBtn, ui->dksBtn, ui->rsBtn, ui->oksBtn, ui->socdBtn};
}

quint8 HighKeyForm::selectedKey() const {
    return mPicture ? mPicture->selectedKey() : quint8(255);
}

QHighKeyboardWidget* HighKeyForm::picture() const {
    return mPicture.data();
}

QHighKeyDialog* HighKeyForm::dialog() const {
    return mDialog.data();
}

// ------------------------------------------------------------ showing

void HighKeyForm::enter() {
    refreshAll();
}

void HighKeyForm::refreshAll() {
    refreshPrompt();
    rebuildPicture();
    markKindTabs();
    rebuildList();
}

QString HighKeyForm::promptText() const {
    return ui->promptLabel->text();
}

void HighKeyForm::refreshPrompt() {
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const int used = model ? model->highKeyCount() : 0;
    ui->promptLabel->setText(
        tr("首先选择任意按键来绑定高级键。每个配置文件最多可使用 32 个高级键。 当前绑定项：") +
        QStringLiteral("%1/32").arg(used));
}

void HighKeyForm::rebuildPicture() {
    // The keyboard's focus moves to the new picture, not into nowhere.
    // (The window's focus widget: the window may be inactive while a dialog closes.)
    const bool hadFocus = mPicture && window()->focusWidget() == mPicture;
    const quint8 cursor = mPicture ? mPicture->keyItemOf(mPicture->focusKey()) : quint8(255);
    if (mPicture) {
        mPicture->hide();
        mPicture->deleteLater();
    }
    mPicture = new QHighKeyboardWidget(mKind, ui->pictureWidget);
    QHighKeyboardWidget::placePicture(mPicture);
    connect(mPicture, &QHighKeyboardWidget::keyboard_select, this, &HighKeyForm::keyboard_select);
    mPicture->rebuild();
    mPicture->show();
    if (cursor != 255) mPicture->setFocusKey(cursor);
    if (hadFocus) mPicture->setFocus(Qt::OtherFocusReason);
    refreshPrompt();
}

void HighKeyForm::markKindTabs() {
    const QList<QPushButton*> tabs = kindTabs();
    for (int i = 0; i < tabs.size(); ++i) tabs[i]->setChecked(i == mKind);
}

void HighKeyForm::setKind(int kind) {
    if (kind == mKind) {
        markKindTabs();
        return;
    }
    mKind = kind;
    markKindTabs();
    if (mPicture) mPicture->setKind(kind);
    rebuildList();
}

void HighKeyForm::on_tglBtn_clicked() {
    setKind(Tgl);
}
void HighKeyForm::on_mtBtn_clicked() {
    setKind(Mt);
}
void HighKeyForm::on_dksBtn_clicked() {
    setKind(Dks);
}
void HighKeyForm::on_rsBtn_clicked() {
    setKind(Rs);
}
void HighKeyForm::on_oksBtn_clicked() {
    setKind(Oks);
}
void HighKeyForm::on_socdBtn_clicked() {
    setKind(Socd);
}

void HighKeyForm::rebuildList() {
    QGridLayout* grid = ui->highKeyGridLayout;
    const bool hadFocus = ui->highKeyListWidget->isAncestorOf(window()->focusWidget());
    while (QLayoutItem* child = grid->takeAt(0)) {
        if (QWidget* w = child->widget()) {
            // Out of the tree at once: a tile may be the sender being served.
            w->hide();
            w->setParent(nullptr);
            w->deleteLater();
        }
        delete child;
    }
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    if (!model) return;

    QList<QWidget*> tiles;
    // A keyboard that reports fewer slots has no free one before 32 are used.
    if (model->highKeyCount() < kMaxHighKeys &&
        model->freeHighKeySlot(0) != KeyboardConfigUtil::NoSlot) {
        auto* add = new QHighKeyAddWidget(ui->highKeyListWidget);
        connect(add, &QHighKeyAddWidget::high_key_clicked, this, &HighKeyForm::grid_Layout_Clicked);
        tiles.append(add);
    }
    for (const HighKeyPtr& slot : model->keyboardHighKeyList) {
        if (!slot || slot->item == KeyboardConfigUtil::NoSlot || slot->attribute != mKind) continue;
        auto* item = new QHighKeyItemWidget(*slot, ui->highKeyListWidget);
        connect(item, &QHighKeyItemWidget::high_key_clicked, this,
                &HighKeyForm::grid_Layout_Clicked);
        tiles.append(item);
    }
    while (tiles.size() % kColumns != 0) {
        auto* filler = new QWidget(ui->highKeyListWidget);
        filler->setFixedSize(280, 76);
        tiles.append(filler);
    }
    for (int i = 0; i < tiles.size(); ++i) {
        grid->addWidget(tiles[i], i / kColumns, i % kColumns);
        tiles[i]->show();  // at once, not when the event loop gets to it
    }
    // A tile that had the keyboard's focus is gone: the first one takes it.
    if (hadFocus && !tiles.isEmpty()) tiles.first()->setFocus(Qt::OtherFocusReason);
}

// ------------------------------------------------------------ clicks

void HighKeyForm::keyboard_select(uchar mItem) {
    qInfo().noquote() << QStringLiteral("keyboard_select mItem:{ %1 }").arg(mItem);
    mLastKey = mItem;
    const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    const KeyBindingPtr binding = model ? model->keyConfig(0, mItem) : KeyBindingPtr();
    if (!binding || binding->type != KeyCatalogue::TypeAdvanced) return;
    const quint8 kind = model->highKeyAttribute(binding->lValue);
    if (kind > Socd) return;
    setKind(kind);
    openDialog(binding->lValue);
}

void HighKeyForm::grid_Layout_Clicked(int type, uchar item) {
    qInfo().noquote()
        << QStringLiteral("grid_Layout_Clicked type:{ %1 }; item:{ %2 }").arg(type).arg(item);
    // Slots and keys follow each confirmation: one change at a time.
    if (mRequests->busy()) return;
    if (type == 1) {
        const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
        if (!model) return;
        for (const HighKeyPtr& slot : model->keyboardHighKeyList) {
            if (slot && slot->item == item) {
                deleteRecord(*slot);
                return;
            }
        }
        return;
    }
    if (item == KeyboardConfigUtil::NoSlot && selectedKey() == 255) {
        toast(tr("请先选择要设置的按键"));
        return;
    }
    openDialog(item);
}

void HighKeyForm::openDialog(quint8 item) {
    if (mDialog || mRequests->busy()) return;  // one dialog at a time, none mid-change
    const quint8 key = selectedKey();
    QHighKeyDialog* d = nullptr;
    switch (mKind) {
        case Tgl:
            d = new QTglAddDialog(item, this);
            break;
        case Mt:
            d = new QMtAddDialog(item, this);
            break;
        case Dks:
            d = new QDksAddDialog(item, this);
            break;
        case Rs:
        case Oks:
            d = new QPairAddDialog(quint8(mKind), item, key, this);
            break;
        case Socd:
            d = new QSocdAddDialog(item, key, this);
            break;
        default:
            return;
    }
    mDialog = d;
    // Modal, but the event loop keeps running: answers and timers go on.
    connect(d, &QDialog::finished, this, &HighKeyForm::dialogFinished);
    d->open();
}

void HighKeyForm::dialogFinished() {
    QHighKeyDialog* d = mDialog;
    mDialog = nullptr;
    if (!d) return;
    d->deleteLater();
    // The focus was inside the dialog: give it back to the page.
    QWidget* focus = window()->focusWidget();
    if ((!focus || focus == d || d->isAncestorOf(focus) ||
         ui->highKeyListWidget->isAncestorOf(focus)) &&
        mPicture)
        mPicture->setFocus(Qt::OtherFocusReason);
    if (!UsbCommunicateUtil::instance()) return;
    HIGH_KEY_INFO record = d->record();
    switch (d->action()) {
        case QHighKeyDialog::ActionDelete:
            deleteRecord(record);
            break;
        case QHighKeyDialog::ActionNew:
            if (!isPairKind(record.attribute)) {
                const quint8 key = selectedKey();
                if (key == 255) {  // the key was let go while the dialog was up
                    toast(tr("请先选择要设置的按键"));
                    return;
                }
                record.data[0] = key;
            }
            addRecord(record, nullptr);
            break;
        case QHighKeyDialog::ActionEdit: {
            const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
            HighKeyPtr before;
            if (model) {
                for (const HighKeyPtr& slot : model->keyboardHighKeyList) {
                    if (slot && slot->item == record.item) {
                        before = HighKeyPtr::create(*slot);
                        break;
                    }
                }
            }
            addRecord(record, before);
            break;
        }
        default:
            break;
    }
}

bool HighKeyForm::isBusy() const {
    return mRequests->busy();
}

// ------------------------------------------------------------ requests

void HighKeyForm::addRecord(const HIGH_KEY_INFO& record, const HighKeyPtr& editedFrom) {
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::AddHighKey),
        [from, record] {
            UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
            if (engine) engine->addHighKey(from, true, record);
            return engine != nullptr;
        },
        [this, record, editedFrom](bool ok, int error) {
            if (!ok) return requestFailed(error);
            KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
            const HIGH_KEY_INFO& r = record;
            const bool inTable = model && r.item < model->keyboardHighKeyList.size();
            if (inTable) model->keyboardHighKeyList[r.item] = HighKeyPtr::create(r);
            // The record's keys, with every key number of their positions,
            // are bound to it on the keyboard, and in the model once the
            // keyboard confirmed it.
            const QList<quint8> bound = positionKeysOf(r);
            // A pair that moved its second key: the keys it left are
            // ordinary keys again; the keyboard restores them afterwards and
            // the model takes what it answers.
            QList<quint8> restore;
            if (editedFrom && editedFrom->item == r.item) {
                for (quint8 key : positionKeysOf(*editedFrom))
                    if (!bound.contains(key)) restore.append(key);
            }
            if (!bound.isEmpty() && inTable)
                bindKeys(r.item, bound, restore);
            else
                restoreKeys(restore);
            refreshAll();
        });
}

void HighKeyForm::bindKeys(quint8 item, const QList<quint8>& keys, const QList<quint8>& restore) {
    auto map = QSharedPointer<KeyBindingMap>::create();
    for (quint8 key : keys)
        map->insert(key,
                    KeyBindingPtr::create(KeyBinding{key, KeyCatalogue::TypeAdvanced, 0, item}));
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetKeyboardConfig),
        [from, map] {
            UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
            if (engine) engine->setKeyboardConfig(from, true, 0, map);
            return engine != nullptr;
        },
        [this, item, keys, restore](bool ok, int error) {
            if (!ok) return requestFailed(error);
            if (KeyboardConfigUtil* model = KeyboardConfigUtil::instance())
                for (quint8 key : keys)
                    model->setKeyConfig(0, key, KeyCatalogue::TypeAdvanced, 0, item);
            restoreKeys(restore);
            refreshAll();
        });
}

void HighKeyForm::deleteRecord(const HIGH_KEY_INFO& record) {
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::DelHighKey),
        [from, record] {
            UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
            if (engine) engine->delHighKey(from, true, record);
            return engine != nullptr;
        },
        [this, record](bool ok, int error) {
            if (!ok) return requestFailed(error);
            KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
            const HIGH_KEY_INFO& r = record;
            if (model) {
                for (int slot = 0; slot < model->keyboardHighKeyList.size(); ++slot) {
                    const HighKeyPtr& k = model->keyboardHighKeyList[slot];
                    if (k && k->item == r.item) {
                        model->clearHighKey(slot);
                        break;
                    }
                }
            }
            // The keys get their factory bindings back, each key number of
            // their positions too (the model had bound the whole position).
            restoreKeys(r.attribute <= Socd ? positionKeysOf(r) : QList<quint8>());
            refreshAll();
        });
}

void HighKeyForm::restoreKeys(QList<quint8> keys) {
    if (keys.isEmpty()) return;
    // Two keys a request; a list that starts with 0xFF would ask for the
    // whole layer, and keysOf() never yields one.
    QByteArray pair;
    while (pair.size() < 2 && !keys.isEmpty()) pair.append(char(keys.takeFirst()));
    if (pair.size() < 2) pair.append(char(0xFF));
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetKeyboardDefault),
        [from, pair] {
            UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
            if (engine) engine->setKeyboardDefault(from, true, 0, pair);
            return engine != nullptr;
        },
        [this, keys](bool ok, int error) {
            if (!ok) return requestFailed(error);
            const bool wholeLayer = mWholeLayerAnswer;
            mWholeLayerAnswer = false;
            if (wholeLayer) {
                toast(tr("重置键盘数据成功！"));
                emit navigateRequested(PageDevice);
            }
            UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
            KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
            if (engine && model) engine->commitSetKeyboardDefault(model, 0);
            if (!wholeLayer) restoreKeys(keys);  // the whole layer came back otherwise
            refreshAll();
        });
}

void HighKeyForm::requestFailed(int error) {
    if (error == RequestQueue::ErrorCleared) return;
    // The model keeps what the keyboard confirmed so far; the rest of the
    // change is dropped and the page shows the model again.
    mRequests->clear();
    refreshAll();
    toast(tr("修改没有保存到键盘，页面已恢复为键盘上的设置"));
}

// ------------------------------------------------------------ answers

// The model takes a change when its request ends answered (the callbacks
// above); these slots keep the log of whose answer came.
void HighKeyForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
    acceptSource(source, "usb_communicate_error");
}

void HighKeyForm::usb_receive_add_high_key(uchar source, int current, int total,
                                           HIGH_KEY_INFO keyboardHighKey) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    Q_UNUSED(keyboardHighKey);
    acceptSource(source, "usb_receive_add_high_key");
}

void HighKeyForm::usb_receive_set_keyboard_config(uchar source, int current, int total,
                                                  uchar layer) {
    Q_UNUSED(layer);
    if (!acceptSource(source, "usb_receive_set_keyboard_config")) return;
    if (current < total) mRequests->progress();
}

void HighKeyForm::usb_receive_del_high_key(uchar source, int current, int total,
                                           HIGH_KEY_INFO keyboardHighKey) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    Q_UNUSED(keyboardHighKey);
    acceptSource(source, "usb_receive_del_high_key");
}

void HighKeyForm::usb_receive_set_keyboard_default(uchar source, int current, int total,
                                                   uchar layer, bool flag) {
    Q_UNUSED(layer);
    if (!acceptSource(source, "usb_receive_set_keyboard_default")) return;
    if (current < total) return;
    // Whether the keyboard reset the whole layer: its request's end needs it.
    if (mRequests->awaits(UsbProtocol::answerOf(UsbProtocol::SetKeyboardDefault)))
        mWholeLayerAnswer = flag;
}
