#include "ui/pages/basepage.h"

#include <QDebug>

#include "app/qtoastbox.h"

BasePage::BasePage(uchar source, QWidget* parent) : QWidget(parent), mSource(source) {}

BasePage::~BasePage() = default;

bool BasePage::acceptSource(uchar source, const char* slot) const {
    if (source == mSource) return true;
    qInfo().noquote() << QStringLiteral("=== %1 %2 数据来源不匹配 source:{ %3 } ===")
                             .arg(QString::fromLatin1(metaObject()->className()),
                                  QString::fromLatin1(slot))
                             .arg(source);
    return false;
}

void BasePage::logUsbError(uchar source, uchar order, int error) const {
    qInfo().noquote() << QStringLiteral("=== %1 usb错误 source={%2};order={0x%3};error={%4}===")
                             .arg(QString::fromLatin1(metaObject()->className()))
                             .arg(source)
                             .arg(QString::number(order, 16).rightJustified(2, QLatin1Char('0')).toUpper())
                             .arg(error);
}

void BasePage::toast(const QString& text) {
    QWidget* top = window();
    QToastBox::showToast(top ? top : this, text);
}

void BasePage::logLine(const QString& text) {
    qInfo().noquote() << QStringLiteral("=== ") + text + QStringLiteral(" ===");
}
