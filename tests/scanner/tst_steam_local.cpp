// Steam's own files (library folders, manifests, appinfo.vdf) as the scanner
// reads them before it downloads anything.
#include "common/global_func_c.h"
#include "common/platform.h"
#include "host/steam_fixture.h"
#include "quick_launch/item_store.h"
#include "scanner/program_scanner_tool_c.h"
#include "scanner/steam_local.h"
#include "tests/scanner/local_http_server.h"

#include <QtTest>

#include <limits>
#include <memory>

using steam_fixture::app_t;

namespace {
const QString steam_key = QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Valve\\Steam");
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

// The scanner's work seen through its client; the log lines it echoed.
int s_finished = 0;
QStringList s_log;
QtMessageHandler s_previous_handler = nullptr;

void keep_log(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains("Steam applications:"))
        s_log.append(message.trimmed());
    s_previous_handler(type, context, message);
}

class scanner_c final : public program_scanner_tool_c, public program_scanner_tool_client_i
{
public:
    scanner_c() : program_scanner_tool_c(this) {}
    bool network = true;

    bool is_network_available() const override { return network; }
    void *query_interface(const interface_id_t *) override { return nullptr; }
    void release() override {}
    void on_scan_progress(int) override {}
    void on_scan_finished() override { ++s_finished; }
    void on_scan_cancelled() override {}
};

// "Order id-or-path name [dlc] [icon]" for each entry the scanner added.
QStringList found(const quick_launch_list_t &list)
{
    QStringList result;
    for (const quick_launch_item_t &x : list)
        result.append(QStringLiteral("%1 %2 %3%4%5")
                          .arg(QString::number(x.Order),
                               x.Game_Type == 1 ? QString::number(x.Platform_ID) : x.Game_Path, x.Game_Name,
                               x.IS_DLC ? " dlc" : "", QFile::exists(icon_file(x.ID)) ? " icon" : ""));
    return result;
}
} // namespace

class tst_steam_local : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    // Knows no application: every download fails, and each shows as a request.
    local_http_server_c m_server{local_http_server_c::answers_t()};

    // The registry key with its Installed values, and Steam's icons.
    void write_key(const QString &path, const QMap<QString, int> &installed)
    {
        QSettings key(platform::native_settings_path(steam_key), QSettings::IniFormat);
        key.setValue("SteamPath", path);
        for (auto it = installed.cbegin(); it != installed.cend(); ++it)
            key.setValue("Apps/" + it.key() + "/Installed", it.value());
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(Qt::darkBlue);
        const QString icons = platform::local_path(path) + "/steam/games/";
        QVERIFY(QDir().mkpath(icons));
        for (const QString &icon : {icon_a, icon_b})
            QVERIFY(picture.save(icons + icon + ".ico", "ICO"));
    }

    // Application ids asked of the service, in order.
    QStringList requested() const
    {
        QStringList ids;
        const QRegularExpression id("\\d{6}");
        for (const QString &target : m_server.targets)
            ids.append(id.match(target).captured());
        return ids;
    }

    void scan(scanner_c &scanner, quick_launch_list_t &games, quick_launch_list_t &programs)
    {
        const int before = s_finished;
        scanner.start_scan(&games, &programs);
        QTRY_COMPARE_WITH_TIMEOUT(s_finished, before + 1, 60000);
    }

private slots:
    void initTestCase()
    {
        global_func_c::shared()->initialise();
        QVERIFY(m_server.is_listening());
        qputenv("VORLA_WEB_BASE", m_server.base().toUtf8());
        s_previous_handler = qInstallMessageHandler(keep_log);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("HOME", m_dir->path().toUtf8());
        qputenv("WINEPREFIX", (m_dir->path() + "/wine").toUtf8());
        qputenv("VORLA_REGISTRY_ROOT", (m_dir->path() + "/registry").toUtf8());
        QVERIFY(QDir(m_dir->path()).mkpath("wine/dosdevices/d:"));
        QDir(global_func_c::shared()->icon_directory()).removeRecursively();
        m_server.targets.clear();
        s_log.clear();
    }

    void cleanup() { QThreadPool::globalInstance()->waitForDone(); }

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
        QTest::newRow("26") << steam_local::app_info_magic_26 << true << QStringList{"700020"} << local;
        QTest::newRow("27") << steam_local::app_info_magic_27 << true << QStringList{"700020"} << local;
        QTest::newRow("28") << steam_local::app_info_magic_28 << true << QStringList{"700020"} << local;
        QTest::newRow("29") << steam_local::app_info_magic_29 << true << QStringList{"700020"} << local;
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
        // The second library as the Windows client spells it, on a Wine drive.
        QVERIFY(steam_fixture::write_installation(steam_path, {steam_path, "D:\\Library"}, library(), magic));
        quick_launch_list_t games;
        quick_launch_list_t programs;
        scanner_c scanner;
        scanner.network = network;

        scan(scanner, games, programs);
        QCOMPARE(requested(), downloads);
        QCOMPARE(found(games), entries);
        QCOMPARE(s_log, QStringList{QStringLiteral("Vorla Connect : Steam applications: %1 read from Steam's "
                                                   "files, %2 downloads ran")
                                        .arg(entries.size())
                                        .arg(downloads.size())});
        // A second scan finds everything in the lists already.
        m_server.targets.clear();
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
        const QMap<QString, int> installed{
            {"700010", 0}, {"700011", 0}, {"700012", 0}, {"700020", 0}, {"700030", 1}};
        QString path = steam_path;
        if (vdf) {
            QByteArray text = "\"Registry\" { \"HKCU\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" {";
            for (auto it = installed.cbegin(); it != installed.cend(); ++it)
                text += " \"" + it.key().toUtf8() + "\" { \"installed\" \"" + QByteArray::number(it.value()) +
                        "\" }";
            QVERIFY(QDir(m_dir->path()).mkpath(".steam") && QDir(m_dir->path()).mkpath(".local/share/Steam"));
            QFile file(m_dir->path() + "/.steam/registry.vdf");
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text + "} } } } } }") > 0);
            path = QFileInfo(m_dir->path() + "/.local/share/Steam").canonicalFilePath();
            write_key(path, {});
            QFile::remove(platform::native_settings_path(steam_key));
        } else {
            write_key(path, installed);
        }
        const QString second = vdf ? m_dir->path() + "/Library" : QStringLiteral("D:\\Library");
        QVERIFY(steam_fixture::write_installation(path, {path, second}, apps));
        quick_launch_list_t games;
        quick_launch_list_t programs;
        scanner_c scanner;
        scan(scanner, games, programs);
        QCOMPARE(requested(), (QStringList{"700020", "700030"}));
        QCOMPARE(found(games), QStringList{"5 700010 Game Ten icon"});
    }

    // The Linux client's games are found by their folders, before the Steam
    // phase, which then leaves them alone; tools with folders are no games.
    void native_games()
    {
        const QString steam = m_dir->path() + "/Steam";
        const QString second = m_dir->path() + "/Library";
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
        scanner_c scanner;

        const QStringList entries{"5 " + steam + "/steamapps/common/Game Ten Game Ten icon",
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
