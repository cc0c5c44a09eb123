#include "common/clog.h"
#include "tests/common/common_test_support.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const qint64 limit = 2000000;
// The log is a text file: Windows ends its lines with "\r\n", and keeps the
// file the log writes to from being removed.
#ifdef Q_OS_WIN
const int line_end = 2;
const bool open_file_removable = false;
#else
const int line_end = 1;
const bool open_file_removable = true;
#endif

// Old files, named in age order by index.
QString old_name(int index)
{
    return QStringLiteral("2001_01_01_00_00_%1.txt").arg(index + 10);
}
} // namespace

class tst_clog : public QObject
{
    Q_OBJECT
    QTemporaryDir base;
    QString name; // one log directory per test

    QString dir() const { return base.path() + "/log/" + name + "/"; }
    bool start(CLog &log, const QList<qint64> &old_sizes)
    {
        bool ok = QDir().mkpath(dir());
        for (int i = 0; i < old_sizes.size(); ++i) {
            QFile file(dir() + old_name(i));
            ok = ok && file.open(QIODevice::WriteOnly) && file.resize(old_sizes.at(i));
        }
        log.init(base.path() + "/", name);
        return ok && log.directory() == dir();
    }

private slots:
    void init() { name = QString(QTest::currentTestFunction()) + QTest::currentDataTag(); }

    // The log goes on in the oldest file below the limit, else in a new one;
    // the clean-up timer then leaves the five newest files.
    void old_files_data()
    {
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<int>("selected"); // -1: a new file
        QTest::addColumn<int>("oldest_kept");
        QTest::newRow("first below the limit") << QList<qint64>{limit - 1, limit} << 0 << 0;
        QTest::newRow("older full file left alone") << QList<qint64>{limit, 10} << 1 << 0;
        QTest::newRow("all full") << QList<qint64>{limit, limit + 1} << -1 << 0;
        QTest::newRow("seven") << QList<qint64>{10, 10, 10, 10, 10, 10, 10} << 0 << 2;
    }
    void old_files()
    {
        QFETCH(QList<qint64>, sizes);
        QFETCH(int, selected);
        QFETCH(int, oldest_kept);
        CLog log;
        QVERIFY(start(log, sizes));
        QStringList expected;
        for (int i = 0; i < sizes.size(); ++i)
            expected << old_name(i);
        if (selected < 0)
            expected << QFileInfo(log.file_name()).fileName();
        QCOMPARE(QFileInfo(log.file_name()).fileName(), expected.value(selected, expected.last()));
        QVERIFY2(QRegularExpression("/\\d{4}(_\\d{2}){5}\\.txt$").match(log.file_name()).hasMatch(),
                 qPrintable(log.file_name()));

        QTimerEvent event(0);
        QCoreApplication::sendEvent(&log, &event);
        for (int i = oldest_kept - 1; i >= 0; --i)
            if (i != selected || open_file_removable)
                expected.removeAt(i);
        QCOMPARE(QDir(dir()).entryList(QDir::Files, QDir::Name), expected);
    }

    void new_file_only_after_passing_limit()
    {
        CLog log;
        QVERIFY(start(log, {0}));
        const QString old = dir() + old_name(0);
        // A message adds 18 + (1 to 3 millisecond digits) + 3 line ends + its
        // text; aim at exactly the limit and retry when the stamp was short.
        const int text = 100 - 21 - 3 * line_end;
        for (int attempt = 0; attempt < 50 && QFileInfo(old).size() != limit; ++attempt) {
            QVERIFY(QFile::resize(old, limit - 100));
            // Opened again: on Windows the log appends at the end it found when opening.
            log.init(base.path() + "/", name);
            log.write(QString(text, 'x'), false);
            QCOMPARE(log.file_name(), old);
            // Attempts spread over more than the 100 ms of short stamps.
            QThread::msleep(7);
        }
        QCOMPARE(QFileInfo(old).size(), limit);
        log.write(QStringLiteral("over"), false);
        QVERIFY(QFileInfo(old).size() > limit);
        QVERIFY(log.file_name() != old && QFileInfo(log.file_name()).size() == 0);
    }

    void writes_three_lines_and_echoes()
    {
        CLog log;
        QVERIFY(start(log, {}));
        const message_log_t debug;
        log.write(QStringLiteral("quiet"), false);
        log.write(QStringLiteral("hello"), true);
        const QStringList echoed = debug.lines();
        QFile file(log.file_name());
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        QCOMPARE(lines.mid(1), (QStringList{"quiet", "", lines.value(3), "hello", "", ""}));
        QVERIFY2(QRegularExpression("^\\d{8}_\\d{2}:\\d{2}:\\d{2}:\\d{1,3}$").match(lines.at(3)).hasMatch(),
                 qPrintable(lines.at(3)));
        QCOMPARE(echoed.size(), 2);
        QVERIFY(echoed.at(0) == lines.at(3) && echoed.at(1).startsWith("hello"));
    }

    // The milliseconds go unpadded, as every log of the installation writes them.
    void stamp()
    {
        QStringList stamps;
        for (int milliseconds : {67, 7, 0, 999})
            stamps << CLog::stamp(QDateTime(QDate(2026, 12, 4), QTime(4, 31, 25, milliseconds)));
        QCOMPARE(stamps, (QStringList{"20261204_04:31:25:67", "20261204_04:31:25:7", "20261204_04:31:25:0",
                                      "20261204_04:31:25:999"}));
    }
};

QTEST_GUILESS_MAIN(tst_clog)
#include "tst_clog.moc"
