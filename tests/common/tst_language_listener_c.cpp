#include "common/global_func_c.h"
#include "common/language_listener_c.h"
#include "host/control_centre_c.h"
#include "tests/common/common_test_support.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QByteArray fresh_source = R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS><TS version="2.1" language="de"><context><name>QPlatformTheme</name>
<message><source>Cancel</source><translation>Frisch</translation></message></context></TS>)";
} // namespace

class tst_language_listener_c : public QObject
{
    Q_OBJECT

    static QString compiler_path() { return global_func_c::application_directory() + "lrelease.exe"; }
    static QString staged_de()
    {
        return global_func_c::application_directory() + "data/CONNECT/language/vorla_connect_de.qm";
    }

private slots:
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
        QStringList log;
        {
            // write_log echoes every line to the debug output; collect them there.
            const message_log_t echoed;
            host.set_language(3);
            log = echoed.lines();
        }
        listener.detach(host.ctrl_center());
        QVERIFY(host.listeners().isEmpty());

        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), expected);
        QStringList not_exist;
        for (const QString &line : log.filter(QStringLiteral(" not exist"))) {
            const QString file = line.trimmed().chopped(10);
            not_exist << (file == path ? QStringLiteral("qm") : file);
        }
        QCOMPARE(not_exist, logged);
    }

private:
    // The compiler is looked for beside the executable, so a row that needs it
    // absent runs in a copy of this program in a directory of its own.
    static void run_in_copy(const QString &test)
    {
        QTemporaryDir copy;
        const QString program = copy.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QVERIFY(QDir(copy.path()).mkpath(QStringLiteral("data/CONNECT/language")));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
#ifdef Q_OS_WIN
        // A Windows program finds its DLLs beside itself.
        const QDir here(QCoreApplication::applicationDirPath());
        for (const QString &dll : here.entryList({QStringLiteral("*.dll")}, QDir::Files))
            QVERIFY(QFile::copy(here.filePath(dll), copy.filePath(dll)));
#endif
        QVERIFY(QFile::copy(staged_de(), copy.filePath("data/CONNECT/language/vorla_connect_de.qm")));
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(program, {test});
        QVERIFY(child.waitForFinished(120000));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 child.readAll().constData());
    }
};

QTEST_GUILESS_MAIN(tst_language_listener_c)
#include "tst_language_listener_c.moc"
