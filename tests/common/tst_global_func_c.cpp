#include "common/global_func_c.h"
#include "common/settings_file_c.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
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

QStringList s_messages;
void capture(QtMsgType, const QMessageLogContext &, const QString &text)
{
    s_messages.append(text);
}
} // namespace

class tst_global_func_c : public QObject
{
    Q_OBJECT

private slots:
    void read_catalogue_data()
    {
        const QByteArray compressed = qCompress(catalogue);
        const QString none = QStringLiteral("|  ");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("compressed") << compressed << "0=Default:zh 1=English:en 2=Deutsch: | VORLA_HUB VC";
        QTest::newRow("not compressed") << catalogue << none;
        QTest::newRow("truncated") << compressed.left(compressed.size() / 2) << none;
        QTest::newRow("not XML") << qCompress("settings") << none;
        QTest::newRow("absurd length") << QByteArray(compressed).replace(0, 4, "\x7f\xff\xff\xff") << none;
        QTest::newRow("missing") << QByteArray("missing") << none;
    }
    void read_catalogue()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("settings.xml"));
        QFile settings(path);
        QVERIFY(file == "missing" ||
                (settings.open(QIODevice::WriteOnly) && settings.write(file) == file.size()));
        settings.close();

        global_func_c reader;
        reader.parse_catalogue(qCompress(catalogue)); // to be replaced, not merged
        s_messages.clear();
        const QtMessageHandler previous = qInstallMessageHandler(capture);
        reader.read_catalogue(path);
        qInstallMessageHandler(previous);
        QCOMPARE(tables(reader), expected);
        QCOMPARE(s_messages.filter(path + " not exist").size(), file == "missing" ? 1 : 0);
    }

    void path_rules_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("alias_1");
        QTest::newRow("alias 1") << catalogue << QStringLiteral("VORLA_HUB");
        QTest::newRow("no alias 1") << QByteArray(catalogue).replace("type=\"1\"", "type=\"3\"") << QString();
    }
    void path_rules()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, alias_1);
        global_func_c paths;
        paths.parse_catalogue(qCompress(xml));
        // The user root is the parent of the application-data location, whether
        // that folder exists yet or not.
        QStandardPaths::setTestModeEnabled(true);
        const QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString root = QFileInfo(location).absolutePath() + "/MIRVEK/";
        QDir(location).removeRecursively();
        QCOMPARE(paths.user_root(), root);
        QVERIFY(QDir().mkpath(location));

        const QString user = root + alias_1 + "/";
        const QString language = QCoreApplication::applicationDirPath() + "/data/VC/language/";
        QCOMPARE((QStringList{paths.user_root(), paths.user_data_directory(), paths.log_directory(),
                              paths.translation_file(1), paths.translation_file(2),
                              paths.share_memory_key_prefix()}),
                 (QStringList{root, user, user + "log/vorla_connect/", language + "en.qm", language + ".qm",
                              "VORLAVC"}));
    }

    // Serialised values reach the settings store as text, whatever they claim;
    // the first claims a Qt Gui type with a huge count.
    void settings_file_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("read_as");
        QTest::newRow("plain file is read itself") << QByteArray("[a]\nName=x\n") << QByteArray("x");
        QTest::newRow("serialised value") << QByteArray("[a]\nName=@Variant(\\0\\0\\0\\x42\\x7f\\xff)\n")
                                          << QByteArray("@Variant(\0\0\0\x42\x7f\xff)");
        QTest::newRow("already escaped text")
            << QByteArray("[a]\nName=@@Variant(x)\n") << QByteArray("@Variant(x)");
        QTest::newRow("inside a text value")
            << QByteArray("[a]\nName=@String(@Variant(\\0x))\n") << QByteArray("@Variant(");
        QTest::newRow("in a list") << QByteArray("[a]\nName=a, @Variant(\\0\\0\\0\\t\\x7f)\n")
                                   << QByteArray("a, @Variant(\0\0\0\t\x7f)");
    }
    void settings_file()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, read_as);
        QTemporaryDir dir;
        QFile file(dir.filePath("store.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        const settings_file_c store(file.fileName());
        QCOMPARE(store.holds_serialised_values(), content.contains("@Variant("));
        QSettings settings(store.path(), QSettings::IniFormat);
        const QVariant name = settings.value("a/Name");
        const QString text =
            name.type() == QVariant::StringList ? name.toStringList().join(", ") : name.toString();
        // Decoded, the values would be other types or nothing at all.
        QVERIFY2(text.startsWith(QString::fromLatin1(read_as)), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(tst_global_func_c)
#include "tst_global_func_c.moc"
