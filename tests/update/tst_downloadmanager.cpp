// Downloads from the local download server into the private download
// folder: success with the type carried through, failures that leave no
// file behind, a second download while one runs, no server, and the MD5
// check of what arrived. Catalogue and packages reach their path only with
// a trusted signature over their bytes.

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "common/signatureverifier.h"
#include "support/updateserverrig.h"
#include "update/downloadfolder.h"
#include "update/downloadmanager.h"
#include "update/filedownloadutil.h"
#include "update/fileverifier.h"
#include "update/updateserver.h"

class TestDownloadManager : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { DownloadFolder::setPath(QString()); }

    void downloadsIntoThePrivateFolder();
    void failedDownloadLeavesNoFile();
    void secondDownloadWhileOneRuns();
    void unusableTargetsAndNoServer();
    void verification();
    void unsignedCatalogueOrPackageNeverReachesItsPath();

private:
    QString served(const QString& path) const {
        QFile f(mServer.file(path));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toHex()) : QString();
    }
    UpdateServerRig mServer;
    QTemporaryDir mDir;
};

void TestDownloadManager::initTestCase() {
    QVERIFY(mServer.start());
    QVERIFY(mDir.isValid());
    DownloadFolder::setPath(mDir.filePath(QStringLiteral("downloads")));
}

void TestDownloadManager::downloadsIntoThePrivateFolder() {
    const QString path = DownloadFolder::filePath(QStringLiteral("../lusk75.zip"));
    // Only the file name counts: nothing lands outside the folder.
    QCOMPARE(path, mDir.filePath(QStringLiteral("downloads/lusk75.zip")));
    const QFile::Permissions perms = QFile::permissions(DownloadFolder::path());
    QVERIFY(perms.testFlags(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(!(perms & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                       QFile::WriteOther | QFile::ExeOther)));

    FileDownloadUtil util;
    QSignalSpy progress(&util, &FileDownloadUtil::download_progress);
    QSignalSpy done(&util, &FileDownloadUtil::download_finished);
    util.download(FileDownloadUtil::Package,
                  mServer.url(QStringLiteral("/normal/lusk75/lusk75.zip")), path);
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
    QCOMPARE(done.first().at(0).toInt(), int(FileDownloadUtil::Package));
    QCOMPARE(done.first().at(1).toString(), path);
    QVERIFY(!progress.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(file.readAll().toHex()),
             served(QStringLiteral("/normal/lusk75/lusk75.zip")));
    QVERIFY(!util.isBusy());
}

void TestDownloadManager::failedDownloadLeavesNoFile() {
    const QString path = DownloadFolder::filePath(QStringLiteral("gone.db3"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an earlier download");
    }
    DownloadManager manager;
    QSignalSpy failed(&manager, &DownloadManager::error);
    QSignalSpy done(&manager, &DownloadManager::finished);
    manager.download(mServer.url(QStringLiteral("/normal/nothing/here.db3")), path);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
    QVERIFY(done.isEmpty());
    QVERIFY(!failed.first().first().toString().isEmpty());
    QVERIFY(!QFile::exists(path));
    // No temporary file of the writer is left either.
    QCOMPARE(QDir(DownloadFolder::path()).entryList(QDir::Files).filter(QStringLiteral("gone")),
             QStringList());
}

void TestDownloadManager::secondDownloadWhileOneRuns() {
    FileDownloadUtil util;
    QSignalSpy done(&util, &FileDownloadUtil::download_finished);
    QSignalSpy failed(&util, &FileDownloadUtil::download_error);
    const QString first = DownloadFolder::filePath(QStringLiteral("velmora.db3"));
    const QString second = DownloadFolder::filePath(QStringLiteral("pim65.zip"));
    util.download(FileDownloadUtil::Catalogue, mServer.url(QStringLiteral("/normal/velmora.db3")),
                  first);
    QVERIFY(util.isBusy());
    util.download(FileDownloadUtil::Package, mServer.url(QStringLiteral("/normal/pim65/pim65.zip")),
                  second);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().at(0).toInt(), int(FileDownloadUtil::Package));
    QCOMPARE(failed.first().at(1).toString(), DownloadManager::anotherDownloadText());
    // The running one goes on, under its own type.
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 10000);
    QCOMPARE(done.first().at(0).toInt(), int(FileDownloadUtil::Catalogue));
    QCOMPARE(QFileInfo(first).size(),
             QFileInfo(mServer.file(QStringLiteral("/normal/velmora.db3"))).size());
    QVERIFY(!QFile::exists(second));
}

void TestDownloadManager::unusableTargetsAndNoServer() {
    DownloadManager manager;
    QSignalSpy failed(&manager, &DownloadManager::error);
    // The target's folder would have to be made inside a file.
    const QString blocker = mDir.filePath(QStringLiteral("blocker"));
    QFile(blocker).open(QIODevice::WriteOnly);
    manager.download(mServer.url(QStringLiteral("/normal/velmora.db3")),
                     blocker + QStringLiteral("/x.db3"));
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.last().first().toString(), DownloadManager::cannotOpenText());

    // A download folder that is a link to somewhere else is not private.
    const QString link = mDir.filePath(QStringLiteral("linked"));
    QVERIFY(QFile::link(mDir.path(), link));
    DownloadFolder::setPath(link);
    QVERIFY(DownloadFolder::filePath(QStringLiteral("a.zip")).isEmpty());
    manager.download(mServer.url(QStringLiteral("/normal/velmora.db3")),
                     DownloadFolder::filePath(QStringLiteral("a.zip")));
    QCOMPARE(failed.last().first().toString(), DownloadManager::cannotOpenText());
    DownloadFolder::setPath(mDir.filePath(QStringLiteral("downloads")));

    // No server configured: an empty address, and the translated text.
    UpdateServer::setBaseUrl(QUrl());
    manager.download(UpdateServer::url(UpdateServer::cataloguePath()),
                     DownloadFolder::filePath(QStringLiteral("velmora.db3")));
    QCOMPARE(failed.count(), 3);
    QCOMPARE(failed.last().first().toString(), UpdateServer::noServerText());
    QVERIFY(!manager.isBusy());
}

void TestDownloadManager::verification() {
    const QString file = mServer.file(QStringLiteral("/normal/lusk75/lusk75.zip"));
    const QString md5 = FileVerifier::md5Hex(file);
    QCOMPARE(md5.size(), 32);
    QVERIFY(FileVerifier::verifyMd5(file, md5.toLower()));
    QVERIFY(!FileVerifier::verifyMd5(file, QStringLiteral("00000000000000000000000000000000")));
    QVERIFY(!FileVerifier::verifyMd5(file, QString()));
    // A file that cannot be read fails like a wrong checksum.
    QVERIFY(FileVerifier::md5Hex(mDir.filePath(QStringLiteral("missing"))).isEmpty());
    QVERIFY(!FileVerifier::verifyMd5(mDir.filePath(QStringLiteral("missing")), md5));
    QVERIFY(
        !FileVerifier::verifyMd5(mDir.path(), QStringLiteral("D41D8CD98F00B204E9800998ECF8427E")));
}

void TestDownloadManager::unsignedCatalogueOrPackageNeverReachesItsPath() {
    const QString package = QStringLiteral("/normal/orrin104/orrin104.zip");
    const QString catalogue = QStringLiteral("/normal/velmora.db3");
    QFile zip(mServer.file(package));
    QVERIFY(zip.open(QIODevice::ReadOnly));
    QByteArray bytes = zip.readAll();
    zip.close();
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 1);
    QVERIFY(mServer.write(package, bytes));
    QVERIFY(mServer.sign(catalogue, mServer.untrustedKey()));
    const struct {
        QString path;
        QString expected;
    } cases[] = {
        {package, SignatureVerifier::refusalText(SignatureVerifier::Untrusted,
                                                 QStringLiteral("orrin104.zip"))},
        {catalogue, SignatureVerifier::refusalText(SignatureVerifier::Untrusted,
                                                   QStringLiteral("velmora.db3"))},
    };
    for (const auto& c : cases) {
        const QString target = mDir.filePath(QStringLiteral("signed-target"));
        QVERIFY(mServer.write(QStringLiteral("/dummy"), "old"));
        QFile::remove(target);
        QVERIFY(QFile::copy(mServer.file(QStringLiteral("/dummy")), target));
        FileDownloadUtil util;
        QSignalSpy done(&util, &FileDownloadUtil::download_finished);
        QSignalSpy failed(&util, &FileDownloadUtil::download_error);
        util.download(FileDownloadUtil::Package, mServer.url(c.path), target);
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
        QCOMPARE(failed.first().at(1).toString(), c.expected);
        QCOMPARE(done.count(), 0);
        QVERIFY(!QFile::exists(target));
    }

    // Without its .sig the catalogue is refused the same way.
    QVERIFY(QFile::remove(mServer.file(catalogue + QStringLiteral(".sig"))));
    FileDownloadUtil util;
    QSignalSpy failed(&util, &FileDownloadUtil::download_error);
    const QString target = mDir.filePath(QStringLiteral("unsigned.db3"));
    util.download(FileDownloadUtil::Catalogue, mServer.url(catalogue), target);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
    QCOMPARE(
        failed.first().at(1).toString(),
        SignatureVerifier::refusalText(SignatureVerifier::Missing, QStringLiteral("velmora.db3")));
    QVERIFY(!QFile::exists(target));
    // Put back for the other cases of this run.
    QVERIFY(mServer.sign(catalogue));
}

QTEST_GUILESS_MAIN(TestDownloadManager)
#include "tst_downloadmanager.moc"
