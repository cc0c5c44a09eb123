#include "host/control_centre_c.h"
#include "host/text_provider_c.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
// Every text id the module asks the host for.
const QList<int> module_text_ids{1,   358, 359, 360, 361, 362, 363, 364, 365, 366, 531, 532,
                                 533, 534, 535, 536, 537, 538, 539, 540, 541, 542, 543, 544,
                                 545, 546, 547, 548, 549, 550, 551, 552, 553, 554};

bool write_file(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
} // namespace

class tst_text_provider_c : public QObject
{
    Q_OBJECT

private slots:
    void texts_follow_the_host_language_data();
    void texts_follow_the_host_language();
    void every_module_text_exists_in_every_language();
    void tables_from_a_directory();
};

void tst_text_provider_c::texts_follow_the_host_language_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");

    QTest::newRow("English") << 0 << 1 << "CANCEL";
    QTest::newRow("Chinese") << 1 << 1 << QString::fromUtf8("取消");
    QTest::newRow("Chinese status") << 1 << 550 << QString::fromUtf8("已配对");
    QTest::newRow("German") << 3 << 540 << "JA";
    QTest::newRow("language without table") << 7 << 541 << "NO";
    QTest::newRow("unknown id") << 1 << 999 << QString();
    QTest::newRow("negative id") << 0 << -1 << QString();
}

void tst_text_provider_c::texts_follow_the_host_language()
{
    QFETCH(int, language);
    QFETCH(int, id);
    QFETCH(QString, expected);

    // The way the module reaches a text: host, control centre, provider.
    control_centre_c host;
    host.set_language(language);
    text_provider_i *provider = host.host_face()->get_ctrl_center()->get_text_provider();
    QCOMPARE(provider->get_text(id, 0), expected);
}

void tst_text_provider_c::every_module_text_exists_in_every_language()
{
    const text_provider_c texts;
    const QMap<int, QString> languages{{0, "English"}, {1, QString::fromUtf8("简体中文")}, {3, "Deutsch"}};
    QCOMPARE(texts.languages(), languages);
    for (int language : languages.keys()) {
        for (int id : module_text_ids)
            QVERIFY2(!texts.text(id, language).trimmed().isEmpty(),
                     qPrintable(QStringLiteral("text %1, language %2").arg(id).arg(language)));
        // The module appends "(*.exe)" to the filter name directly.
        QVERIFY(texts.text(534, language).endsWith(QLatin1Char(' ')));
    }
    QVERIFY(texts.text(543, 0).contains(QLatin1Char('\n')));
}

void tst_text_provider_c::tables_from_a_directory()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(write_file(dir.filePath("en.json"),
                       R"({"language": 0, "name": "English", "texts": {"1": "CANCEL", "2": "OK"}})"));
    QVERIFY(
        write_file(dir.filePath("de.json"),
                   R"({"language": 3, "name": "Deutsch", "texts": {"1": "ABBRECHEN", "x": "?", "4": 5}})"));
    QVERIFY(write_file(dir.filePath("broken.json"), R"({"language": 5, "texts": )"));
    QVERIFY(write_file(dir.filePath("notes.txt"), "not a table"));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not a text table"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("skipping entry \"4\""));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("skipping entry \"x\""));
    text_provider_c texts(dir.path());
    QCOMPARE(texts.languages().keys(), (QList<int>{0, 3}));
    QCOMPARE(texts.ids(), (QList<int>{1, 2}));

    texts.set_language(3);
    QCOMPARE(texts.get_text(1, 0), QStringLiteral("ABBRECHEN"));
    QCOMPARE(texts.get_text(2, 0), QStringLiteral("OK")); // missing translation
    QCOMPARE(texts.get_text(4, 0), QString());
}

QTEST_GUILESS_MAIN(tst_text_provider_c)
#include "tst_text_provider_c.moc"
