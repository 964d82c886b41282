// The focus on a real X server (Xvfb): two windows of different classes, the
// focus moved as a window manager moves it (_NET_ACTIVE_WINDOW on the root
// window), and the simulated keyboard switching its table each time.
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#ifdef ZENTARO_HAVE_XCB
#include <xcb/xcb.h>

#include <cstring>

#include "jobs/autoswitcher.h"
#include "jobs/processsource.h"
#include "jobs/x11focussource.h"
#include "model/keyboardconfigutil.h"
#include "support/enginerig.h"
#include "support/testsupport.h"

namespace {

class NoProcesses : public ProcessSource {
public:
    QList<RunningProcess> processes(bool) override { return {}; }
    RunningProcess process(qint64) override { return {}; }
};

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    free(r);
    return a;
}

}  // namespace
#endif

class TestX11FocusSource : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void focusSwitchesTheKeyboard();

private:
    QProcess mServer;
    QString mDisplay;
};

void TestX11FocusSource::initTestCase() {
#ifndef ZENTARO_HAVE_XCB
    QSKIP("built without libxcb");
#else
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) QSKIP("Xvfb is not installed (scripts/setup installs it)");
    // -displayfd: the server picks a free display and says which.
    mServer.start(xvfb,
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                   QStringLiteral("320x240x24")});
    QVERIFY(mServer.waitForStarted(10000));
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (!out.contains('\n') && t.elapsed() < 20000) {
        mServer.waitForReadyRead(500);
        out += mServer.readAllStandardOutput();
    }
    QVERIFY2(out.contains('\n'), "Xvfb did not say its display");
    mDisplay = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
#endif
}

void TestX11FocusSource::cleanupTestCase() {
    if (mServer.state() != QProcess::NotRunning) {
        mServer.terminate();
        if (!mServer.waitForFinished(5000)) mServer.kill();
    }
}

void TestX11FocusSource::focusSwitchesTheKeyboard() {
#ifdef ZENTARO_HAVE_XCB
    xcb_connection_t* c = xcb_connect(mDisplay.toLatin1().constData(), nullptr);
    QVERIFY(c && !xcb_connection_has_error(c));
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    auto makeWindow = [&](const char* cls, int clsLength, const char* title) {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 50, 50, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            uint32_t(clsLength), cls);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            uint32_t(std::strlen(title)), title);
        xcb_map_window(c, w);
        return w;
    };
    const xcb_window_t game = makeWindow("game\0GameWin\0", 13, "Arena");
    const xcb_window_t editor = makeWindow("editor\0EditWin\0", 15, "notes.txt");
    const xcb_atom_t active = internAtom(c, "_NET_ACTIVE_WINDOW");
    auto focus = [&](xcb_window_t w) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, active, XCB_ATOM_WINDOW, 32, 1,
                            &w);
        xcb_flush(c);
    };
    xcb_flush(c);

    X11FocusSource source(mDisplay);
    QVERIFY2(source.isOpen(), qPrintable(source.error()));
    QVERIFY(source.current().known);

    testsupport::SimRig rig(64);
    QVERIFY(rig.ok);
    KeyboardConfigUtil model(static_cast<ProductDataUtil*>(nullptr));
    for (const SimProfile& p : rig.sim.keyboard().state().profiles) {
        auto entry = ConfigTableEntryPtr::create();
        entry->index = p.index;
        entry->configName = p.name;
        model.keyboardConfigList.append(entry);
    }
    model.keyboardConfigIndex = rig.sim.keyboard().state().configIndex;
    QVERIFY(model.keyboardConfigList.size() >= 3);
    const QString fps = model.keyboardConfigList.at(1)->configName;
    const QString typing = model.keyboardConfigList.at(2)->configName;

    NoProcesses processes;
    AutoSwitcher switcher(&processes, &source);
    switcher.setModel([&model] { return &model; });
    switcher.setDebounce(100);
    connect(&switcher, &AutoSwitcher::switchRequested, this,
            [&](int table) { rig.engine->switchConfigTable(2, true, uchar(table)); });
    // What the sync after a switch does to the model.
    connect(rig.engine.data(), &UsbCommunicateUtil::usb_receive_switch_config_table, this,
            [&] { model.keyboardConfigIndex = rig.sim.keyboard().state().configIndex; });
    AutoSwitchRules rules;
    AutoSwitchRule a;
    a.kind = AutoSwitchRule::WindowClass;
    a.pattern = QStringLiteral("GameWin");
    a.profile = fps;
    AutoSwitchRule b = a;
    b.pattern = QStringLiteral("editor");  // the instance part of the class
    b.profile = typing;
    rules.rules = {a, b};
    switcher.setRules(rules);

    const auto table = [&] { return int(rig.sim.keyboard().state().configIndex); };
    focus(game);
    QTRY_COMPARE_WITH_TIMEOUT(source.current().windowClass, QStringLiteral("GameWin"), 5000);
    QCOMPARE(source.current().title, QStringLiteral("Arena"));
    QTRY_COMPARE_WITH_TIMEOUT(table(), 1, 5000);
    focus(editor);
    QTRY_COMPARE_WITH_TIMEOUT(table(), 2, 5000);
    focus(game);
    QTRY_COMPARE_WITH_TIMEOUT(table(), 1, 5000);
    // A title change of the focused window is heard too.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, game, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 5,
                        "Lobby");
    xcb_flush(c);
    QTRY_COMPARE_WITH_TIMEOUT(source.current().title, QStringLiteral("Lobby"), 5000);
    xcb_disconnect(c);
#endif
}

QTEST_GUILESS_MAIN(TestX11FocusSource)
#include "tst_x11focussource.moc"
