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
    QTest::addColumn<int>("product");
    QTest::newRow("none") << QStringList{"zentaro"} << false << QString() << 0;
    QTest::newRow("plain") << QStringList{"zentaro", "--simulate"} << true << QString() << 0;
    QTest::newRow("with file") << QStringList{"zentaro", "--simulate=/tmp/k.json"} << true
                               << QStringLiteral("/tmp/k.json") << 0;
    QTest::newRow("program name is not an option")
        << QStringList{"--simulate", "-style", "fusion"} << false << QString() << 0;
    QTest::newRow("similar option ignored")
        << QStringList{"zentaro", "--simulated", "--simulate-x"} << false << QString() << 0;
    QTest::newRow("last one wins")
        << QStringList{"zentaro", "--simulate=a.json", "--simulate"} << true << QString() << 0;
    QTest::newRow("product implies simulate")
        << QStringList{"zentaro", "--simulate-product=259"} << true << QString() << 259;
    QTest::newRow("product that is no number")
        << QStringList{"zentaro", "--simulate-product=x", "--simulate-product=0"} << false
        << QString() << 0;
}

void TestApplication::simulateOption() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, simulate);
    QFETCH(QString, stateFile);
    const Application::Options options = Application::parseArguments(arguments);
    QCOMPARE(options.simulate, simulate);
    QCOMPARE(options.stateFile, stateFile);
    QFETCH(int, product);
    QCOMPARE(int(options.simulateProduct), product);
}

void TestApplication::defaultStateFileInDataFolder() {
    QCOMPARE(Application::defaultStateFile(), QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/data/simulated-keyboard.json"));
    // A chosen product gets a keyboard of its own.
    QCOMPARE(Application::defaultStateFile(259),
             QCoreApplication::applicationDirPath() +
                 QStringLiteral("/data/simulated-keyboard-259.json"));
}

QTEST_GUILESS_MAIN(TestApplication)
#include "tst_application.moc"
