#include "bench/benchwindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include "model/keyboardconfigutil.h"
#include "ui/mainwindow.h"

namespace bench {

bool openFullSizePage(GuiSession& session, int page) {
    if (!session.start()) return false;
    const QDeadlineTimer deadline(20000);
    // Wakes the waiting loop now and then; waiting without spinning leaves
    // the cores to the receive thread and the simulated keyboard.
    QTimer tick;
    tick.start(20);
    bool read = false;
    while (!read && !deadline.hasExpired()) {
        const KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
        read = model && model->keyboardProduct &&
               model->keyboardProduct->serialNumber == FullSizeProduct &&
               !model->keyboardTriggerMap.isEmpty();
        if (!read) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (!read || !session.waitForEngineIdle(5000)) return false;
    session.window()->showPage(page);
    return session.waitForPage(page, 5000) && session.waitForEngineIdle(5000);
}

}  // namespace bench
