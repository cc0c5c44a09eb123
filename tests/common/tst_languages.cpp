#include "common/global_func_c.h"
#include "common/language_listener_c.h"
#include "host/control_centre_c.h"
#include "tests/common/common_test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QByteArray catalogue = R"(<?xml version="1.0" encoding="UTF-8"?>
<SETTINGS><VERSION value="3"><LANGUAGE id="9" name="not in LANGUAGES"/></VERSION>
 <LANGUAGES><LANGUAGE name="English" file="en" id="1"/><LANGUAGE id="2" name="Deutsch"/>
  <LANGUAGE name="Default" file="zh"/></LANGUAGES>
 <PRODUCTS><PRODUCT type="1" alias_name="VORLA_HUB"/><PRODUCT alias_name="VC" model="x" type="4"/></PRODUCTS>
</SETTINGS>)";

// The tables in one line: languages as "id=name:file", then alias names 1 and 4.
QString tables(const global_func_c &catalogue)
{
    QString result;
    for (int id : catalogue.language_ids())
        result +=
            QStringLiteral("%1=%2:%3 ").arg(id).arg(catalogue.language_name(id), catalogue.language_file(id));
    return result + "| " + catalogue.alias_name(1) + " " + catalogue.alias_name(4);
}

const QByteArray fresh_source = R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS><TS version="2.1" language="de"><context><name>QPlatformTheme</name>
<message><source>Cancel</source><translation>Frisch</translation></message></context></TS>)";
const QString staged_language = QStringLiteral("data/CONNECT/language/");
} // namespace

class tst_languages : public QObject
{
    Q_OBJECT

    static QString compiler_path() { return global_func_c::application_directory() + "lrelease.exe"; }
    static QString staged_de()
    {
        return global_func_c::application_directory() + staged_language + "vorla_connect_de.qm";
    }

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
        const message_log_t log;
        reader.read_catalogue(path);
        QCOMPARE(tables(reader), expected);
        QCOMPARE(log.lines().filter(path + " not exist").size(), file == "missing" ? 1 : 0);

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

    // What lies at the registered path decides what is compiled, loaded and logged.
    void reload_translation_data()
    {
        QTest::addColumn<QString>("qm");   // "" missing, "stale" empty, "de" the staged one
        QTest::addColumn<int>("compiler"); // with a source beside: 1 present, 0 absent; -1 no source
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("logged"); // " not exist" lines; "qm" for the .qm path
        QTest::newRow("source compiled before loading") << "stale" << 1 << "Frisch" << QStringList();
        QTest::newRow("without compiler the .qm loads all the same")
            << "de" << 0 << "Abbrechen" << QStringList{compiler_path()};
        QTest::newRow("missing .qm") << QString() << -1 << "Cancel" << QStringList{"qm"};
    }
    void reload_translation()
    {
        QFETCH(QString, qm);
        QFETCH(int, compiler);
        QFETCH(QString, expected);
        QFETCH(QStringList, logged);
        if (compiler == 1 && !QFile::exists(compiler_path()))
            QSKIP("lrelease.exe is not staged");
        if (compiler == 0 && QFile::exists(compiler_path()))
            return run_in_copy(QStringLiteral("reload_translation:") + QTest::currentDataTag());

        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("vorla_connect_de.qm"));
        if (!qm.isEmpty())
            QVERIFY(qm == "stale" ? write_file(path, QByteArray()) : QFile::copy(staged_de(), path));
        if (compiler >= 0)
            QVERIFY(write_file(directory.filePath(QStringLiteral("vorla_connect_de.ts")), fresh_source));

        control_centre_c host;
        language_listener_c listener;
        listener.set_translation_file(3, path);
        listener.attach(host.ctrl_center());
        QCOMPARE(host.listeners(), QList<listener_i *>{&listener});
        // write_log echoes every line to the debug output; collect them there.
        const message_log_t echoed;
        host.set_language(3);
        listener.detach(host.ctrl_center());
        QVERIFY(host.listeners().isEmpty());

        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), expected);
        QStringList not_exist = echoed.lines().filter(QStringLiteral(" not exist"));
        not_exist.replaceInStrings(QRegularExpression(" not exist\\s*$"), QString())
            .replaceInStrings(path, "qm");
        QCOMPARE(not_exist, logged);
    }

private:
    // The compiler is looked for beside the executable, so a row that needs it
    // absent runs in a copy of this program in a directory of its own.
    static void run_in_copy(const QString &test)
    {
        QTemporaryDir copy;
        const QString program = copy.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QVERIFY(QDir(copy.path()).mkpath(staged_language));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
#ifdef Q_OS_WIN
        // A Windows program finds its DLLs beside itself.
        const QDir here(QCoreApplication::applicationDirPath());
        for (const QString &dll : here.entryList({QStringLiteral("*.dll")}, QDir::Files))
            QVERIFY(QFile::copy(here.filePath(dll), copy.filePath(dll)));
#endif
        QVERIFY(QFile::copy(staged_de(), copy.filePath(staged_language + "vorla_connect_de.qm")));
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(program, {test});
        QVERIFY(child.waitForFinished(120000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 child.readAll().constData());
    }
};

QTEST_GUILESS_MAIN(tst_languages)
#include "tst_languages.moc"
