#include "ui/pages/macro/macrosetform.h"

#include <QDebug>
#include <QIntValidator>
#include <QKeyEvent>
#include <QListWidgetItem>

#include "services/customtooltip.h"
#include "services/tooltiputil.h"
#include "link/usbprotocol.h"
#include "model/keyboardconfigutil.h"
#include "protocol/requestqueue.h"
#include "protocol/usbcommunicateutil.h"
#include "ui/pageindex.h"
#include "ui/pages/macro/qmacroitemwidget.h"
#include "ui_macrosetform.h"

namespace {
const QString kArmedBorder = QStringLiteral("QLabel {  border: 1px solid rgb(255,136,38); }");
const QString kIdleBorder = QStringLiteral("QLabel {  border: 1px solid rgb(242,243,245); }");
}  // namespace

MacroSetForm::MacroSetForm(QWidget* parent)
    : SettingPage(PageMacro, UsbProtocol::SourceMacroSet, parent),
      ui(std::make_unique<Ui::MacroSetForm>()) {
    ui->setupUi(content());
    setFocusPolicy(Qt::StrongFocus);

    const QList<QPushButton*> buttons = macroButtons();
    for (int i = 0; i < buttons.size(); ++i)
        connect(buttons[i], &QPushButton::clicked, this, [this, i] { selectMacro(i); });
    connect(ui->startRecordBtn, &QPushButton::clicked, this,
            &MacroSetForm::on_startRecordBtn_clicked);
    connect(ui->stopRecordBtn, &QPushButton::clicked, this,
            &MacroSetForm::on_stopRecordBtn_clicked);
    connect(ui->clearRecordBtn, &QPushButton::clicked, this,
            &MacroSetForm::on_clearRecordBtn_clicked);
    connect(ui->saveRecordBtn, &QPushButton::clicked, this,
            &MacroSetForm::on_saveRecordBtn_clicked);
    connect(ui->keyDownBtn, &QPushButton::clicked, this, &MacroSetForm::on_keyDownBtn_clicked);
    connect(ui->keyUpBtn, &QPushButton::clicked, this, &MacroSetForm::on_keyUpBtn_clicked);
    connect(ui->macroListWidget, &QListWidget::currentRowChanged, this,
            &MacroSetForm::on_macroListWidget_currentRowChanged);
    connect(ui->timeEdit, &QLineEdit::textChanged, this, &MacroSetForm::on_timeEdit_textChanged);

    ui->timeEdit->setValidator(new QIntValidator(0, MacroRecorder::kMaxTime, ui->timeEdit));
    ui->keyEdit->installEventFilter(this);
    ui->keyEdit->setStyleSheet(kIdleBorder);
    if (const ToolTipUtil* tips = ToolTipUtil::instance())
        tips->setToolTip(ui->keyEdit, QStringLiteral("MacroForm/keyEdit"));
    ui->stopRecordBtn->hide();
    QSizePolicy keep = ui->editWidget->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    ui->editWidget->setSizePolicy(keep);
    ui->editWidget->hide();
    ui->macroListWidget->setSelectionMode(QAbstractItemView::SingleSelection);
    mRequests = new RequestQueue(UsbCommunicateUtil::instance(), source(), this);

    if (UsbCommunicateUtil* engine = UsbCommunicateUtil::instance()) {
        connect(engine, &UsbCommunicateUtil::usb_communicate_error, this,
                &MacroSetForm::usb_communicate_error);
        connect(engine, &UsbCommunicateUtil::usb_receive_set_macro_config, this,
                &MacroSetForm::usb_receive_set_macro_config);
        connect(engine, &UsbCommunicateUtil::usb_receive_del_macro_config, this,
                &MacroSetForm::usb_receive_del_macro_config);
    }
    markMacroButtons();
    logLine(QStringLiteral("宏设置页面初始化"));
}

MacroSetForm::~MacroSetForm() {
    if (mRecorder.isRecording() || mKeyEditArmed) releaseKeyboard();
    logLine(QStringLiteral("宏设置页面销毁"));
}

QList<QPushButton*> MacroSetForm::macroButtons() const {
    return {ui->macro1Btn, ui->macro2Btn, ui->macro3Btn, ui->macro4Btn, ui->macro5Btn,
            ui->macro6Btn, ui->macro7Btn, ui->macro8Btn, ui->macro9Btn, ui->macro10Btn};
}

void MacroSetForm::refreshLanguageUi() {
    SettingPage::refreshLanguageUi();
    ui->retranslateUi(content());
    if (const ToolTipUtil* tips = ToolTipUtil::instance())
        tips->setToolTip(ui->keyEdit, QStringLiteral("MacroForm/keyEdit"));
}

void MacroSetForm::enter() {
    if (mRecorder.isRecording()) on_stopRecordBtn_clicked();
    setKeyEditArmed(false);
    mRecorder.forgetLastRow();
    markMacroButtons();
    rebuildList();
}

void MacroSetForm::leave() {
    // A recording or an armed key field holds the whole keyboard: let it go.
    if (mRecorder.isRecording()) on_stopRecordBtn_clicked();
    setKeyEditArmed(false);
}

void MacroSetForm::hideEvent(QHideEvent* event) {
    // However the page goes away (another page, a minimised window), it must
    // not keep the keyboard.
    leave();
    SettingPage::hideEvent(event);
}

// ------------------------------------------------------------ macros

void MacroSetForm::on_macro1Btn_clicked() {
    selectMacro(0);
}
void MacroSetForm::on_macro2Btn_clicked() {
    selectMacro(1);
}
void MacroSetForm::on_macro3Btn_clicked() {
    selectMacro(2);
}
void MacroSetForm::on_macro4Btn_clicked() {
    selectMacro(3);
}
void MacroSetForm::on_macro5Btn_clicked() {
    selectMacro(4);
}
void MacroSetForm::on_macro6Btn_clicked() {
    selectMacro(5);
}
void MacroSetForm::on_macro7Btn_clicked() {
    selectMacro(6);
}
void MacroSetForm::on_macro8Btn_clicked() {
    selectMacro(7);
}
void MacroSetForm::on_macro9Btn_clicked() {
    selectMacro(8);
}
void MacroSetForm::on_macro10Btn_clicked() {
    selectMacro(9);
}

void MacroSetForm::selectMacro(int index) {
    if (mRecorder.isRecording()) {
        markMacroButtons();
        return;
    }
    if (index == mSelectMacroIndex) {
        markMacroButtons();
        return;
    }
    mSelectMacroIndex = index;
    markMacroButtons();
    rebuildList();
}

void MacroSetForm::markMacroButtons() {
    const QList<QPushButton*> buttons = macroButtons();
    for (int i = 0; i < buttons.size(); ++i) buttons[i]->setChecked(i == mSelectMacroIndex);
}

// ------------------------------------------------------------ list

void MacroSetForm::rebuildList() {
    mRows.clear();
    if (const KeyboardConfigUtil* model = KeyboardConfigUtil::instance()) {
        for (const MacroEventPtr& e : model->keyboardMacroList[size_t(mSelectMacroIndex)])
            if (e) mRows.append(*e);
    }
    setKeyEditArmed(false);
    hideEditor();
    ui->macroListWidget->clear();
    for (int i = 0; i < mRows.size(); ++i) appendRowWidget(i);
    setListSelectable(!mRecorder.isRecording());
}

void MacroSetForm::appendRowWidget(int row) {
    auto* item = new QListWidgetItem(ui->macroListWidget);
    item->setSizeHint(QSize(0, QMacroItemWidget::kRowHeight));
    auto* widget = new QMacroItemWidget(item, row + 1, mRows[row], ui->macroListWidget);
    connect(widget, &QMacroItemWidget::macroItemDelete, this, &MacroSetForm::macroItemDelete);
    ui->macroListWidget->setItemWidget(item, widget);
    ui->macroListWidget->scrollToItem(item);
}

QMacroItemWidget* MacroSetForm::rowWidget(int row) const {
    QListWidgetItem* item = ui->macroListWidget->item(row);
    return item ? qobject_cast<QMacroItemWidget*>(ui->macroListWidget->itemWidget(item)) : nullptr;
}

void MacroSetForm::refreshRow(int row) {
    if (row < 0 || row >= mRows.size()) return;
    if (QMacroItemWidget* w = rowWidget(row)) w->setEvent(mRows[row]);
}

void MacroSetForm::setListSelectable(bool selectable) {
    QListWidget* list = ui->macroListWidget;
    list->setSelectionMode(selectable ? QAbstractItemView::SingleSelection
                                      : QAbstractItemView::NoSelection);
    const QSignalBlocker block(list);
    list->clearSelection();
    list->setCurrentRow(-1);
}

void MacroSetForm::macroItemDelete(QListWidgetItem* item) {
    // Rows only grow while recording; the open row must keep its place.
    if (mRecorder.isRecording()) return;
    const int row = ui->macroListWidget->row(item);
    if (row < 0 || row >= mRows.size()) return;
    setKeyEditArmed(false);
    if (row == mEditRow) hideEditor();
    mRows.removeAt(row);
    delete ui->macroListWidget->takeItem(row);
    for (int i = row; i < mRows.size(); ++i)
        if (QMacroItemWidget* w = rowWidget(i)) w->setNumber(i + 1);
    mEditRow = ui->macroListWidget->currentRow();
    if (mEditRow >= 0)
        showEditor(mEditRow);
    else
        hideEditor();
}

// ------------------------------------------------------------ recording

void MacroSetForm::on_startRecordBtn_clicked() {
    if (mRecorder.isRecording()) return;
    setKeyEditArmed(false);
    ui->startRecordBtn->hide();
    ui->stopRecordBtn->show();
    ui->clearRecordBtn->setEnabled(false);
    ui->saveRecordBtn->setEnabled(false);
    mRecorder.start();
    setFocus();
    grabKeyboard();
    setListSelectable(false);
    hideEditor();
}

void MacroSetForm::on_stopRecordBtn_clicked() {
    if (!mRecorder.isRecording()) return;
    const int last = mRecorder.lastRow();
    mRecorder.stop(mRows);
    refreshRow(last);
    ui->startRecordBtn->show();
    ui->stopRecordBtn->hide();
    ui->clearRecordBtn->setEnabled(true);
    ui->saveRecordBtn->setEnabled(true);
    releaseKeyboard();
    setListSelectable(true);
}

bool MacroSetForm::event(QEvent* e) {
    if (mRecorder.isRecording() || mKeyEditArmed) {
        // Every key belongs to the recording (or to the key field): no focus
        // moves on Tab, no shortcuts.
        switch (e->type()) {
            case QEvent::ShortcutOverride:
                e->accept();
                return true;
            case QEvent::KeyPress:
                keyPressEvent(static_cast<QKeyEvent*>(e));
                return true;
            case QEvent::KeyRelease:
                keyReleaseEvent(static_cast<QKeyEvent*>(e));
                return true;
            default:
                break;
        }
    }
    return SettingPage::event(e);
}

void MacroSetForm::keyPressEvent(QKeyEvent* e) {
    if (!mRecorder.isRecording()) {
        if (!mKeyEditArmed) SettingPage::keyPressEvent(e);
        return;
    }
    if (e->isAutoRepeat()) return;
    qInfo().noquote() << QStringLiteral("keyPressEvent event key:{ %1 },scaneCode:{ %2 }")
                             .arg(e->key())
                             .arg(e->nativeScanCode());
    if (mRows.size() >= MacroRecorder::kMaxRows) {
        toast(tr("最大添加20个按键"));
        return;
    }
    const std::optional<MacroKey> key = MacroKeyMapper::map(e);
    if (!key) return;
    const int before = mRecorder.lastRow();
    if (mRecorder.press(mRows, *key) != MacroRecorder::Outcome::Appended) return;
    refreshRow(before);
    appendRowWidget(int(mRows.size()) - 1);
}

void MacroSetForm::keyReleaseEvent(QKeyEvent* e) {
    if (e->isAutoRepeat()) return;
    const std::optional<MacroKey> key = MacroKeyMapper::map(e);
    if (mRecorder.isRecording()) {
        if (!key) return;
        const int before = mRecorder.lastRow();
        if (mRecorder.release(mRows, *key) != MacroRecorder::Outcome::Appended) return;
        refreshRow(before);
        appendRowWidget(int(mRows.size()) - 1);
        return;
    }
    if (!mKeyEditArmed) {
        SettingPage::keyReleaseEvent(e);
        return;
    }
    if (!key || mEditRow < 0 || mEditRow >= mRows.size()) return;
    MacroEvent& ev = mRows[mEditRow];
    ev.type = key->type;
    ev.lValue = key->lValue;
    ev.hValue = key->hValue;
    refreshRow(mEditRow);
    ui->keyEdit->setText(QMacroItemWidget::keyName(ev));
    setKeyEditArmed(false);
}

// ------------------------------------------------------------ editor

void MacroSetForm::on_macroListWidget_currentRowChanged(int currentRow) {
    if (mRecorder.isRecording()) return;
    setKeyEditArmed(false);
    if (currentRow < 0 || currentRow >= mRows.size())
        hideEditor();
    else
        showEditor(currentRow);
}

void MacroSetForm::showEditor(int row) {
    mEditRow = row;
    const MacroEvent& ev = mRows[row];
    ui->keyEdit->setText(QMacroItemWidget::keyName(ev));
    ui->keyDownBtn->setChecked(ev.state == 1);
    ui->keyUpBtn->setChecked(ev.state != 1);
    mSettingTime = true;
    ui->timeEdit->setText(QStringLiteral("%1").arg(ev.time));
    mSettingTime = false;
    ui->editWidget->show();
}

void MacroSetForm::hideEditor() {
    setKeyEditArmed(false);
    mEditRow = -1;
    ui->editWidget->hide();
}

void MacroSetForm::setState(quint8 state) {
    if (mEditRow < 0 || mEditRow >= mRows.size()) return;
    mRows[mEditRow].state = state;
    ui->keyDownBtn->setChecked(state == 1);
    ui->keyUpBtn->setChecked(state != 1);
    refreshRow(mEditRow);
}

void MacroSetForm::on_keyDownBtn_clicked() {
    setState(1);
}
void MacroSetForm::on_keyUpBtn_clicked() {
    setState(0);
}

void MacroSetForm::on_timeEdit_textChanged(const QString& text) {
    if (mSettingTime || mEditRow < 0 || mEditRow >= mRows.size()) return;
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok) return;
    if (value > uint(MacroRecorder::kMaxTime)) {
        // The validator lets five digits through while typing; more than the
        // 16-bit time holds is refused and the last good value comes back.
        mSettingTime = true;
        ui->timeEdit->setText(QStringLiteral("%1").arg(mRows[mEditRow].time));
        mSettingTime = false;
        return;
    }
    mRows[mEditRow].time = quint16(value);
    refreshRow(mEditRow);
}

bool MacroSetForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->keyEdit && event->type() == QEvent::MouseButtonPress &&
        ui->editWidget->isVisible()) {
        setKeyEditArmed(!mKeyEditArmed);
        return true;
    }
    return SettingPage::eventFilter(watched, event);
}

void MacroSetForm::setKeyEditArmed(bool armed) {
    if (armed == mKeyEditArmed) return;
    mKeyEditArmed = armed;
    ui->keyEdit->setStyleSheet(armed ? kArmedBorder : kIdleBorder);
    CustomToolTip* tip = CustomToolTip::instance();
    if (armed) {
        setFocus();
        grabKeyboard();
        if (tip) {
            const ToolTipUtil* tips = ToolTipUtil::instance();
            tip->showTip(ui->keyEdit,
                         tips ? tips->text(QStringLiteral("MacroForm/mPromptLabel")) : QString());
        }
    } else {
        if (!mRecorder.isRecording()) releaseKeyboard();
        if (tip && tip->anchor() == ui->keyEdit) tip->hideTip();
    }
}

// ------------------------------------------------------------ keyboard

void MacroSetForm::on_saveRecordBtn_clicked() {
    if (mRecorder.isRecording() || mRows.isEmpty()) return;
    MacroEventList events;
    for (const MacroEvent& e : mRows) events.append(MacroEventPtr::create(e));
    const uchar index = uchar(mSelectMacroIndex);
    const uchar from = source();
    // A newer save or clear of the same macro replaces one still waiting.
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::SetMacroConfig),
        [from, index, events] {
            UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
            if (engine) engine->setMacroConfig(from, true, index, events);
            return engine != nullptr;
        },
        [this, index](bool ok, int error) {
            if (!ok) return requestFailed(error);
            // The keyboard holds these steps now, whichever macro is shown.
            UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
            KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
            if (engine && model) engine->commitMacro(model, index);
            if (index != mSelectMacroIndex) {
                qInfo().noquote() << QStringLiteral(
                                         "=== MacroSetForm usb_receive_set_macro_config "
                                         "index不匹配 index={%1};mSelectMacroIndex={%2} ===")
                                         .arg(index)
                                         .arg(mSelectMacroIndex);
                return;
            }
            toast(tr("宏数据同步成功!"));
        },
        QStringLiteral("macro/%1").arg(index));
}

void MacroSetForm::on_clearRecordBtn_clicked() {
    if (mRecorder.isRecording()) return;
    const uchar index = uchar(mSelectMacroIndex);
    const uchar from = source();
    mRequests->enqueue(
        UsbProtocol::answerOf(UsbProtocol::DelMacroConfig),
        [from, index] {
            UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
            if (engine) engine->delMacroConfig(from, true, index);
            return engine != nullptr;
        },
        [this, index](bool ok, int error) {
            if (!ok) return requestFailed(error);
            // The engine emptied the model's macro with the answer. Another
            // macro chosen meanwhile keeps its list.
            if (index != mSelectMacroIndex) return;
            setKeyEditArmed(false);
            mRows.clear();
            ui->macroListWidget->clear();
            setListSelectable(true);
            hideEditor();
        },
        QStringLiteral("macro/%1").arg(index));
}

bool MacroSetForm::isBusy() const {
    return mRequests->busy();
}

void MacroSetForm::requestFailed(int error) {
    if (error == RequestQueue::ErrorCleared) return;
    // The steps on the page stay as the user left them, to be saved again;
    // what waited behind the failed change is dropped with it.
    mRequests->clear();
    toast(tr("修改没有写入键盘，请再试一次"));
}

// The model takes a change when its request ends answered (see the callbacks
// above); these slots keep the log of whose answer came.
void MacroSetForm::usb_communicate_error(uchar source, uchar order, int error) {
    logUsbError(source, order, error);
    acceptSource(source, "usb_communicate_error");
}

void MacroSetForm::usb_receive_set_macro_config(uchar source, int current, int total, uchar index) {
    Q_UNUSED(index);
    if (!acceptSource(source, "usb_receive_set_macro_config")) return;
    if (current < total) mRequests->progress();
}

void MacroSetForm::usb_receive_del_macro_config(uchar source, int current, int total, uchar index) {
    Q_UNUSED(current);
    Q_UNUSED(total);
    Q_UNUSED(index);
    acceptSource(source, "usb_receive_del_macro_config");
}
