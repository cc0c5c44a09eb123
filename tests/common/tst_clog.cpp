#include "common/clog.h"
#include "tests/common/common_test_support.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const qint64 limit = 2000000;
// The log is a text file: Windows ends its lines with "\r\n".
#ifdef Q_OS_WIN
const int line_end = 2;
#else
const int line_end = 1;
#endif
} // namespace

class tst_clog : public QObject
{
    Q_OBJECT
    QTemporaryDir base;
    QString name; // one log directory per test

    QString dir() const { return base.path() + "/log/" + name + "/"; }
    // Old files, named in age order by index.
    QString old_file(int index) const
    {
        return dir() + QStringLiteral("2001_01_01_00_00_%1.txt").arg(index + 10);
    }
    bool start(CLog &log, const QList<qint64> &old_sizes)
    {
        bool ok = QDir().mkpath(dir());
        for (int i = 0; i < old_sizes.size(); ++i) {
            QFile file(old_file(i));
            ok = ok && file.open(QIODevice::WriteOnly) && file.resize(old_sizes.at(i));
        }
        log.init(base.path() + "/", name);
        return ok && log.directory() == dir();
    }

private slots:
    void init() { name = QString(QTest::currentTestFunction()) + QTest::currentDataTag(); }

    void selects_first_file_below_limit_data()
    {
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<int>("selected"); // -1: a new file
        QTest::newRow("first below the limit") << QList<qint64>{limit - 1, limit} << 0;
        QTest::newRow("older full file left alone") << QList<qint64>{limit, 10} << 1;
        QTest::newRow("all full") << QList<qint64>{limit, limit + 1} << -1;
    }
    void selects_first_file_below_limit()
    {
        QFETCH(QList<qint64>, sizes);
        QFETCH(int, selected);
        CLog log;
        QVERIFY(start(log, sizes));
        if (selected >= 0)
            QCOMPARE(log.file_name(), old_file(selected));
        else
            QVERIFY(QRegularExpression("/\\d{4}(_\\d{2}){5}\\.txt$").match(log.file_name()).hasMatch() &&
                    QFile::exists(log.file_name()));
    }

    void new_file_only_after_passing_limit()
    {
        CLog log;
        QVERIFY(start(log, {0}));
        // A message adds 18 + (1 to 3 millisecond digits) + 3 line ends + its
        // text; aim at exactly the limit and retry when the stamp was short.
        const int text = 100 - 21 - 3 * line_end;
        for (int attempt = 0; attempt < 50 && QFileInfo(old_file(0)).size() != limit; ++attempt) {
            QVERIFY(QFile::resize(old_file(0), limit - 100));
            // Opened again: on Windows the log appends at the end it found when opening.
            log.init(base.path() + "/", name);
            log.write(QString(text, 'x'), false);
            QCOMPARE(log.file_name(), old_file(0));
            // Attempts spread over more than the 100 ms of short stamps.
            QThread::msleep(7);
        }
        QCOMPARE(QFileInfo(old_file(0)).size(), limit);
        log.write(QStringLiteral("over"), false);
        QVERIFY(QFileInfo(old_file(0)).size() > limit);
        QVERIFY(log.file_name() != old_file(0) && QFileInfo(log.file_name()).size() == 0);
    }

    void timer_keeps_five_newest()
    {
        CLog log;
        QVERIFY(start(log, {10, 10, 10, 10, 10, 10, 10}));
        QTimerEvent event(0);
        QCoreApplication::sendEvent(&log, &event);
        const QStringList left = QDir(dir()).entryList(QDir::Files, QDir::Name);
#ifdef Q_OS_WIN
        // The oldest file is the one the log writes to, and Windows keeps an
        // open file from being removed.
        QVERIFY(left.size() == 6 && dir() + left.first() == old_file(0) && dir() + left.at(1) == old_file(2));
#else
        QVERIFY(left.size() == 5 && dir() + left.first() == old_file(2));
#endif
    }

    void writes_three_lines_and_echoes()
    {
        CLog log;
        QVERIFY(start(log, {}));
        QStringList echoed;
        {
            const message_log_t debug;
            log.write(QStringLiteral("quiet"), false);
            log.write(QStringLiteral("hello"), true);
            echoed = debug.lines();
        }

        QFile file(log.file_name());
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        QCOMPARE(lines.mid(1), (QStringList{"quiet", "", lines.value(3), "hello", "", ""}));
        QVERIFY2(QRegularExpression("^\\d{8}_\\d{2}:\\d{2}:\\d{2}:\\d{1,3}$").match(lines.at(3)).hasMatch(),
                 qPrintable(lines.at(3)));
        QCOMPARE(echoed.size(), 2);
        QVERIFY(echoed.at(0) == lines.at(3) && echoed.at(1).startsWith("hello"));
    }

    void stamp_data()
    {
        QTest::addColumn<int>("milliseconds");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("two digits") << 67 << "20261204_04:31:25:67";
        QTest::newRow("one digit") << 7 << "20261204_04:31:25:7";
        QTest::newRow("none") << 0 << "20261204_04:31:25:0";
        QTest::newRow("three digits") << 999 << "20261204_04:31:25:999";
    }

    void stamp()
    {
        QFETCH(int, milliseconds);
        QFETCH(QString, stamp);
        QCOMPARE(CLog::stamp(QDateTime(QDate(2026, 12, 4), QTime(4, 31, 25, milliseconds))), stamp);
    }
};

QTEST_GUILESS_MAIN(tst_clog)
#include "tst_clog.moc"
