// The log file: size rule at opening, line format, and whole lines when many
// threads log at once through the installed handler.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "services/logfile.h"

class TestLogFile : public QObject {
    Q_OBJECT
private slots:
    void sizeLimitAtOpen_data();
    void sizeLimitAtOpen();
    void lineFormat();
    void appendsAcrossOpens();
    void wholeLinesFromManyThreads();
    void nothingWrittenAfterUninstall();

private:
    QString readAll(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return QString();
        return QString::fromUtf8(file.readAll());
    }
};

void TestLogFile::sizeLimitAtOpen_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("kept");
    QTest::newRow("exactly 10 MiB survives") << qint64(0xA00000) << true;
    QTest::newRow("one byte more is deleted") << qint64(0xA00001) << false;
}

void TestLogFile::sizeLimitAtOpen() {
    QFETCH(qint64, size);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.log"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
    }
    LogFile log(path);
    QVERIFY(log.open());
    log.write(QtInfoMsg, QStringLiteral("after"));
    const qint64 lineSize =
        LogFile::formatLine(QDateTime::currentDateTime(), QtInfoMsg, QStringLiteral("after"))
            .toUtf8()
            .size();
    QCOMPARE(QFileInfo(path).size(), (kept ? size : 0) + lineSize);
}

void TestLogFile::lineFormat() {
    const QDateTime time(QDate(2025, 3, 4), QTime(5, 6, 7, 89));
    QCOMPARE(LogFile::formatLine(time, QtDebugMsg, QStringLiteral("a")),
             QStringLiteral("2025-03-04 05:06:07.089 [0] a\n"));
    QCOMPARE(LogFile::formatLine(time, QtWarningMsg, QStringLiteral("b")).mid(23),
             QStringLiteral(" [1] b\n"));
    QCOMPARE(LogFile::formatLine(time, QtCriticalMsg, QStringLiteral("c")).mid(23),
             QStringLiteral(" [2] c\n"));
    QCOMPARE(LogFile::formatLine(time, QtInfoMsg, QStringLiteral("=== 初始化 ===")).mid(23),
             QStringLiteral(" [4] === 初始化 ===\n"));

    // Through the handler: qInfo and qWarning land in the file, UTF-8.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.log"));
    LogFile log(path);
    QVERIFY(log.open());
    LogFile::install(&log);
    qInfo().noquote() << QStringLiteral("=== SystemConfigUtil 初始化 ===");
    qWarning().noquote() << QStringLiteral("warned");
    LogFile::uninstall();
    const QStringList lines = readAll(path).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    static const QRegularExpression pattern(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[(\\d)\\] (.*)$"));
    QRegularExpressionMatch first = pattern.match(lines[0]);
    QVERIFY2(first.hasMatch(), qPrintable(lines[0]));
    QCOMPARE(first.captured(1), QStringLiteral("4"));
    QCOMPARE(first.captured(2), QStringLiteral("=== SystemConfigUtil 初始化 ==="));
    QRegularExpressionMatch second = pattern.match(lines[1]);
    QVERIFY2(second.hasMatch(), qPrintable(lines[1]));
    QCOMPARE(second.captured(1), QStringLiteral("1"));
}

void TestLogFile::appendsAcrossOpens() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.log"));
    {
        LogFile log(path);
        QVERIFY(log.open());
        log.write(QtInfoMsg, QStringLiteral("first run"));
    }
    {
        LogFile log(path);
        QVERIFY(log.open());
        log.write(QtInfoMsg, QStringLiteral("second run"));
    }
    const QString text = readAll(path);
    QVERIFY(text.contains(QStringLiteral("first run\n")));
    QVERIFY(text.contains(QStringLiteral("second run\n")));
}

void TestLogFile::wholeLinesFromManyThreads() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.log"));
    LogFile log(path);
    QVERIFY(log.open());
    LogFile::install(&log);

    constexpr int kThreads = 8;
    constexpr int kLines = 500;
    // Long enough that unsynchronised writes would interleave.
    const QString padding(200, QLatin1Char('x'));
    QList<QThread*> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.append(QThread::create([t, padding] {
            for (int i = 0; i < kLines; ++i) {
                qInfo().noquote() << QStringLiteral("thread %1 line %2 ").arg(t).arg(i) + padding;
            }
        }));
    }
    for (QThread* thread : threads) thread->start();
    for (QThread* thread : threads) QVERIFY(thread->wait(30000));
    qDeleteAll(threads);
    LogFile::uninstall();

    const QStringList lines = readAll(path).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), kThreads * kLines);
    static const QRegularExpression pattern(
        QStringLiteral("^\\S+ \\S+ \\[4\\] thread (\\d) line (\\d+) x{200}$"));
    QList<int> next(kThreads, 0);
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = pattern.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line.left(120)));
        // Each thread's lines arrive in its own order.
        const int thread = match.captured(1).toInt();
        QCOMPARE(match.captured(2).toInt(), next[thread]++);
    }
}

void TestLogFile::nothingWrittenAfterUninstall() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("app.log"));
    {
        LogFile log(path);
        QVERIFY(log.open());
        LogFile::install(&log);
        qInfo("kept");
    }
    // The destroyed log removed itself; this goes to Qt's default output.
    QVERIFY(!LogFile::installed());
    qInfo("dropped");
    const QString text = readAll(path);
    QVERIFY(text.contains(QStringLiteral("kept")));
    QVERIFY(!text.contains(QStringLiteral("dropped")));
}

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
