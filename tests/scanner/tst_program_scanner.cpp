// The platform layer and the program scanner that reads the machine through it.
#include "common/durable_file_c.h"
#include "common/global_func_c.h"
#include "tests/scanner/local_http_server.h"
#include "tests/scanner/scan_fixture.h"

#include <QtTest>

#include <memory>

using namespace scan_fixture;

namespace {
const QString steam_path = QStringLiteral("C:/Program Files (x86)/Steam");

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

// Where the public service is asked by default.
QString target(int id)
{
    return QStringLiteral("/v1/info/%1").arg(id);
}

// Steam names its icons by 40 hexadecimal digits.
QString icon_name(int id)
{
    return QStringLiteral("%1").arg(id, 40, 10, QLatin1Char('0'));
}

const QString hex_icon = QStringLiteral("0123456789abcdef0123456789ABCDEF01234567");
// A name whose 256th unit starts a surrogate pair.
const QString long_name = QString(255, 'n') + QString::fromUtf8("\xF0\x9F\x98\x80") + QString(100000, 'm');

QStringList targets(std::initializer_list<int> ids)
{
    QStringList result;
    for (int id : ids)
        result << target(id);
    return result;
}

// The answer for one application in the public service's shape or in the
// older "success"/"apps" one.
QByteArray answer_body(const QString &id, const QJsonObject &entry, bool public_shape)
{
    const QJsonObject apps{{id, entry}};
    return QJsonDocument(public_shape ? QJsonObject{{"status", "success"}, {"data", apps}}
                                      : QJsonObject{{"success", 1}, {"apps", apps}})
        .toJson();
}

// Answers shaped like the service's: games with both spellings of "type", a
// DLC, a tool, no JSON ("16"), an HTTP error ("18"), else an unknown id. The
// answer for "22" comes late enough to act while it downloads.
local_http_server_c::answers_t service_answers(bool public_shape = true)
{
    static const QHash<int, QStringList> apps{{11, {"Game 11", "game"}},   {12, {"Game 12", "Game"}},
                                              {14, {"Soundtrack", "DLC"}}, {15, {"Server", "Tool"}},
                                              {21, {"Game 21", "game"}},   {22, {"Game 22", "game"}}};
    local_http_server_c::answers_t answers;
    for (int id = 11; id <= 23; ++id) {
        const QString key = QString::number(id);
        const QJsonObject failed =
            public_shape ? QJsonObject{{"status", "failed"}} : QJsonObject{{"success", 2}};
        answers[target(id)].body = QJsonDocument(failed).toJson();
        if (apps.contains(id)) {
            const QJsonObject common{
                {"name", apps[id][0]}, {"type", apps[id][1]}, {"clienticon", icon_name(id)}};
            answers[target(id)].body = answer_body(key, {{"appid", key}, {"common", common}}, public_shape);
        }
    }
    answers[target(16)].body = "<html>Service busy</html>";
    answers[target(18)].status = 503;
    answers[target(22)].delay_ms = 5000;
    answers["/lookup/11.json?id=11"] = answers[target(11)];

    // Hostile answers: icons that lead out of Steam's icon folder or are no
    // icon name, an oversized name, an oversized answer, values of wrong types.
    const auto game = [](int id, const QJsonValue &name, const QJsonValue &type, const QJsonValue &icon) {
        const QJsonObject common{{"name", name}, {"type", type}, {"clienticon", icon}};
        const QJsonObject apps{{QString::number(id), QJsonObject{{"common", common}}}};
        return QJsonDocument(QJsonObject{{"success", 1}, {"apps", apps}}).toJson();
    };
    answers[target(31)].body = game(31, "Up", "game", "../../x");
    answers[target(32)].body = game(32, "Nul", "game", QString(hex_icon + QChar(0)));
    answers[target(33)].body = game(33, "Short", "game", hex_icon.left(39));
    answers[target(34)].body = game(34, "Long", "game", QString(hex_icon + "4"));
    answers[target(35)].body = game(35, "Not hex", "game", QString("z" + hex_icon.mid(1)));
    answers[target(36)].body = game(36, long_name, "Game", hex_icon);
    answers[target(37)].body = game(37, QString(30 * 1024 * 1024, 'h'), "game", hex_icon);
    answers[target(38)].body = game(38, QJsonArray{"x"}, QJsonObject{{"a", 1}}, 5);
    answers[target(39)].body = "{\"success\": \"1\", \"apps\": [39]}";
    return answers;
}

// Steam's key and section from the Linux client's file, or from the registry.
struct registry_case_t
{
    QByteArray ini;          // the key's values, none for no key
    QByteArray vdf;          // ~/.steam/registry.vdf
    QStringList folders;     // under ~
    QString link;            // ~/.steam/steam leads there
    QString key = steam_key; // where ini goes
    QString path;            // SteamPath read, "~/" resolved
    QStringList ids;
};
} // namespace

Q_DECLARE_METATYPE(registry_case_t)

class tst_program_scanner : public QObject
{
    Q_OBJECT

    std::unique_ptr<machine_c> machine;
    std::unique_ptr<scan_record_t> record;
    local_http_server_c server{service_answers()};
    local_http_server_c older_server{service_answers(false)};
    quick_launch_list_t games;
    quick_launch_list_t programs;

    void write_steam_key(const QStringList &ids, const QStringList &icons = {})
    {
        QVariantMap installed;
        QStringList all_icons = icons;
        for (const QString &id : ids) {
            installed.insert(id, 1);
            all_icons.append(icon_name(id.toInt()));
        }
        machine->write_steam(steam_path, installed, all_icons);
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
        catch_log("scan game file");
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
    }

    // The platform layer: Steam's registry as Wine or the Linux client keeps it, and Windows paths.
    void steam_registry_data()
    {
        QTest::addColumn<registry_case_t>("c");
        const QByteArray ini = "[General]\nSteamPath=c:/program files (x86)/steam\n[Apps]\n10\\Installed=1\n"
                               "20\\Installed=0\n";
        QTest::newRow("registry key, Linux client ignored") << registry_case_t{
            ini,         registry_vdf, {".local/share/Steam"}, {}, steam_key, "c:/program files (x86)/steam",
            {"10", "20"}};
        QTest::newRow("registry key in other letter case")
            << registry_case_t{"[General]\nsteampath=D:/Steam\n[apps]\n30\\Installed=1\n",
                               {},
                               {},
                               {},
                               "\\hkey_current_user\\Software\\valve\\steam",
                               "D:/Steam",
                               {"30"}};
        QTest::newRow("Linux client through its link")
            << registry_case_t{{},
                               registry_vdf,
                               {"apps/Steam", ".local/share/Steam"},
                               "apps/Steam",
                               steam_key,
                               "~/apps/Steam",
                               {"228980", "620"}};
        QTest::newRow("Linux client without link")
            << registry_case_t{{},        registry_vdf,           {".local/share/Steam"}, {},
                               steam_key, "~/.local/share/Steam", {"228980", "620"}};
        // Also a comment, a condition, escapes, a repeated id and a value that is no id.
        QTest::newRow("damaged vdf") << registry_case_t{
            {},
            "// by hand\n\"registry\" { \"hkcu\" { \"software\" { \"valve\" { \"steam\" { \"Apps\" [$LINUX] {"
            " \"7\" { \"name\" \"\\\"a\\\" {\" } \"7\" { } \"Seven\" \"x\" \"8\" { \"installed\" ",
            {},
            {},
            steam_key,
            {},
            {"7", "8"}};
        // A path cut where a surrogate pair starts; ids that are no application
        // number (they go into requests) are left out.
        const QByteArray long_path = QByteArray(4095, 'p') + "\\xd83d\\xde00" + QByteArray(9000, 'q');
        QTest::newRow("oversized path, hostile ids")
            << registry_case_t{"[General]\nSteamPath=" + long_path +
                                   "\n[Apps]\n10\\Installed=1\n1&x=2\\Installed=1\n..%5Cx\\Installed=1\n"
                                   "99999999999\\Installed=1\n-1\\Installed=1\n",
                               {},
                               {},
                               {},
                               steam_key,
                               QString(4095, 'p'),
                               {"10"}};
        QTest::newRow("hostile ids in the vdf")
            << registry_case_t{{},
                               "\"registry\" { \"hkcu\" { \"software\" { \"valve\" { \"steam\" { \"apps\" {"
                               " \"..\\\\..\\\\x\" { } \"620\" { } \"\" { } \"6 2\" { } } } } } } }",
                               {},
                               {},
                               steam_key,
                               {},
                               {"620"}};
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
        QCOMPARE(steam.app_ids, c.ids);
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

    // Without a Steam lookup the scan ends inside start_scan, and no download starts.
    void launchers_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("offline");
        QTest::addColumn<QStringList>("entries");
        const QString riot = "C:/Riot Games/League of Legends/lol.launcher.exe";
        const QString tencent = "C:/Program Files/腾讯游戏/英雄联盟/TCLS/Client.exe";
        const QString league = " League of Legends icon";
        // Windows folders ignore letter case: there the two spellings are one
        // folder, the launcher's own, which is no game.
        QStringList directories{
            "1 C://Program Files (x86)//Origin Games//Sims Sims icon",
            "5 C://Program Files (x86)//Overwatch//Overwatch Launcher.exe Overwatch icon"};
        if (!on_windows)
            directories
                << "6 C://Program Files (x86)//Ubisoft//ubisoft game launcher ubisoft game launcher icon";
        QTest::newRow("Garena before Riot")
            << QStringList{"C:/Program Files (x86)/GarenaLoLTW/LoLTWLauncher.exe", riot} << false
            << QStringList{"0 C://Program Files (x86)//GarenaLoLTW//LoLTWLauncher.exe" + league};
        QTest::newRow("Riot before Tencent")
            << QStringList{riot, tencent} << false
            << QStringList{"0 C://Riot Games//League of Legends//lol.launcher.exe" + league};
        QTest::newRow("Tencent, no network")
            << QStringList{tencent} << true
            << QStringList{"0 C://Program Files//腾讯游戏//英雄联盟//TCLS//Client.exe" + league};
        QTest::newRow("directories and launchers")
            << QStringList{"C:/Program Files (x86)/Origin Games/Sims/",
                           "C:/Program Files (x86)/overwatch/overwatch launcher.exe",
                           "C:/Program Files (x86)/Ubisoft/Ubisoft Game Launcher/",
                           "C:/Program Files (x86)/Ubisoft/ubisoft game launcher/"}
            << false << directories;
        // A folder name that the Windows path rules read as a way up is no game
        // folder. Only Linux can name a folder so.
        QStringList leading_out{"C:/Program Files (x86)/Origin Games/Real/", "C:/Program Files (x86)/Steal/"};
        if (!on_windows)
            leading_out << "~/wine/drive_c/Program Files (x86)/Origin Games/Real\\..\\..\\Steal/";
        QTest::newRow("folder names leading out")
            << leading_out << false << QStringList{"1 C://Program Files (x86)//Origin Games//Real Real icon"};
    }

    void launchers()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, offline);
        QFETCH(QStringList, entries);
        machine->make(files);
        programs.append({950, -1, 0, 0, false, {}, "/nowhere/tool", {}});
        scanner_c scanner(*record);
        if (offline)
            write_steam_key({"11"});
        scanner.network = !offline;

        for (int scan = 1; scan <= 2; ++scan) {
            scanner.start_scan(&games, &programs);
            QCOMPARE(record->finished, scan);
            QCOMPARE(found(games), entries);
            QVERIFY(programs.isEmpty());
        }
        QCOMPARE(downloader_value("url"), QString());
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
        QCOMPARE(caught_log.size(), 2);
        QVERIFY2(caught_log.at(0).startsWith("scan game file: web page json error, "),
                 qPrintable(caught_log.at(0)));
        QCOMPARE(caught_log.at(1), "scan game file: dest file not exist, " + answer_file);
        QVERIFY(!QFile::exists(answer_file));
        QCOMPARE(downloader_value("url"), QString());

        // Only the ids without an entry are asked for again, and nothing is added.
        service.targets.clear();
        scanner.start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(record->finished, 2, 60000);
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
        QCOMPARE(caught_log, log);

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

    // A template in the downloader's store names the service; every %1 in it
    // becomes the id and nothing else changes. One without %1 is no template.
    void request_template_data()
    {
        QTest::addColumn<QString>("url_template"); // "<base>" stands for the test's server
        QTest::addColumn<bool>("redirected");      // through VORLA_WEB_BASE, which keeps path and query
        QTest::addColumn<QString>("requested");
        QTest::addColumn<int>("logged");
        QTest::newRow("from the store, exactly")
            << "<base>/lookup/%1.json?id=%1" << false << "/lookup/11.json?id=11" << 0;
        QTest::newRow("without %1: the public service") << "<base>/lookup/11.json" << true << target(11) << 1;
    }

    void request_template()
    {
        QFETCH(QString, url_template);
        QFETCH(bool, redirected);
        QFETCH(QString, requested);
        QFETCH(int, logged);
        url_template.replace("<base>", server.base());
        write_steam_key({"11"});
        QSettings("Mirvek", "VORLA_Downloader").setValue("url_template", url_template);
        if (!redirected)
            qunsetenv("VORLA_WEB_BASE");
        scanner_c scanner(*record);
        scanner.start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(record->finished, 1, 60000);
        QCOMPARE(server.targets, QStringList{requested});
        QCOMPARE(found(games), QStringList{"5 11 Game 11 icon"});
        QCOMPARE(caught_log.size(), logged);
        // Writing the jobs keeps it for the next scan.
        QCOMPARE(downloader_value("url_template"), url_template);
    }

    // A job the downloader would not find must not start it: it would fetch the
    // previous job's address and hand over another application's answer.
    void job_not_written()
    {
        write_steam_key({"41", "42"});
        durable_file_c::inject_fault([](const QString &path) { return path.contains("VORLA_Downloader"); });
        scanner_c scanner(*record);
        scanner.start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(record->finished, 1, 60000);
        durable_file_c::inject_fault(nullptr);
        // Windows keeps the job in the registry, out of this fault's reach.
        if (on_windows) {
            QCOMPARE(server.targets, targets({41, 42}));
            return;
        }
        QCOMPARE(server.targets, targets({}));
        QCOMPARE(found(games), QStringList());
        QCOMPARE(caught_log.size(), 1);
        QVERIFY2(caught_log.first().startsWith("scan game file: download job not written, "),
                 qPrintable(caught_log.first()));
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
};

QTEST_MAIN(tst_program_scanner)
#include "tst_program_scanner.moc"
