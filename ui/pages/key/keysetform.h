#pragma once
// KeySetForm: page PageKey of the main window. The picture of the shown
// layer on top, the key picker below: click a key on the picture, then its
// new function in the picker; the page sends the binding and redraws when
// the keyboard confirms. A key of the computer keyboard pressed while the
// picture has the focus selects that key; Enter on the picture goes to the
// picker. Ctrl+Z sends back the binding a key had before the last confirmed
// change of the layer; Ctrl+Shift+Z or Ctrl+Y sends again what it undid.

#include <QList>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

#include "common/keyboardtypes.h"
#include "ui/pages/settingpage.h"

namespace Ui {
class KeySetForm;
}
class QInputKeyboardWidget;
class QKeyKeyboardWidget;
class QPushButton;
class RequestQueue;

class KeySetForm : public SettingPage {
    Q_OBJECT
public:
    explicit KeySetForm(QWidget* parent = nullptr);
    ~KeySetForm() override;

    void enter() override;
    void leave() override;
    void configurationReloaded() override { clearUndo(); }

    int layer() const { return mLayer; }
    int pickerTab() const { return mTab; }
    QKeyKeyboardWidget* picture() const;
    QInputKeyboardWidget* picker() const;
    // Changes that Ctrl+Z can send back in a layer, and that redo can send again.
    int undoDepth(int layer) const;
    int redoDepth(int layer) const;
    // Forgets every change Ctrl+Z could send back (another keyboard or table).
    void clearUndo();
    // A change is on its way to the keyboard or waits to go.
    bool isBusy() const;

public slots:
    void refreshLanguageUi() override;
    void input_keyboard_select(uchar type, uchar hValue, uchar lValue);
    void input_keyboard_button(uchar type);
    void on_normalLayerButton_clicked();
    void on_fn1LayerButton_clicked();
    void on_keyboardBtn_clicked();
    void on_systemBtn_clicked();
    void on_macroBtn_clicked();
    void on_lightBtn_clicked();
    void on_extendBtn_clicked();
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_set_keyboard_config(uchar source, int current, int total, uchar layer);
    void usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer,
                                          bool flag);
    void usb_receive_del_high_key(uchar source, int current, int total,
                                  HIGH_KEY_INFO keyboardHighKey);
    // Sends back the binding the key had before the last confirmed change of
    // the shown layer. False when there is nothing to undo or a change is
    // still waiting for the keyboard.
    bool undo();
    // Sends again the binding the last undo of the shown layer took back.
    bool redo();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A change of one key (keyItem 255: the whole layer) for the keyboard.
    struct Change {
        int layer = 0;
        quint8 keyItem = 255;
        KeyBinding before;  // the key's binding when the change went out
        KeyBinding after;   // the binding sent (unused for a restored default)
        bool undo = false;  // sent by undo: not recorded again
        bool redo = false;  // sent by redo: recorded, the redo list kept
    };
    struct UndoEntry {
        quint8 keyItem = 255;
        KeyBinding before;
        KeyBindingPtr record;  // the model's record when the change was made
    };

    void refresh();
    void rebuildPicture();
    void openTab(int tab);
    void updateLayerButtons();
    void updateTabButtons();
    void updateUndoButton();
    void onSearchChanged(const QString& text);
    void onSearchEntered();
    enum class Origin { User, Undo, Redo };
    bool sendBinding(quint8 keyItem, quint8 type, quint8 hValue, quint8 lValue,
                     Origin origin = Origin::User);
    // A picture's key press: selects a key, or clears the selection (Escape).
    bool pictureKey(QKeyEvent* event);
    void placeInTabChain();
    void restoreDefault(quint8 keyItem);
    void resetLayer();
    // The keyboard confirmed a change: the model and the picture follow.
    void bindingConfirmed(const Change& done);
    void defaultConfirmed(const Change& done);
    void requestFailed(int error);
    void rebuildKeepingOtherSelection(quint8 changedKey);
    // The key the factory layer-0 map gives a computer key, 255 when none.
    quint8 keyOfComputerKey(const QKeyEvent* event) const;
    bool handleComputerKey(QKeyEvent* event);
    // Frees the advanced key a confirmed change took off a key (TGL, MT, DKS).
    void releaseAdvancedKey(const KeyBinding& before);
    // Deletes the record on the keyboard, then in the model.
    void freeRecord(const HIGH_KEY_INFO& record, const std::function<void(bool, int)>& then);
    // After a confirmed layer reset: frees the next of those records on the
    // keyboard, or ends the reset when none is left.
    void freeNextLayerRecord();
    void finishLayerReset();
    void forgetStaleUndo();

    std::unique_ptr<Ui::KeySetForm> ui;
    QPointer<QKeyKeyboardWidget> mPicture;
    QPointer<QInputKeyboardWidget> mPicker;
    QList<QPushButton*> mTabButtons;
    int mLayer = 0;
    int mTab = 0;
    RequestQueue* mRequests = nullptr;
    // Records to free once the keyboard confirmed the layer reset.
    QList<HIGH_KEY_INFO> mLayerRecords;
    // The answer of the SetKeyboardDefault in flight said the whole layer.
    bool mWholeLayerAnswer = false;
    std::array<QList<UndoEntry>, 2> mUndo;
    std::array<QList<UndoEntry>, 2> mRedo;
    int mLastPressedKey = 0;
    bool mPickerStale = false;
    // The product the picture was placed for.
    qint16 mPictureProduct = -1;
};
