// Steam's own files (library folders, manifests, appinfo.vdf) as the scanner
// reads them before it downloads anything.
#include "common/global_func_c.h"
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
// The Windows client under Wine: its games are Steam applications.
const QString steam_path = QStringLiteral("C:/Program Files (x86)/Steam");
const QString icon_a = QStringLiteral("0123456789abcdef0123456789abcdef01234567");
const QString icon_b = QStringLiteral("89abcdef0123456789abcdef0123456789ABCDEF");

// A game, a DLC and a tool in two libraries, and a game Steam's cache does not know.
QList<app_t> library()
{
    app_t game{700010, "Game Ten", "game", icon_a, "Game Ten", 0};
    app_t dlc{700011, "Ten Soundtrack", "DLC", icon_b, "Game Ten", 1};
    app_t tool{700012, "Editor", "Tool", QString(), "Editor", 1};
    app_t unknown{700020, "Web Only", "game", QString(), "Web Only", 0};
    unknown.in_app_info = false;
    return {game, dlc, tool, unknown};
}

quint32 le32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class tst_steam_local : public QObject
{
    Q_OBJECT

    std::unique_ptr<machine_c> machine;
    scan_record_t record;
    // Knows no application: every download fails, and each shows as a request.
    local_http_server_c server{local_http_server_c::answers_t()};

    void write_key(const QString &path, const QVariantMap &installed)
    {
        machine->write_steam(path, installed, {icon_a, icon_b});
    }

    // Application ids asked of the service, in order.
    QStringList requested() const
    {
        QStringList ids;
        const QRegularExpression id("\\d{6}");
        for (const QString &target : server.targets)
            ids.append(id.match(target).captured());
        return ids;
    }

    void scan(scanner_c &scanner, quick_launch_list_t &games, quick_launch_list_t &programs)
    {
        const int before = record.finished;
        scanner.start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(record.finished, before + 1, 60000);
    }

private slots:
    void initTestCase()
    {
        global_func_c::shared()->initialise();
        QVERIFY(server.is_listening());
        qputenv("VORLA_WEB_BASE", server.base().toUtf8());
        catch_log("Steam applications:");
    }

    void init()
    {
        machine = std::make_unique<machine_c>();
        QDir(global_func_c::shared()->icon_directory()).removeRecursively();
        server.targets.clear();
        caught_log.clear();
    }

    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        machine.reset();
    }

    // Every layout of appinfo.vdf, and damage that must read as "not known here".
    void app_info_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QStringList>("expected");

        const QStringList all{"700010 Game Ten game " + icon_a, "700011 Ten Soundtrack DLC " + icon_b,
                              "700012 Editor Tool "};
        const QList<quint32> magics{steam_local::app_info_magic_26, steam_local::app_info_magic_27,
                                    steam_local::app_info_magic_28, steam_local::app_info_magic_29};
        for (quint32 magic : magics)
            QTest::addRow("%x", magic) << steam_fixture::app_info(magic, library()) << all;

        QByteArray unknown = steam_fixture::app_info(steam_local::app_info_magic_29, library());
        unknown[0] = '\x2a';
        QTest::newRow("unknown magic") << unknown << QStringList();
        const QByteArray old = steam_fixture::app_info(steam_local::app_info_magic_28, library());
        QTest::newRow("cut inside the last entry") << old.left(old.size() - 30) << QStringList(all.mid(0, 2));
        QTest::newRow("cut inside the header") << old.left(6) << QStringList();
        QByteArray table = steam_fixture::app_info(steam_local::app_info_magic_29, library());
        const int table_at = int(le32(table, 8));
        QByteArray short_table = table;
        // Only "appinfo" stays in the table; every other key's index is out of range.
        qToLittleEndian(quint32(1), short_table.data() + table_at);
        QTest::newRow("string index out of range") << short_table << QStringList();
        QByteArray many_strings = table + QByteArray(2 * 1024 * 1024, '\0');
        qToLittleEndian(quint32(2 * 1024 * 1024), many_strings.data() + table_at);
        QTest::newRow("two million strings") << many_strings << QStringList();
        QByteArray far_table = table;
        qToLittleEndian(quint64(1) << 40, far_table.data() + 8);
        QTest::newRow("string table beyond the end") << far_table << QStringList();
        QByteArray negative_table = table;
        qToLittleEndian(std::numeric_limits<qint64>::min() + 537, negative_table.data() + 8);
        QTest::newRow("string table before the start") << negative_table << QStringList();
        QList<app_t> huge = library();
        huge[0].name = QString(10 * 1024 * 1024, 'x');
        QTest::newRow("10 MB token") << steam_fixture::app_info(steam_local::app_info_magic_27, huge)
                                     << QStringList(all.mid(1));
        QByteArray bad_type = old;
        // The "appinfo" section's type byte of the first entry becomes one no layout has.
        bad_type[8 + 8 + 60] = '\x42';
        QTest::newRow("unknown value type") << bad_type << QStringList(all.mid(1));
        QByteArray long_entry = old;
        qToLittleEndian(quint32(0xfffffff0), long_entry.data() + 12);
        QTest::newRow("entry larger than the file") << long_entry << QStringList();
    }

    void app_info()
    {
        QFETCH(QByteArray, image);
        QFETCH(QStringList, expected);
        const auto infos = steam_local::read_app_info(image, {700010, 700011, 700012, 700020});
        QStringList read;
        for (quint32 id : {700010u, 700011u, 700012u, 700020u})
            if (infos.contains(id))
                read << QStringLiteral("%1 %2 %3 %4")
                            .arg(id)
                            .arg(infos[id].name, infos[id].type, infos[id].client_icon);
        QCOMPARE(read, expected);
    }

    void text_files_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folders") << steam_fixture::library_folders({"/a", "D:\\Steam Library"})
                                 << "/a|D:\\Steam Library";
        QTest::newRow("folders, older clients")
            << QByteArray("\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" \"E:\\\\Games\" }")
            << "E:\\Games";
        QTest::newRow("folders, cut")
            << QByteArray("\"libraryfolders\" { \"0\" { \"path\" \"/a\" } \"1\" { \"path\" ") << "/a";
        app_t app{1, "Name \"quoted\"", "game", QString(), "Folder", 0, 4};
        QTest::newRow("installed") << steam_fixture::manifest(app) << "Name \"quoted\"|Folder|1";
        app.state_flags = 1026;
        QTest::newRow("update running") << steam_fixture::manifest(app) << "Name \"quoted\"|Folder|0";
        app.install_dir = "../../elsewhere";
        app.state_flags = 6;
        QTest::newRow("folder leading out") << steam_fixture::manifest(app) << "Name \"quoted\"||1";
        QTest::newRow("no AppState") << QByteArray("\"name\" \"x\" \"StateFlags\" \"4\"") << "||0";
    }

    void text_files()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        if (QByteArray(QTest::currentDataTag()).startsWith("folders")) {
            QCOMPARE(steam_local::read_library_folders(text).join('|'), expected);
            return;
        }
        const steam_local::manifest_t manifest = steam_local::read_manifest(text);
        QCOMPARE(QStringLiteral("%1|%2|%3").arg(manifest.name, manifest.install_dir).arg(manifest.installed),
                 expected);
    }

    // A whole scan: what Steam's files tell is never downloaded; the rest is.
    void scan_data()
    {
        QTest::addColumn<quint32>("magic");
        QTest::addColumn<bool>("network");
        QTest::addColumn<QStringList>("downloads");
        QTest::addColumn<QStringList>("entries");
        const QStringList local{"5 700010 Game Ten icon", "-1 700011 Ten Soundtrack dlc",
                                "-1 700012 Editor dlc"};
        const QStringList ids{"700010", "700011", "700012", "700020"};
        for (quint32 magic : {steam_local::app_info_magic_26, steam_local::app_info_magic_27,
                              steam_local::app_info_magic_28, steam_local::app_info_magic_29})
            QTest::addRow("%x", magic) << magic << true << QStringList{"700020"} << local;
        QTest::newRow("29, offline") << steam_local::app_info_magic_29 << false << QStringList() << local;
        QTest::newRow("unknown magic") << quint32(0x07564430) << true << ids << QStringList();
    }

    void scan()
    {
        QFETCH(quint32, magic);
        QFETCH(bool, network);
        QFETCH(QStringList, downloads);
        QFETCH(QStringList, entries);
        write_key(steam_path, {{"700010", 1}, {"700011", 1}, {"700012", 1}, {"700020", 1}});
        // The second library as the Windows client spells it, on another drive.
        const QString second = machine->here("D:/Library").replace('/', '\\');
        QVERIFY(steam_fixture::write_installation(steam_path, {steam_path, second}, library(), magic));
        quick_launch_list_t games;
        quick_launch_list_t programs;
        scanner_c scanner(record);
        scanner.network = network;

        scan(scanner, games, programs);
        QCOMPARE(requested(), downloads);
        QCOMPARE(found(games), entries);
        QCOMPARE(caught_log,
                 QStringList{QStringLiteral("Vorla Connect : Steam applications: %1 read from Steam's "
                                            "files, %2 downloads ran")
                                 .arg(entries.size())
                                 .arg(downloads.size())});
        // A second scan finds everything in the lists already.
        server.targets.clear();
        scan(scanner, games, programs);
        QCOMPARE(requested(), downloads);
        QCOMPARE(found(games), entries);
    }

    // Nothing that is not installed: the key's Installed 0 counts unless a
    // manifest says the download is complete. The Linux client keeps the
    // same values in registry.vdf.
    void not_installed_data()
    {
        QTest::addColumn<bool>("vdf");
        QTest::newRow("registry key") << false;
        QTest::newRow("registry.vdf") << true;
    }

    void not_installed()
    {
        QFETCH(bool, vdf);
        QList<app_t> apps = library();
        apps[1].state_flags = 1026; // the DLC is being updated, not installed
        apps[2].library = -1;       // the tool has no manifest
        apps[3].library = 1;        // found through libraryfolders.vdf
        const QVariantMap installed{
            {"700010", 0}, {"700011", 0}, {"700012", 0}, {"700020", 0}, {"700030", 1}};
        QString path = steam_path;
        QString second = machine->here("D:/Library").replace('/', '\\');
        if (vdf) {
            QByteArray text = "\"Registry\" { \"HKCU\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" {";
            for (auto it = installed.cbegin(); it != installed.cend(); ++it)
                text +=
                    " \"" + it.key().toUtf8() + "\" { \"installed\" \"" + it.value().toByteArray() + "\" }";
            machine->write("~/.steam/registry.vdf", text + "} } } } } }");
            QVERIFY(QDir(machine->path()).mkpath(".local/share/Steam"));
            path = QFileInfo(machine->here("~/.local/share/Steam")).canonicalFilePath();
            second = machine->here("~/Library");
            write_key(path, {});
            machine->remove_key(steam_key);
        } else {
            write_key(path, installed);
        }
        QVERIFY(steam_fixture::write_installation(path, {path, second}, apps));
        quick_launch_list_t games;
        quick_launch_list_t programs;
        scanner_c scanner(record);
        scan(scanner, games, programs);
        // Windows has no registry.vdf: without the key there is no Steam.
        const bool none = on_windows && vdf;
        QCOMPARE(requested(), none ? QStringList() : (QStringList{"700020", "700030"}));
        QCOMPARE(found(games), none ? QStringList() : QStringList{"5 700010 Game Ten icon"});
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
        write_key(steam, {{"700010", 1}, {"700011", 1}, {"700012", 1}, {"700040", 1}});
        QVERIFY(steam_fixture::write_installation(steam, {steam, second}, apps));
        for (const QString &folder :
             QStringList{steam + "/steamapps/common/Game Ten", second + "/steamapps/common/Editor",
                         second + "/steamapps/common/Native Two"})
            QVERIFY(QDir().mkpath(folder));
        quick_launch_list_t games;
        quick_launch_list_t programs;
        scanner_c scanner(record);

        const QStringList entries =
            on_windows ? QStringList{"5 700010 Game Ten icon", "-1 700011 Ten Soundtrack dlc",
                                     "-1 700012 Editor dlc", "8 700040 Native Two"}
                       : QStringList{"5 " + steam + "/steamapps/common/Game Ten Game Ten icon",
                                     "6 " + second + "/steamapps/common/Native Two Native Two icon",
                                     "-1 700011 Ten Soundtrack dlc", "-1 700012 Editor dlc"};
        scan(scanner, games, programs);
        QCOMPARE(requested(), QStringList());
        QCOMPARE(found(games), entries);
        scan(scanner, games, programs);
        QCOMPARE(found(games), entries);
    }
};

QTEST_MAIN(tst_steam_local)
#include "tst_steam_local.moc"
