// Command line of the GUI program.
#include <QtTest>

#include "app/application.h"

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void simulateOption_data();
    void simulateOption();
    void defaultStateFileInDataFolder();
};

void TestApplication::simulateOption_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("simulate");
    QTest::addColumn<QString>("stateFile");
    QTest::newRow("none") << QStringList{"zentaro"} << false << QString();
    QTest::newRow("plain") << QStringList{"zentaro", "--simulate"} << true << QString();
    QTest::newRow("with file") << QStringList{"zentaro", "--simulate=/tmp/k.json"} << true
                               << QStringLiteral("/tmp/k.json");
    QTest::newRow("program name is not an option")
        << QStringList{"--simulate", "-style", "fusion"} << false << QString();
    QTest::newRow("similar option ignored")
        << QStringList{"zentaro", "--simulated", "--simulate-x"} << false << QString();
    QTest::newRow("last one wins")
        << QStringList{"zentaro", "--simulate=a.json", "--simulate"} << true << QString();
}

void TestApplication::simulateOption() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, simulate);
    QFETCH(QString, stateFile);
    const Application::Options options = Application::parseArguments(arguments);
    QCOMPARE(options.simulate, simulate);
    QCOMPARE(options.stateFile, stateFile);
}

void TestApplication::defaultStateFileInDataFolder() {
    QCOMPARE(Application::defaultStateFile(), QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/data/simulated-keyboard.json"));
}

QTEST_GUILESS_MAIN(TestApplication)
#include "tst_application.moc"
