#include "ui/pages/basepage.h"

#include <QDebug>

#include "model/keyboardconfigutil.h"
#include "protocol/requestersource.h"
#include "protocol/usbcommunicateutil.h"
#include "services/qtoastbox.h"

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

UsbCommunicateUtil* BasePage::engine() {
    return UsbCommunicateUtil::instance();
}

KeyboardConfigUtil* BasePage::model() {
    return KeyboardConfigUtil::instance();
}

void BasePage::toast(const QString& text) {
    QWidget* top = window();
    QToastBox::showToast(top ? top : this, text);
}

void BasePage::logLine(const QString& text) {
    qInfo().noquote() << QStringLiteral("=== ") + text + QStringLiteral(" ===");
}
