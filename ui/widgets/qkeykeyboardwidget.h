#pragma once
// The key page's picture: one key at a time is selected by a click; while a
// key is selected every other key is disabled and a prompt stands beside it.

#include "ui/widgets/qkeyboardwidget.h"

class QCustomLabel;

class QKeyKeyboardWidget : public QKeyboardWidget {
    Q_OBJECT
public:
    explicit QKeyKeyboardWidget(int layer, QWidget* parent = nullptr);
    ~QKeyKeyboardWidget() override;

    bool isKeySelected() const { return mKeySelected; }
    // Key number of the selected key; 255 when none is selected.
    quint8 selectedKeyItem() const { return mKeySelected ? mSelectedItem : 255; }

    // Selects a key as a click would; false when the key is not drawn, is
    // disabled or another key is selected.
    bool selectKey(quint8 keyItem);
    // Clears the selection (the selected key shows its function again).
    void clearSelection();
    // Hides the prompt beside the selected key (the page is left).
    void hidePrompt();
    // Shows it again for the selected key.
    void showPrompt();

    // The selected key describes itself by the prompt.
    QString keyDescription(const QLabel* key) const override;

public slots:
    void custom_label_clicked(const KeyPositionPtr& item);

signals:
    // A key became selected or the selection was cleared.
    void selectionChanged(bool selected, quint8 keyItem);

protected:
    QLabel* createLabel(const KeyPositionPtr& position) override;
    void fillLabel(QLabel* label, const KeyPositionPtr& position,
                   const KeyBindingPtr& binding) override;
    void beforeBuild() override;
    bool reuseLabels() const override { return true; }
    void hideEvent(QHideEvent* event) override;

private:
    void enableUnselected();
    // Tells assistive technology that a key's selection and description changed.
    void announce(QLabel* key);

    bool mKeySelected = false;
    quint8 mSelectedItem = 255;
};
