// The launchers whose own lists the scanner reads (Epic Games, GOG Galaxy,
// Heroic and Legendary), and the rule that finds each game only once.
#include "common/global_func_c.h"
#include "tests/scanner/local_http_server.h"
#include "tests/scanner/scan_fixture.h"

#include <QtTest>

#include <memory>

using namespace scan_fixture;

namespace {
const QString epic_folder = QStringLiteral("C:/ProgramData/Epic/EpicGamesLauncher/Data/Manifests/");
const QString heroic_file = QStringLiteral("~/.config/heroic/legendaryConfig/legendary/installed.json");
const QString legendary_file = QStringLiteral("~/.config/legendary/installed.json");
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

// Heroic and Legendary keep their lists on Linux only: Windows scans leave
// their games out.
QStringList without_heroic(const QStringList &entries)
{
    return on_windows ? entries.filter(QRegularExpression("^((?!Heroic|Celeste).)*$")) : entries;
}
} // namespace

class tst_launchers : public QObject
{
    Q_OBJECT

    std::unique_ptr<machine_c> machine;
    scan_record_t record;
    quick_launch_list_t games;
    quick_launch_list_t programs;

    QStringList expected(const QStringList &entries) const
    {
        return without_heroic(machine->here(entries.join('\n')).split('\n', Qt::SkipEmptyParts));
    }

private slots:
    void initTestCase()
    {
        global_func_c::shared()->initialise();
        // Heroic's and Legendary's lists are then read under HOME.
        qunsetenv("XDG_CONFIG_HOME");
    }

    void init()
    {
        machine = std::make_unique<machine_c>();
        record.finished = 0;
        QDir(global_func_c::shared()->icon_directory()).removeRecursively();
        games.clear();
        programs.clear();
    }

    void cleanup() { machine.reset(); }

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
            << QStringList{gog_key}
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
        for (int i = 0; i < files.size(); ++i) {
            if (files.at(i).startsWith("\\HKEY"))
                machine->write_key(files.at(i), contents.at(i));
            else
                machine->write(files.at(i), contents.at(i));
        }
        machine->make(executables);
        scanner_c scanner(record);
        scanner.network = false;

        scanner.start_scan(&games, &programs);
        QCOMPARE(record.finished, 1);
        // What a launcher's file says survives the item file.
        QVERIFY(write_item_file(games, games_file_name));
        quick_launch_list_t saved;
        read_item_file(saved, games_file_name);
        QCOMPARE(found(saved, false), found(games, false));
        QCOMPARE(found(games, false), expected(entries));
        scanner.start_scan(&games, &programs);
        QCOMPARE(found(games, false), expected(entries));
        QVERIFY(programs.isEmpty());
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
        machine->write(epic_folder + "A.item", epic("Starfall", "C:/Program Files/Epic Games/Starfall",
                                                    "Binaries/Win64/Starfall.exe", "false"));
        machine->write(heroic_file,
                       "{" + legendary("Fort", "Fortress", "~/Games/Heroic/Fortress", "Game/Fortress.exe") +
                           "}");
        // The hand-made entry's file exists too, or the scan would drop it.
        machine->make({starfall, "~/Games/Heroic/Fortress/Game/Fortress.exe", path});
        // As the add dialog makes it: no Scaned_Name.
        const quick_launch_item_t hand{950, 0, 0, 0, false, "Hand", machine->here(path), {}};
        (in_games ? games : programs).append(hand);
        scanner_c scanner(record);
        scanner.network = false;

        scanner.start_scan(&games, &programs);
        QCOMPARE(found(games + programs, false), expected(entries));
        QCOMPARE((in_games ? games : programs).first().ID, 950);
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
        machine->write_key(
            steam_key,
            "[General]\nSteamPath=C:/Steam\n[Apps]\n620\\Installed=1\n0620\\Installed=1\n17\\Installed=1\n");
        programs.append({917, 0, 1, 17, false, "Seventeen", "C:/Steam", "Seventeen"});
        scanner_c scanner(record);

        scanner.start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(record.finished, 1, 60000);
        QCOMPARE(server.targets, QStringList{"/v1/info/0620"});
        QCOMPARE(found(games + programs, false), QStringList{"5 620 Portal"});
    }
};

QTEST_MAIN(tst_launchers)
#include "tst_launchers.moc"
