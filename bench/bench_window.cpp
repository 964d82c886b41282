// From opening the simulated keyboard (1 ms per answer) to the key page
// shown, through the device page, the whole sync and the catalogue match,
// offscreen on the real window; and how that compares with the time the
// answers alone take. Also the start: from starting the program to its
// window's first paint, against a bare QWidget program in the same run.
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
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

// A child copy of this program, started by `start` below: shows a bare
// QWidget window and says "painted" at its first paint. Does nothing in an
// ordinary run.
ZENTARO_BENCH(startchild) {
    if (qgetenv("ZENTARO_BENCH_START_CHILD") != "bare") return;
    QElapsedTimer clock;
    clock.start();
    QWidget bare;
    const bool painted = untilFirstPaint(&bare, clock) >= 0;
    printf(painted ? "zentaro: painted\n" : "not painted\n");
    fflush(stdout);
    // The parent has its time; tearing down is not measured.
    std::_Exit(0);
}

// From starting the program to the first paint of its window, offscreen:
// the real executable (start_to_window_ms) on the simulated keyboard, in a
// working folder as a user has it after the first start (settings, the
// keyboard's flash), against a bare QWidget program started the same way
// (the bench binary, which loads the same libraries); medians of 25
// alternating starts. The first start of the folder is timed on its own.
ZENTARO_BENCH(start) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/zentaro");
    QTemporaryDir work, temp;
    if (!QFileInfo(program).isExecutable() || !work.isValid() || !temp.isValid()) {
        bench::report(QStringLiteral("start_to_window_ms"), -1);
        bench::report(QStringLiteral("start_ratio"), -1);
        return;
    }
    QDir(work.path()).mkpath(QStringLiteral("data"));
    {
        QSettings settings(work.filePath(QStringLiteral("data/config.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("System/Theme"), 0);
        // Chinese, the language most users start in.
        settings.setValue(QStringLiteral("System/Language"), 1);
        settings.setValue(QStringLiteral("System/CheckApp"),
                          QDate::currentDate().toString(Qt::ISODate));
    }
    const auto startToPaint = [&](bool real) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (real) {
            // The single-instance lock and server live in a folder of their own.
            env.insert(QStringLiteral("TMPDIR"), temp.path());
            env.insert(QStringLiteral("ZENTARO_TEST_HOOKS"), QStringLiteral("-"));
            env.remove(QStringLiteral("ZENTARO_TEST_ACTION"));
        } else {
            env.insert(QStringLiteral("ZENTARO_BENCH_START_CHILD"), QStringLiteral("bare"));
        }
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(work.path());
        QElapsedTimer clock;
        clock.start();
        if (real)
            child.start(program, {QStringLiteral("--simulate=") +
                                  work.filePath(QStringLiteral("keyboard.json"))});
        else
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("startchild")});
        QByteArray out;
        while (!out.contains("zentaro: painted") && child.waitForReadyRead(20000))
            out += child.readAllStandardOutput();
        const double ms = clock.nsecsElapsed() / 1e6;
        // Ends as a user's close would; not measured.
        child.terminate();
        if (!child.waitForFinished(20000)) {
            child.kill();
            child.waitForFinished(5000);
        }
        return out.contains("zentaro: painted") ? ms : -1.0;
    };
    const double first = startToPaint(true);
    std::vector<double> bare, real;
    for (int round = 0; round < 25; ++round) {
        bare.push_back(startToPaint(false));
        real.push_back(startToPaint(true));
    }
    const bool failed =
        first < 0 ||
        std::count(bare.begin(), bare.end(), -1.0) + std::count(real.begin(), real.end(), -1.0) > 0;
    const double realMs = failed ? -1 : median(real);
    const double bareMs = failed ? -1 : median(bare);
    bench::report(QStringLiteral("start_first_to_window_ms"), first);
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
