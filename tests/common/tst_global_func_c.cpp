#include "common/global_func_c.h"
#include "tests/common/common_test_support.h"

#include <QtTest>

namespace {
const QByteArray catalogue = R"(<?xml version="1.0" encoding="UTF-8"?>
<SETTINGS>
 <VERSION value="3"><LANGUAGE id="9" name="not in LANGUAGES"/></VERSION>
 <LANGUAGES>
  <LANGUAGE name="English" file="en" id="1"/>
  <LANGUAGE id="2" name="Deutsch"/>
  <LANGUAGE name="Default" file="zh"/>
 </LANGUAGES>
 <PRODUCTS>
  <PRODUCT type="1" alias_name="VORLA_HUB"/>
  <PRODUCT alias_name="VC" model="x" type="4"/>
 </PRODUCTS>
</SETTINGS>
)";

// The tables in one line: languages as "id=name:file", then alias names 1 and 4.
QString tables(const global_func_c &catalogue)
{
    QString result;
    for (int id : catalogue.language_ids())
        result +=
            QStringLiteral("%1=%2:%3 ").arg(id).arg(catalogue.language_name(id), catalogue.language_file(id));
    return result + "| " + catalogue.alias_name(1) + " " + catalogue.alias_name(4);
}
} // namespace

class tst_global_func_c : public QObject
{
    Q_OBJECT

private slots:
    // The tables read from the file, and the paths built on them.
    void catalogue_and_paths_data()
    {
        const QByteArray compressed = qCompress(catalogue);
        const QString none = QStringLiteral("|  ");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("compressed") << compressed << "0=Default:zh 1=English:en 2=Deutsch: | VORLA_HUB VC";
        QTest::newRow("no alias 1") << qCompress(QByteArray(catalogue).replace("type=\"1\"", "type=\"3\""))
                                    << "0=Default:zh 1=English:en 2=Deutsch: |  VC";
        QTest::newRow("not compressed") << catalogue << none;
        QTest::newRow("truncated") << compressed.left(compressed.size() / 2) << none;
        QTest::newRow("not XML") << qCompress("settings") << none;
        QTest::newRow("absurd length") << QByteArray(compressed).replace(0, 4, "\x7f\xff\xff\xff") << none;
        QTest::newRow("missing") << QByteArray("missing") << none;
    }
    void catalogue_and_paths()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("settings.xml"));
        QVERIFY(file == "missing" || write_file(path, file));

        global_func_c reader;
        reader.parse_catalogue(qCompress(catalogue)); // to be replaced, not merged
        QStringList messages;
        {
            const message_log_t log;
            reader.read_catalogue(path);
            messages = log.lines();
        }
        QCOMPARE(tables(reader), expected);
        QCOMPARE(messages.filter(path + " not exist").size(), file == "missing" ? 1 : 0);

        // The user root is the parent of the application-data location, whether
        // that folder exists yet or not.
        QStandardPaths::setTestModeEnabled(true);
        const QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString root = QFileInfo(location).absolutePath() + "/MIRVEK/";
        QDir(location).removeRecursively();
        QCOMPARE(reader.user_root(), root);
        QVERIFY(QDir().mkpath(location));
        // Products 1 and 4 name the user's folder and the module's own.
        const QString user = root + reader.alias_name(1) + "/";
        const QString product = reader.alias_name(4);
        const QString language = QCoreApplication::applicationDirPath() + "/data/" + product + "/language/";
        QCOMPARE(
            (QStringList{reader.user_root(), reader.user_data_directory(), reader.log_directory(),
                         reader.translation_file(1), reader.translation_file(2),
                         reader.share_memory_key_prefix()}),
            (QStringList{root, user, user + "log/vorla_connect/", language + reader.language_file(1) + ".qm",
                         language + ".qm", "VORLA" + product}));
    }
};

QTEST_GUILESS_MAIN(tst_global_func_c)
#include "tst_global_func_c.moc"
