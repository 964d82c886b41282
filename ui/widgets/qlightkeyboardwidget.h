#pragma once
// The lighting page's picture (layer 0): many keys, a click toggles, a drag
// selects; keys with a per-key light of brightness 100 or less show its colour.

#include <QColor>

#include "ui/widgets/qselectkeyboardwidget.h"

class QLightKeyboardWidget : public QSelectKeyboardWidget {
    Q_OBJECT
public:
    explicit QLightKeyboardWidget(QWidget* parent = nullptr);
    ~QLightKeyboardWidget() override;

    // Gives every selected label the colour.
    void setSelectedColor(const QColor& color);

protected:
    QLabel* createLabel(const KeyPositionPtr& position) override;
    void fillLabel(QLabel* label, const KeyPositionPtr& position,
                   const KeyBindingPtr& binding) override;
};
