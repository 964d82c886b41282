#include "app/application.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QSqlDatabase>
#include <QThread>
#include <memory>

#include "app/testhooks.h"
#include "common/apppaths.h"
#include "protocol/usbcommunicateutil.h"
#include "services/hidwatcher.h"
#include "services/logfile.h"
#include "services/restarter.h"
#include "services/services.h"
#include "services/singleinstance.h"
#include "services/systemconfigutil.h"
#include "services/unixsignalquitter.h"
#include "sim/simcatalogueseed.h"
#include "sim/simcontrol.h"
#include "sim/simhidbackend.h"
#include "ui/mainwindow.h"
#include "update/updateserver.h"
#include "zentaroversion.h"

namespace {
const QString kSimulateOption = QStringLiteral("--simulate");
const QString kSimulateProductOption = QStringLiteral("--simulate-product=");
const QString kServerOption = QStringLiteral("--server=");

// Loads on the other core what the first paint would otherwise wait for:
// the image-format plugins (Qt asks each of them before it reads even a
// PNG, so the first icon of the style sheet loads them all) and the SQLite
// driver of the catalogue. Plugins are shared by the whole process. The
// thread is waited for wherever run() returns.
using WarmUp = std::unique_ptr<QThread, void (*)(QThread*)>;
WarmUp startWarmUp() {
    WarmUp thread(QThread::create([] {
                      QImageReader::supportedImageFormats();
                      const QString connection = QStringLiteral("zentaro-warm-up");
                      QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
                      QSqlDatabase::removeDatabase(connection);
                  }),
                  [](QThread* running) {
                      running->wait();
                      delete running;
                  });
    thread->start();
    return thread;
}

void applyStyleSheet(QApplication& app, int theme) {
    QFile file(SystemConfigUtil::styleSheetPath(theme));
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return;
    app.setStyleSheet(QString::fromUtf8(file.readAll()));
}
}  // namespace

Application::Options Application::parseArguments(const QStringList& arguments) {
    Options options;
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith(kServerOption)) {
            options.server = argument.mid(kServerOption.size());
        } else if (argument.startsWith(SimControl::optionPrefix())) {
            options.controlPath = argument.mid(SimControl::optionPrefix().size());
        } else if (argument.startsWith(kSimulateProductOption)) {
            bool ok = false;
            const int product = argument.mid(kSimulateProductOption.size()).toInt(&ok);
            if (ok && product > 0 && product <= 0x7FFF) {
                options.simulate = true;
                options.simulateProduct = qint16(product);
            }
        } else if (argument == kSimulateOption) {
            options.simulate = true;
            options.stateFile.clear();
        } else if (argument.startsWith(kSimulateOption + QLatin1Char('='))) {
            options.simulate = true;
            options.stateFile = argument.mid(kSimulateOption.size() + 1);
        }
    }
    return options;
}

QString Application::defaultStateFile(qint16 product) {
    // Each chosen product keeps a keyboard of its own.
    return AppPaths::writableDataFile(
        product > 0 ? QStringLiteral("simulated-keyboard-%1.json").arg(product)
                    : QStringLiteral("simulated-keyboard.json"));
}

int Application::run(int argc, char** argv) {
    QApplication app(argc, argv);
    const WarmUp warmUp = startWarmUp();
    Options options = parseArguments(app.arguments());
    // A state file named on the command line is relative to where the user
    // started the program, not to the working folder entered below.
    if (!options.stateFile.isEmpty())
        options.stateFile = QFileInfo(options.stateFile).absoluteFilePath();
    if (!options.controlPath.isEmpty())
        options.controlPath = QFileInfo(options.controlPath).absoluteFilePath();
    // An installed copy keeps settings, log and downloads in the user's data
    // folder; this must happen before any of them is opened.
    const bool inWorkingFolder = AppPaths::enterWorkingFolder();
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kZentaroAppId));
    const QIcon icon = QIcon::fromTheme(QString::fromLatin1(kZentaroAppId));
    if (!icon.isNull()) QApplication::setWindowIcon(icon);

    SingleInstance instance;
    if (instance.isRunning() && instance.handOver() != SingleInstance::HandOver::TookOver) {
        app.quit();
        return 0;
    }

    auto log = std::make_unique<LogFile>(QStringLiteral("app.log"));
    if (log->open()) {
        LogFile::install(log.get());
    } else {
        log.reset();
    }
    if (inWorkingFolder) {
        qInfo().noquote() << QStringLiteral("=== Application 工作目录:{ ") + QDir::currentPath() +
                                 QStringLiteral(" } ===");
    } else {
        qWarning().noquote() << QStringLiteral("=== Application 无法进入工作目录:{ ") +
                                    AppPaths::workingFolder() + QStringLiteral(" } ===");
    }

    // COM initialisation of the GUI thread has no counterpart here: the
    // platform's Bluetooth stack is used as it comes.

    UnixSignalQuitter signalQuitter;

    // Installed before the engine exists, so every HID access of the whole
    // program reaches the simulated keyboard.
    std::unique_ptr<SimHidBackend> simulated;
    if (options.simulate) {
        simulated = std::make_unique<SimHidBackend>();
        const QString stateFile = options.stateFile.isEmpty()
                                      ? defaultStateFile(options.simulateProduct)
                                      : options.stateFile;
        QDir().mkpath(QFileInfo(stateFile).absolutePath());
        if (!simulated->setStateFile(stateFile)) {
            qWarning().noquote() << QStringLiteral("=== Application 模拟键盘状态文件不可用:{ ") +
                                        stateFile + QStringLiteral(" } ===");
        }
        HidBackend::setCurrent(simulated.get());
        qInfo().noquote() << QStringLiteral("=== Application 使用模拟键盘:{ ") + stateFile +
                                 QStringLiteral(" } ===");
    }
    std::unique_ptr<SimControl> control;
    if (!options.controlPath.isEmpty()) {
        QString why;
        if (!simulated) {
            qWarning().noquote() << QStringLiteral("=== Application 没有模拟键盘，忽略 ") +
                                        SimControl::optionPrefix() + QStringLiteral(" ===");
        } else {
            control = std::make_unique<SimControl>(simulated.get());
            if (!control->listen(options.controlPath, &why)) {
                qWarning().noquote() << QStringLiteral("=== Application 模拟控制不可用:{ ") + why +
                                            QStringLiteral(" } ===");
                control.reset();
            }
        }
    }

    Services::Options serviceOptions;
    serviceOptions.simulated = simulated.get();
    serviceOptions.simulatedProduct =
        options.simulateProduct > 0 ? options.simulateProduct : SimCatalogueSeed::kDefaultProduct;
    Services services(serviceOptions);
    SystemConfigUtil* config = services.systemConfig();

    UpdateServer::setBaseUrl(UpdateServer::resolve(options.server, config->serverUrl()));

    applyStyleSheet(app, config->theme());

    auto window = std::make_unique<MainWindow>(SingleInstance::kServerName);
    if (simulated) window->hidWatcher()->watch(simulated.get());
    // The size it has where no window manager maximises it (and on restore).
    window->resize(1280, 800);
    window->setWindowState(Qt::WindowMaximized);
    TestHooks::reportFirstPaint(window.get());
    window->show();
    // The title follows the interface language, live.
    const auto title = [w = window.get()] {
        w->setWindowTitle(QCoreApplication::translate("main", "磁性键盘"));
    };
    title();
    QObject::connect(config, &SystemConfigUtil::languageChanged, window.get(), title);
    QObject::connect(window.get(), &MainWindow::activatedByAnotherCopy,
                     [] { TestHooks::report(QStringLiteral("raised")); });

    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] {
        if (UsbCommunicateUtil* communicate = UsbCommunicateUtil::instance()) {
            communicate->closeCommunicate();
        }
        qInfo().noquote() << QStringLiteral("应用程序即将关闭，这里可以执行清理工作");
    });

    // A theme change starts a new copy: this one stops being the single
    // instance first, so the new copy does not hand over to it.
    Restarter::setReleaseHook([&window, &instance] {
        if (window) window->stopListening();
        instance.release();
    });

    TestHooks::report(QStringLiteral("theme %1").arg(config->theme()));
    TestHooks::report(QStringLiteral("pid %1").arg(QCoreApplication::applicationPid()));
    TestHooks::report(QStringLiteral("ready"));
    TestHooks::runAction(window.get());
    const int result = app.exec();
    Restarter::setReleaseHook({});

    // The window goes before the services it uses; the log closes last so
    // that every destruction line is still written.
    window.reset();
    services.reset();
    control.reset();
    if (simulated) {
        HidBackend::setCurrent(nullptr);
        simulated.reset();
    }
    if (log) {
        LogFile::uninstall();
        log.reset();
    }
    return result;
}
