// Picture packages are unpacked all or nothing: a good package replaces the
// folder; a package with an entry that escapes the folder, a link, a cut or
// broken archive is refused whole and leaves the folder as it was and no
// temporary folder behind. Hostile archives are made with the real zip tool
// (and Python's zipfile where zip cannot write such a name).

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "support/updateserverrig.h"
#include "update/packageunpacker.h"

class TestPackageUnpacker : public QObject {
    Q_OBJECT
private slots:
    void init();
    void goodPackageReplacesTheFolder();
    void refusedPackages_data();
    void refusedPackages();

private:
    QString package() const {
        return UpdateServerRig::generatedTree() + QStringLiteral("/normal/lusk75/lusk75.zip");
    }
    static bool run(const QString& workDir, const QString& program, const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(workDir);
        p.start(program, args);
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }
    // Entries of data/ other than the named ones.
    QStringList dataEntries() const {
        return QDir(mDir->filePath(QStringLiteral("data")))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    std::unique_ptr<QTemporaryDir> mDir;
};

void TestPackageUnpacker::init() {
    mDir = std::make_unique<QTemporaryDir>();
    QVERIFY(mDir->isValid());
    QVERIFY(QDir(mDir->path()).mkpath(QStringLiteral("data/Lusk75")));
    QFile stale(mDir->filePath(QStringLiteral("data/Lusk75/stale.txt")));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("from before");
}

void TestPackageUnpacker::goodPackageReplacesTheFolder() {
    QString error;
    QVERIFY2(
        PackageUnpacker::unpack(package(), mDir->filePath(QStringLiteral("data/Lusk75")), &error),
        qPrintable(error));
    const QDir folder(mDir->filePath(QStringLiteral("data/Lusk75")));
    QVERIFY(folder.exists(QStringLiteral("firmware.bin")));
    QVERIFY(folder.exists(QStringLiteral("light/fireware_bg.png")));
    QVERIFY(folder.exists(QStringLiteral("dark/keyboard_bg.png")));
    QVERIFY(!folder.exists(QStringLiteral("stale.txt")));
    QCOMPARE(dataEntries(), QStringList{QStringLiteral("Lusk75")});
    // A folder that does not exist yet is made.
    QVERIFY(
        PackageUnpacker::unpack(package(), mDir->filePath(QStringLiteral("data/Pim65")), &error));
    QVERIFY(QFile::exists(mDir->filePath(QStringLiteral("data/Pim65/firmware.bin"))));
}

void TestPackageUnpacker::refusedPackages_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("entry ../x") << "dotdot";
    QTest::newRow("entry a/../../x") << "deepdotdot";
    QTest::newRow("symbolic link") << "symlink";
    QTest::newRow("absolute path") << "absolute";
    QTest::newRow("backslash ..\\x") << "backslash";
    QTest::newRow("cut half-way") << "cut";
    QTest::newRow("not a zip") << "text";
    QTest::newRow("zip bomb") << "bomb";
    QTest::newRow("zip bomb, size understated") << "liar";
}

void TestPackageUnpacker::refusedPackages() {
    QFETCH(QString, kind);
    const QString work = mDir->filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work + QStringLiteral("/in/sub")));
    const QString zip = work + QStringLiteral("/in/hostile.zip");
    QFile(work + QStringLiteral("/in/good.txt")).open(QIODevice::WriteOnly);
    QFile(work + QStringLiteral("/x")).open(QIODevice::WriteOnly);
    const QString python = QStringLiteral(
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
        "    z.writestr('good.txt', 'ok')\n"
        "    z.writestr(sys.argv[2], 'escaped')\n");
    if (kind == QLatin1String("dotdot")) {
        QVERIFY(
            run(work + QStringLiteral("/in"), QStringLiteral("zip"),
                {QStringLiteral("-q"), zip, QStringLiteral("good.txt"), QStringLiteral("../x")}));
    } else if (kind == QLatin1String("deepdotdot")) {
        QVERIFY(run(
            work + QStringLiteral("/in/sub"), QStringLiteral("zip"),
            {QStringLiteral("-q"), zip, QStringLiteral("../good.txt"), QStringLiteral("../../x")}));
    } else if (kind == QLatin1String("symlink")) {
        QVERIFY(QFile::link(QStringLiteral("/etc"), work + QStringLiteral("/in/light")));
        QVERIFY(run(work + QStringLiteral("/in"), QStringLiteral("zip"),
                    {QStringLiteral("-q"), QStringLiteral("-y"), zip, QStringLiteral("good.txt"),
                     QStringLiteral("light")}));
    } else if (kind == QLatin1String("absolute")) {
        QVERIFY(run(work, QStringLiteral("python3"),
                    {QStringLiteral("-c"), python, zip, work + QStringLiteral("/abs.txt")}));
    } else if (kind == QLatin1String("backslash")) {
        QVERIFY(run(work, QStringLiteral("python3"),
                    {QStringLiteral("-c"), python, zip, QStringLiteral("..\\x")}));
    } else if (kind == QLatin1String("cut")) {
        QFile whole(package());
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QFile cut(zip);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.readAll().left(int(whole.size() / 2)));
    } else if (kind == QLatin1String("bomb") || kind == QLatin1String("liar")) {
        // Zeros pack to almost nothing. The "liar" claims 1 KB in both of
        // its headers, so the size check before unpacking cannot see it.
        const QString bomb = QStringLiteral(
            "import sys, zipfile, struct\n"
            "size = 65 * 1024 * 1024\n"
            "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
            "    z.writestr('good.txt', 'ok')\n"
            "    z.writestr('light/zeros.png', bytes(size))\n"
            "if sys.argv[2] == 'liar':\n"
            "    data = bytearray(open(sys.argv[1], 'rb').read())\n"
            "    name = b'light/zeros.png'\n"
            "    struct.pack_into('<I', data, data.find(name) - 30 + 22, 1024)\n"
            "    struct.pack_into('<I', data, data.rfind(name) - 46 + 24, 1024)\n"
            "    open(sys.argv[1], 'wb').write(data)\n");
        QVERIFY(run(work, QStringLiteral("python3"), {QStringLiteral("-c"), bomb, zip, kind}));
    } else {
        QFile text(zip);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("<html>404 Not Found</html>");
    }

    for (const QString& target : {QStringLiteral("Lusk75"), QStringLiteral("Pim65")}) {
        QString error;
        QVERIFY(!PackageUnpacker::unpack(zip, mDir->filePath(QStringLiteral("data/") + target),
                                         &error));
        QVERIFY(!error.isEmpty());
    }
    // The old folder is untouched, no new or temporary folder exists, and
    // nothing was written outside.
    QCOMPARE(dataEntries(), QStringList{QStringLiteral("Lusk75")});
    QCOMPARE(QDir(mDir->filePath(QStringLiteral("data/Lusk75"))).entryList(QDir::Files),
             QStringList{QStringLiteral("stale.txt")});
    QVERIFY(!QFile::exists(mDir->filePath(QStringLiteral("x"))));
    QVERIFY(!QFile::exists(mDir->filePath(QStringLiteral("good.txt"))));
    QCOMPARE(QFileInfo(work + QStringLiteral("/x")).size(), 0);
}

QTEST_GUILESS_MAIN(TestPackageUnpacker)
#include "tst_packageunpacker.moc"
