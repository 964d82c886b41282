#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "common/apppaths.h"

namespace {
bool touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}
}  // namespace

class TestAppPaths : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void buildFolderKeepsTodaysLayout();
    void installedCopyUsesUserFolder();
    void userCopyWinsOverInstalledData();
    void userFolderFollowsXdgDataHome();
    void namesThatLeaveTheDataFolderAreRefused();

private:
    // <root>/prefix/bin is the executable's folder; an installed copy also
    // has <root>/prefix/share/zentaro/data.
    QString bin() const { return m_root->path() + QStringLiteral("/prefix/bin"); }
    QString installedData() const {
        return m_root->path() + QStringLiteral("/prefix/share/zentaro/data");
    }
    QString xdg() const { return m_root->path() + QStringLiteral("/xdg"); }
    void install() { QVERIFY(QDir().mkpath(installedData())); }

    QScopedPointer<QTemporaryDir> m_root;
    QString m_startFolder;
    QByteArray m_xdg;
    QByteArray m_home;
};

void TestAppPaths::init() {
    m_root.reset(new QTemporaryDir);
    QVERIFY(m_root->isValid());
    QVERIFY(QDir().mkpath(bin()));
    m_startFolder = QDir::currentPath();
    m_xdg = qgetenv("XDG_DATA_HOME");
    m_home = qgetenv("HOME");
    qputenv("XDG_DATA_HOME", xdg().toLocal8Bit());
    AppPaths::setApplicationFolder(bin());
}

void TestAppPaths::cleanup() {
    AppPaths::setApplicationFolder(QString());
    QDir::setCurrent(m_startFolder);
    qputenv("XDG_DATA_HOME", m_xdg);
    qputenv("HOME", m_home);
}

void TestAppPaths::buildFolderKeepsTodaysLayout() {
    QCOMPARE(AppPaths::layout(), AppPaths::Layout::BuildFolder);
    const QString data = bin() + QStringLiteral("/data");
    QCOMPARE(AppPaths::dataFolder(), data);
    QCOMPARE(AppPaths::writableDataFolder(), data);
    QCOMPARE(AppPaths::readableDataFile(QStringLiteral("velmora.db3")),
             data + QStringLiteral("/velmora.db3"));

    // Settings and log stay relative to the folder the program was started in.
    QVERIFY(AppPaths::enterWorkingFolder());
    QCOMPARE(QDir::currentPath(), m_startFolder);
    QCOMPARE(AppPaths::configFile(), m_startFolder + QStringLiteral("/data/config.ini"));
    QCOMPARE(AppPaths::logFile(), m_startFolder + QStringLiteral("/app.log"));
    QVERIFY(!QFileInfo::exists(xdg()));
}

void TestAppPaths::installedCopyUsesUserFolder() {
    install();
    QCOMPARE(AppPaths::layout(), AppPaths::Layout::Installed);
    const QString user = xdg() + QStringLiteral("/zentaro");
    QCOMPARE(AppPaths::dataFolder(), installedData());
    QCOMPARE(AppPaths::writableDataFolder(), user + QStringLiteral("/data"));

    QVERIFY(AppPaths::enterWorkingFolder());
    QCOMPARE(QDir::currentPath(), user);
    // The relative names the settings and the log are opened with land there.
    QCOMPARE(QFileInfo(QStringLiteral("data/config.ini")).absoluteFilePath(),
             AppPaths::configFile());
    QCOMPARE(AppPaths::logFile(), user + QStringLiteral("/app.log"));

    // A user folder that cannot be made (a file is in the way) is reported.
    QDir::setCurrent(m_startFolder);
    QVERIFY(QDir(user).removeRecursively());
    QVERIFY(touch(user));
    QVERIFY(!AppPaths::enterWorkingFolder());
    QCOMPARE(QDir::currentPath(), m_startFolder);
}

void TestAppPaths::userCopyWinsOverInstalledData() {
    install();
    const QString name = QStringLiteral("velmora.db3");
    const QString installed = installedData() + QLatin1Char('/') + name;
    const QString user = xdg() + QStringLiteral("/zentaro/data/") + name;

    // Nothing anywhere: the place a download would go.
    QCOMPARE(AppPaths::readableDataFile(name), user);
    QVERIFY(touch(installed));
    QCOMPARE(AppPaths::readableDataFile(name), installed);
    QVERIFY(touch(user));
    QCOMPARE(AppPaths::readableDataFile(name), user);
    QCOMPARE(AppPaths::writableDataFile(name), user);

    // Folders (picture packages) and nested names resolve the same way.
    QVERIFY(QDir().mkpath(installedData() + QStringLiteral("/languages")));
    QVERIFY(touch(installedData() + QStringLiteral("/languages/Zentaro_en_US.qm")));
    QCOMPARE(AppPaths::readableDataFile(QStringLiteral("languages/Zentaro_en_US.qm")),
             installedData() + QStringLiteral("/languages/Zentaro_en_US.qm"));
    QVERIFY(QDir().mkpath(xdg() + QStringLiteral("/zentaro/data/board75")));
    QCOMPARE(AppPaths::readableDataFile(QStringLiteral("board75")),
             xdg() + QStringLiteral("/zentaro/data/board75"));
}

void TestAppPaths::userFolderFollowsXdgDataHome() {
    qputenv("HOME", m_root->path().toLocal8Bit());
    const QString fallback = m_root->path() + QStringLiteral("/.local/share/zentaro");
    QCOMPARE(AppPaths::userFolder(), xdg() + QStringLiteral("/zentaro"));
    qputenv("XDG_DATA_HOME", "");
    QCOMPARE(AppPaths::userFolder(), fallback);
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(AppPaths::userFolder(), fallback);
    // A relative value is invalid by the XDG rules and is ignored.
    qputenv("XDG_DATA_HOME", "relative/share");
    QCOMPARE(AppPaths::userFolder(), fallback);
}

void TestAppPaths::namesThatLeaveTheDataFolderAreRefused() {
    install();
    // Picture-package folders are named by what the keyboard reports.
    for (const char* name : {"", ".", "..", "../config.ini", "a/../../b", "/etc/passwd"}) {
        QVERIFY2(!AppPaths::isSafeDataName(QString::fromLatin1(name)), name);
        QVERIFY2(AppPaths::readableDataFile(QString::fromLatin1(name)).isEmpty(), name);
        QVERIFY2(AppPaths::writableDataFile(QString::fromLatin1(name)).isEmpty(), name);
    }
    QCOMPARE(AppPaths::writableDataFile(QStringLiteral("a/../b")),
             xdg() + QStringLiteral("/zentaro/data/b"));
    QVERIFY(AppPaths::isSafeDataName(QStringLiteral("..board")));
}

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
