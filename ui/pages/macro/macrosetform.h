#pragma once
// The macro page: ten macros M1 to M10, each a list of key steps. A macro is
// recorded from the computer's keyboard, its steps edited one at a time, and
// sent to the keyboard (save) or deleted there (clear). The model takes a
// macro only when the keyboard has confirmed it.

#include <QList>
#include <memory>

#include "common/keyboardtypes.h"
#include "ui/pages/macro/macrorecorder.h"
#include "ui/pages/settingpage.h"

namespace Ui {
class MacroSetForm;
}
class QListWidgetItem;
class QPushButton;
class QMacroItemWidget;
class RequestQueue;

class MacroSetForm : public SettingPage {
    Q_OBJECT
public:
    explicit MacroSetForm(QWidget* parent = nullptr);
    ~MacroSetForm() override;

    void enter() override;
    void leave() override;

    int selectedMacro() const { return mSelectMacroIndex; }
    bool isRecording() const { return mRecorder.isRecording(); }
    bool isKeyEditArmed() const { return mKeyEditArmed; }
    // The steps as the list shows them.
    const QList<MacroEvent>& rows() const { return mRows; }
    QMacroItemWidget* rowWidget(int row) const;
    MacroRecorder& recorder() { return mRecorder; }
    // A save or clear is on its way to the keyboard or waits to go.
    bool isBusy() const;

public slots:
    void refreshLanguageUi() override;
    void on_macro1Btn_clicked();
    void on_macro2Btn_clicked();
    void on_macro3Btn_clicked();
    void on_macro4Btn_clicked();
    void on_macro5Btn_clicked();
    void on_macro6Btn_clicked();
    void on_macro7Btn_clicked();
    void on_macro8Btn_clicked();
    void on_macro9Btn_clicked();
    void on_macro10Btn_clicked();
    void on_startRecordBtn_clicked();
    void on_stopRecordBtn_clicked();
    void on_clearRecordBtn_clicked();
    void on_saveRecordBtn_clicked();
    void macroItemDelete(QListWidgetItem* item);
    void on_macroListWidget_currentRowChanged(int currentRow);
    void on_timeEdit_textChanged(const QString& text);
    void on_keyDownBtn_clicked();
    void on_keyUpBtn_clicked();
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_set_macro_config(uchar source, int current, int total, uchar index);
    void usb_receive_del_macro_config(uchar source, int current, int total, uchar index);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void selectMacro(int index);
    void markMacroButtons();
    void rebuildList();
    void appendRowWidget(int row);
    void refreshRow(int row);
    void setListSelectable(bool selectable);
    void showEditor(int row);
    void hideEditor();
    void setKeyEditArmed(bool armed);
    void setState(quint8 state);
    QList<QPushButton*> macroButtons() const;
    // A save or clear did not reach the keyboard.
    void requestFailed(int error);

    std::unique_ptr<Ui::MacroSetForm> ui;
    int mSelectMacroIndex = 0;
    QList<MacroEvent> mRows;
    MacroRecorder mRecorder;
    int mEditRow = -1;
    bool mKeyEditArmed = false;
    bool mSettingTime = false;
    RequestQueue* mRequests = nullptr;
};
