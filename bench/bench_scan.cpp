// A scan of 200 Steam applications that the service does not know, each
// fetched by the real downloader from a local server, against the floor of
// running the downloader with the same jobs alone. What remains per id is the
// scanner's own work: the duplicate test, the answer file, the JSON, the
// progress call. Also prints the share of a bare process start, and the
// longest stall of the GUI event loop during the scan next to that of an idle
// loop, since the lookup must stay off the GUI thread.
//
// Second measure: as many installed applications that Steam's own files
// describe (two libraries, a manifest each, appinfo.vdf), known without a
// download as a scan knows them, against the floor of reading the same files
// bare; once as a Windows client's library (every application resolved from
// appinfo.vdf; the manifests need not be opened) and once as the Linux
// client's, whose games are found by their folders (every manifest is read).
//
// Usage: bench_scan [ids, default 200]

#include "bench/bench_support.h"
#include "common/global_func_c.h"
#include "common/platform.h"
#include "host/steam_fixture.h"
#include "scanner/program_scanner_tool_c.h"
#include "scanner/steam_local.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>

namespace {
const double goal = 1.3;
const double local_goal = 1.5;
const int local_rounds = 20;

// Answers every request with "unknown application", on its own thread so that
// the GUI loop measures the scanner alone.
class server_thread_c : public QThread
{
public:
    std::atomic<quint16> port{0};

protected:
    void run() override
    {
        QTcpServer server;
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    socket->readAll();
                    const QByteArray body = "{\"status\": \"failed\"}";
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
        server.listen(QHostAddress::LocalHost);
        port = server.serverPort();
        exec();
    }
};

class client_c final : public program_scanner_tool_client_i
{
public:
    QEventLoop loop;
    std::atomic<int> steps{0};

    void *query_interface(const interface_id_t *) override { return nullptr; }
    void release() override {}
    void on_scan_progress(int) override { ++steps; }
    void on_scan_finished() override { loop.quit(); }
    void on_scan_cancelled() override { loop.quit(); }
};

class scanner_c : public program_scanner_tool_c
{
public:
    using program_scanner_tool_c::program_scanner_tool_c;
    // Measured the same on machines without a network interface.
    bool is_network_available() const override { return true; }
};

// Records the longest gap between the ticks of a 1 ms timer.
class stall_meter_c
{
public:
    stall_meter_c()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] { longest = qMax(longest, clock.restart()); });
    }
    void start()
    {
        longest = 0;
        clock.start();
        timer.start();
    }
    qint64 stop()
    {
        timer.stop();
        return longest;
    }

private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 longest = 0;
};

// Runs the downloader as often as the scan does. With a job it fetches the
// same answers into the same file the scan uses; without one it ends as soon
// as it has read its settings, which is the cost of a process start.
qint64 time_downloader(const QString &downloader, int runs, bool with_job)
{
    const QString answer_file = global_func_c::shared()->icon_directory() + "steam_web_page.txt";
    QSettings job(QStringLiteral("Mirvek"), QStringLiteral("VORLA_Downloader"));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i) {
        job.setValue("dest_file", with_job ? answer_file : QString());
        job.setValue("url", with_job ? QStringLiteral("https://api.steamcmd.net/v1/info/%1").arg(900000 + i)
                                     : QString());
        job.sync();
        QProcess process;
        process.setProgram(downloader);
        process.start(QIODevice::ReadWrite);
        process.waitForFinished(30000);
    }
    const qint64 elapsed = timer.nsecsElapsed();
    QFile::remove(answer_file);
    return elapsed;
}

qint64 read_bare(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().size() : 0;
}

// A library of installed applications as Steam's files describe it, and what
// reading it bare touches.
struct library_t
{
    QString steam;
    QStringList app_ids;
    QStringList files;
    // The Linux client's games are found by their folders, so its floor looks at each folder too.
    QStringList folder_paths;
};

// Writes `ids` applications into two libraries under root; false when a file
// or folder cannot be made.
bool write_library(const QString &root, int ids, bool folders, library_t *library)
{
    library->steam = root + "/Steam";
    const QStringList libraries{library->steam, root + "/Library"};
    QList<steam_fixture::app_t> apps;
    for (int i = 0; i < ids; ++i) {
        const quint32 id = 800000 + quint32(i);
        const QString name = QStringLiteral("Game %1").arg(i);
        // One in ten is a DLC, as in a real library; it has no folder of its own.
        const bool dlc = i % 10 == 9;
        apps.append({id, name, dlc ? "DLC" : "game", QStringLiteral("%1").arg(id, 40, 10, QLatin1Char('0')),
                     name, i % 2});
        library->app_ids.append(QString::number(id));
        if (folders && !dlc) {
            library->folder_paths.append(libraries.at(i % 2) + "/steamapps/common/" + name);
            if (!QDir().mkpath(library->folder_paths.constLast()))
                return false;
        }
    }
    if (!steam_fixture::write_installation(library->steam, libraries, apps))
        return false;
    library->files = QStringList{library->steam + "/steamapps/libraryfolders.vdf",
                                 library->steam + "/appcache/appinfo.vdf"};
    for (const steam_fixture::app_t &app : std::as_const(apps))
        library->files.append(libraries.at(app.library) + "/steamapps/appmanifest_" +
                              QString::number(app.id) + ".acf");
    return true;
}

// What a scan learns from the library without a download: the games found by
// their folders, then the rest resolved. Returns nanoseconds.
qint64 time_known(const library_t &library, int *known)
{
    QElapsedTimer timer;
    timer.start();
    const steam_local::steam_files_c steam_files(library.steam);
    QStringList left = library.app_ids;
    const QList<steam_local::native_game_t> games = steam_local::native_games(steam_files);
    for (const steam_local::native_game_t &game : games)
        left.removeOne(game.app_id);
    const auto local = steam_local::resolve_apps(steam_files, left, {});
    *known = games.size() + int(std::count_if(local.cbegin(), local.cend(), [](const auto &app) {
                 return app.state == steam_local::local_state_t::resolved;
             }));
    return timer.nsecsElapsed();
}

qint64 time_bare(const library_t &library)
{
    QElapsedTimer timer;
    timer.start();
    qint64 bytes = 0;
    for (const QString &file : library.files)
        bytes += read_bare(file);
    for (const QString &folder : library.folder_paths)
        bytes += QFileInfo(folder).isDir() ? 1 : 0;
    return bytes > 0 ? timer.nsecsElapsed() : 0;
}

// The local part of a scan over a library of installed applications that
// Steam's files describe, against reading those files bare. With folders, as
// the Linux client leaves them, the games are found by their folders and the
// rest resolved; without, as the Windows client's library looks from here,
// every application is resolved. Returns false when some application was
// neither found nor resolved.
bool time_local(const QString &root, int ids, bool folders, best_times_t *best)
{
    library_t library;
    if (!write_library(root, ids, folders, &library))
        return false;
    int known = 0;
    *best = best_in_turns(
        local_rounds, [&] { return time_known(library, &known); }, [&] { return time_bare(library); });
    return known == ids;
}

// The Windows client's key, naming `ids` installed applications the service
// does not know.
void write_steam_key(int ids)
{
    QSettings key(platform::native_settings_path("\\HKEY_CURRENT_USER\\SOFTWARE\\Valve\\Steam"),
                  QSettings::IniFormat);
    key.setValue("SteamPath", "C:/Program Files (x86)/Steam");
    for (int i = 0; i < ids; ++i)
        key.setValue(QStringLiteral("Apps/%1/Installed").arg(900000 + i), 1);
}

struct scan_times_t
{
    qint64 scan = 0;
    qint64 scan_stall = 0;
    qint64 idle_stall = 0;
    int steps = 0;
};

// A whole scan on the GUI thread's loop, with the loop's longest stall during
// it and during as long an idle spell.
scan_times_t time_scan(QApplication &app)
{
    scan_times_t times;
    stall_meter_c meter;
    meter.start();
    QTimer::singleShot(200, &app, &QCoreApplication::quit);
    app.exec();
    times.idle_stall = meter.stop();

    client_c client;
    scanner_c scanner(&client);
    quick_launch_list_t games;
    quick_launch_list_t programs;
    QElapsedTimer timer;
    meter.start();
    timer.start();
    scanner.start_scan(&games, &programs);
    client.loop.exec();
    times.scan = timer.nsecsElapsed();
    times.scan_stall = meter.stop();
    times.steps = client.steps;
    return times;
}

void print_scan(QTextStream &out, int ids, const scan_times_t &times, qint64 floor, qint64 start_floor)
{
    const double ratio = double(times.scan) / double(floor);
    out << "scan of " << ids << " Steam ids: " << times.scan / 1e6 / ids
        << " ms per id, floor (the downloader's runs alone): " << floor / 1e6 / ids
        << " ms, ratio: " << QString::number(ratio, 'f', 2) << " (goal <= " << goal << ")\n";
    out << "process start: " << start_floor / 1e6 / ids << " ms per id, "
        << QString::number(100.0 * double(start_floor) / double(times.scan), 'f', 0) << " % of the scan\n";
    out << "longest GUI stall during the scan: " << times.scan_stall << " ms (idle loop: " << times.idle_stall
        << " ms)\n";
}

void print_local(QTextStream &out, int ids, bool folders, const best_times_t &local, qint64 scan)
{
    out << "Steam's own files, " << ids << " installed applications"
        << (folders ? " with their folders (Linux client)" : "") << ": " << local.measured / 1e6 / ids
        << " ms per application (web path: " << scan / 1e6 / ids
        << " ms per id), floor (reading the files bare): " << local.floor / 1e6 / ids
        << " ms, "
        // The Linux client's games are found by listing and parsing every manifest, which the
        // bare reading does not do; that ratio is shown for comparison, without a goal.
        << (folders ? QStringLiteral("ratio: %1").arg(double(local.measured) / double(local.floor), 0, 'f', 2)
                    : local.ratio_text(local_goal))
        << "\n";
}
} // namespace

int main(int argc, char *argv[])
{
    // Everything the scan reads or writes stays in a directory of its own,
    // including the downloader's settings, which the child process inherits.
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
    qputenv("VORLA_REGISTRY_ROOT", (dir.path() + "/registry").toUtf8());
    qputenv("WINEPREFIX", (dir.path() + "/wine").toUtf8());
    QApplication app(argc, argv);
    const int ids = count_argument(argc, argv, 1, 200);
    global_func_c::shared()->initialise();
    QTextStream out(stdout);
    const QString downloader = global_func_c::application_directory() + "web_loader/web_engine.exe";
    if (!QFileInfo::exists(downloader)) {
        out << "bench_scan: " << downloader << " is not built\n";
        return 1;
    }

    server_thread_c server;
    server.start();
    while (server.port == 0)
        QThread::msleep(1);
    qputenv("VORLA_WEB_BASE", "http://127.0.0.1:" + QByteArray::number(server.port));

    QDir().mkpath(global_func_c::shared()->icon_directory());
    const qint64 start_floor = time_downloader(downloader, ids, false);
    const qint64 floor = time_downloader(downloader, ids, true);
    write_steam_key(ids);
    const scan_times_t times = time_scan(app);
    server.quit();
    server.wait();
    if (times.steps != ids) {
        out << "bench_scan: " << times.steps << " of " << ids << " ids looked up\n";
        return 1;
    }
    print_scan(out, ids, times, floor, start_floor);

    for (bool folders : {false, true}) {
        best_times_t local;
        if (!time_local(dir.path() + (folders ? "/linux" : "/windows"), ids, folders, &local)) {
            out << "bench_scan: Steam's files did not tell all " << ids << " applications\n";
            return 1;
        }
        print_local(out, ids, folders, local, times.scan);
    }
    return 0;
}
