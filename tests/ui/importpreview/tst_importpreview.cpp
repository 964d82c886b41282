// Readable profiles through the real window: export as JSON, import with the
// preview (only the ticked sections are written), a refused file, and the
// read-back after a configuration file import that the keyboard did not keep.
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "services/qtoastbox.h"
#include "model/keyboardconfigutil.h"
#include "sim/simkeyboard.h"
#include "support/gui/guitestbase.h"
#include "ui/importpreview/importpreviewdialog.h"
#include "ui/mainwindow.h"
#include "ui/widgets/filedialog.h"
#include "ui/widgets/messagebox.h"

namespace {
class ToastRecorder : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* toast = qobject_cast<QToastBox*>(watched)) texts << toast->text();
        return false;
    }
    QStringList texts;
};

ImportPreviewDialog* preview() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<ImportPreviewDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}
}  // namespace

class TestImportPreview : public GuiTestBase {
    Q_OBJECT

    ToastRecorder mToasts;

private slots:
    void initTestCase() { qApp->installEventFilter(&mToasts); }
    void init() {
        mToasts.texts.clear();
        QVERIFY(startWindow());
    }
    void cleanup() { stopWindow(); }

    void exportJsonThenImportChosenSections() {
        QTemporaryDir dir;
        const QString file = dir.filePath("profile.json");
        FileDialog::setNextFileName(file);
        click("exportButton");
        QTRY_VERIFY(QFile::exists(file));
        QCOMPARE(mToasts.texts.last(), QStringLiteral("写入配置成功"));

        // The keyboard changes a key and a light; the file brings both back,
        // but only the lighting is ticked.
        SimProfile& p = *keyboard().state().activeProfile();
        const SimLight light = p.lights[17];
        p.layers[0][17] = {1, 0, 0x68};
        p.lights[17] = {1, 2, 3, 4};
        // As a page would after the keyboard confirmed them.
        KeyboardConfigUtil::instance()->keyboardFnMap.value(17)->lValue = 0x68;
        KeyboardConfigUtil::instance()->keyboardCustomLightMap.value(17)->light = 1;
        KeyboardConfigUtil::instance()->keyboardCustomLightMap.value(17)->colorR = 2;
        KeyboardConfigUtil::instance()->keyboardCustomLightMap.value(17)->colorG = 3;
        KeyboardConfigUtil::instance()->keyboardCustomLightMap.value(17)->colorB = 4;

        FileDialog::setNextFileName(file);
        click("importButton");
        QTRY_VERIFY(preview());
        ImportPreviewDialog* d = preview();
        QVERIFY(d->sectionCheck(Profile::Keys)->text().contains("1"));
        QVERIFY(d->findChild<QListWidget*>("detailsList")->count() >= 2);
        d->sectionCheck(Profile::Keys)->setChecked(false);
        QCOMPARE(d->chosenSections(), int(Profile::AllSections & ~Profile::Keys));
        const int writes = sim().writeCount();
        QTest::qWait(200);
        QCOMPARE(sim().writeCount(), writes);  // nothing is sent while the preview is up
        click("applyButton");
        QTRY_VERIFY_WITH_TIMEOUT(mToasts.texts.contains(QStringLiteral("导入配置成功")), 20000);
        QVERIFY(waitForEngineIdle(15000));
        QCOMPARE(p.lights[17].light, light.light);
        QCOMPARE(p.lights[17].r, light.r);
        QCOMPARE(p.layers[0][17].lValue, quint8(0x68));  // keys were not ticked
    }

    // A share code carries the profile through the clipboard: pasted back
    // after the keyboard changed, it shows the preview and restores the key.
    // Text that is no code changes nothing.
    void shareCodeRoundTripAndGarbage() {
        click("copyCodeButton");
        const QString code = QGuiApplication::clipboard()->text();
        QVERIFY2(code.startsWith("ZP1."), qPrintable(code.left(20)));

        SimProfile& p = *keyboard().state().activeProfile();
        const SimKey before = p.layers[0][17];
        p.layers[0][17] = {1, 0, 0x68};
        KeyboardConfigUtil::instance()->keyboardFnMap.value(17)->lValue = 0x68;
        KeyboardConfigUtil::instance()->keyboardFnMap.value(17)->type = 1;
        KeyboardConfigUtil::instance()->keyboardFnMap.value(17)->hValue = 0;

        click("pasteCodeButton");
        QTRY_VERIFY(preview());
        QVERIFY(preview()->sectionCheck(Profile::Keys)->text().contains("1"));
        click("applyButton");
        QTRY_VERIFY_WITH_TIMEOUT(mToasts.texts.contains(QStringLiteral("导入配置成功")), 20000);
        QVERIFY(waitForEngineIdle(15000));
        QCOMPARE(p.layers[0][17].lValue, before.lValue);
        QCOMPARE(p.layers[0][17].type, before.type);

        const int writes = sim().writeCount();
        for (const QString& text : {QString(), QStringLiteral("ZP9.abc"),
                                    QStringLiteral("ZP1.!!not base64!!"), code.left(code.size() / 2)}) {
            QGuiApplication::clipboard()->setText(text);
            MessageBox::setNextAnswer(QMessageBox::Ok);
            const int boxes = MessageBox::count();
            click("pasteCodeButton");
            QCOMPARE(MessageBox::count(), boxes + 1);
            QVERIFY(!MessageBox::lastText().isEmpty());
            QVERIFY(!preview());
        }
        QCOMPARE(sim().writeCount(), writes);
    }

    // A spoilt file is refused before anything is sent, naming the field.
    void refusedFileSendsNothing() {
        QTemporaryDir dir;
        const QString file = dir.filePath("bad.json");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"format": "zentaro-profile", "version": 2, "product": {"number": 258}})");
        f.close();
        const int writes = sim().writeCount();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        FileDialog::setNextFileName(file);
        click("importButton");
        QTRY_VERIFY(MessageBox::lastText().startsWith("version"));
        QVERIFY(!preview());
        QCOMPARE(sim().writeCount(), writes);
    }
};

QTEST_MAIN(TestImportPreview)
#include "tst_importpreview.moc"
