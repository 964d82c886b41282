// The key page's picture built for the 104-key product, and a switch from
// the key page to the lighting page and back, both offscreen on the real
// window with its style sheet.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "bench/benchregistry.h"
#include "bench/benchwindow.h"
#include "ui/mainwindow.h"
#include "ui/pageindex.h"
#include "ui/pages/key/keysetform.h"
#include "ui/widgets/qkeykeyboardwidget.h"

namespace {

// The best round: what the work costs when no other process takes the CPU
// (the machines that run this are often busy).
double best(const std::vector<double>& values) {
    return values.empty() ? -1 : *std::min_element(values.begin(), values.end());
}

}  // namespace

ZENTARO_BENCH(pictures) {
    GuiSession::Options options;
    options.product = bench::FullSizeProduct;
    GuiSession session(options);
    KeySetForm* page = nullptr;
    if (bench::openFullSizePage(session, PageKey))
        page = qobject_cast<KeySetForm*>(session.window()->page(PageKey));
    if (!page || !page->picture()) {
        bench::report(QStringLiteral("picture_build_ms"), -1);
        bench::report(QStringLiteral("page_switch_ms"), -1);
        return;
    }

    // Building: labels from the positions, the label rule, polish on show.
    QWidget* area = page->picture()->parentWidget();
    std::vector<double> build;
    for (int round = 0; round < 60; ++round) {
        QElapsedTimer clock;
        clock.start();
        auto* picture = new QKeyKeyboardWidget(0, area);
        QKeyboardWidget::placePicture(picture);
        picture->rebuild();
        picture->show();
        if (round >= 10) build.push_back(clock.nsecsElapsed() / 1e6);
        delete picture;
    }
    bench::report(QStringLiteral("picture_build_keys"), page->picture()->labels().size(), 0);
    bench::report(QStringLiteral("picture_build_ms"), best(build));

    // Key page to the lighting page and back, each drawn once.
    MainWindow* window = session.window();
    std::vector<double> switches;
    for (int round = 0; round < 30; ++round) {
        QElapsedTimer clock;
        clock.start();
        window->showPage(PageLight);
        window->repaint();
        window->showPage(PageKey);
        window->repaint();
        if (round >= 5) switches.push_back(clock.nsecsElapsed() / 1e6);
        // Deferred deletions of the pages' old pictures, outside the clock.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        session.waitForEngineIdle(2000);
    }
    bench::report(QStringLiteral("page_switch_ms"), best(switches));
    session.stop();
}
