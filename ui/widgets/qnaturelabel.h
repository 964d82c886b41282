#pragma once
// Key label of the performance picture: the key's function in the middle and
// three distances of its trigger setting in the corners (actuation point top
// left, rapid-trigger press and release sensitivity bottom left and right).

#include "common/keyboardtypes.h"
#include "ui/widgets/qselectkeylabel.h"

class QNatureLabel : public QSelectKeyLabel {
    Q_OBJECT
public:
    explicit QNatureLabel(quint8 keyItem, QWidget* parent = nullptr);
    ~QNatureLabel() override;

    // Takes the three values and the two-line tool tip from a trigger setting
    // (none: no values).
    void setTrigger(const TriggerSettingPtr& trigger);
    bool hasTrigger() const { return mHasTrigger; }

    void setTriggerVisible(bool visible);
    bool isTriggerVisible() const { return mTriggerVisible; }
    void setQuickVisible(bool visible);
    bool isQuickVisible() const { return mQuickVisible; }

    // Hundredths of a millimetre as millimetres with two decimals: 60 -> "0.60".
    static QString distanceText(int hundredths);
    // "快速触发模式:已开启|已关闭" CR LF "连续快速触发:已开启|已关闭".
    static QString triggerToolTip(bool model, bool quick);

    QString triggerText() const { return distanceText(mTrigger); }
    QString pressText() const { return distanceText(mPress); }
    QString releaseText() const { return distanceText(mRelease); }

    void paintFace(QPainter& painter, const QFont& font) override;

private:
    bool mHasTrigger = false;
    int mTrigger = 0;
    int mPress = 0;
    int mRelease = 0;
    bool mTriggerVisible = true;
    bool mQuickVisible = true;
};
