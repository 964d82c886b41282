#pragma once
// The shared progress dialog: QProgressDialog whose cancel button is our own
// push button, labelled with the given text or "取消" when that is empty,
// and whose bar can be hidden (busy dialogs). open() applies the house
// settings: at least 300 pixels wide, application-modal, frameless, shown
// at once. It never closes or resets by itself when the value reaches the
// maximum: its owner decides.

#include <QProgressDialog>
#include <QString>

class QPushButton;
class QProgressBar;
class QTimer;

class QCustomProgressDialog : public QProgressDialog {
    Q_OBJECT
public:
    QCustomProgressDialog(const QString& labelText, const QString& cancelText, int minimum,
                          int maximum, bool showBar, QWidget* parent = nullptr);
    ~QCustomProgressDialog() override;

    // Creates a dialog with the house settings and shows it at once.
    static QCustomProgressDialog* open(QWidget* parent, const QString& labelText,
                                       const QString& cancelText, int minimum, int maximum,
                                       bool showBar);

    QPushButton* cancelButton() const { return mCancelButton; }
    QProgressBar* bar() const { return mBar; }

    // Emits stalled() once when the value has not changed for `ms`
    // milliseconds (0 turns it off). Owners use it so that a job that went
    // silent ends through its failure road instead of leaving the modal
    // dialog up for ever.
    void setStallTimeout(int ms);

    static constexpr int kMinimumWidth = 300;

public slots:
    void setProgressValue(int value);

signals:
    void stalled();

private:
    QPushButton* mCancelButton = nullptr;
    QProgressBar* mBar = nullptr;
    QTimer* mStallTimer = nullptr;
};
