// From opening the simulated keyboard (1 ms per answer) to the key page
// shown, through the device page, the whole sync and the catalogue match,
// offscreen on the real window; and how that compares with the time the
// answers alone take.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStackedWidget>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "bench/benchregistry.h"
#include "support/gui/guisession.h"
#include "ui/mainwindow.h"
#include "ui/pageindex.h"

ZENTARO_BENCH(window) {
    GuiSession::Options options;
    options.latencyMs = 1;
    GuiSession session(options);
    if (!session.start() || !session.reachKeyPage(30000)) {
        bench::report(QStringLiteral("connect_to_keypage_ms"), -1);
        bench::report(QStringLiteral("connect_ratio"), -1);
        return;
    }
    session.waitForEngineIdle(5000);
    MainWindow* window = session.window();
    auto* stack = window->findChild<QStackedWidget*>(QStringLiteral("stackedWidget"));
    std::vector<double> times;
    int frames = 0;
    for (int round = 0; round < 5; ++round) {
        // Showing the device page closes the link; it opens the keyboard
        // again at once (openCommunicate), reads it and shows the key page.
        const int writesBefore = session.sim().writeCount();
        QElapsedTimer clock;
        clock.start();
        window->showPage(PageDevice);
        // Waits in a blocking event loop, as the application does: a loop that
        // polls for the page takes a core from the receive thread and the
        // simulated keyboard and measures the machine's load instead.
        if (window->currentPageIndex() != PageKey) {
            QEventLoop loop;
            QObject::connect(stack, &QStackedWidget::currentChanged, &loop, [&loop](int index) {
                if (index == PageKey) loop.quit();
            });
            QTimer::singleShot(30000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        if (window->currentPageIndex() != PageKey) break;
        // Shown means painted once.
        QCoreApplication::processEvents();
        times.push_back(clock.nsecsElapsed() / 1e6);
        frames = session.sim().writeCount() - writesBefore;
        session.waitForEngineIdle(5000);
    }
    // The best round: what the road costs when no other process takes the CPU.
    const double ms = times.empty() ? -1 : *std::min_element(times.begin(), times.end());
    bench::report(QStringLiteral("connect_to_keypage_ms"), ms);
    bench::report(QStringLiteral("connect_sync_frames"), frames, 0);
    bench::report(QStringLiteral("connect_ratio"), frames > 0 && ms > 0 ? ms / frames : -1);
}
