#include "ui/pages/basepage.h"

#include <QDebug>

#include "services/qtoastbox.h"
#include "protocol/requestersource.h"

BasePage::BasePage(uchar source, QWidget* parent) : QWidget(parent), mSource(source) {}

BasePage::~BasePage() = default;

void BasePage::enterFrom(int previousPage) {
    mPreviousPage = previousPage;
    enter();
}

bool BasePage::acceptSource(uchar source, const char* slot) const {
    return RequesterSource::accept(this, mSource, source, slot);
}

void BasePage::logUsbError(uchar source, uchar order, int error) const {
    RequesterSource::logError(this, source, order, error);
}

void BasePage::toast(const QString& text) {
    QWidget* top = window();
    QToastBox::showToast(top ? top : this, text);
}

void BasePage::logLine(const QString& text) {
    qInfo().noquote() << QStringLiteral("=== ") + text + QStringLiteral(" ===");
}
