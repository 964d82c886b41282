// From opening the simulated keyboard (1 ms per answer) to the key page
// shown, through the device page, the whole sync and the catalogue match,
// offscreen on the real window; and how that compares with the time the
// answers alone take. Also the start: from building the main window to its
// first paint, against a bare QWidget window in the same run.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStackedWidget>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/benchregistry.h"
#include "support/gui/guisession.h"
#include "ui/mainwindow.h"
#include "ui/pageindex.h"

namespace {
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Shows `window` and waits for its first paint: milliseconds on `clock`,
// -1 when it is not painted within 10 s.
double untilFirstPaint(QWidget* window, const QElapsedTimer& clock) {
    PaintWatch watch;
    window->installEventFilter(&watch);
    window->resize(1504, 939);
    window->show();
    QElapsedTimer limit;
    limit.start();
    while (!watch.painted && limit.elapsed() < 10000) QCoreApplication::processEvents();
    window->removeEventFilter(&watch);
    return watch.painted ? clock.nsecsElapsed() / 1e6 : -1;
}

double median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
}  // namespace

// A child copy of this program, started by `start` below: shows one window
// and says "painted" at its first paint. Does nothing in an ordinary run.
ZENTARO_BENCH(startchild) {
    const QByteArray kind = qgetenv("ZENTARO_BENCH_START_CHILD");
    if (kind.isEmpty()) return;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QWidget> bare;
    std::unique_ptr<GuiSession> session;
    bool painted = false;
    if (kind == "bare") {
        bare = std::make_unique<QWidget>();
        painted = untilFirstPaint(bare.get(), clock) >= 0;
    } else {
        // The whole program's start: settings, services, window; the device
        // page opens the keyboard, but the sync is not waited for.
        PaintWatch watch;
        qApp->installEventFilter(&watch);
        session = std::make_unique<GuiSession>();
        session->start();
        while (!watch.painted && clock.elapsed() < 10000) QCoreApplication::processEvents();
        painted = watch.painted;
    }
    printf(painted ? "painted\n" : "not painted\n");
    fflush(stdout);
    // The parent has its time; tearing down is not measured.
    std::_Exit(0);
}

// From starting the program to the first paint of its window, offscreen:
// the real window (start_to_window_ms) against a bare QWidget program
// started the same way (the same binary), medians of 7 alternating starts.
ZENTARO_BENCH(start) {
    const auto startToPaint = [](const char* kind) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ZENTARO_BENCH_START_CHILD"), QString::fromLatin1(kind));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("startchild")});
        QByteArray out;
        while (!out.contains('\n') && child.waitForReadyRead(20000))
            out += child.readAllStandardOutput();
        const double ms = clock.nsecsElapsed() / 1e6;
        child.waitForFinished(20000);
        return out.startsWith("painted") ? ms : -1.0;
    };
    std::vector<double> bare, real;
    for (int round = 0; round < 7; ++round) {
        bare.push_back(startToPaint("bare"));
        real.push_back(startToPaint("real"));
    }
    const bool failed =
        std::count(bare.begin(), bare.end(), -1.0) + std::count(real.begin(), real.end(), -1.0) > 0;
    const double realMs = failed ? -1 : median(real);
    const double bareMs = failed ? -1 : median(bare);
    bench::report(QStringLiteral("start_to_window_ms"), realMs);
    bench::report(QStringLiteral("start_bare_window_ms"), bareMs);
    bench::report(QStringLiteral("start_ratio"), realMs > 0 && bareMs > 0 ? realMs / bareMs : -1);
}

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
