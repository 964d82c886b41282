// A seeded random walk through the real window against the simulated
// keyboard: page visits, clicks on whatever a page offers (buttons, keys of
// its picture, slider steps, profile rows), answers to the questions it asks,
// mixed with faults (unplug and replug, a silent keyboard, dropped or late
// answers, failed writes, keyboard-side table switches).
//
// After every step no job dialog is older than its watchdog allows and the
// program still runs; every few steps, with the faults off, a key edit must
// reach both the keyboard and the model; at the end, after a sync, the model
// holds what the keyboard holds. A failure names its seed and step, so that
// ZENTARO_SOAK_SEED=<seed> replays it. ZENTARO_SOAK_SECONDS sets the length
// (scripts/soak runs long walks; the suite runs a short one).

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHash>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "catalogue/keycatalogue.h"
#include "model/keyboardconfigutil.h"
#include "protocol/usbcommunicateutil.h"
#include "services/qtoastbox.h"
#include "support/gui/guitestbase.h"
#include "support/testsupport.h"
#include "ui/device/devicemanageform.h"
#include "ui/pages/key/keysetform.h"
#include "ui/widgets/filedialog.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/qcustomlabel.h"
#include "ui/widgets/qinputkeyboardwidget.h"
#include "ui/widgets/qkeykeyboardwidget.h"

namespace {

// A job dialog may stay while its job runs; its watchdog ends a silent job
// after 10 s, a firmware transfer of the sample image takes a few seconds.
constexpr qint64 kOldestJobDialogMs = 45000;
// Questions a user would answer (boxes, file choosers, advanced-key forms).
constexpr qint64 kAnswerAfterMs = 700;

// The keyboard reports a table without a name as " ".
QString shownName(const QString& name) {
    return name.isEmpty() ? QStringLiteral(" ") : name;
}

int envNumber(const char* name, int fallback) {
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

// Buttons a monkey must not press: they end the program, hide the window,
// restart it, or wait on a network that tests do not have.
bool forbidden(const QAbstractButton* button) {
    static const QStringList names = {
        QStringLiteral("exitButton"),        QStringLiteral("minButton"),
        QStringLiteral("maxButton"),         QStringLiteral("main_ble_radio"),
        QStringLiteral("main_usb_radio"),    QStringLiteral("deviceButton"),
        QStringLiteral("firewareButton"),    QStringLiteral("settingButton"),
        QStringLiteral("updateButton"),      QStringLiteral("checkUpdateButton"),
        QStringLiteral("upgradeButton"),     QStringLiteral("autoStartCheckBox"),
        QStringLiteral("themeComboBox"),     QStringLiteral("onlineUpdateBtn"),
        QStringLiteral("firewareUpdateBtn"), QStringLiteral("downloadButton"),
    };
    return names.contains(button->objectName());
}

}  // namespace

class TestChaosSoak : public GuiTestBase {
    Q_OBJECT
private slots:
    void walk();

private:
    void step();
    void clickSomething(QWidget* root);
    void injectFault();
    void sweepDialogs();
    bool probeKeyEdit(QString* why);
    bool modelMatchesKeyboard(QString* why);
    void fail(const QString& what);
    QString where() const {
        return QStringLiteral("seed %1 step %2 at %3 s")
            .arg(mSeed)
            .arg(mStep)
            .arg(mClock.elapsed() / 1000);
    }

    quint32 mSeed = 1;
    int mStep = 0;
    QRandomGenerator mRandom;
    QTemporaryDir mFiles;
    QString mFailure;
    // When each visible dialog was first seen; the pointer tells a dialog
    // from a new one that took the address of a deleted one.
    struct Seen {
        QPointer<QObject> dialog;
        qint64 at = 0;
    };
    QHash<QObject*, Seen> mFirstSeen;
    QElapsedTimer mClock;
    bool mPlugged = true;
};

void TestChaosSoak::fail(const QString& what) {
    if (mFailure.isEmpty()) mFailure = QStringLiteral("%1: %2").arg(where(), what);
}

// Questions are answered (or dismissed) as a user would; job dialogs are
// only watched: they must end by themselves.
void TestChaosSoak::sweepDialogs() {
    const qint64 now = mClock.elapsed();
    QHash<QObject*, Seen> seen;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || !dialog->isVisible() || qobject_cast<QToastBox*>(dialog)) continue;
        const Seen before = mFirstSeen.value(dialog);
        const qint64 first = before.dialog == dialog ? before.at : now;
        seen.insert(dialog, Seen{dialog, first});
        const qint64 age = now - first;
        if (qobject_cast<QProgressDialog*>(dialog) || dialog->objectName().contains("rogress")) {
            if (age > kOldestJobDialogMs)
                fail(QStringLiteral("job dialog \"%1\" (%2, \"%3\") up for %4 ms")
                         .arg(dialog->windowTitle(), dialog->objectName(),
                              qobject_cast<QProgressDialog*>(dialog)
                                  ? qobject_cast<QProgressDialog*>(dialog)->labelText()
                                  : QString())
                         .arg(age));
            continue;
        }
        if (age < kAnswerAfterMs) continue;
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            const QList<QAbstractButton*> buttons = box->buttons();
            if (!buttons.isEmpty()) {
                buttons.at(int(mRandom.bounded(buttons.size())))->click();
                continue;
            }
        }
        dialog->reject();
    }
    mFirstSeen = seen;
}

void TestChaosSoak::clickSomething(QWidget* root) {
    QList<QAbstractButton*> buttons;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (b->isVisible() && b->isEnabled() && !forbidden(b)) buttons << b;
    QList<QKeyboardWidget*> pictures;
    for (QKeyboardWidget* p : root->findChildren<QKeyboardWidget*>())
        if (p->isVisible() && p->isEnabled()) pictures << p;
    QList<QAbstractSlider*> sliders;
    for (QAbstractSlider* s : root->findChildren<QAbstractSlider*>())
        if (s->isVisible() && s->isEnabled() && s->maximum() > s->minimum()) sliders << s;

    const int roll = int(mRandom.bounded(10));
    if (roll < 4 && !pictures.isEmpty()) {
        QKeyboardWidget* picture = pictures.at(int(mRandom.bounded(pictures.size())));
        const QList<QLabel*> keys = picture->labels();
        if (!keys.isEmpty()) {
            QLabel* key = keys.at(int(mRandom.bounded(keys.size())));
            QTest::mouseClick(picture, Qt::LeftButton, {}, key->geometry().center());
            return;
        }
    }
    if (roll < 6 && !sliders.isEmpty()) {
        QAbstractSlider* slider = sliders.at(int(mRandom.bounded(sliders.size())));
        slider->setFocus();
        const Qt::Key key = mRandom.bounded(2) ? Qt::Key_Right : Qt::Key_Left;
        for (int i = int(mRandom.bounded(1, 4)); i > 0; --i) QTest::keyClick(slider, key);
        return;
    }
    if (!buttons.isEmpty()) {
        QAbstractButton* button = buttons.at(int(mRandom.bounded(buttons.size())));
        // Whatever the button asks next gets an answer, as a user gives one.
        const QMessageBox::StandardButton answers[] = {QMessageBox::Yes, QMessageBox::No,
                                                       QMessageBox::Ok, QMessageBox::Cancel};
        MessageBox::setNextAnswer(answers[mRandom.bounded(4)]);
        const QString file = mFiles.filePath(QStringLiteral("walk.aaa"));
        FileDialog::setNextFileName(mRandom.bounded(5) == 0 ? QString() : file);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }
}

void TestChaosSoak::injectFault() {
    SimHidBackend& s = sim();
    switch (mRandom.bounded(7)) {
        case 0:
            if (mPlugged) {
                s.unplug();
                mPlugged = false;
            } else {
                s.plug();
                mPlugged = true;
            }
            break;
        case 1:
            s.setSilent(true);
            QTimer::singleShot(int(mRandom.bounded(200, 3500)), &s, [&s] { s.setSilent(false); });
            break;
        case 2:
            s.dropNextAnswers(int(mRandom.bounded(1, 4)));
            break;
        case 3:
            s.setLatencyMs(int(mRandom.bounded(0, 40)));
            break;
        case 4:
            s.setFailWrites(true);
            QTimer::singleShot(int(mRandom.bounded(50, 1500)), &s,
                               [&s] { s.setFailWrites(false); });
            break;
        default:
            s.switchTableByItself(quint8(mRandom.bounded(3)));
            break;
    }
}

void TestChaosSoak::step() {
    ++mStep;
    MainWindow* window = mainWindow();
    const int roll = int(mRandom.bounded(100));
    if (roll < 12) {
        injectFault();
    } else if (roll < 20) {
        const int target = PageKey + int(mRandom.bounded(PageOther - PageKey + 1));
        if (window->currentPageIndex() >= PageKey) window->showPage(target);
    } else if (roll < 25) {
        auto* list = window->findChild<QListView*>(QStringLiteral("configListView"));
        if (list && list->isVisible() && list->model() && list->model()->rowCount() > 0) {
            const QModelIndex row =
                list->model()->index(int(mRandom.bounded(list->model()->rowCount())), 0);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
        }
    } else {
        QWidget* root = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QDialog*>(w) && w->isVisible() && !qobject_cast<QToastBox*>(w) &&
                !qobject_cast<QProgressDialog*>(w))
                root = w;
        clickSomething(root ? root : window);
    }
    GuiSession::settle(int(mRandom.bounded(0, 250)));
}

// With every fault off, the key page takes a change, and the keyboard and
// the model both hold it afterwards.
bool TestChaosSoak::probeKeyEdit(QString* why) {
    SimHidBackend& s = sim();
    s.setSilent(false);
    s.setFailWrites(false);
    s.dropNextAnswers(0);
    s.setLatencyMs(0);
    if (!mPlugged) {
        s.plug();
        mPlugged = true;
    }
    QDeadlineTimer deadline(kOldestJobDialogMs + 15000);
    while (!deadline.hasExpired()) {
        sweepDialogs();
        MainWindow* window = mainWindow();
        if (window->currentPageIndex() == PageDevice ||
            window->currentPageIndex() == PageFireware ||
            window->currentPageIndex() == PageSystem) {
            if (!session().reachKeyPage(3000)) {
                // A connect that failed (a fault hit it) waits for the user,
                // who opens the keyboard again from the device page.
                if (auto* device = qobject_cast<DeviceManageForm*>(window->page(PageDevice));
                    device && window->currentPageIndex() == PageDevice)
                    device->refresh(true);
                continue;
            }
        } else if (window->currentPageIndex() != PageKey) {
            window->showPage(PageKey);
        }
        if (window->currentPageIndex() == PageKey && waitForEngineIdle(2000)) break;
    }
    if (mainWindow()->currentPageIndex() != PageKey) {
        *why = QStringLiteral("the key page cannot be reached again");
        return false;
    }
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    auto* keyPage = qobject_cast<KeySetForm*>(mainWindow()->page(PageKey));
    QKeyKeyboardWidget* picture = keyPage ? keyPage->picture() : nullptr;
    if (!model || !picture || picture->labels().isEmpty()) {
        *why = QStringLiteral("the key page shows no keyboard");
        return false;
    }
    auto* form = qobject_cast<KeySetForm*>(mainWindow()->page(PageKey));
    if (!form) {
        *why = QStringLiteral("no key page");
        return false;
    }
    for (const char* name : {"normalLayerButton", "keyboardBtn"}) {
        auto* button = form->findChild<QAbstractButton*>(QLatin1String(name));
        if (button && button->isVisible()) QTest::mouseClick(button, Qt::LeftButton);
    }
    const quint8 layer = 0;
    // Going back to the normal layer builds a new picture.
    picture = form->picture();
    const QList<QLabel*> labels = picture->labels();
    QLabel* label = labels.at(int(mRandom.bounded(labels.size())));
    QTest::mouseClick(picture, Qt::LeftButton, {}, label->geometry().center());
    // A click on the key that was selected already takes the selection away.
    if (!picture->isKeySelected())
        QTest::mouseClick(picture, Qt::LeftButton, {}, label->geometry().center());
    const quint8 key = picture->selectedKeyItem();
    if (!picture->isKeySelected()) {
        *why = QStringLiteral("a click on key %1 selects nothing").arg(key);
        return false;
    }
    // A letter the key does not hold yet, so that the change shows.
    const KeyBindingPtr before = model->keyboardFnMap.value(key);
    quint8 usage = quint8(0x04 + mRandom.bounded(26));
    if (before && before->type == KeyCatalogue::TypeKey && before->lValue == usage)
        usage = usage == 0x1D ? 0x04 : quint8(usage + 1);
    QCustomLabel* button = form->picker()->buttonOf(KeyCatalogue::TypeKey, 0, usage);
    if (!button) {
        *why = QStringLiteral("the picker has no letter 0x%1").arg(usage, 0, 16);
        return false;
    }
    QTest::mouseClick(form->picker(), Qt::LeftButton, {}, button->geometry().center());
    if (!waitForEngineIdle(8000)) {
        *why = QStringLiteral("the key edit never ended");
        return false;
    }
    const SimKey held = keyboard().state().activeProfile()
                            ? keyboard().state().activeProfile()->layers[layer].value(key)
                            : SimKey();
    const KeyBindingPtr shown = model->keyboardFnMap.value(key);
    if (held.lValue != usage || !shown || shown->lValue != usage) {
        *why = QStringLiteral("key %1 set to 0x%2: keyboard holds 0x%3, model 0x%4")
                   .arg(key)
                   .arg(usage, 0, 16)
                   .arg(held.lValue, 0, 16)
                   .arg(shown ? shown->lValue : 0, 0, 16);
        return false;
    }
    return true;
}

bool TestChaosSoak::modelMatchesKeyboard(QString* why) {
    KeyboardConfigUtil* model = KeyboardConfigUtil::instance();
    SimKeyboardState state = keyboard().state();
    const SimProfile* active = state.activeProfile();
    if (!model || !active) {
        *why = QStringLiteral("no model or no active table");
        return false;
    }
    if (model->keyboardConfigIndex != state.configIndex) {
        *why = QStringLiteral("model shows table %1, keyboard uses %2")
                   .arg(model->keyboardConfigIndex)
                   .arg(state.configIndex);
        return false;
    }
    if (model->keyboardConfigList.size() != state.profiles.size()) {
        *why = QStringLiteral("model lists %1 tables, keyboard has %2")
                   .arg(model->keyboardConfigList.size())
                   .arg(state.profiles.size());
        return false;
    }
    for (int row = 0; row < state.profiles.size(); ++row) {
        const ConfigTableEntryPtr& entry = model->keyboardConfigList.at(row);
        if (!entry || entry->index != state.profiles.at(row).index ||
            entry->configName != shownName(state.profiles.at(row).name)) {
            *why = QStringLiteral("table row %1: model %2 \"%3\", keyboard %4 \"%5\"")
                       .arg(row)
                       .arg(entry ? entry->index : -1)
                       .arg(entry ? entry->configName : QString())
                       .arg(state.profiles.at(row).index)
                       .arg(state.profiles.at(row).name);
            return false;
        }
    }
    for (int layer = 0; layer < 2; ++layer) {
        const KeyBindingMap& map = layer == 0 ? model->keyboardFnMap : model->keyboardFn1Map;
        for (const KeyBindingPtr& b : map) {
            const SimKey k = active->layers[size_t(layer)].value(b->keyItem);
            if (k.type != b->type || k.hValue != b->hValue || k.lValue != b->lValue) {
                *why = QStringLiteral("layer %1 key %2: model %3/%4/%5, keyboard %6/%7/%8")
                           .arg(layer)
                           .arg(b->keyItem)
                           .arg(b->type)
                           .arg(b->hValue)
                           .arg(b->lValue)
                           .arg(k.type)
                           .arg(k.hValue)
                           .arg(k.lValue);
                return false;
            }
        }
    }
    for (const TriggerSettingPtr& t : model->keyboardTriggerMap) {
        const SimTrigger k = active->triggers.value(t->keyItem);
        if (k.trigger != t->trigger || k.quick != t->quick) {
            *why = QStringLiteral("trigger of key %1 differs").arg(t->keyItem);
            return false;
        }
    }
    for (const CustomLightPtr& l : model->keyboardCustomLightMap) {
        const SimLight k = active->lights.value(l->keyItem);
        if (k.r != l->colorR || k.g != l->colorG || k.b != l->colorB) {
            *why = QStringLiteral("custom light of key %1 differs").arg(l->keyItem);
            return false;
        }
    }
    return true;
}

void TestChaosSoak::walk() {
    mSeed = quint32(envNumber("ZENTARO_SOAK_SEED", 1));
    const int seconds = envNumber("ZENTARO_SOAK_SECONDS", 25);
    mRandom.seed(mSeed);
    QVERIFY(mFiles.isValid());
    QVERIFY(startWindow());
    mainWindow()->setJobSilenceMs(3000);
    mClock.start();
    QTimer sweeper;
    connect(&sweeper, &QTimer::timeout, this, &TestChaosSoak::sweepDialogs);
    sweeper.start(100);

    QDeadlineTimer end(qint64(seconds) * 1000);
    int nextProbe = 40;
    while (!end.hasExpired() && mFailure.isEmpty()) {
        step();
        if (mStep % 200 == 0) qInfo("soak: %s", qPrintable(where()));
        if (mStep >= nextProbe && mFailure.isEmpty()) {
            nextProbe = mStep + 40;
            QString why;
            if (!probeKeyEdit(&why)) fail(why);
        }
    }
    if (mFailure.isEmpty()) {
        QString why;
        if (!probeKeyEdit(&why)) fail(why);
    }
    if (mFailure.isEmpty()) {
        // The model equals the keyboard once it has read the keyboard again.
        // Choosing the table in use again reads the whole keyboard.
        UsbCommunicateUtil::instance()->switchConfigTable(
            MainWindow::kSource, true, KeyboardConfigUtil::instance()->keyboardConfigIndex);
        QVERIFY2(waitForEngineIdle(20000), qPrintable(where() + QStringLiteral(": final sync")));
        QString why;
        if (!modelMatchesKeyboard(&why)) fail(QStringLiteral("after the final sync: ") + why);
    }
    sweeper.stop();
    qInfo().noquote()
        << QStringLiteral("soak: seed %1, %2 steps in %3 s").arg(mSeed).arg(mStep).arg(seconds);
    QVERIFY2(mFailure.isEmpty(), qPrintable(QStringLiteral("soak failed: ") + mFailure));
}

QTEST_MAIN(TestChaosSoak)
#include "tst_chaossoak.moc"
