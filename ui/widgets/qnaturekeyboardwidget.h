#pragma once
// The performance page's picture (layer 0): many keys, a click toggles, a
// drag selects; each label shows the key's trigger distances.

#include "ui/widgets/qselectkeyboardwidget.h"

class QNatureKeyboardWidget : public QSelectKeyboardWidget {
    Q_OBJECT
public:
    explicit QNatureKeyboardWidget(QWidget* parent = nullptr);
    ~QNatureKeyboardWidget() override;

    // Key of the label pressed last; 255 before any press.
    quint8 lastKey() const { return mLastKey; }
    // Shows or hides the actuation value / the two rapid-trigger values on
    // every label (kept across rebuilds).
    void setTriggerVisible(bool visible);
    void setQuickVisible(bool visible);

signals:
    // After every mouse release.
    void keyboard_select();

protected:
    QLabel* createLabel(const KeyPositionPtr& position) override;
    void fillLabel(QLabel* label, const KeyPositionPtr& position,
                   const KeyBindingPtr& binding) override;
    void labelPressed(QSelectKeyLabel* label) override;
    void released() override;

private:
    quint8 mLastKey = 255;
    bool mTriggerVisible = true;
    bool mQuickVisible = true;
};
