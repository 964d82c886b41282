#pragma once
// The advanced keys page: the advanced keys of the active configuration
// table by kind (TGL, MT, DKS, RS, OKS, SOCD), with a picture of the keyboard
// to choose keys on and one dialog per kind to add, edit and delete them.
// Every change goes to the keyboard first; the model follows its confirmation.

#include <QPointer>
#include <memory>

#include "common/keyboardtypes.h"
#include "ui/pages/settingpage.h"

namespace Ui {
class HighKeyForm;
}
class QHighKeyboardWidget;
class QHighKeyDialog;
class QPushButton;
class RequestQueue;

class HighKeyForm : public SettingPage {
    Q_OBJECT
public:
    static constexpr int kMaxHighKeys = 32;
    static constexpr int kColumns = 3;

    explicit HighKeyForm(QWidget* parent = nullptr);
    ~HighKeyForm() override;

    void enter() override;

    int currentKind() const { return mKind; }
    quint8 selectedKey() const;
    QHighKeyboardWidget* picture() const;
    // The dialog being shown, or null.
    QHighKeyDialog* dialog() const;
    QString promptText() const;
    // A change is on its way to the keyboard or waits to go.
    bool isBusy() const;

public slots:
    void refreshLanguageUi() override;
    void on_dksBtn_clicked();
    void on_mtBtn_clicked();
    void on_tglBtn_clicked();
    void on_rsBtn_clicked();
    void on_socdBtn_clicked();
    void on_oksBtn_clicked();
    void grid_Layout_Clicked(int type, uchar item);
    void keyboard_select(uchar mItem);
    void usb_communicate_error(uchar source, uchar order, int error);
    void usb_receive_add_high_key(uchar source, int current, int total,
                                  HIGH_KEY_INFO keyboardHighKey);
    void usb_receive_del_high_key(uchar source, int current, int total,
                                  HIGH_KEY_INFO keyboardHighKey);
    void usb_receive_set_keyboard_default(uchar source, int current, int total, uchar layer,
                                          bool flag);
    void usb_receive_set_keyboard_config(uchar source, int current, int total, uchar layer);

private:
    void setKind(int kind);
    void markKindTabs();
    void refreshPrompt();
    void rebuildPicture();
    void rebuildList();
    void refreshAll();
    void openDialog(quint8 item);
    void dialogFinished();
    QList<QPushButton*> kindTabs() const;
    // Each change goes to the keyboard first; its confirmation updates the
    // model and sends what follows from it. editedFrom: the record as the
    // model held it before an edit (null for a new one): the keys it no
    // longer names get their factory bindings back.
    void addRecord(const HIGH_KEY_INFO& record, const HighKeyPtr& editedFrom);
    void bindKeys(quint8 item, const QList<quint8>& keys, const QList<quint8>& restore);
    void deleteRecord(const HIGH_KEY_INFO& record);
    // Gives the keys their factory bindings back, two per request.
    void restoreKeys(QList<quint8> keys);
    void requestFailed(int error);

    std::unique_ptr<Ui::HighKeyForm> ui;
    int mKind = 2;
    quint8 mLastKey = 255;
    QPointer<QHighKeyboardWidget> mPicture;
    QPointer<QHighKeyDialog> mDialog;
    // While a change and what follows from it run, no other change starts.
    RequestQueue* mRequests = nullptr;
    // The answer of the SetKeyboardDefault in flight said the whole layer.
    bool mWholeLayerAnswer = false;
};
