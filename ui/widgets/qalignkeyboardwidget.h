#pragma once
// The calibration page's picture (layer 0): no selection. The calibration
// page supplies its labels (QAdjustKeyLabel) through a label factory and may
// adjust where a label sits; without a factory plain labels are drawn.

#include <functional>

#include "ui/widgets/qkeyboardwidget.h"

class QAlignKeyboardWidget : public QKeyboardWidget {
    Q_OBJECT
public:
    using LabelFactory = std::function<QLabel*(const KeyPositionPtr& position, QWidget* parent)>;
    using GeometryRule = std::function<QRect(const KeyPositionPtr& position)>;

    explicit QAlignKeyboardWidget(QWidget* parent = nullptr);
    ~QAlignKeyboardWidget() override;

    // Used by the next rebuild.
    void setLabelFactory(LabelFactory factory) { mFactory = std::move(factory); }
    void setGeometryRule(GeometryRule rule) { mGeometry = std::move(rule); }

protected:
    QLabel* createLabel(const KeyPositionPtr& position) override;
    void fillLabel(QLabel* label, const KeyPositionPtr& position,
                   const KeyBindingPtr& binding) override;

private:
    LabelFactory mFactory;
    GeometryRule mGeometry;
};
