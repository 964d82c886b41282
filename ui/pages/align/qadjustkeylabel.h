#pragma once
// One key of the calibration picture: a bar that fills from the top with the
// key's last reported travel, over the pass colour once the key has been
// pressed to the bottom. Colours and corner radius come from the style sheet.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPixmap>

#include "ui/widgets/keyface.h"

class QAdjustKeyLabel : public QLabel, public KeyFace {
    Q_OBJECT
    Q_PROPERTY(QColor passColor READ passColor WRITE setPassColor)
    Q_PROPERTY(QColor failColor READ failColor WRITE setFailColor)
    Q_PROPERTY(QColor adjustColor READ adjustColor WRITE setAdjustColor)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(int borderRadius READ borderRadius WRITE setBorderRadius)
public:
    enum Status : quint8 { Untouched = 0, Passed = 1, NotPassed = 2 };

    // `maxTravel`: the product's largest travel (triggerMax); a key reported
    // at it or beyond has been pressed to the bottom.
    QAdjustKeyLabel(quint8 keyItem, int maxTravel, QWidget* parent = nullptr);
    ~QAdjustKeyLabel() override;

    quint8 keyItem() const { return mKeyItem; }
    quint8 status() const { return mStatus; }
    void setStatus(quint8 status);
    int travel() const { return mTravel; }
    void setTravel(int travel);
    // Stores the travel and the status without asking for a repaint: true
    // when what the label shows changed. For a caller that repaints many
    // labels at once through their parent.
    bool takeTravel(int travel, quint8 status);
    int maxTravel() const { return mMaxTravel; }

    // Height of the travel band for a label of height h: travel * h / T,
    // within 0..h.
    static int bandHeight(int travel, int maxTravel, int h);

    QColor passColor() const { return mPassColor; }
    void setPassColor(const QColor& c);
    QColor failColor() const { return mFailColor; }
    void setFailColor(const QColor& c);
    QColor adjustColor() const { return mAdjustColor; }
    void setAdjustColor(const QColor& c);
    QColor backColor() const { return mBackColor; }
    void setBackColor(const QColor& c);
    int borderRadius() const { return mBorderRadius; }
    void setBorderRadius(int r);

    // In the label's own font and colours (from its style rule).
    void paintFace(QPainter& painter, const QFont& font) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Frame and text (or image) drawn once, reused until one of them changes.
    const QPixmap& layer();

    quint8 mKeyItem;
    quint8 mStatus = Untouched;
    int mTravel = 0;
    int mMaxTravel;
    QColor mPassColor{59, 167, 118};
    QColor mFailColor{242, 243, 245};
    QColor mAdjustColor{204, 153, 102};
    QColor mBackColor{225, 230, 248};
    int mBorderRadius = 8;
    QPixmap mLayer;
    QSize mLayerSize;
    QString mLayerText;
    qint64 mLayerImage = 0;
    QFont mLayerFont;
    QColor mLayerInk;
    QColor mLayerBack;
    int mLayerRadius = 0;
};
