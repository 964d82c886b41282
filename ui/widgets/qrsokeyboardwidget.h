#pragma once
// The key-pair picture of the RS, OKS and SOCD dialogs (layer 0): the first
// key of the pair is shown selected and cannot be chosen; the second key is
// chosen among keys that still do their factory job.

#include "ui/widgets/qselectkeyboardwidget.h"

class QRsoKeyboardWidget : public QSelectKeyboardWidget {
    Q_OBJECT
public:
    explicit QRsoKeyboardWidget(quint8 firstKey, QWidget* parent = nullptr);
    ~QRsoKeyboardWidget() override;

    quint8 firstKey() const { return mFirstKey; }
    // The chosen second key; 255 when none.
    quint8 selectedKey() const { return mSelected; }
    // Shows an existing pair's second key as chosen (it may carry the advanced
    // key already, so it need not be enabled). Emits nothing.
    void setSelectedKey(quint8 keyItem);

signals:
    // The chosen key changed: its key number, 255 when deselected.
    void keyboard_select(quint8 mItem);

protected:
    QLabel* createLabel(const KeyPositionPtr& position) override;
    void beforeBuild() override;
    void afterBuild() override;
    void labelPressed(QSelectKeyLabel* label) override;

private:
    quint8 mFirstKey;
    quint8 mSelected = 255;
};
