#pragma once
// A short message over a window that closes and deletes itself after the
// given time. Every caller shows it for kDefaultMs without blocking.

#include <QDialog>
#include <QString>

class QLabel;

class QToastBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultMs = 2000;

    QToastBox(QWidget* parent, const QString& text, int timeMs = kDefaultMs);
    ~QToastBox() override;

    // Creates, centres over the parent and shows a toast.
    static QToastBox* showToast(QWidget* parent, const QString& text, int timeMs = kDefaultMs);

    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* mLabel = nullptr;
};
