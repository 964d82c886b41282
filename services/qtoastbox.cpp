#include "services/qtoastbox.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

QToastBox::QToastBox(QWidget* parent, const QString& text, int timeMs) : QDialog(parent) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    mLabel = new QLabel(text, this);
    mLabel->setAlignment(Qt::AlignCenter);
    mLabel->setWordWrap(true);
    mLabel->setMaximumWidth(520);
    mLabel->setStyleSheet(QStringLiteral(
        "color: rgb(78,89,105); background: rgb(255,255,255); border-radius: 12px; border: 1px "
        "solid rgb(255,105,0); padding: 15px;"));
    layout->addWidget(mLabel);
    QTimer::singleShot(timeMs < 0 ? readingTimeMs(text) : timeMs, this, &QToastBox::close);
}

int QToastBox::readingTimeMs(const QString& text) {
    // About 60 ms a character beyond the first 30.
    return qBound(kDefaultMs, kDefaultMs + (int(text.size()) - 30) * 60, kLongestMs);
}

QToastBox::~QToastBox() = default;

QToastBox* QToastBox::showToast(QWidget* parent, const QString& text, int timeMs) {
    auto* toast = new QToastBox(parent, text, timeMs);
    toast->show();
    return toast;
}

QString QToastBox::text() const {
    return mLabel->text();
}

void QToastBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    adjustSize();
    // A tool-tip window is top-level: centre it over the parent's window.
    if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - rect().center());
    }
}
