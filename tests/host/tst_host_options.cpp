// The stand-in control centre's command line: every option --help offers parses.
#include "host/host_options.h"
#include "tests/host/host_test_support.h"

#include <QCommandLineParser>
#include <QSet>
#include <QtTest>

namespace {
struct option_row_t
{
    const char *name;
    QStringList arguments;
    QString value; // empty for a switch
};

// One row per option; options_are_all_tested() keeps it complete.
const option_row_t option_rows[] = {
    {"module", {"--module", "/opt/x/libvorla_connect.so"}, "/opt/x/libvorla_connect.so"},
    {"user-data-home", {"--user-data-home=/tmp/home dir"}, "/tmp/home dir"},
    {"language", {"--language", "1"}, "1"},
    {"seed-phones", {"--seed-phones"}, {}},
    {"seed-games", {"--seed-games"}, {}},
    {"seed-scan", {"--seed-scan"}, {}},
    {"simulate-pairing", {"--simulate-pairing", "Anna's phone"}, "Anna's phone"},
    {"tour", {"--tour", "out/tour"}, "out/tour"},
};
} // namespace

class tst_host_options : public QObject
{
    Q_OBJECT

private slots:
    void option_parses_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("value");
        for (const option_row_t &row : option_rows)
            QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.arguments << row.value;
    }

    void option_parses()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, arguments);
        QFETCH(QString, value);
        const host_options_t options;
        QCommandLineParser parser;
        options.add_to(parser);
        QVERIFY2(parser.parse(QStringList{"control_centre"} + arguments), qPrintable(parser.errorText()));
        {
            const message_log_t warnings;
            // The program asks for every option, set or not.
            for (const QCommandLineOption &option : options.all())
                QCOMPARE(parser.isSet(option), option.names().contains(name));
        }
        QCOMPARE(message_log_t::lines(), QStringList());
        if (!value.isEmpty())
            QCOMPARE(parser.value(name), value);
    }

    void options_are_all_tested()
    {
        QSet<QString> offered;
        for (const QCommandLineOption &option : host_options_t().all())
            offered.unite(QSet<QString>(option.names().cbegin(), option.names().cend()));
        QSet<QString> tested;
        for (const option_row_t &row : option_rows)
            tested.insert(QString::fromLatin1(row.name));
        QCOMPARE(offered, tested);
    }
};

QTEST_GUILESS_MAIN(tst_host_options)
#include "tst_host_options.moc"
