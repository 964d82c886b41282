#pragma once
// The advanced-key page's picture (layer 0): one key at a time; a key that
// already carries an advanced key reports itself instead of being selected.
// For RS, OKS and SOCD only keys that still do their factory job (or carry an
// advanced key) can be chosen.

#include "ui/widgets/qselectkeyboardwidget.h"

class QHighKeyboardWidget : public QSelectKeyboardWidget {
    Q_OBJECT
public:
    // `kind`: 0 TGL, 1 MT, 2 DKS, 3 RS, 4 OKS, 5 SOCD.
    explicit QHighKeyboardWidget(int kind, QWidget* parent = nullptr);
    ~QHighKeyboardWidget() override;

    int kind() const { return mKind; }
    // Enables the keys the kind may use; the same kind again changes nothing.
    void setKind(int kind);
    // The selected key; 255 when none.
    quint8 selectedKey() const { return mSelected; }
    void clearSelection();

signals:
    // A key that carries an advanced key was pressed.
    void keyboard_select(quint8 mItem);
    // The selected key changed (255: none).
    void selectionChanged(quint8 keyItem);

protected:
    QLabel* createLabel(const KeyPositionPtr& position) override;
    void beforeBuild() override;
    void afterBuild() override;
    void labelPressed(QSelectKeyLabel* label) override;

private:
    void applyKindRule();

    int mKind;
    quint8 mSelected = 255;
};
