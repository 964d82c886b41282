#pragma once
// The one tool-tip window all pages share: a frameless label placed above
// the horizontal centre of an anchor widget and kept on the primary screen.

#include <QPointer>
#include <QWidget>

class QLabel;

class CustomToolTip : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int rightOffset READ rightOffset WRITE setRightOffset)
    Q_PROPERTY(int bottomOffset READ bottomOffset WRITE setBottomOffset)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment)
public:
    explicit CustomToolTip(QWidget* parent = nullptr);
    ~CustomToolTip() override;

    static CustomToolTip* instance();

    int rightOffset() const { return mRightOffset; }
    void setRightOffset(int offset) { mRightOffset = offset; }
    int bottomOffset() const { return mBottomOffset; }
    void setBottomOffset(int offset) { mBottomOffset = offset; }
    QString text() const;
    void setText(const QString& text);
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);

    // Shows the text above the anchor's horizontal centre.
    void showTip(QWidget* anchor, const QString& text);
    // Places the tip again for its anchor; with rereadAnchor the anchor's
    // position is taken anew (after the main window moved or resized). Does
    // nothing unless a tip is active.
    void updatePlacement(bool rereadAnchor);
    // The pointer left the anchor: forget it and hide.
    void hideTip();
    // The main window was minimised or deactivated: hide, but keep the tip
    // active so that updatePlacement brings it back.
    void suspendTip();

    bool isActive() const { return mActive; }
    QWidget* anchor() const { return mAnchor; }

    // Top-left corner for a window of `size` above `anchor` (global) shifted
    // by `offset`, kept inside `screen` (origin at 0,0).
    static QPoint placement(const QPoint& anchor, int offset, const QSize& size, int bottomOffset,
                            const QSize& screen);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void place(const QPoint& anchor, int offset);

    int mRightOffset = 0;
    int mBottomOffset = 0;
    QLabel* mLabel = nullptr;
    QPointer<QWidget> mAnchor;
    QPoint mAnchorPoint;
    int mOffset = 0;
    bool mActive = false;
};
