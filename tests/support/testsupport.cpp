#include "support/testsupport.h"

#include <QDeadlineTimer>
#include <QTest>

namespace testsupport {

QString catalogueFile() {
    return qEnvironmentVariable("ZENTARO_BIN_DIR") + QStringLiteral("/data/velmora.db3");
}

QList<int> framesWritten(const QList<QByteArray>& reports, uchar request) {
    QList<int> frames;
    for (const QByteArray& r : reports)
        if (r.size() > 4 && uchar(r.at(2)) == request) frames.append(uchar(r.at(3)));
    return frames;
}

QList<QByteArray> requests(const QList<QByteArray>& reports, uchar request) {
    QList<QByteArray> out;
    for (const QByteArray& r : reports)
        if (r.size() > 2 && uchar(r.at(2)) == request) out.append(r);
    return out;
}

bool waitFor(QSignalSpy& spy, int count, int ms) {
    QDeadlineTimer deadline(ms);
    while (spy.count() < count && !deadline.hasExpired())
        spy.wait(int(qMax<qint64>(1, deadline.remainingTime())));
    return spy.count() >= count;
}

}  // namespace testsupport
