#include "protocol/requestersource.h"

#include <QDebug>
#include <QMetaObject>
#include <QObject>

namespace RequesterSource {

bool accept(const QObject* requester, uchar own, uchar source, const char* slot) {
    if (source == own) return true;
    qInfo().noquote() << QStringLiteral("=== %1 %2 数据来源不匹配 source:{ %3 } ===")
                             .arg(QString::fromLatin1(requester->metaObject()->className()),
                                  QString::fromLatin1(slot))
                             .arg(source);
    return false;
}

void logError(const QObject* requester, uchar source, uchar order, int error) {
    qInfo().noquote()
        << QStringLiteral("=== %1 usb错误 source={%2};order={0x%3};error={%4}===")
               .arg(QString::fromLatin1(requester->metaObject()->className()))
               .arg(source)
               .arg(QString::number(order, 16).rightJustified(2, QLatin1Char('0')).toUpper())
               .arg(error);
}

}  // namespace RequesterSource
