#pragma once
// The key picker: one tab of the key catalogue's picker layouts as buttons
// whose faces follow the label rule. A click reports the button's binding.
// Tab 0 carries three extra buttons (reset key, no function, reset layer),
// hidden until a page shows them. The picker can also show the buttons of
// every tab that match a search text. With the focus, the arrow keys move a
// cursor over the buttons (over search results in their order) and Space or
// Enter takes the button under it.

#include <QList>
#include <QWidget>

#include "catalogue/keycatalogue.h"
#include "common/keyboardtypes.h"
#include "ui/widgets/keylabelhost.h"
#include "ui/widgets/keypictureaccess.h"

class QLabel;
class QPushButton;
class QCustomLabel;

class QInputKeyboardWidget : public QWidget, public KeyPictureAccess {
    Q_OBJECT
public:
    QInputKeyboardWidget(int tab, QWidget* parent = nullptr);
    ~QInputKeyboardWidget() override;

    int tab() const { return mTab; }
    // The tab's area (x, y, w, h) inside the picker host.
    QRect area() const;
    // Reset key, no function, reset layer (tab 0 only).
    void setExtraButtonsVisible(bool visible);

    // The buttons shown, in order.
    const QList<QCustomLabel*>& buttons() const { return mButtons; }
    PickerButton buttonAt(int index) const { return mLayout.value(index); }
    // The button of a binding, or null.
    QCustomLabel* buttonOf(quint8 type, quint8 hValue, quint8 lValue) const;

    // Shows, in rows, the functions whose text, short name or tool-tip text
    // contains `text` (case-insensitive; see matches()); an empty text shows
    // the tab again. Returns the number of matches.
    int setSearchText(const QString& text);
    QString searchText() const { return mSearch; }
    // With exactly one match shown, reports it as a click; false otherwise.
    bool takeOnlyMatch();
    // Buttons matching a search text: every tab's, then the catalogue's
    // functions that no tab offers (each binding once).
    static QList<PickerButton> matches(const QString& text);

    // KeyPictureAccess
    const QList<QLabel*>& accessibleKeys() const override { return mLabels; }
    QString keyName(const QLabel* key) const override;
    QString keyDescription(const QLabel* key) const override;
    bool isKeySelected(const QLabel*) const override { return false; }
    void pressKey(QLabel* key) override;
    QLabel* focusKey() const override { return mHost.focusLabel(); }

public slots:
    void custom_label_clicked(const KeyPositionPtr& item);
    void onResetButtonClicked();
    void onNullButtonClicked();
    void onResetLayerButtonClicked();

signals:
    void input_keyboard_select(uchar type, uchar hValue, uchar lValue);
    void input_keyboard_button(uchar type);

protected:
    // The buttons are painted here, never as widgets of their own.
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showButtons(const QList<PickerButton>& layout);
    QPushButton* makeExtraButton(const QString& name, const QRect& geometry);

    int mTab;
    QString mSearch;
    QList<PickerButton> mLayout;
    QList<QCustomLabel*> mButtons;
    QList<QLabel*> mLabels;  // the same, for the painting
    KeyLabelHost mHost;
    QList<QPushButton*> mExtraButtons;
    bool mExtraVisible = false;
};
