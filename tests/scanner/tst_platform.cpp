#include "common/platform.h"

#include <QtTest>

#include <memory>

namespace {
const QString steam_key = QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Valve\\Steam");

// Shaped like the file the Linux Steam client writes.
const QByteArray registry_vdf =
    "\"Registry\"\n{\n"
    "\t\"HKLM\" { \"Software\" { \"Valve\" { \"Steam\" { \"SteamPID\"\t\t\"4242\" } } } }\n"
    "\t\"HKCU\"\n\t{\n\t\t\"Software\"\n\t\t{\n\t\t\t\"Valve\"\n\t\t\t{\n"
    "\t\t\t\t\"Steam\"\n\t\t\t\t{\n"
    "\t\t\t\t\t\"language\"\t\t\"english\"\n"
    "\t\t\t\t\t\"apps\"\n\t\t\t\t\t{\n"
    "\t\t\t\t\t\t\"228980\"\n\t\t\t\t\t\t{\n\t\t\t\t\t\t\t\"installed\"\t\t\"1\"\n\t\t\t\t\t\t}\n"
    "\t\t\t\t\t\t\"620\"\n\t\t\t\t\t\t{\n\t\t\t\t\t\t\t\"name\"\t\t\"Portal 2\"\n\t\t\t\t\t\t}\n"
    "\t\t\t\t\t}\n\t\t\t\t}\n\t\t\t}\n\t\t}\n\t}\n}\n";

void write_file(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class tst_platform : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString home() const { return m_dir->path() + "/home"; }
    QString wine() const { return m_dir->path() + "/wine"; }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(home()));
        qputenv("HOME", home().toUtf8());
        qputenv("VORLA_REGISTRY_ROOT", (m_dir->path() + "/registry").toUtf8());
        qputenv("WINEPREFIX", wine().toUtf8());
    }

    void steam_registry_data()
    {
        QTest::addColumn<QString>("ini_name");
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QByteArray>("vdf");
        QTest::addColumn<QStringList>("dirs");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("ids");

        const QByteArray ini = "[General]\nSteamPath=c:/program files (x86)/steam\n[Apps]\n10\\Installed=1\n"
                               "20\\Installed=0\n";
        QTest::newRow("registry key, Linux client ignored")
            << "HKEY_CURRENT_USER/SOFTWARE/Valve/Steam.ini" << ini << registry_vdf
            << QStringList{".local/share/Steam"} << QString() << "c:/program files (x86)/steam"
            << QStringList{"10", "20"};
        QTest::newRow("registry key in other letter case")
            << "hkey_current_user/Software/valve/steam.ini"
            << QByteArray("[General]\nsteampath=D:/Steam\n[apps]\n30\\Installed=1\n") << QByteArray()
            << QStringList() << QString() << "D:/Steam" << QStringList{"30"};
        QTest::newRow("Linux client through its link")
            << QString() << QByteArray() << registry_vdf << QStringList{"apps/Steam", ".local/share/Steam"}
            << "apps/Steam"
            << "~/apps/Steam" << QStringList{"228980", "620"};
        QTest::newRow("Linux client without link")
            << QString() << QByteArray() << registry_vdf << QStringList{".local/share/Steam"} << QString()
            << "~/.local/share/Steam" << QStringList{"228980", "620"};
        // Also a comment, a condition, escapes, a repeated id and a value that is no id.
        QTest::newRow("damaged vdf")
            << QString() << QByteArray()
            << QByteArray(
                   "// by hand\n\"registry\" { \"hkcu\" { \"software\" { \"valve\" { \"steam\" { \"Apps\" "
                   "[$LINUX] {"
                   " \"7\" { \"name\" \"\\\"a\\\" {\" } \"7\" { } \"Seven\" \"x\" \"8\" { \"installed\" ")
            << QStringList() << QString() << QString() << QStringList{"7", "8"};
        // A path cut where a surrogate pair starts; ids that are no application
        // number (they go into requests) are left out.
        const QByteArray long_path = QByteArray(4095, 'p') + "\\xd83d\\xde00" + QByteArray(9000, 'q');
        QTest::newRow("oversized path, hostile ids")
            << "HKEY_CURRENT_USER/SOFTWARE/Valve/Steam.ini"
            << "[General]\nSteamPath=" + long_path +
                   "\n[Apps]\n10\\Installed=1\n1&x=2\\Installed=1\n..%5Cx\\Installed=1\n"
                   "99999999999\\Installed=1\n-1\\Installed=1\n"
            << QByteArray() << QStringList() << QString() << QString(4095, 'p') << QStringList{"10"};
        QTest::newRow("hostile ids in the vdf")
            << QString() << QByteArray()
            << QByteArray("\"registry\" { \"hkcu\" { \"software\" { \"valve\" { \"steam\" { \"apps\" {"
                          " \"..\\\\..\\\\x\" { } \"620\" { } \"\" { } \"6 2\" { } } } } } } }")
            << QStringList() << QString() << QString() << QStringList{"620"};
    }

    void steam_registry()
    {
        QFETCH(QString, ini_name);
        QFETCH(QByteArray, ini);
        QFETCH(QByteArray, vdf);
        QFETCH(QStringList, dirs);
        QFETCH(QString, link);
        QFETCH(QString, path);
        QFETCH(QStringList, ids);

        if (!ini_name.isEmpty())
            write_file(m_dir->path() + "/registry/" + ini_name, ini);
        if (!vdf.isEmpty())
            write_file(home() + "/.steam/registry.vdf", vdf);
        for (const QString &dir : dirs)
            QVERIFY(QDir(home()).mkpath(dir));
        if (!link.isEmpty())
            QVERIFY(QFile::link(home() + "/" + link, home() + "/.steam/steam"));
        if (path.startsWith("~/"))
            path = QFileInfo(home() + path.mid(1)).canonicalFilePath();

        const platform::steam_registry_t steam = platform::read_steam_registry(steam_key);
        QCOMPARE(steam.steam_path, path);
        QCOMPARE(steam.app_ids, ids);
    }

    void local_path_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char *name, const char *path, const char *expected) {
            QTest::newRow(name) << QString(path) << QString(expected);
        };
        row("C, doubled slashes", "C://Program Files (x86)//Steam//", "~/drive_c/Program Files (x86)/Steam");
        row("other letter case, missing file", "c:\\program files (x86)\\steam\\Steam.exe",
            "~/drive_c/Program Files (x86)/Steam/Steam.exe");
        row("drive with a device", "D:/Games/x.exe", "~/dosdevices/d:/Games/x.exe");
        row("drive without a device", "e:\\Games", "~/drive_e/Games");
        row("Linux path", "/opt/c:/x", "/opt/c:/x");
    }

    void local_path()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);

        QVERIFY(QDir(wine()).mkpath("drive_c/Program Files (x86)/Steam"));
        QVERIFY(QDir(wine()).mkpath("dosdevices/d:"));
        QCOMPARE(platform::local_path(path), expected.replace("~", wine()));
    }
};

QTEST_MAIN(tst_platform)
#include "tst_platform.moc"
