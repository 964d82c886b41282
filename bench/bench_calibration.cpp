// One streamed calibration report for every key of the 104-key product,
// handled by the calibration page and painted (offscreen).
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <ctime>

#include "bench/benchregistry.h"
#include "bench/benchwindow.h"
#include "ui/mainwindow.h"
#include "ui/pageindex.h"
#include "ui/pages/align/alignsetform.h"
#include "ui/pages/align/qadjustkeylabel.h"

namespace {

constexpr int kWarmUp = 20;
constexpr int kRounds = 300;

qint64 threadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace

ZENTARO_BENCH(calibration) {
    GuiSession::Options options;
    options.product = bench::FullSizeProduct;
    GuiSession session(options);
    AlignSetForm* page = nullptr;
    if (bench::openFullSizePage(session, PageAlign))
        page = qobject_cast<AlignSetForm*>(session.window()->page(PageAlign));
    if (!page || !page->keyboardWidget()) {
        bench::report(QStringLiteral("calibration_report_us"), -1);
        return;
    }
    const QList<QLabel*> labels = page->keyboardWidget()->labels();
    const int full = page->maxTravel();

    // Every key in every report, each a little further than in the last one.
    QList<QList<QSharedPointer<KEYBOARD_ALIGN_INFO>>> reports;
    for (int round = 0; round < kWarmUp + kRounds; ++round) {
        QList<QSharedPointer<KEYBOARD_ALIGN_INFO>> list;
        for (int i = 0; i < labels.size(); ++i) {
            auto entry = QSharedPointer<KEYBOARD_ALIGN_INFO>::create();
            entry->keyItem = qobject_cast<QAdjustKeyLabel*>(labels[i])->keyItem();
            entry->value = quint16((round * 23 + i * 7) % (full + 1));
            list.append(entry);
        }
        reports.append(list);
    }

    // The report, then the repaint the event loop does next: the keys that
    // changed are painted into the window.
    QWidget* window = page->window();
    auto handle = [&](int round) {
        page->usb_receive_report_calibration(page->source(), 1, 1, reports[round]);
        QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
    };
    for (int round = 0; round < kWarmUp; ++round) handle(round);
    // CPU time of this (the GUI) thread: what the stream costs the window,
    // whatever else runs on the machine.
    const qint64 start = threadCpuNs();
    for (int round = kWarmUp; round < kWarmUp + kRounds; ++round) handle(round);
    const double us = (threadCpuNs() - start) / 1000.0 / kRounds;
    bench::report(QStringLiteral("calibration_report_keys"), labels.size(), 0);
    bench::report(QStringLiteral("calibration_report_us"), us, 1);
    session.stop();
}
