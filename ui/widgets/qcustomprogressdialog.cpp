#include "ui/widgets/qcustomprogressdialog.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

QCustomProgressDialog::QCustomProgressDialog(const QString& labelText, const QString& cancelText,
                                             int minimum, int maximum, bool showBar,
                                             QWidget* parent)
    : QProgressDialog(parent) {
    setObjectName(QStringLiteral("customProgressDialog"));
    setAutoClose(false);
    setAutoReset(false);
    setLabelText(labelText);
    mBar = new QProgressBar(this);
    mBar->setObjectName(QStringLiteral("customProgressBar"));
    mBar->setTextVisible(showBar);
    setBar(mBar);
    mBar->setVisible(showBar);
    mCancelButton = new QPushButton(cancelText.isEmpty() ? tr("取消") : cancelText, this);
    mCancelButton->setObjectName(QStringLiteral("customProgressCancelButton"));
    mCancelButton->setFocusPolicy(Qt::NoFocus);
    setCancelButton(mCancelButton);
    setRange(minimum, maximum);
    setMinimumDuration(0);
    mStallTimer = new QTimer(this);
    mStallTimer->setSingleShot(true);
    connect(mStallTimer, &QTimer::timeout, this, &QCustomProgressDialog::stalled);
    connect(this, &QProgressDialog::canceled, mStallTimer, &QTimer::stop);
}

QCustomProgressDialog::~QCustomProgressDialog() = default;

QCustomProgressDialog* QCustomProgressDialog::open(QWidget* parent, const QString& labelText,
                                                   const QString& cancelText, int minimum,
                                                   int maximum, bool showBar) {
    auto* dialog =
        new QCustomProgressDialog(labelText, cancelText, minimum, maximum, showBar, parent);
    dialog->setMinimumWidth(kMinimumWidth);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setWindowFlags(dialog->windowFlags() | Qt::FramelessWindowHint);
    dialog->setValue(minimum);
    dialog->show();
    return dialog;
}

void QCustomProgressDialog::setStallTimeout(int ms) {
    if (ms <= 0) {
        mStallTimer->stop();
        mStallTimer->setInterval(0);
        return;
    }
    mStallTimer->setInterval(ms);
    mStallTimer->start();
}

void QCustomProgressDialog::setProgressValue(int value) {
    if (value != this->value() && mStallTimer->interval() > 0 && !wasCanceled())
        mStallTimer->start();
    // Once shown, QProgressDialog::setValue runs the event loop (modal
    // dialogs) and the bar repaints at once: called from a receive slot that
    // would handle later frames inside this one and paint the window on every
    // step. The bar is set with its painting left to the next update instead.
    if (!isVisible()) {
        setValue(value);
        return;
    }
    if (value == mBar->value()) return;
    mBar->setUpdatesEnabled(false);
    mBar->setValue(value);
    mBar->setUpdatesEnabled(true);
}
