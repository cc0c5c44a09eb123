// The platform layer and the program scanner that reads the machine through
// it: the launchers' own lists, Steam's registry and files, and the lookups.
#include "common/durable_file_c.h"
#include "common/global_func_c.h"
#include "host/app_info_service_c.h"
#include "host/steam_fixture.h"
#include "scanner/steam_local.h"
#include "tests/scanner/local_http_server.h"
#include "tests/scanner/scan_fixture.h"

#include <QtTest>

#include <limits>
#include <memory>

using namespace scan_fixture;
using steam_fixture::app_t;

namespace {
const QString steam_path = QStringLiteral("C:/Program Files (x86)/Steam");
const QString epic_folder = QStringLiteral("C:/ProgramData/Epic/EpicGamesLauncher/Data/Manifests/");
const QString heroic_file = QStringLiteral("~/.config/heroic/legendaryConfig/legendary/installed.json");
const QString starfall = QStringLiteral("C:/Program Files/Epic Games/Starfall/Binaries/Win64/Starfall.exe");
const QString icon_a = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
const QString icon_b = QStringLiteral("89abcdef0123456789abcdef0123456789ABCDEF");
const QString hex_icon = QStringLiteral("0123456789abcdef0123456789ABCDEF01234567");
// A name whose 256th unit starts a surrogate pair.
const QString long_name = QString(255, 'n') + QString::fromUtf8("\xF0\x9F\x98\x80") + QString(100000, 'm');
const QList<quint32> magics{steam_local::app_info_magic_26, steam_local::app_info_magic_27,
                            steam_local::app_info_magic_28, steam_local::app_info_magic_29};

// Shaped like the file the Linux Steam client writes.
const QByteArray registry_vdf =
    "\"Registry\"\n{\n\t\"HKLM\" { \"Software\" { \"Valve\" { \"Steam\" { \"SteamPID\"\t\t\"4242\" } } } }\n"
    "\t\"HKCU\"\n\t{\n\t\t\"Software\"\n\t\t{\n\t\t\t\"Valve\"\n\t\t\t{\n\t\t\t\t\"Steam\"\n\t\t\t\t{\n"
    "\t\t\t\t\t\"language\"\t\t\"english\"\n\t\t\t\t\t\"apps\"\n\t\t\t\t\t{\n"
    "\t\t\t\t\t\t\"228980\"\n\t\t\t\t\t\t{\n\t\t\t\t\t\t\t\"installed\"\t\t\"1\"\n\t\t\t\t\t\t}\n"
    "\t\t\t\t\t\t\"620\"\n\t\t\t\t\t\t{\n\t\t\t\t\t\t\t\"name\"\t\t\"Portal 2\"\n\t\t\t\t\t\t}\n"
    "\t\t\t\t\t}\n\t\t\t\t}\n\t\t\t}\n\t\t}\n\t}\n}\n";

// Where the public service is asked by default.
QString target(int id)
{
    return QStringLiteral("/v1/info/%1").arg(id);
}

QStringList targets(std::initializer_list<int> ids)
{
    QStringList result;
    for (int id : ids)
        result << target(id);
    return result;
}

// Steam names its icons by 40 hexadecimal digits.
QString icon_name(int id)
{
    return QStringLiteral("%1").arg(id, 40, 10, QLatin1Char('0'));
}

// The stand-in service's answers in either shape: games with both spellings
// of "type", a DLC, a tool, no JSON ("16"), an HTTP error ("18"), else an
// unknown id. The answer for "22" comes late enough to act while it downloads.
local_http_server_c::answers_t service_answers(bool public_shape = true)
{
    app_info_service_c service; // only its answers, never started
    service.set_shape(public_shape ? app_info_service_c::shape_t::status_data
                                   : app_info_service_c::shape_t::success_apps);
    for (const char *app : {"11 game Game 11", "12 Game Game 12", "14 DLC Soundtrack", "15 Tool Server",
                            "21 game Game 21", "22 game Game 22", "0620 game Portal"}) {
        const QStringList words = QString(app).split(' ');
        service.add_app(words[0], {words[1], words.mid(2).join(' '), icon_name(words[0].toInt())});
    }
    // Hostile answers: icons that lead out of Steam's icon folder or are no
    // icon name, an oversized name, an oversized answer, values of wrong types.
    if (public_shape) {
        service.add_app("31", {"game", "Up", "../../x"});
        service.add_app("32", {"game", "Nul", hex_icon + QChar(0)});
        service.add_app("33", {"game", "Short", hex_icon.left(39)});
        service.add_app("34", {"game", "Long", hex_icon + "4"});
        service.add_app("35", {"game", "Not hex", "z" + hex_icon.mid(1)});
        service.add_app("36", {"Game", long_name, hex_icon});
        service.add_app("37", {"game", QString(30 * 1024 * 1024, 'h'), hex_icon});
    }
    local_http_server_c::answers_t answers;
    for (const QString &id :
         QString("11 12 13 14 15 16 17 18 19 20 21 22 23 31 32 33 34 35 36 37 0620").split(' '))
        answers["/v1/info/" + id].body = service.answer("/v1/info/" + id);
    answers[target(16)].body = "<html>Service busy</html>";
    answers[target(18)].status = 503;
    answers[target(22)].delay_ms = 5000;
    answers["/lookup/11.json?id=11"] = answers[target(11)];
    answers[target(38)].body = R"({"success": 1, "apps": {"38": {"common": {"name": ["x"], "type": {"a": 1},
                                  "clienticon": 5}}}})";
    answers[target(39)].body = R"({"success": "1", "apps": [39]})";
    return answers;
}

QString epic(const QString &name, const QString &location, const QString &executable, bool incomplete = false)
{
    return QString("{\"FormatVersion\": 0, \"bIsIncompleteInstall\": ") + (incomplete ? "true" : "false") +
           ", \"LaunchExecutable\": \"" + executable + "\", \"DisplayName\": \"" + name +
           "\", \"InstallLocation\": \"" + location + "\"}";
}

QString legendary(const QString &key, const QString &title, const QString &install_path,
                  const QString &executable)
{
    return "\"" + key + "\": {\"app_name\": \"" + key + "\", \"title\": \"" + title +
           "\", \"install_path\": \"" + install_path + "\", \"executable\": \"" + executable +
           "\", \"is_dlc\": false}";
}

// A game, a DLC and a tool in two libraries, and a game Steam's cache does not know.
QList<app_t> library()
{
    app_t unknown{700020, "Web Only", "game", QString(), "Web Only", 0};
    unknown.in_app_info = false;
    return {{700010, "Game Ten", "game", icon_a, "Game Ten", 0},
            {700011, "Ten Soundtrack", "DLC", icon_b, "Game Ten", 1},
            {700012, "Editor", "Tool", QString(), "Editor", 1},
            unknown};
}

// Steam's key and section from the Linux client's file, or from the registry.
struct registry_case_t
{
    QByteArray ini;           // the key's values, none for no key
    QByteArray vdf;           // ~/.steam/registry.vdf
    QString path;             // SteamPath read, "~/" resolved
    QStringList ids;          // "!" marks those that say Installed 0
    QStringList folders = {}; // under ~
    QString link = {};        // ~/.steam/steam leads there
    QString key = steam_key;  // where ini goes
};

// A scan that reads Steam's own files; Installed is the key's value for the
// four applications of library(), read from registry.vdf when vdf is set.
struct files_scan_t
{
    quint32 magic;
    bool network;
    int installed;
    bool vdf;
    QStringList downloads;
    QStringList entries;
};
} // namespace

Q_DECLARE_METATYPE(registry_case_t)
Q_DECLARE_METATYPE(files_scan_t)

class tst_program_scanner : public QObject
{
    Q_OBJECT

    std::unique_ptr<machine_c> machine;
    std::unique_ptr<scan_record_t> record;
    local_http_server_c server{service_answers()};
    local_http_server_c older_server{service_answers(false)};
    quick_launch_list_t games;
    quick_launch_list_t programs;
    // The settings stay where they were first opened, but Heroic's and
    // Legendary's lists are read under HOME while it is unset.
    const QByteArray config_home = qgetenv("XDG_CONFIG_HOME");

    void write_steam_key(const QStringList &ids, QStringList icons = {})
    {
        QVariantMap installed;
        for (const QString &id : ids) {
            installed.insert(id, 1);
            icons.append(icon_name(id.toInt()));
        }
        machine->write_steam(steam_path, installed, icons);
    }

    // Runs a scan to its end, however it ends.
    void scan(scanner_c &scanner)
    {
        const int before = record->finished;
        scanner.start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(record->finished, before + 1, 60000);
    }

    // Application ids asked of the service, in order.
    QStringList requested() const
    {
        QStringList ids;
        for (const QString &target : server.targets)
            ids.append(QRegularExpression("\\d{6}").match(target).captured());
        return ids;
    }

    // Heroic and Legendary keep their lists on Linux only: Windows scans leave their games out.
    QStringList expected(const QStringList &entries) const
    {
        const QStringList all = machine->here(entries.join('\n')).split('\n', Qt::SkipEmptyParts);
        return on_windows ? all.filter(QRegularExpression("^((?!Heroic|Celeste).)*$")) : all;
    }

    static QStringList pictures()
    {
        return QDir(global_func_c::shared()->icon_directory()).entryList({"*.png"});
    }

    static QString downloader_value(const QString &name)
    {
        return QSettings("Mirvek", "VORLA_Downloader").value(name).toString();
    }

private slots:
    void initTestCase()
    {
        global_func_c::shared()->initialise();
        QVERIFY(server.is_listening() && older_server.is_listening());
        QVERIFY(QFile::exists(global_func_c::application_directory() + "web_loader/web_engine.exe"));
        catch_log({"scan game file", "Steam applications:"});
    }

    void init()
    {
        machine = std::make_unique<machine_c>();
        record = std::make_unique<scan_record_t>();
        QDir(global_func_c::shared()->icon_directory()).removeRecursively();
        QSettings("Mirvek", "VORLA_Downloader").clear();
        qputenv("VORLA_WEB_BASE", server.base().toUtf8());
        server.targets.clear();
        caught_log.clear();
        games.clear();
        programs.clear();
    }

    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        machine.reset();
        qputenv("XDG_CONFIG_HOME", config_home);
    }

    // The platform layer: Steam's registry as Wine or the Linux client keeps it, and Windows paths.
    void steam_registry_data()
    {
        QTest::addColumn<registry_case_t>("c");
        const auto row = [](const char *name, const QByteArray &ini, const QByteArray &vdf,
                            const QString &path, const QStringList &ids, const QStringList &folders = {},
                            const QString &link = {}, const QString &key = steam_key) {
            QTest::newRow(name) << registry_case_t{ini, vdf, path, ids, folders, link, key};
        };
        const QByteArray ini = "[General]\nSteamPath=c:/program files (x86)/steam\n[Apps]\n10\\Installed=1\n"
                               "20\\Installed=0\n";
        const QStringList client_ids{"228980", "620"};
        row("registry key, Linux client ignored", ini, registry_vdf, "c:/program files (x86)/steam",
            {"10", "20!"}, {".local/share/Steam"});
        row("registry key in other letter case", "[General]\nsteampath=D:/Steam\n[apps]\n30\\Installed=1\n",
            {}, "D:/Steam", {"30"}, {}, {}, "\\hkey_current_user\\Software\\valve\\steam");
        row("Linux client through its link", {}, registry_vdf, "~/apps/Steam", client_ids,
            {"apps/Steam", ".local/share/Steam"}, "apps/Steam");
        row("Linux client without link", {}, registry_vdf, "~/.local/share/Steam", client_ids,
            {".local/share/Steam"});
        // Also a comment, a condition, escapes, a repeated id and a value that is no id.
        row("damaged vdf", {},
            "// by hand\n\"registry\" { \"hkcu\" { \"software\" { \"valve\" { \"steam\" { \"Apps\" [$LINUX] {"
            " \"7\" { \"name\" \"\\\"a\\\" {\" } \"7\" { } \"Seven\" \"x\" \"8\" { \"installed\" ",
            {}, {"7", "8"});
        // A path cut where a surrogate pair starts; ids that are no application
        // number (they go into requests) are left out.
        const QByteArray long_path = QByteArray(4095, 'p') + "\\xd83d\\xde00" + QByteArray(9000, 'q');
        row("oversized path, hostile ids",
            "[General]\nSteamPath=" + long_path +
                "\n[Apps]\n10\\Installed=1\n1&x=2\\Installed=0\n"
                "..%5Cx\\Installed=1\n99999999999\\Installed=1\n-1\\Installed=1\n",
            {}, QString(4095, 'p'), {"10"});
        row("hostile ids in the vdf", {},
            "\"registry\" { \"hkcu\" { \"software\" { \"valve\" { \"steam\" { \"apps\" {"
            " \"..\\\\..\\\\x\" { \"installed\" \"0\" } \"620\" { } \"\" { } \"6 2\" { } } } } } } }",
            {}, {"620"});
    }

    void steam_registry()
    {
        QFETCH(registry_case_t, c);
        if (!c.ini.isEmpty())
            machine->write_key(c.key, c.ini);
        if (!c.vdf.isEmpty())
            machine->write("~/.steam/registry.vdf", c.vdf);
        for (const QString &folder : std::as_const(c.folders))
            QVERIFY(QDir(machine->path()).mkpath(folder));
        if (!c.link.isEmpty())
            QVERIFY(QFile::link(machine->here("~/" + c.link), machine->here("~/.steam/steam")));
        if (c.path.startsWith("~/"))
            c.path = QFileInfo(machine->here(c.path)).canonicalFilePath();
        // Windows has the key only: the Linux client's files are never read there.
        if (on_windows && c.ini.isEmpty())
            c = registry_case_t();

        const platform::steam_registry_t steam = platform::read_steam_registry(steam_key);
        QCOMPARE(steam.steam_path, c.path);
        QCOMPARE(steam.app_ids, c.ids.join(' ').remove('!').split(' ', Qt::SkipEmptyParts));
        // Only ids that stay can be not installed: the others go into no request.
        QCOMPARE(steam.not_installed, c.ids.filter("!").join(' ').remove('!').split(' ', Qt::SkipEmptyParts));
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
        machine->make({"C:/Program Files (x86)/Steam/"});
        // Windows takes every path as it is.
        QCOMPARE(platform::local_path(path),
                 on_windows ? path : expected.replace("~", machine->here("~/wine")));
    }

    // Launchers found by their fixed places and by their own lists. Each game
    // is found once and survives the item file; a second scan adds nothing.
    // What a launcher's files say never leads out of the folder it is joined
    // to. Without a Steam lookup the scan ends inside start_scan, and no
    // download starts.
    void launchers_data()
    {
        QTest::addColumn<QStringList>("lists");   // a launcher's file or registry key, then its contents
        QTest::addColumn<QStringList>("made");    // executables, or folders ending in "/"
        QTest::addColumn<QStringList>("entries"); // "Tencent" rows: with a Steam key but no network
        const auto row = [](const char *name, const QStringList &lists, const QStringList &made,
                            const QStringList &entries) { QTest::newRow(name) << lists << made << entries; };
        const QString riot = "C:/Riot Games/League of Legends/lol.launcher.exe";
        const QString tencent = "C:/Program Files/腾讯游戏/英雄联盟/TCLS/Client.exe";
        const QString league = " League of Legends icon";
        row("Garena before Riot", {}, {"C:/Program Files (x86)/GarenaLoLTW/LoLTWLauncher.exe", riot},
            {"0 C://Program Files (x86)//GarenaLoLTW//LoLTWLauncher.exe" + league});
        row("Riot before Tencent", {}, {riot, tencent},
            {"0 C://Riot Games//League of Legends//lol.launcher.exe" + league});
        row("Tencent, no network", {}, {tencent},
            {"0 C://Program Files//腾讯游戏//英雄联盟//TCLS//Client.exe" + league});
        // Windows folders ignore letter case: there the two spellings are one
        // folder, the launcher's own, which is no game.
        QStringList directories{
            "1 C://Program Files (x86)//Origin Games//Sims Sims icon",
            "5 C://Program Files (x86)//Overwatch//Overwatch Launcher.exe Overwatch icon"};
        if (!on_windows)
            directories
                << "6 C://Program Files (x86)//Ubisoft//ubisoft game launcher ubisoft game launcher icon";
        row("directories and launchers", {},
            {"C:/Program Files (x86)/Origin Games/Sims/",
             "C:/Program Files (x86)/overwatch/overwatch launcher.exe",
             "C:/Program Files (x86)/Ubisoft/Ubisoft Game Launcher/",
             "C:/Program Files (x86)/Ubisoft/ubisoft game launcher/"},
            directories);
        // A folder name that the Windows path rules read as a way up is no game
        // folder. Only Linux can name a folder so.
        QStringList leading_out{"C:/Program Files (x86)/Origin Games/Real/", "C:/Program Files (x86)/Steal/"};
        if (!on_windows)
            leading_out << "~/wine/drive_c/Program Files (x86)/Origin Games/Real\\..\\..\\Steal/";
        row("folder names leading out", {}, leading_out,
            {"1 C://Program Files (x86)//Origin Games//Real Real icon"});
        // The League of Legends entry and the four fixed launchers take Order 0 to 4.
        const QString epic_games = "C:\\\\Program Files\\\\Epic Games\\\\";
        row("Epic manifests",
            {epic_folder + "A.item", epic("Starfall", epic_games + "Starfall", "Binaries/Win64/Starfall.exe"),
             epic_folder + "B.item", epic("Half Done", epic_games + "Half", "Half.exe", true),
             epic_folder + "C.item", epic("Way Up", epic_games + "Up", "..\\\\..\\\\Up.exe"),
             epic_folder + "D.item", epic("Iron\\n\\u0000Tide", "D:/Games/Iron Tide/", "IronTide.exe"),
             epic_folder + "E.txt", epic("Not A Manifest", "C:/Games/Text", "Text.exe"),
             epic_folder + "F.item", "{ damaged"},
            {starfall, "C:/Program Files/Epic Games/Half/Half.exe", "C:/Program Files/Up.exe",
             "C:/Program Files/Epic Games/Up/Up.txt", "D:/Games/Iron Tide/IronTide.exe",
             "C:/Games/Text/Text.exe"},
            {"5 " + starfall + " Starfall icon", "6 D:/Games/Iron Tide/IronTide.exe Iron Tide icon"});
        row("GOG registry keys",
            {gog_key,
             "[1207658924]\ngameName=Witcher\nexe=C:\\\\GOG Games\\\\Witcher\\\\witcher.exe\n"
             "path=C:\\\\GOG Games\\\\Elsewhere\nexeFile=other.exe\n"
             "[1207658925]\nGAMENAME=Gwent\nPath=C:/GOG Games/Gwent\nexefile=bin\\\\gwent.exe\n"
             "[1207658926]\ngameName=Escape\npath=C:/GOG Games/Escape\nexeFile=../../evil.exe\n"
             "[1207658927]\ngameName=Relative\nexe=GOG Games/relative.exe\n[1207658928]\ngameName=Nothing\n"},
            {"C:/GOG Games/Witcher/witcher.exe", "C:/GOG Games/Gwent/bin/gwent.exe", "C:/evil.exe",
             "C:/GOG Games/Escape/Escape.txt", "C:/GOG Games/Elsewhere/other.exe"},
            {"5 C:/GOG Games/Witcher/witcher.exe Witcher icon",
             "6 C:/GOG Games/Gwent/bin/gwent.exe Gwent icon"});
        // The same game in Heroic's and Legendary's list is one entry.
        const QString fortress = "Game/Binaries/Fortress.exe";
        row("Heroic and Legendary",
            {heroic_file,
             "{" +
                 legendary("Fort", "Fortress", "~/Games/Heroic/Fortress",
                           "Game\\\\Binaries\\\\Fortress.exe") +
                 ", " + legendary("Out", "Out", "~/Games/Heroic/Out", "../../../out.exe") + ", " +
                 legendary("Rel", "Relative", "Games/Relative", "rel.exe") + "}",
             "~/.config/legendary/installed.json",
             "{" + legendary("Cel", "Celeste", "~/Games/Celeste", "Celeste.exe") + ", " +
                 legendary("Fort", "Fortress", "~/Games/Heroic/Fortress", fortress) + "}"},
            {"~/Games/Heroic/Fortress/" + fortress, "~/Games/Celeste/Celeste.exe", "~/out.exe",
             "~/Games/Heroic/Out/Out.txt"},
            {"5 ~/Games/Heroic/Fortress/" + fortress + " Fortress icon",
             "6 ~/Games/Celeste/Celeste.exe Celeste icon"});
    }

    void launchers()
    {
        QFETCH(QStringList, lists);
        QFETCH(QStringList, made);
        QFETCH(QStringList, entries);
        for (int i = 0; i + 1 < lists.size(); i += 2) {
            if (lists.at(i).startsWith("\\HKEY"))
                machine->write_key(lists.at(i), lists.at(i + 1).toUtf8());
            else
                machine->write(lists.at(i), lists.at(i + 1));
        }
        machine->make(made);
        qunsetenv("XDG_CONFIG_HOME");
        const bool offline_steam = QByteArray(QTest::currentDataTag()).startsWith("Tencent");
        if (offline_steam)
            write_steam_key({"11"});
        programs.append({950, -1, 0, 0, false, {}, "/nowhere/tool", {}});
        scanner_c scanner(*record, !offline_steam);

        for (int scan = 1; scan <= 2; ++scan) {
            scanner.start_scan(&games, &programs);
            QCOMPARE(record->finished, scan);
            QCOMPARE(found(games), expected(entries));
            QVERIFY(programs.isEmpty());
        }
        QVERIFY(write_item_file(games, games_file_name));
        quick_launch_list_t saved;
        read_item_file(saved, games_file_name);
        QCOMPARE(found(saved), found(games));
        QCOMPARE(downloader_value("url"), QString());
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
                                                    "Binaries/Win64/Starfall.exe"));
        machine->write(heroic_file,
                       "{" + legendary("Fort", "Fortress", "~/Games/Heroic/Fortress", "Game/Fortress.exe") +
                           "}");
        // The hand-made entry's file exists too, or the scan would drop it.
        machine->make({starfall, "~/Games/Heroic/Fortress/Game/Fortress.exe", path});
        // As the add dialog makes it: no Scaned_Name.
        (in_games ? games : programs).append({950, 0, 0, 0, false, "Hand", machine->here(path), {}});
        qunsetenv("XDG_CONFIG_HOME");
        scanner_c scanner(*record, false);

        scanner.start_scan(&games, &programs);
        QCOMPARE(found(games + programs, false), expected(entries));
        QCOMPARE((in_games ? games : programs).first().ID, 950);
    }

    // Both shapes of answer give the same entries.
    void steam_lookup_data()
    {
        QTest::addColumn<bool>("public_shape");
        QTest::newRow("status and data") << true;
        QTest::newRow("success and apps") << false;
    }

    void steam_lookup()
    {
        QFETCH(bool, public_shape);
        local_http_server_c &service = public_shape ? server : older_server;
        qputenv("VORLA_WEB_BASE", service.base().toUtf8());
        service.targets.clear();
        write_steam_key({"11", "12", "13", "14", "15", "16", "17", "18", "19", "20"});
        // Ids 13 and 17 already have an entry, one in each list.
        games.append({913, -1, 1, 13, false, {}, {}, {}});
        programs.append({917, -1, 1, 17, false, {}, {}, {}});
        scanner_c scanner(*record);
        QCOMPARE(scanner.steam_app_count(), 10);

        scanner.start_scan(&games, &programs);
        QCOMPARE(record->finished, 0);
        QTRY_COMPARE_WITH_TIMEOUT(record->finished, 1, 60000);
        QCOMPARE(record->steps, (QList<int>{1, 2, 4, 5, 6, 8, 9, 10}));
        QCOMPARE(service.targets, targets({11, 12, 14, 15, 16, 18, 19, 20}));
        // League of Legends and the four launchers took Order 1 to 5 before they were dropped.
        const QStringList entries{"6 11 Game 11 icon", "7 12 Game 12 icon", "-1 14 Soundtrack dlc",
                                  "-1 15 Server dlc"};
        QCOMPARE(found(games), entries);
        QCOMPARE(games.at(1).Game_Path, steam_path);
        QCOMPARE(pictures().size(), 2);
        const QString answer_file = global_func_c::shared()->icon_directory() + "steam_web_page.txt";
        const QStringList log = caught_log.filter("scan game file");
        QCOMPARE(log.size(), 2);
        QVERIFY2(log.at(0).startsWith("scan game file: web page json error, "), qPrintable(log.at(0)));
        QCOMPARE(log.at(1), "scan game file: dest file not exist, " + answer_file);
        QVERIFY(!QFile::exists(answer_file));
        QCOMPARE(downloader_value("url"), QString());

        // Only the ids without an entry are asked for again, and nothing is added.
        service.targets.clear();
        scan(scanner);
        QCOMPARE(service.targets, targets({16, 18, 19, 20}));
        QCOMPARE(found(games), entries);
        QCOMPARE(record->cancelled, 0);
    }

    // Nothing an answer says reaches outside Steam's icon folder or grows the
    // item file beyond what its reader takes; the list survives a save and a restart.
    void hostile_answers()
    {
        const QStringList refused{"../../x", hex_icon.left(39), hex_icon + "4", "z" + hex_icon.mid(1)};
        write_steam_key({"31", "32", "33", "34", "35", "36", "37", "38", "39"},
                        refused + QStringList{hex_icon});
        scanner_c scanner(*record);

        scanner.start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(record->finished, 1, 120000);
        const QStringList entries{"5 31 Up",    "6 32 Nul",     "7 33 Short",
                                  "8 34 Long",  "9 35 Not hex", "10 36 " + QString(255, 'n') + " icon",
                                  "-1 38  dlc", "-1 39  dlc"};
        QCOMPARE(found(games), entries);
        QCOMPARE(pictures().size(), 1);
        QStringList log;
        for (int id : {31, 32, 33, 34, 35, 37, 38})
            log << QStringLiteral("scan game file: client icon refused, %1").arg(id);
        log[5] = "scan game file: web page too large, 37";
        QCOMPARE(caught_log.filter("scan game file"), log);

        write_item_file(games, games_file_name);
        QVERIFY(QFileInfo(global_func_c::shared()->icon_directory() + games_file_name).size() < 20000);
        quick_launch_list_t read_back;
        read_item_file(read_back, games_file_name);
        QStringList expected = entries;
        QStringList read = found(read_back);
        expected.sort();
        read.sort();
        QCOMPARE(read, expected);
    }

    // What is asked of the service. A template in the downloader's store names
    // it; every %1 in it becomes the id and nothing else changes, and one
    // without %1 is no template. An application is asked for once, whatever
    // spelling of its id the registry holds, and not at all when either list
    // has it (17). A job the downloader would not find must not start it: it
    // would fetch the previous job's address and hand over another
    // application's answer; Windows keeps the job in the registry, out of that
    // fault's reach, so there the service is asked and knows neither id.
    void requests_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("url_template"); // "<base>" is the test's server, then the only way to it
        QTest::addColumn<QStringList>("requested");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("logged"); // how each line starts
        const QStringList game_11{"5 11 Game 11 icon"};
        QTest::newRow("template from the store, exactly")
            << QStringList{"11"} << "<base>/lookup/%1.json?id=%1" << QStringList{"/lookup/11.json?id=11"}
            << game_11 << QStringList();
        QTest::newRow("template without %1")
            << QStringList{"11"} << "http://elsewhere/lookup/11.json" << targets({11}) << game_11
            << QStringList{"scan game file: url template without %1 ignored"};
        QTest::newRow("one spelling of an id")
            << QStringList{"620", "0620", "17"} << QString() << QStringList{"/v1/info/0620"}
            << QStringList{"5 620 Portal icon"} << QStringList();
        QTest::newRow("job not written")
            << QStringList{"41", "42"} << QString() << (on_windows ? targets({41, 42}) : QStringList())
            << QStringList()
            << (on_windows ? QStringList{"scan game file: dest file not exist, ",
                                         "scan game file: dest file not exist, "}
                           : QStringList{"scan game file: download job not written, "});
    }

    void requests()
    {
        QFETCH(QStringList, ids);
        QFETCH(QString, url_template);
        QFETCH(QStringList, requested);
        QFETCH(QStringList, entries);
        QFETCH(QStringList, logged);
        write_steam_key(ids);
        programs.append({917, 0, 1, 17, false, "Seventeen", "C:/Steam", "Seventeen"});
        if (url_template.startsWith("<base>"))
            qunsetenv("VORLA_WEB_BASE");
        url_template.replace("<base>", server.base());
        if (!url_template.isEmpty())
            QSettings("Mirvek", "VORLA_Downloader").setValue("url_template", url_template);
        if (QTest::currentDataTag() == QByteArray("job not written"))
            durable_file_c::inject_fault(
                [](const QString &path) { return path.contains("VORLA_Downloader"); });
        scanner_c scanner(*record);
        scan(scanner);
        durable_file_c::inject_fault(nullptr);
        QCOMPARE(server.targets, requested);
        QCOMPARE(found(games + programs), entries);
        const QStringList log = caught_log.filter("scan game file");
        QCOMPARE(log.size(), logged.size());
        for (int i = 0; i < log.size(); ++i)
            QVERIFY2(log.at(i).startsWith(logged.at(i)), qPrintable(log.at(i)));
        // Writing the jobs keeps it for the next scan.
        QCOMPARE(downloader_value("url_template"), url_template);
    }

    void interrupted_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("cancel") << false;
        QTest::newRow("scanner deleted") << true;
    }

    void interrupted()
    {
        QFETCH(bool, deleted);
        write_steam_key({"21", "22", "23"});
        auto scanner = std::make_unique<scanner_c>(*record);

        scanner->start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(server.targets, targets({21, 22}), 30000);
        if (deleted) {
            scanner.reset();
            QThreadPool::globalInstance()->waitForDone();
            QCoreApplication::sendPostedEvents();
            QCOMPARE(games.size(), 5); // the launcher entries only
        } else {
            // The download under way ends at once, whatever the service does.
            scanner->cancel();
            QTRY_COMPARE_WITH_TIMEOUT(record->cancelled, 1, 1000);
            // The first answer was read; its entry was built before the cancel was seen.
            QCOMPARE(found(games).last(), "5 21 Game 21");
        }
        QCOMPARE(record->cancelled, deleted ? 0 : 1);
        QCOMPARE(record->finished, 0);
        QCOMPARE(server.targets, targets({21, 22}));
        QCOMPARE(pictures(), QStringList());
        QCOMPARE(record->steps, QList<int>{1});
    }

    // Steam's own files. Every layout of appinfo.vdf, and damage that must read as "not known here".
    void steam_files_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QStringList>("expected");
        const QStringList all{"700010 Game Ten game " + icon_a, "700011 Ten Soundtrack DLC " + icon_b,
                              "700012 Editor Tool "};
        for (quint32 magic : magics)
            QTest::addRow("%x", magic) << steam_fixture::app_info(magic, library()) << all;

        const QByteArray table = steam_fixture::app_info(steam_local::app_info_magic_29, library());
        const QByteArray old = steam_fixture::app_info(steam_local::app_info_magic_28, library());
        const auto changed = [](QByteArray image, int at, auto value) {
            qToLittleEndian(value, image.data() + at);
            return image;
        };
        QTest::newRow("unknown magic") << QByteArray(table).replace(0, 1, "\x2a") << QStringList();
        QTest::newRow("cut inside the last entry") << old.left(old.size() - 30) << QStringList(all.mid(0, 2));
        QTest::newRow("cut inside the header") << old.left(6) << QStringList();
        const int table_at = qFromLittleEndian<quint32>(table.constData() + 8);
        // Only "appinfo" stays in the table; every other key's index is out of range.
        QTest::newRow("string index out of range") << changed(table, table_at, quint32(1)) << QStringList();
        QTest::newRow("two million strings")
            << changed(table + QByteArray(2 * 1024 * 1024, '\0'), table_at, quint32(2 * 1024 * 1024))
            << QStringList();
        QTest::newRow("string table beyond the end") << changed(table, 8, quint64(1) << 40) << QStringList();
        QTest::newRow("string table before the start")
            << changed(table, 8, std::numeric_limits<qint64>::min() + 537) << QStringList();
        QList<app_t> huge = library();
        huge[0].name = QString(10 * 1024 * 1024, 'x');
        QTest::newRow("10 MB token") << steam_fixture::app_info(steam_local::app_info_magic_27, huge)
                                     << QStringList(all.mid(1));
        // The "appinfo" section's type byte of the first entry becomes one no layout has.
        QTest::newRow("unknown value type")
            << QByteArray(old).replace(8 + 8 + 60, 1, "\x42") << QStringList(all.mid(1));
        QTest::newRow("entry larger than the file") << changed(old, 12, quint32(0xfffffff0)) << QStringList();

        // Library folders and manifests: the rows' names say which.
        QTest::newRow("folders") << steam_fixture::library_folders({"/a", "D:\\Steam Library"})
                                 << QStringList{"/a", "D:\\Steam Library"};
        QTest::newRow("folders, older clients")
            << QByteArray("\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" \"E:\\\\Games\" }")
            << QStringList{"E:\\Games"};
        QTest::newRow("folders, cut")
            << QByteArray("\"libraryfolders\" { \"0\" { \"path\" \"/a\" } \"1\" { \"path\" ")
            << QStringList{"/a"};
        app_t app{1, "Name \"quoted\"", "game", QString(), "Folder", 0, 4};
        QTest::newRow("manifest, installed")
            << steam_fixture::manifest(app) << QStringList{app.name, "Folder", "1"};
        app.state_flags = 1026;
        QTest::newRow("manifest, update running")
            << steam_fixture::manifest(app) << QStringList{app.name, "Folder", "0"};
        app.install_dir = "../../elsewhere";
        app.state_flags = 6;
        QTest::newRow("manifest, folder leading out")
            << steam_fixture::manifest(app) << QStringList{app.name, "", "1"};
        QTest::newRow("manifest, no AppState")
            << QByteArray("\"name\" \"x\" \"StateFlags\" \"4\"") << QStringList{"", "", "0"};
    }

    void steam_files()
    {
        QFETCH(QByteArray, image);
        QFETCH(QStringList, expected);
        const QByteArray tag = QTest::currentDataTag();
        QStringList read;
        if (tag.startsWith("folders")) {
            read = steam_local::read_library_folders(image);
        } else if (tag.startsWith("manifest")) {
            const steam_local::manifest_t manifest = steam_local::read_manifest(image);
            read = QStringList{manifest.name, manifest.install_dir, QString::number(manifest.installed)};
        } else {
            const auto infos = steam_local::read_app_info(image, {700010, 700011, 700012, 700020});
            for (quint32 id : {700010u, 700011u, 700012u, 700020u})
                if (infos.contains(id))
                    read << QStringLiteral("%1 %2 %3 %4")
                                .arg(id)
                                .arg(infos[id].name, infos[id].type, infos[id].client_icon);
        }
        QCOMPARE(read, expected);
    }

    // A whole scan: what Steam's files tell is never downloaded; the rest is.
    // Nothing that is not installed: the key's Installed 0 counts unless a
    // manifest says the download is complete. The Linux client keeps the same
    // values in registry.vdf.
    void files_scan_data()
    {
        QTest::addColumn<files_scan_t>("c");
        const QStringList local{"5 700010 Game Ten icon", "-1 700011 Ten Soundtrack dlc",
                                "-1 700012 Editor dlc"};
        const QStringList downloads{"700020", "700030"};
        for (quint32 magic : magics)
            QTest::addRow("%x", magic) << files_scan_t{magic, true, 1, false, downloads, local};
        QTest::newRow("29, offline") << files_scan_t{magics.last(), false, 1, false, {}, local};
        QTest::newRow("unknown magic") << files_scan_t{
            0x07564430, true, 1, false, {"700010", "700011", "700012", "700020", "700030"}, {}};
        const QStringList installed{"5 700010 Game Ten icon"};
        QTest::newRow("not installed, registry key")
            << files_scan_t{magics.last(), true, 0, false, downloads, installed};
        // Windows has no registry.vdf: without the key there is no Steam.
        QTest::newRow("not installed, registry.vdf") << files_scan_t{magics.last(),
                                                                     true,
                                                                     0,
                                                                     true,
                                                                     on_windows ? QStringList() : downloads,
                                                                     on_windows ? QStringList() : installed};
    }

    void files_scan()
    {
        QFETCH(files_scan_t, c);
        QList<app_t> apps = library();
        apps[1].state_flags = 1026; // the DLC is being updated
        apps[2].library = -1;       // the tool has no manifest
        apps[3].library = 1;        // found through libraryfolders.vdf
        QVariantMap installed{{"700030", 1}};
        for (const app_t &app : std::as_const(apps))
            installed.insert(QString::number(app.id), c.installed);
        QString path = steam_path;
        // The second library as the Windows client spells it, on another drive.
        QString second = machine->here("D:/Library").replace('/', '\\');
        if (c.vdf) {
            QString text = "\"Registry\" { \"HKCU\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" {";
            for (auto it = installed.cbegin(); it != installed.cend(); ++it)
                text += " \"" + it.key() + "\" { \"installed\" \"" + it.value().toString() + "\" }";
            machine->write("~/.steam/registry.vdf", text + "} } } } } }");
            QVERIFY(QDir(machine->path()).mkpath(".local/share/Steam"));
            path = QFileInfo(machine->here("~/.local/share/Steam")).canonicalFilePath();
            second = machine->here("~/Library");
            machine->write_steam(path, {}, {icon_a, icon_b});
            machine->remove_key(steam_key);
        } else {
            machine->write_steam(path, installed, {icon_a, icon_b});
        }
        QVERIFY(steam_fixture::write_installation(path, {path, second}, apps, c.magic));
        scanner_c scanner(*record, c.network);

        scan(scanner);
        QCOMPARE(requested(), c.downloads);
        QCOMPARE(found(games), c.entries);
        if (!c.vdf || !on_windows)
            QCOMPARE(caught_log.filter("Steam applications:"),
                     QStringList{QStringLiteral("Vorla Connect : Steam applications: %1 read from Steam's "
                                                "files, %2 downloads ran")
                                     .arg(c.entries.size())
                                     .arg(c.downloads.size())});
        // A second scan finds everything in the lists already.
        server.targets.clear();
        scan(scanner);
        QCOMPARE(requested(), c.downloads);
        QCOMPARE(found(games), c.entries);
    }

    // The Linux client's games are found by their folders, before the Steam
    // phase, which then leaves them alone; tools with folders are no games.
    // On Windows every Steam folder is the Windows client's.
    void native_games()
    {
        const QString steam = machine->here("~/Steam");
        const QString second = machine->here("~/Library");
        QList<app_t> apps = library();
        apps[2].library = 1;
        apps.append({700040, "Native Two", "Game", QString(), "Native Two", 1});
        machine->write_steam(steam, {{"700010", 1}, {"700011", 1}, {"700012", 1}, {"700040", 1}},
                             {icon_a, icon_b});
        QVERIFY(steam_fixture::write_installation(steam, {steam, second}, apps));
        for (const QString &folder :
             QStringList{steam + "/steamapps/common/Game Ten", second + "/steamapps/common/Editor",
                         second + "/steamapps/common/Native Two"})
            QVERIFY(QDir().mkpath(folder));
        scanner_c scanner(*record);

        const QStringList entries =
            on_windows ? QStringList{"5 700010 Game Ten icon", "-1 700011 Ten Soundtrack dlc",
                                     "-1 700012 Editor dlc", "8 700040 Native Two"}
                       : QStringList{"5 " + steam + "/steamapps/common/Game Ten Game Ten icon",
                                     "6 " + second + "/steamapps/common/Native Two Native Two icon",
                                     "-1 700011 Ten Soundtrack dlc", "-1 700012 Editor dlc"};
        scan(scanner);
        QCOMPARE(requested(), QStringList());
        QCOMPARE(found(games), entries);
        scan(scanner);
        QCOMPARE(found(games), entries);
    }
};

QTEST_MAIN(tst_program_scanner)
#include "tst_program_scanner.moc"
