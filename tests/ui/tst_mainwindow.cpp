// The main window on the simulated keyboard: configuration tables, export
// and import, plugging, close to tray and jobs that hear nothing. Each test
// drives the window like a user and checks what the keyboard holds.
#include <QLineEdit>
#include <QListView>
#include <QProgressDialog>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include "services/qtoastbox.h"
#include "services/systemconfigutil.h"
#include "model/configfileformat.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "sim/simkeyboard.h"
#include "support/fakebluetoothlink.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/pages/system/trayavailability.h"
#include "ui/widgets/filedialog.h"

namespace {
// Every toast shown, in order (they close by themselves after 2 s).
class ToastRecorder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* toast = qobject_cast<QToastBox*>(watched)) texts << toast->text();
        return false;
    }
    QStringList texts;
};
}  // namespace

class TestMainWindow : public GuiTestBase {
    Q_OBJECT

    QListView* list() { return qobject_cast<QListView*>(widget(QStringLiteral("configListView"))); }
    QStringList keyboardTableNames() {
        QStringList names;
        for (const SimProfile& p : keyboard().state().profiles) names << p.name;
        return names;
    }
    QStringList listedNames() {
        QStringList names;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            names << list()->model()->index(row, 0).data().toString();
        return names;
    }
    // Clicks a row of the table list like a user.
    void clickRow(int row) {
        QListView* view = list();
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }

    // A copy of a configuration file with SQL run on its database.
    static bool rewriteConfigFile(const QString& from, const QString& to, const QStringList& sql) {
        QFile in(from);
        if (!in.open(QIODevice::ReadOnly)) return false;
        const QString plain = to + QStringLiteral(".db3");
        {
            QFile db(plain);
            if (!db.open(QIODevice::WriteOnly) ||
                db.write(ConfigFileFormat::decrypt(in.readAll())) <= 0)
                return false;
        }
        bool ok = true;
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rewrite"));
            db.setDatabaseName(plain);
            ok = db.open();
            for (const QString& statement : sql) ok = ok && QSqlQuery(db).exec(statement);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("rewrite"));
        QFile db(plain);
        QFile out(to);
        return ok && db.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly) &&
               out.write(ConfigFileFormat::encrypt(db.readAll())) > 0;
    }
    // The per-key tables of the model, value by value.
    static QStringList modelKeyTables() {
        return testsupport::keyTablesText(*KeyboardConfigUtil::instance());
    }

    ToastRecorder mToasts;
    QString lastToast() const { return mToasts.texts.isEmpty() ? QString() : mToasts.texts.last(); }

private slots:
    void initTestCase() { qApp->installEventFilter(&mToasts); }
    void init() {
        mToasts.texts.clear();
        QVERIFY(startWindow());
    }
    void cleanup() { stopWindow(); }

    void tablesFollowTheKeyboard() {
        QCOMPARE(mainWindow()->currentPageIndex(), int(PageKey));
        QCOMPARE(listedNames(), keyboardTableNames());
        const int tables = keyboard().state().profiles.size();
        QVERIFY(tables >= 2);
        const quint8 active = keyboard().state().configIndex;

        // Choosing the row already active sends nothing.
        const int writes = sim().writeCount();
        clickRow(list()->currentIndex().row());
        QVERIFY(waitForEngineIdle());
        QCOMPARE(sim().writeCount(), writes);

        // Switch to another table: the keyboard switches, the list follows.
        const int target = active == 0 ? 1 : 0;
        clickRow(target);
        QVERIFY(waitForEngineIdle());
        QCOMPARE(int(keyboard().state().configIndex),
                 int(keyboard().state().profiles[target].index));
        QCOMPARE(list()->currentIndex().row(), target);
        QCOMPARE(int(KeyboardConfigUtil::instance()->keyboardConfigIndex),
                 int(keyboard().state().configIndex));

        // Add one table.
        click(QStringLiteral("addButton"));
        QVERIFY(waitForEngineIdle());
        QCOMPARE(keyboard().state().profiles.size(), tables + 1);
        QCOMPARE(listedNames(), keyboardTableNames());

        // Rename the last one through the list editor (28 characters at most).
        const int last = list()->model()->rowCount() - 1;
        list()->edit(list()->model()->index(last, 0));
        auto* editor = list()->findChild<QLineEdit*>(QStringLiteral("configNameEditor"));
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), 28);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Ranked night"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(waitForEngineIdle());
        QCOMPARE(keyboard().state().profiles.last().name, QStringLiteral("Ranked night"));
        QCOMPARE(listedNames(), keyboardTableNames());
        // Only the edited table changed its name.
        QVERIFY(keyboard().state().profiles.first().name != QStringLiteral("Ranked night"));
        // A name in Chinese: the editor keeps what fits the keyboard's 28 bytes
        // of UTF-8, and that is what the keyboard and the list hold.
        list()->edit(list()->model()->index(last, 0));
        editor = list()->findChild<QLineEdit*>(QStringLiteral("configNameEditor"));
        QVERIFY(editor);
        editor->selectAll();
        for (const QChar c : QStringLiteral("排位赛夜间配置一号二号三号")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(editor, &press);
        }
        QCOMPARE(editor->text(), QStringLiteral("排位赛夜间配置一号"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(waitForEngineIdle());
        QCOMPARE(keyboard().state().profiles.last().name, QStringLiteral("排位赛夜间配置一号"));
        QCOMPARE(listedNames(), keyboardTableNames());

        // Delete the selected table, then down to one: the button goes away.
        while (keyboard().state().profiles.size() > 1) {
            const int before = keyboard().state().profiles.size();
            QVERIFY(widget(QStringLiteral("deButton"))->isVisible());
            click(QStringLiteral("deButton"));
            QVERIFY(waitForEngineIdle());
            QCOMPARE(keyboard().state().profiles.size(), before - 1);
            QCOMPARE(listedNames(), keyboardTableNames());
        }
        QVERIFY(!widget(QStringLiteral("deButton"))->isVisible());
    }

    void answersOfOthersAreOnlyLogged() {
        const int writes = sim().writeCount();
        QTest::ignoreMessage(
            QtInfoMsg,
            "=== ConfigTablePanel usb_receive_add_config_table 数据来源不匹配 source:{ 4 } ===");
        emit UsbCommunicateUtil::instance()->usb_receive_add_config_table(4, 1, 1);
        QVERIFY(waitForEngineIdle());
        QCOMPARE(sim().writeCount(), writes);
        QVERIFY(!mainWindow()->progressDialog());
        // A keyboard-side switch to the table already shown starts nothing.
        emit UsbCommunicateUtil::instance()->usb_receive_config_change(
            2, 0, KeyboardConfigUtil::instance()->keyboardConfigIndex);
        QVERIFY(!mainWindow()->progressDialog());
        QCOMPARE(sim().writeCount(), writes);
    }

    void keyboardSwitchesByItself() {
        const quint8 other = keyboard().state().profiles.last().index;
        QVERIFY(other != keyboard().state().configIndex);
        sim().switchTableByItself(other);
        QTRY_COMPARE(int(KeyboardConfigUtil::instance()->keyboardConfigIndex), int(other));
        QVERIFY(waitForEngineIdle());
        QCOMPARE(list()->currentIndex().row(), keyboard().state().profiles.size() - 1);
    }

    // A switch on the keyboard while an import runs waits for the import's
    // end (it used to start a sync that took the import's place and left it
    // half written), then the window reads the table the keyboard uses.
    void keyboardSwitchDuringAJobWaitsForItsEnd() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("profile.aaa"));
        FileDialog::setNextFileName(file);
        click(QStringLiteral("exportButton"));
        QVERIFY(waitForEngineIdle(15000));
        const quint8 other = keyboard().state().profiles.last().index;
        QVERIFY(other != keyboard().state().configIndex);

        sim().setLatencyMs(4);
        FileDialog::setNextFileName(file);
        click(QStringLiteral("importButton"));
        QTRY_VERIFY(mainWindow()->progressDialog());
        QTRY_VERIFY(sim().writeCount() > 0);
        sim().switchTableByItself(other);
        QTRY_VERIFY_WITH_TIMEOUT(mToasts.texts.contains(QStringLiteral("导入配置成功")), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(int(KeyboardConfigUtil::instance()->keyboardConfigIndex),
                                  int(other), 10000);
        QVERIFY(waitForEngineIdle(15000));
        QCOMPARE(list()->currentIndex().row(), keyboard().state().profiles.size() - 1);
        QVERIFY(!mainWindow()->isListBlocked());

        // Also on a page outside the setting pages, while the keyboard is open.
        showPage(PageSystem);
        const quint8 first = keyboard().state().profiles.first().index;
        sim().switchTableByItself(first);
        QTRY_COMPARE_WITH_TIMEOUT(int(KeyboardConfigUtil::instance()->keyboardConfigIndex),
                                  int(first), 10000);
    }

    // Unplugged in the middle of a sync: the dialog goes, one toast says why,
    // and the list is free again.
    void unplugDuringASyncEndsIt() {
        sim().setLatencyMs(30);
        clickRow(keyboard().state().profiles.size() - 1);
        QTRY_VERIFY_WITH_TIMEOUT(mainWindow()->progressDialog(), 5000);
        const int toasts = mToasts.texts.size();
        sim().unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!mainWindow()->progressDialog(), 5000);
        QVERIFY(waitForPage(PageDevice));
        QTRY_VERIFY(mToasts.texts.size() > toasts);
        QCOMPARE(mToasts.texts.mid(toasts).filter(QStringLiteral("读取配置失败")).size(), 1);
        QVERIFY(!mainWindow()->isListBlocked());
    }

    void exportThenImport() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("profile.aaa"));
        const QString original = keyboard().state().activeProfile()->name;
        const QByteArray params = keyboard().state().activeProfile()->wholeParam;

        FileDialog::setNextFileName(file);
        click(QStringLiteral("exportButton"));
        QVERIFY(waitForEngineIdle(15000));
        QVERIFY(QFileInfo(file).size() > 0);
        QCOMPARE(lastToast(), QStringLiteral("写入配置成功"));

        // The keyboard changes behind the window; the import brings back
        // what was exported.
        keyboard().state().activeProfile()->wholeParam = QByteArray(11, '\x01');
        FileDialog::setNextFileName(file);
        click(QStringLiteral("importButton"));
        QVERIFY(waitForEngineIdle(20000));
        QCOMPARE(lastToast(), QStringLiteral("导入配置成功"));
        QCOMPARE(keyboard().state().activeProfile()->wholeParam, params);
        QCOMPARE(keyboard().state().activeProfile()->name, original);

        // A cancelled dialog starts nothing.
        const int writes = sim().writeCount();
        FileDialog::setNextFileName(QString());
        click(QStringLiteral("importButton"));
        QVERIFY(!mainWindow()->progressDialog());
        QCOMPARE(sim().writeCount(), writes);
    }

    // A file whose per-key tables name other keys than the keyboard holds is
    // refused before anything is sent, with a toast that names the key (by
    // its label when the keyboard has it).
    void importFromAnotherKeyLayoutIsRefused() {
        QTemporaryDir dir;
        const QString exported = dir.filePath(QStringLiteral("profile.aaa"));
        FileDialog::setNextFileName(exported);
        click(QStringLiteral("exportButton"));
        QVERIFY(waitForEngineIdle(15000));
        const int keys = keyboard().state().keyCount;
        QVERIFY(keys > 0 && keys < 255);

        const QString missing = dir.filePath(QStringLiteral("missing.aaa"));
        QVERIFY(rewriteConfigFile(
            exported, missing,
            {QStringLiteral("DELETE FROM keyboard_fn1_table WHERE keyItem = 0")}));
        const QString extra = dir.filePath(QStringLiteral("extra.aaa"));
        QVERIFY(rewriteConfigFile(
            exported, extra,
            {QStringLiteral(
                 "CREATE TABLE copy AS SELECT * FROM key_trigger_table WHERE keyItem = 0"),
             QStringLiteral("UPDATE copy SET keyItem = %1").arg(keys),
             QStringLiteral("INSERT INTO key_trigger_table SELECT * FROM copy")}));

        const QList<QPair<QString, QString>> cases = {
            {missing, QStringLiteral("导入配置失败：此文件来自按键布局不同的键盘，缺少按键 Esc")},
            {extra,
             QStringLiteral("导入配置失败：此文件来自按键布局不同的键盘，含有本键盘没有的按键 %1")
                 .arg(keys)},
        };
        for (const auto& [file, toast] : cases) {
            const QStringList model = modelKeyTables();
            const int writes = sim().writeCount();
            FileDialog::setNextFileName(file);
            click(QStringLiteral("importButton"));
            QTRY_VERIFY_WITH_TIMEOUT(
                !mainWindow()->progressDialog() && mToasts.texts.contains(toast), 10000);
            QVERIFY(waitForEngineIdle());
            QCOMPARE(sim().writeCount(), writes);
            QCOMPARE(modelKeyTables(), model);
            QVERIFY(!mainWindow()->isListBlocked());
        }

        // The file as exported still goes in.
        FileDialog::setNextFileName(exported);
        click(QStringLiteral("importButton"));
        QVERIFY(waitForEngineIdle(20000));
        QCOMPARE(lastToast(), QStringLiteral("导入配置成功"));
    }

    void silentKeyboardEndsJobs() {
        mainWindow()->setJobSilenceMs(300);
        // A table command nobody answers frees the list again.
        sim().dropNextAnswers(1000);
        click(QStringLiteral("addButton"));
        QTRY_VERIFY(mainWindow()->isListBlocked());
        QTRY_VERIFY_WITH_TIMEOUT(!mainWindow()->isListBlocked(), 5000);
        QCOMPARE(lastToast(), QStringLiteral("增加配置表失败：键盘没有应答"));

        // An import that hears nothing ends through its failure road.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("p.aaa"));
        sim().dropNextAnswers(0);
        FileDialog::setNextFileName(file);
        click(QStringLiteral("exportButton"));
        QVERIFY(waitForEngineIdle(15000));
        sim().dropNextAnswers(1000);
        FileDialog::setNextFileName(file);
        click(QStringLiteral("importButton"));
        QTRY_VERIFY(mainWindow()->progressDialog());
        QTRY_VERIFY_WITH_TIMEOUT(!mainWindow()->progressDialog(), 10000);
        QCOMPARE(lastToast(), QStringLiteral("导入配置失败：键盘没有应答"));
        QVERIFY(!mainWindow()->isListBlocked());
    }

    void unplugOnSettingPageGoesToDevicePage() {
        showPage(PageLight);
        sim().unplug();
        QVERIFY(waitForPage(PageDevice));
        QVERIFY(!UsbCommunicateUtil::instance()->isConnected());
        QVERIFY(widget(QStringLiteral("deviceButton"))->isVisible());
        QVERIFY(!widget(QStringLiteral("configListView"))->isVisible());
    }

    void plugWhileBluetoothIsInUseIsIgnored() {
        FakeBluetoothLink link;
        UsbCommunicateUtil* engine = UsbCommunicateUtil::instance();
        engine->closeCommunicate();
        engine->setBluetoothLink(&link);
        engine->openCommunicate(1);
        QVERIFY(engine->isBluetoothConnected());
        const int page = mainWindow()->currentPageIndex();
        QTest::ignoreMessage(QtInfoMsg, "=== USB拔出，蓝牙设备已经在通讯 ===");
        sim().unplug();
        QTest::ignoreMessage(QtInfoMsg, "=== USB插入是，蓝牙设备已经在通讯 ===");
        sim().plug();
        GuiSession::settle(300);
        QCOMPARE(mainWindow()->currentPageIndex(), page);
        QVERIFY(engine->isBluetoothConnected());
        engine->closeCommunicate();
        engine->setBluetoothLink(nullptr);
    }

    void closeToTray() {
        TrayAvailability::setOverride(1);
        SystemConfigUtil::instance()->setCloseMin(true);
        QVERIFY(!mainWindow()->close());
        QVERIFY(!mainWindow()->isVisible());
        SystemConfigUtil::instance()->setCloseMin(false);
        mainWindow()->show();
        QVERIFY(mainWindow()->close());
        TrayAvailability::setOverride(-1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
