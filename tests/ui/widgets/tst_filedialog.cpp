// File dialogs start in the folder last chosen, kept in the settings file,
// else in the documents folder; never in the program's folder.
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "services/systemconfigutil.h"
#include "ui/widgets/filedialog.h"

class TestFileDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void startsInDocumentsThenInTheLastFolderChosen();
};

void TestFileDialog::startsInDocumentsThenInTheLastFolderChosen() {
    QTemporaryDir dir;
    const QString configFile = dir.filePath(QStringLiteral("config.ini"));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(QDir().mkpath(documents));
    {
        SystemConfigUtil config(configFile);
        FileDialog::setNextFileName(QString());
        QVERIFY(FileDialog::getOpenFileName(nullptr, QStringLiteral("open")).isEmpty());
        QCOMPARE(FileDialog::lastDir(), documents);
        QVERIFY(FileDialog::lastDir() != QCoreApplication::applicationDirPath());

        // A chosen file's folder is where the next dialog starts, a bare
        // name lands in it.
        const QString folder = dir.filePath(QStringLiteral("profiles"));
        QVERIFY(QDir().mkpath(folder));
        FileDialog::setNextFileName(folder + QStringLiteral("/mine.aaa"));
        FileDialog::getSaveFileName(nullptr, QStringLiteral("save"));
        FileDialog::setNextFileName(QString());
        FileDialog::getSaveFileName(nullptr, QStringLiteral("save"), QStringLiteral("x.aaa"));
        QCOMPARE(FileDialog::lastDir(), folder + QStringLiteral("/x.aaa"));
    }
    // Kept in the settings file, for the next run.
    SystemConfigUtil config(configFile);
    const QString folder = dir.filePath(QStringLiteral("profiles"));
    QCOMPARE(QSettings(configFile, QSettings::IniFormat).value("System/LastFolder").toString(),
             folder);
    QCOMPARE(FileDialog::startFolder(), folder);
    // A folder that is gone falls back to the documents folder.
    QVERIFY(QDir(folder).removeRecursively());
    QCOMPARE(FileDialog::startFolder(), documents);
}

QTEST_MAIN(TestFileDialog)
#include "tst_filedialog.moc"
