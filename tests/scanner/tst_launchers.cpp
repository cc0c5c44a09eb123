// The launchers whose own lists the scanner reads (Epic Games, GOG Galaxy,
// Heroic and Legendary), and the rule that finds each game only once.
#include "common/global_func_c.h"
#include "common/platform.h"
#include "quick_launch/item_store.h"
#include "scanner/program_scanner_tool_c.h"
#include "tests/scanner/local_http_server.h"

#include <QtTest>

#include <memory>

namespace {
const QString epic_folder = QStringLiteral("wine/drive_c/ProgramData/Epic/EpicGamesLauncher/Data/Manifests/");
const QString gog_file = QStringLiteral("registry/HKEY_LOCAL_MACHINE/SOFTWARE/WOW6432Node/GOG.com/Games.ini");
const QString heroic_file = QStringLiteral("home/.config/heroic/legendaryConfig/legendary/installed.json");
const QString legendary_file = QStringLiteral("home/.config/legendary/installed.json");
const QString starfall = QStringLiteral("C:/Program Files/Epic Games/Starfall/Binaries/Win64/Starfall.exe");

QByteArray epic(const char *name, const char *location, const char *executable, const char *incomplete)
{
    return QByteArray("{\"FormatVersion\": 0, \"bIsIncompleteInstall\": ") + incomplete +
           ", \"LaunchExecutable\": \"" + executable + "\", \"DisplayName\": \"" + name +
           "\", \"InstallLocation\": \"" + location + "\"}";
}

QByteArray legendary(const char *key, const char *title, const char *install_path, const char *executable)
{
    return QByteArray("\"") + key + "\": {\"app_name\": \"" + key + "\", \"title\": \"" + title +
           "\", \"install_path\": \"" + install_path + "\", \"executable\": \"" + executable +
           "\", \"is_dlc\": false}";
}

// Its own client, as the scan dialog is; no network, so every scan ends inside start_scan.
class scanner_c final : public program_scanner_tool_c, public program_scanner_tool_client_i
{
public:
    scanner_c() : program_scanner_tool_c(this) {}
    bool network = false;
    int finished = 0;

    bool is_network_available() const override { return network; }
    void *query_interface(const interface_id_t *) override { return nullptr; }
    void release() override {}
    void on_scan_progress(int) override {}
    void on_scan_finished() override { ++finished; }
    void on_scan_cancelled() override {}
};

// The entries the scanner added (the tests' own have IDs from 900 to 999).
QStringList found(const quick_launch_list_t &list)
{
    QStringList result;
    for (const quick_launch_item_t &x : list) {
        if (x.ID >= 900 && x.ID <= 999)
            continue;
        const bool launcher = x.Game_Type == 0 && x.Platform_ID == 0 && x.Scaned_Name == x.Game_Path;
        result.append(x.Game_Type == 1 ? QStringLiteral("steam %1 %2").arg(x.Platform_ID).arg(x.Game_Name)
                                       : QStringLiteral("%1 %2 %3%4")
                                             .arg(x.Order)
                                             .arg(x.Game_Path, x.Game_Name, launcher ? "" : " bad"));
    }
    return result;
}
} // namespace

class tst_launchers : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    quick_launch_list_t m_games;
    quick_launch_list_t m_programs;

    // "~" in paths and contents stands for the temporary directory.
    QString here(QString text) const { return text.replace('~', m_dir->path()); }

    void write(const QString &path, const QByteArray &bytes)
    {
        const QString full = here("~/" + path);
        QVERIFY(QDir().mkpath(QFileInfo(full).path()));
        QFile file(full);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(here(QString::fromUtf8(bytes)).toUtf8());
    }

    // Windows paths are installed under drive C of the Wine prefix.
    void install(const QStringList &executables)
    {
        for (const QString &path : executables)
            write(path.startsWith('~') ? path.mid(2)
                                       : platform::local_path(path).mid(m_dir->path().size() + 1),
                  "MZ");
    }

private slots:
    void initTestCase() { global_func_c::shared()->initialise(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("HOME", here("~/home").toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("WINEPREFIX", here("~/wine").toUtf8());
        qputenv("VORLA_REGISTRY_ROOT", here("~/registry").toUtf8());
        QDir(global_func_c::shared()->icon_directory()).removeRecursively();
        m_games.clear();
        m_programs.clear();
    }

    // Each launcher's games are found once; a second scan adds nothing. What a
    // launcher's files say never leads out of the folder it is joined to.
    void found_once_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QByteArrayList>("contents");
        QTest::addColumn<QStringList>("executables");
        QTest::addColumn<QStringList>("entries");

        // The League of Legends entry and the four fixed launchers take Order 0 to 4.
        QTest::newRow("Epic manifests")
            << QStringList{epic_folder + "A.item", epic_folder + "B.item", epic_folder + "C.item",
                           epic_folder + "D.item", epic_folder + "E.txt",  epic_folder + "F.item"}
            << QByteArrayList{epic("Starfall", "C:\\\\Program Files\\\\Epic Games\\\\Starfall",
                                   "Binaries/Win64/Starfall.exe", "false"),
                              epic("Half Done", "C:\\\\Program Files\\\\Epic Games\\\\Half", "Half.exe",
                                   "true"),
                              epic("Way Up", "C:\\\\Program Files\\\\Epic Games\\\\Up", "..\\\\..\\\\Up.exe",
                                   "false"),
                              epic("Iron\\n\\u0000Tide", "D:/Games/Iron Tide/", "IronTide.exe", "false"),
                              epic("Not A Manifest", "C:/Games/Text", "Text.exe", "false"),
                              "{ damaged"}
            << QStringList{starfall,
                           "C:/Program Files/Epic Games/Half/Half.exe",
                           "C:/Program Files/Up.exe",
                           "C:/Program Files/Epic Games/Up/Up.txt",
                           "D:/Games/Iron Tide/IronTide.exe",
                           "C:/Games/Text/Text.exe"}
            << QStringList{"5 " + starfall + " Starfall", "6 D:/Games/Iron Tide/IronTide.exe Iron Tide"};
        QTest::newRow("GOG registry keys")
            << QStringList{gog_file}
            << QByteArrayList{"[1207658924]\ngameName=Witcher\nexe=C:\\\\GOG "
                              "Games\\\\Witcher\\\\witcher.exe\n"
                              "path=C:\\\\GOG Games\\\\Elsewhere\nexeFile=other.exe\n"
                              "[1207658925]\nGAMENAME=Gwent\nPath=C:/GOG "
                              "Games/Gwent\nexefile=bin\\\\gwent.exe\n"
                              "[1207658926]\ngameName=Escape\npath=C:/GOG "
                              "Games/Escape\nexeFile=../../evil.exe\n"
                              "[1207658927]\ngameName=Relative\nexe=GOG Games/relative.exe\n"
                              "[1207658928]\ngameName=Nothing\n"}
            << QStringList{"C:/GOG Games/Witcher/witcher.exe", "C:/GOG Games/Gwent/bin/gwent.exe",
                           "C:/evil.exe", "C:/GOG Games/Escape/Escape.txt",
                           "C:/GOG Games/Elsewhere/other.exe"}
            << QStringList{"5 C:/GOG Games/Witcher/witcher.exe Witcher",
                           "6 C:/GOG Games/Gwent/bin/gwent.exe Gwent"};
        // The same game in Heroic's and Legendary's list is one entry.
        QTest::newRow("Heroic and Legendary")
            << QStringList{heroic_file, legendary_file}
            << QByteArrayList{"{" +
                                  legendary("Fort", "Fortress", "~/Games/Heroic/Fortress",
                                            "Game\\\\Binaries\\\\Fortress.exe") +
                                  ", " + legendary("Out", "Out", "~/Games/Heroic/Out", "../../../out.exe") +
                                  ", " + legendary("Rel", "Relative", "Games/Relative", "rel.exe") + "}",
                              "{" + legendary("Cel", "Celeste", "~/Games/Celeste", "Celeste.exe") + ", " +
                                  legendary("Fort", "Fortress", "~/Games/Heroic/Fortress",
                                            "Game/Binaries/Fortress.exe") +
                                  "}"}
            << QStringList{"~/Games/Heroic/Fortress/Game/Binaries/Fortress.exe",
                           "~/Games/Celeste/Celeste.exe", "~/out.exe", "~/Games/Heroic/Out/Out.txt"}
            << QStringList{"5 ~/Games/Heroic/Fortress/Game/Binaries/Fortress.exe Fortress",
                           "6 ~/Games/Celeste/Celeste.exe Celeste"};
    }

    void found_once()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArrayList, contents);
        QFETCH(QStringList, executables);
        QFETCH(QStringList, entries);
        for (int i = 0; i < files.size(); ++i)
            write(files.at(i), contents.at(i));
        install(executables);
        scanner_c scanner;

        scanner.start_scan(&m_games, &m_programs);
        QCOMPARE(scanner.finished, 1);
        // What a launcher's file says survives the item file.
        QVERIFY(write_item_file(m_games, games_file_name));
        quick_launch_list_t saved;
        read_item_file(saved, games_file_name);
        QCOMPARE(found(saved), found(m_games));
        QCOMPARE(found(m_games), here(entries.join('\n')).split('\n'));
        scanner.start_scan(&m_games, &m_programs);
        QCOMPARE(found(m_games), here(entries.join('\n')).split('\n'));
        QVERIFY(m_programs.isEmpty());
    }

    // An entry already in either list, added by hand or not, keeps a game with
    // the same path out: separators and, for Windows paths, letter case aside.
    void same_path_blocks_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("in_games");
        QTest::addColumn<QStringList>("entries");

        // The League of Legends entry and the fixed launchers come first; a
        // hand-made entry in the games list moves their Order on by one.
        const auto heroic = [](int order) -> QString {
            return QString::number(order) + " ~/Games/Heroic/Fortress/Game/Fortress.exe Fortress";
        };
        const auto epic = [](int order) -> QString {
            return QString::number(order) + " " + starfall + " Starfall";
        };
        QTest::newRow("same text") << starfall << true << QStringList{heroic(6)};
        QTest::newRow("backslashes")
            << "C:\\Program Files\\Epic Games\\Starfall\\Binaries\\Win64\\Starfall.exe" << false
            << QStringList{heroic(5)};
        QTest::newRow("doubled slashes")
            << "C://Program Files//Epic Games//Starfall//Binaries//Win64//Starfall.exe" << false
            << QStringList{heroic(5)};
        QTest::newRow("other letter case")
            << "c:/program files/epic games/STARFALL/binaries/win64/starfall.exe" << true
            << QStringList{heroic(6)};
        QTest::newRow("fixed launcher") << "C:\\Program Files (x86)\\Overwatch\\Overwatch Launcher.exe"
                                        << false << QStringList{epic(4), heroic(5)};
        QTest::newRow("Linux path, doubled slashes")
            << "~//Games/Heroic//Fortress/Game/Fortress.exe" << true << QStringList{epic(6)};
        QTest::newRow("Linux path, other letter case")
            << "~/Games/Heroic/fortress/Game/Fortress.exe" << false << QStringList{epic(5), heroic(6)};
    }

    void same_path_blocks()
    {
        QFETCH(QString, path);
        QFETCH(bool, in_games);
        QFETCH(QStringList, entries);
        write(epic_folder + "A.item", epic("Starfall", "C:/Program Files/Epic Games/Starfall",
                                           "Binaries/Win64/Starfall.exe", "false"));
        write(heroic_file,
              "{" + legendary("Fort", "Fortress", "~/Games/Heroic/Fortress", "Game/Fortress.exe") + "}");
        // The hand-made entry's file exists too, or the scan would drop it.
        install({starfall, "~/Games/Heroic/Fortress/Game/Fortress.exe", path});
        // As the add dialog makes it: no Scaned_Name.
        const quick_launch_item_t hand{950, 0, 0, 0, false, "Hand", here(path), {}};
        (in_games ? m_games : m_programs).append(hand);
        scanner_c scanner;

        scanner.start_scan(&m_games, &m_programs);
        QCOMPARE(found(m_games + m_programs), here(entries.join('\n')).split('\n'));
        QCOMPARE((in_games ? m_games : m_programs).first().ID, 950);
    }

    // A Steam application is looked up and added once, whatever spelling of
    // its id the registry holds, and not at all when either list has it.
    void steam_application_once()
    {
        local_http_server_c::answers_t answers;
        for (const char *id : {"0620", "620", "17"}) {
            const QJsonObject common{{"name", "Portal"}, {"type", "game"}};
            answers[QStringLiteral("/v1/info/%1").arg(id)].body =
                QJsonDocument(
                    QJsonObject{{"success", 1}, {"apps", QJsonObject{{id, QJsonObject{{"common", common}}}}}})
                    .toJson();
        }
        local_http_server_c server(answers);
        QVERIFY(server.is_listening());
        qputenv("VORLA_WEB_BASE", server.base().toUtf8());
        write(
            "registry/HKEY_CURRENT_USER/SOFTWARE/Valve/Steam.ini",
            "[General]\nSteamPath=C:/Steam\n[Apps]\n620\\Installed=1\n0620\\Installed=1\n17\\Installed=1\n");
        m_programs.append({917, 0, 1, 17, false, "Seventeen", "C:/Steam", "Seventeen"});
        scanner_c scanner;
        scanner.network = true;

        scanner.start_scan(&m_games, &m_programs);
        QTRY_COMPARE_WITH_TIMEOUT(scanner.finished, 1, 60000);
        QCOMPARE(server.targets, QStringList{"/v1/info/0620"});
        QCOMPARE(found(m_games + m_programs), QStringList{"steam 620 Portal"});
    }
};

QTEST_MAIN(tst_launchers)
#include "tst_launchers.moc"
