#pragma once
// A short message over a window that closes and deletes itself after the
// given time, without blocking. By default it stays kDefaultMs, longer for a
// long text (some translations run to twice the Chinese length). It keeps to
// one line up to kMaxWidth pixels and wraps beyond; its colours come from the
// theme's style sheet (QToastBox, QLabel#toastLabel).

#include <QDialog>
#include <QString>

class QLabel;

class QToastBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultMs = 2000;
    static constexpr int kLongestMs = 6000;
    static constexpr int kMaxWidth = 520;
    static constexpr int kRadius = 12;
    // Time to read `text`: kDefaultMs for a short one, up to kLongestMs.
    static int readingTimeMs(const QString& text);
    // Whether a compositing manager draws translucent windows; without one a
    // translucent window shows black where it is transparent.
    static bool hasCompositor();

    // `timeMs` < 0: the text's reading time.
    QToastBox(QWidget* parent, const QString& text, int timeMs = -1);
    ~QToastBox() override;

    // Creates, centres over the parent and shows a toast.
    static QToastBox* showToast(QWidget* parent, const QString& text, int timeMs = -1);

    QString text() const;
    // True when the rounded shape is cut by a mask (no compositor).
    bool isMasked() const { return mMasked; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitText();

    QLabel* mLabel = nullptr;
    bool mMasked = false;
};
