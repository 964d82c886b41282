#pragma once
// What the six advanced-key dialogs share: a frameless modal dialog around
// one 20-byte record, with delete (existing records only), cancel and save.
// It ends with an action (0 new record saved, 1 edited record saved, 2
// delete) that the page carries out; cancel ends it without one.
//
// The one-key kinds (TGL, MT, DKS) fill function slots from an embedded key
// picker; the pair kinds (RS, OKS, SOCD) choose a second key on an embedded
// key-pair picture.

#include <QDialog>
#include <QList>

#include "common/keyboardtypes.h"

class QLabel;
class QInputKeyboardWidget;
class QRsoKeyboardWidget;

class QHighKeyDialog : public QDialog {
    Q_OBJECT
public:
    enum Action { ActionNone = -1, ActionNew = 0, ActionEdit = 1, ActionDelete = 2 };

    // One function: type, hValue, lValue; 0xFF in all three is none.
    struct Function {
        quint8 type = 0xFF;
        quint8 hValue = 0xFF;
        quint8 lValue = 0xFF;
        bool isNone() const { return type == 0xFF && hValue == 0xFF && lValue == 0xFF; }
    };

    ~QHighKeyDialog() override;

    int action() const { return mAction; }
    bool isNewRecord() const { return mNew; }
    const HIGH_KEY_INFO& record() const { return mRecord; }
    // The record as its 20 bytes.
    QByteArray recordBytes() const;

    // The slot labels' current selection (-1: none) and functions.
    int selectedSlot() const { return mSelectedSlot; }
    Function function(int slot) const { return mFunctions.value(slot); }
    // A function's short key name (another catalogue name for functions not on
    // the picker's keyboard tab); empty for none.
    static QString functionName(const Function& f);

    QInputKeyboardWidget* picker() const { return mPicker; }
    QRsoKeyboardWidget* pairPicture() const { return mPairPicture; }

public slots:
    void on_saveBtn_clicked();
    void on_cancelBtn_clicked();
    void on_delBtn_clicked();
    // From the embedded picker: the chosen function goes into the selected slot.
    void input_keyboard_select(uchar type, uchar hValue, uchar lValue);
    // From the embedded pair picture: the chosen second key (255: none).
    void keyboard_select(uchar mItem);
    // Selects a function slot, or deselects it when it is the selected one.
    void clickSlot(int slot);

protected:
    // `item` 255 opens `fresh` as a new record; any other item opens a copy
    // of the model's record of that slot.
    QHighKeyDialog(quint8 item, const HIGH_KEY_INFO& fresh, QWidget* parent);

    // Common set-up once the form exists: window flags and the delete button.
    void setupCommon(QWidget* delBtn);
    // Function slots with their starting functions and the host of the picker.
    void setupFunctionSlots(const QList<QLabel*>& slotLabels, const QList<Function>& functions,
                            QWidget* pickerHost);
    // The pair: key labels and the host of the pair picture.
    void setupPair(QLabel* key1Label, QLabel* key2Label, QWidget* pictureHost);
    // Tab order: the picture, then delete, cancel and save.
    void orderTabs(QWidget* picture);

    // Copies the dialog's values into the record before it is saved; false
    // refuses the save (the dialog then stays open).
    virtual bool storeValues(HIGH_KEY_INFO& record) = 0;
    // Pair kinds: the chosen second key into data[1]; refuses a pair
    // without a second key.
    bool storePair(HIGH_KEY_INFO& record);
    // A new pair record of `kind` around the first key.
    static HIGH_KEY_INFO newPairRecord(quint8 kind, quint8 firstKey);
    // A slot got a function or lost its selection (subclasses may react).
    virtual void slotChanged(int /*slot*/) {}
    // Selection of a slot changed by a click (DKS marks rows from cells too).
    void selectSlot(int slot);

    static Function functionAt(const quint8* bytes, bool lowFirst);
    static void putFunction(quint8* bytes, const Function& f, bool lowFirst);
    // Name of a key's factory binding in layer 0 (the catalogue's label).
    static QString defaultKeyName(quint8 keyItem);
    // Label text of a key's current layer-0 binding.
    static QString currentKeyName(quint8 keyItem);

    void showRefusal(const QString& text);

    HIGH_KEY_INFO mRecord;
    QList<Function> mFunctions;
    quint8 mSecondKey = 255;  // pair kinds: the key chosen on the picture

protected:
    // A frameless window needs its own edge.
    void paintEvent(QPaintEvent* event) override;

private:
    void paintSlot(int slot);
    bool eventFilter(QObject* watched, QEvent* event) override;

    bool mNew = true;
    int mAction = ActionNone;
    int mSelectedSlot = -1;
    QList<QLabel*> mSlots;
    QLabel* mKey2Label = nullptr;
    QInputKeyboardWidget* mPicker = nullptr;
    QRsoKeyboardWidget* mPairPicture = nullptr;
};
