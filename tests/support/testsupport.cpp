#include "support/testsupport.h"

#include <QDeadlineTimer>
#include <QTest>

#include "model/keyboardconfigutil.h"

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

QStringList keyTablesText(const KeyboardConfigUtil& m) {
    QStringList t;
    for (const KeyBindingMap* map : {&m.keyboardFnMap, &m.keyboardFn1Map})
        for (const KeyBindingPtr& b : *map)
            t << QStringLiteral("k%1:%2/%3/%4")
                     .arg(b->keyItem)
                     .arg(b->type)
                     .arg(b->hValue)
                     .arg(b->lValue);
    for (const CustomLightPtr& e : m.keyboardCustomLightMap)
        t << QStringLiteral("l%1:%2/%3/%4/%5")
                 .arg(e->keyItem)
                 .arg(e->light)
                 .arg(e->colorR)
                 .arg(e->colorG)
                 .arg(e->colorB);
    for (const TriggerSettingPtr& g : m.keyboardTriggerMap)
        t << QStringLiteral("t%1:%2/%3/%4/%5/%6")
                 .arg(g->keyItem)
                 .arg(g->trigger)
                 .arg(g->model)
                 .arg(g->quick)
                 .arg(g->quickTrigger)
                 .arg(g->resetTrigger);
    return t;
}

}  // namespace testsupport
