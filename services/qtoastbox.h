#pragma once
// A short message over a window that closes and deletes itself after the
// given time, without blocking. By default it stays kDefaultMs, longer for a
// long text (some translations run to twice the Chinese length).

#include <QDialog>
#include <QString>

class QLabel;

class QToastBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultMs = 2000;
    static constexpr int kLongestMs = 6000;
    // Time to read `text`: kDefaultMs for a short one, up to kLongestMs.
    static int readingTimeMs(const QString& text);

    // `timeMs` < 0: the text's reading time.
    QToastBox(QWidget* parent, const QString& text, int timeMs = -1);
    ~QToastBox() override;

    // Creates, centres over the parent and shows a toast.
    static QToastBox* showToast(QWidget* parent, const QString& text, int timeMs = -1);

    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* mLabel = nullptr;
};
