#pragma once
// One line of the program's log, written as given (Qt would quote a string).

#include <QDebug>
#include <QString>

namespace AppLog {
inline void line(const QString& text) {
    qInfo().noquote() << text;
}
}  // namespace AppLog
