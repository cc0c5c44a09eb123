#include "scanner/program_scanner_tool_c.h"

#include "common/clog.h"
#include "common/durable_file_c.h"
#include "common/global_func_c.h"
#include "common/platform.h"
#include "common/settings_file_c.h"
#include "common/text_limits.h"
#include "module/custom_event_c.h"
#include "quick_launch/item_store.h"
#include "scanner/steam_app_info.h"
#include "scanner/steam_local.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QNetworkInterface>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QThread>
#include <QtConcurrent>

#include <algorithm>
#include <atomic>
#include <functional>
#include <utility>

// What a Steam lookup shares between the scanner and its worker. The scanner
// can be deleted while the worker runs; it then clears scanner and client
// under the mutex, so the worker never reaches either afterwards.
struct steam_lookup_t
{
    std::atomic<bool> cancel_flag{false};
    // The scanner is gone: nobody waits for the current download any more.
    std::atomic<bool> detached{false};

    // Set before the worker starts, then the worker's alone.
    QStringList app_ids;
    QString steam_path;
    QString downloader;
    QSet<int> taken_ids;
    // Platform_ID of the Steam entries already in the lists,
    // and of the games found by their folders.
    QSet<int> steam_ids;
    // The key says Installed 0 for these.
    QStringList not_installed;
    // Without a network only Steam's own files are read.
    bool web = true;
    int games_count = 0;

    // Complete before the end event is posted; read by the scanner after it.
    quick_launch_list_t new_items;

    QMutex mutex;
    QObject *scanner = nullptr;
    program_scanner_tool_client_i *client = nullptr;

    void report_progress(int step)
    {
        QMutexLocker locker(&mutex);
        if (client != nullptr)
            client->on_scan_progress(step);
    }

    void post_end(int type)
    {
        QMutexLocker locker(&mutex);
        if (scanner != nullptr)
            post_custom_event(scanner, type, 0);
    }
};

namespace {
const QString steam_key = QStringLiteral("\\HKEY_CURRENT_USER\\SOFTWARE\\Valve\\Steam");
// The public application-information service; every "%1" becomes the id. The
// downloader's store may name another service under url_template_key.
const QString default_url_template = QStringLiteral("https://api.steamcmd.net/v1/info/%1");
const QString url_template_key = QStringLiteral("url_template");
const QString id_placeholder = QStringLiteral("%1");
const QString downloader_organisation = QStringLiteral("Mirvek");
const QString downloader_application = QStringLiteral("VORLA_Downloader");
const QString answer_file_name = QStringLiteral("steam_web_page.txt");
const QString downloader_file = QStringLiteral("web_loader/web_engine.exe");
const QString dest_file_key = QStringLiteral("dest_file");
const QString url_key = QStringLiteral("url");

const int download_limit_ms = 30000;
// How often a waiting worker looks whether the scan was cancelled or its scanner is gone.
const int download_poll_ms = 50;
// Answers are some kilobytes, a few hundred for an application with many
// depots. A larger file is no answer: it is skipped unread rather than parsed
// only to be cut down to the limits of text_limits.h, which for many megabytes
// would hold up the scan for each application.
const qint64 maximum_answer_size = 4 * 1024 * 1024;

const QString league_name = QStringLiteral("League of Legends");
// The first that exists wins: the Garena build, the Riot build, the Tencent build.
const QString league_paths[] = {
    QStringLiteral("C://Program Files (x86)//GarenaLoLTW//LoLTWLauncher.exe"),
    QStringLiteral("C://Riot Games//League of Legends//lol.launcher.exe"),
    QStringLiteral("C://Program Files//腾讯游戏//英雄联盟//TCLS//Client.exe"),
};
const QString origin_directory = QStringLiteral("C://Program Files (x86)//Origin Games//");
const QString ubisoft_directory = QStringLiteral("C://Program Files (x86)//Ubisoft//");
// The launcher of the launchers, not a game.
const QString ubisoft_launcher = QStringLiteral("Ubisoft Game Launcher");
const QString epic_manifests = QStringLiteral("C://ProgramData//Epic//EpicGamesLauncher//Data//Manifests//");
const QString gog_key = QStringLiteral("\\HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\GOG.com\\Games");

struct launcher_t
{
    QString name;
    QString path;
};
const launcher_t fixed_launchers[] = {
    {QStringLiteral("StarCraft II"),
     QStringLiteral("C://Program Files (x86)//StarCraft II//StarCraft II Launcher.exe")},
    {QStringLiteral("Diablo III"),
     QStringLiteral("C://Program Files (x86)//Diablo III//Diablo III Launcher.exe")},
    {QStringLiteral("Heroes of the Storm"),
     QStringLiteral("C://Program Files (x86)//Heroes of the Storm//Heroes of the Storm Launcher.exe")},
    {QStringLiteral("Overwatch"),
     QStringLiteral("C://Program Files (x86)//Overwatch//Overwatch Launcher.exe")},
};

// The form in which two spellings of one path are the same text: either
// separator, doubled ones, and for a Windows path (which a drive path is
// wherever it is read) any letter case.
QString path_key(const QString &path)
{
    QString key = QDir::cleanPath(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
#ifndef Q_OS_WIN
    const bool drive = key.size() >= 2 && key.at(0).isLetter() && key.at(1) == QLatin1Char(':');
    if (!drive)
        return key;
#endif
    return key.toCaseFolded();
}

bool any_item(const quick_launch_list_t *list, const std::function<bool(const quick_launch_item_t &)> &test)
{
    return list != nullptr && std::any_of(list->cbegin(), list->cend(), test);
}

// Runs one download; a cancel or a scanner that is gone ends it at once.
void run_downloader(const steam_lookup_t &lookup)
{
    QProcess process;
    process.setProgram(lookup.downloader);
    process.start(QIODevice::ReadWrite);
    QElapsedTimer waited;
    waited.start();
    // Waiting in slices lets the worker stop at once when the user cancels or
    // the scanner goes, instead of waiting for a service that may never answer.
    while (!process.waitForFinished(download_poll_ms) && process.state() != QProcess::NotRunning &&
           waited.elapsed() < download_limit_ms && !lookup.cancel_flag && !lookup.detached) {
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(download_poll_ms);
    }
}

// The template from the downloader's store when it names where the id goes;
// otherwise the public service.
QString url_template()
{
#ifdef Q_OS_WIN
    const QString value =
        QSettings(downloader_organisation, downloader_application).value(url_template_key).toString();
#else
    const QString value =
        settings_file_c(QSettings(downloader_organisation, downloader_application).fileName())
            .value(url_template_key)
            .toString();
#endif
    if (value.contains(id_placeholder))
        return value;
    if (!value.isEmpty())
        write_log(
            QStringLiteral("scan game file: url template without %1 ignored, %2").arg(id_placeholder, value),
            true);
    return default_url_template;
}

// What Steam's own files tell about the applications without an entry.
QHash<QString, steam_local::local_app_t> read_local_apps(const steam_lookup_t &lookup)
{
    QStringList wanted;
    for (const QString &app_id : lookup.app_ids)
        if (!lookup.steam_ids.contains(app_id.toInt()))
            wanted.append(app_id);
    return steam_local::resolve_apps(steam_local::steam_files_c(lookup.steam_path), wanted,
                                     lookup.not_installed);
}

void read_answer(const QString &answer_file, const QString &app_id, QList<steam_app_record> &records)
{
    QFile file(answer_file);
    if (!file.open(QIODevice::ReadOnly))
        return;
    if (file.size() > maximum_answer_size) {
        write_log(QStringLiteral("scan game file: web page too large, %1").arg(app_id), true);
        return;
    }
    const steam_app_answer_t answer = read_steam_app_answer(file.read(maximum_answer_size), app_id);
    if (answer.client_icon_refused)
        write_log(QStringLiteral("scan game file: client icon refused, %1").arg(app_id), true);
    if (!answer.json_error.isEmpty())
        write_log(QStringLiteral("scan game file: web page json error, %1").arg(answer.json_error), true);
    else if (answer.has_record)
        records.append(answer.record);
}

// False, with *error set, when the downloader would find an older job.
bool write_download_job(const QString &url, const QString &dest, QString *error)
{
    const auto write = [&](QSettings &job) {
        job.setValue(dest_file_key, dest);
        job.setValue(url_key, url);
        return true;
    };
#ifdef Q_OS_WIN
    // Registry values are written one by one; nothing else is read.
    QSettings job(downloader_organisation, downloader_application);
    write(job);
    job.sync();
    *error = QStringLiteral("registry not written");
    return job.status() == QSettings::NoError;
#else
    // A settings file is parsed whole before it changes, and anyone may
    // have written to the downloader's.
    return settings_file_c::edit(QSettings(downloader_organisation, downloader_application).fileName(), write,
                                 settings_file_c::start_t::with_values,
                                 error) == settings_file_c::edit_result_t::written;
#endif
}

// False when no job could be written, so that no download can run.
bool download_answer(const steam_lookup_t &lookup, const QString &url, const QString &answer_file)
{
    // Otherwise a failed download would hand over the previous application's answer.
    QFile::remove(answer_file);
    QString error;
    if (!write_download_job(url, answer_file, &error)) {
        write_log(QStringLiteral("scan game file: download job not written, %1").arg(error), true);
        return false;
    }
    run_downloader(lookup);
    return true;
}

struct fetched_t
{
    QList<steam_app_record> records;
    int resolved = 0;
    int downloads = 0;
};

// Steam's own files first: what they tell needs no download.
void fetch_records(steam_lookup_t &lookup, const QString &answer_file, fetched_t &fetched)
{
    const QString request = url_template();
    const QHash<QString, steam_local::local_app_t> local = read_local_apps(lookup);
    for (int i = 0; i < lookup.app_ids.size(); ++i) {
        const QString app_id = lookup.app_ids.at(i);
        if (lookup.steam_ids.contains(app_id.toInt()))
            continue;
        // One lookup per application, however the key spells its id ("0620" is 620).
        lookup.steam_ids.insert(app_id.toInt());
        const steam_local::local_app_t app = local.value(app_id);
        if (app.state == steam_local::local_state_t::resolved) {
            fetched.records.append(app.record);
            ++fetched.resolved;
            lookup.report_progress(i + 1);
            if (lookup.cancel_flag)
                break;
        }
        if (app.state != steam_local::local_state_t::unknown || !lookup.web)
            continue;
        if (!download_answer(lookup, QString(request).replace(id_placeholder, app_id), answer_file))
            break;
        ++fetched.downloads;
        // A cancelled download is no answer, and no step to show either.
        if (lookup.cancel_flag)
            break;
        lookup.report_progress(i + 1);
        if (QFileInfo::exists(answer_file))
            read_answer(answer_file, app_id, fetched.records);
        else
            write_log(QStringLiteral("scan game file: dest file not exist, %1").arg(answer_file), true);
        // Also after a failed download, so that a cancel never waits out a run of failures.
        if (lookup.cancel_flag)
            break;
    }
}

void build_items(steam_lookup_t &lookup, const QList<steam_app_record> &records)
{
    for (const steam_app_record &record : records) {
        quick_launch_item_t item;
        item.ID = draw_item_id([&](int id) { return lookup.taken_ids.contains(id); });
        lookup.taken_ids.insert(item.ID);
        // The icon is 40 hexadecimal digits or empty, so the source stays in Steam's icon folder.
        if (!record.not_a_game && !record.client_icon.isEmpty())
            program_scanner_tool_c::save_file_icon(
                lookup.steam_path + "/steam/games/" + record.client_icon + ".ico", icon_file(item.ID));
        // Hidden entries take no place in the order.
        item.Order = record.not_a_game ? -1 : lookup.games_count + lookup.new_items.size();
        item.Game_Type = quick_launch_item_t::steam_application;
        item.Platform_ID = record.app_id.toInt();
        item.IS_DLC = record.not_a_game;
        item.Game_Name = record.name;
        item.Game_Path = lookup.steam_path;
        item.Scaned_Name = record.name;
        lookup.new_items.append(item);
        if (lookup.cancel_flag)
            break;
    }
}
} // namespace

program_scanner_tool_c::program_scanner_tool_c(program_scanner_tool_client_i *client) : client(client) {}

program_scanner_tool_c::~program_scanner_tool_c()
{
    detach_lookup();
}

void program_scanner_tool_c::start_scan(quick_launch_list_t *game_list, quick_launch_list_t *program_list)
{
    // A scan started before the last one ended replaces it; the old one ends quietly.
    detach_lookup();
    QCoreApplication::removePostedEvents(this, lookup_finished);
    QCoreApplication::removePostedEvents(this, lookup_cancelled);
    games = game_list;
    programs = program_list;
    add_launcher_entries();

    const platform::steam_registry_t steam = platform::read_steam_registry(steam_key);
    steam_path = steam.steam_path;
    steam_app_ids = steam.app_ids;
    const steam_local::steam_files_c steam_files(steam_path);
    const QSet<int> native_ids = add_native_steam_games(steam_files);
    const bool web = is_network_available();
    if (!steam_app_ids.isEmpty() && (web || steam_files.has_app_info()))
        start_steam_lookup(native_ids, steam.not_installed, web);
    else
        finish();
}

void program_scanner_tool_c::add_launcher_entries()
{
    QString league;
    for (const QString &path : league_paths) {
        if (QFileInfo::exists(platform::local_path(path))) {
            league = path;
            break;
        }
    }
    // Added even without a path: the completion drops it with the other missing files.
    if (!has_scanned_entry(league))
        add_found_entry(games, league_name, league);
    add_directory_entries(origin_directory, QString());
    for (const launcher_t &launcher : fixed_launchers)
        if (!has_scanned_entry(launcher.path))
            add_found_entry(games, launcher.name, launcher.path);
    add_directory_entries(ubisoft_directory, ubisoft_launcher);
    add_launcher_games(launcher_manifests::read_epic_manifests(epic_manifests));
    add_launcher_games(launcher_manifests::read_gog_games(gog_key));
    add_launcher_games(launcher_manifests::read_legendary_files(launcher_manifests::legendary_files()));
}

void program_scanner_tool_c::start_steam_lookup(const QSet<int> &native_ids, const QStringList &not_installed,
                                                bool web)
{
    auto shared = std::make_shared<steam_lookup_t>();
    shared->app_ids = steam_app_ids;
    shared->steam_path = steam_path;
    shared->steam_ids = native_ids;
    shared->not_installed = not_installed;
    shared->web = web;
    shared->downloader = global_func_c::application_directory() + downloader_file;
    for (const quick_launch_list_t *list : {games, programs}) {
        if (list == nullptr)
            continue;
        for (const quick_launch_item_t &item : *list) {
            shared->taken_ids.insert(item.ID);
            if (item.Game_Type == quick_launch_item_t::steam_application)
                shared->steam_ids.insert(item.Platform_ID);
        }
    }
    shared->games_count = games != nullptr ? games->size() : 0;
    shared->scanner = this;
    shared->client = client;
    lookup = shared;
    QtConcurrent::run(&program_scanner_tool_c::run_steam_lookup, shared);
}

void program_scanner_tool_c::finish()
{
    prune_and_make_icons(games);
    prune_and_make_icons(programs);
    if (client != nullptr)
        client->on_scan_finished();
}

int program_scanner_tool_c::steam_app_count()
{
    const platform::steam_registry_t steam = platform::read_steam_registry(steam_key);
    steam_path = steam.steam_path;
    return steam.app_ids.size();
}

void program_scanner_tool_c::add_directory_entries(const QString &directory, const QString &skipped)
{
    const QStringList names =
        QDir(platform::local_path(directory)).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : names) {
        // Entry paths are read by Windows rules, where "\\" separates and ".."
        // goes up: such a name, legal on Linux, would lead out of the folder.
        if (!text_limits::is_plain_file_name(name))
            continue;
        const QString path = directory + name;
        if (name != skipped && !has_scanned_entry(path))
            add_found_entry(games, name, path);
    }
}

QSet<int> program_scanner_tool_c::add_native_steam_games(const steam_local::steam_files_c &files)
{
    QSet<int> ids;
#ifndef Q_OS_WIN
    // A Steam folder on a Wine drive belongs to the Windows client, whose
    // games are Steam applications like everywhere else.
    if (steam_path.isEmpty() || platform::local_path(steam_path) != steam_path)
        return ids;
    const QList<steam_local::native_game_t> found = steam_local::native_games(files);
    for (const steam_local::native_game_t &game : found) {
        ids.insert(game.app_id.toInt());
        if (!has_scanned_entry(game.path))
            add_found_entry(games, game.name, game.path);
    }
#else
    Q_UNUSED(files)
#endif
    return ids;
}

void program_scanner_tool_c::add_launcher_games(const launcher_games_t &games_found)
{
    // One pass over both lists, not one per game: a library can list hundreds.
    QSet<QString> taken;
    for (const quick_launch_list_t *list : {games, programs}) {
        if (list == nullptr)
            continue;
        for (const quick_launch_item_t &item : *list) {
            taken.insert(path_key(item.Game_Path));
            taken.insert(path_key(item.Scaned_Name));
        }
    }
    for (const launcher_game_t &game : games_found) {
        const QString key = path_key(game.path);
        if (game.path.isEmpty() || taken.contains(key))
            continue;
        taken.insert(key);
        add_found_entry(games, game.name, game.path);
    }
}

void program_scanner_tool_c::cancel()
{
    if (lookup)
        lookup->cancel_flag = true;
}

void program_scanner_tool_c::add_found_entry(quick_launch_list_t *list, const QString &name,
                                             const QString &path)
{
    if (list == nullptr)
        return;
    quick_launch_item_t item;
    item.ID = new_item_id();
    item.Order = list->size();
    item.Game_Name = name;
    item.Game_Path = path;
    item.Scaned_Name = path;
    list->append(item);
}

int program_scanner_tool_c::new_item_id() const
{
    return draw_item_id([this](int id) {
        const auto same = [id](const quick_launch_item_t &item) { return item.ID == id; };
        return any_item(games, same) || any_item(programs, same);
    });
}

bool program_scanner_tool_c::has_platform_entry(int type, int platform_id) const
{
    const auto same = [=](const quick_launch_item_t &item) {
        return item.Game_Type == type && item.Platform_ID == platform_id;
    };
    return any_item(games, same) || any_item(programs, same);
}

bool program_scanner_tool_c::has_scanned_entry(const QString &text) const
{
    if (text.isEmpty())
        return false;
    const QString key = path_key(text);
    const auto same = [&](const quick_launch_item_t &item) {
        return path_key(item.Game_Path) == key || path_key(item.Scaned_Name) == key;
    };
    return any_item(games, same) || any_item(programs, same);
}

bool program_scanner_tool_c::is_network_available() const
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    return std::any_of(interfaces.cbegin(), interfaces.cend(), [](const QNetworkInterface &interface) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        return flags.testFlag(QNetworkInterface::IsUp) && !flags.testFlag(QNetworkInterface::IsLoopBack) &&
               !interface.addressEntries().isEmpty();
    });
}

void program_scanner_tool_c::prune_and_make_icons(quick_launch_list_t *list)
{
    if (list == nullptr)
        return;
    QDir().mkpath(global_func_c::shared()->icon_directory());
    quick_launch_list_t kept;
    kept.reserve(list->size());
    for (const quick_launch_item_t &item : std::as_const(*list)) {
        // Steam entries point at the Steam client, not at a file of their own.
        if (item.Game_Type != quick_launch_item_t::steam_application) {
            if (!QFileInfo::exists(platform::local_path(item.Game_Path)))
                continue;
            const QString icon = icon_file(item.ID);
            if (!QFileInfo::exists(icon))
                save_file_icon(item.Game_Path, icon);
        }
        kept.append(item);
    }
    *list = kept;
}

program_scanner_tool_c::icon_saved_t program_scanner_tool_c::save_file_icon(const QString &source,
                                                                            const QString &png_path)
{
    const QString path = platform::local_path(source);
    QImage picture = platform::largest_picture(path);
    // The file-icon provider and pixmaps work on the GUI thread only.
    const auto *application = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (picture.isNull() && application != nullptr && QThread::currentThread() == application->thread()) {
        const QIcon icon = platform::file_icon(path);
        QSize chosen(1, 1);
        for (const QSize &size : icon.availableSizes(QIcon::Normal))
            if (size.width() > chosen.width() && size.height() > chosen.height())
                chosen = size;
        picture = icon.pixmap(chosen).toImage();
    }
    if (picture.isNull())
        return icon_saved_t::no_picture;
    QByteArray png;
    QBuffer buffer(&png);
    QString error;
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG") ||
        !durable_file_c::write_whole(png_path, png, &error)) {
        write_log(QStringLiteral("Vorla Connect : Icon %1 not saved: %2").arg(png_path, error), true);
        return icon_saved_t::failed;
    }
    return icon_saved_t::written;
}

void program_scanner_tool_c::customEvent(QEvent *event)
{
    const int type = event != nullptr ? static_cast<int>(event->type()) : 0;
    if (type != lookup_finished && type != lookup_cancelled)
        return;
    const std::shared_ptr<steam_lookup_t> ended = std::move(lookup);
    // The worker has finished with its items once it posted the end; they join
    // the list here so that the lists are only ever touched on this thread.
    if (ended && games != nullptr)
        games->append(ended->new_items);
    if (type == lookup_finished)
        finish();
    else if (client != nullptr)
        client->on_scan_cancelled();
}

void program_scanner_tool_c::run_steam_lookup(const std::shared_ptr<steam_lookup_t> &shared)
{
    const QString directory = global_func_c::shared()->icon_directory();
    QDir().mkpath(directory);
    const QString answer_file = directory + answer_file_name;
    fetched_t fetched;
    fetch_records(*shared, answer_file, fetched);
    QFile::remove(answer_file);
    QString error;
    write_download_job(QString(), QString(), &error);
    write_log(
        QStringLiteral("Vorla Connect : Steam applications: %1 read from Steam's files, %2 downloads ran")
            .arg(fetched.resolved)
            .arg(fetched.downloads),
        true);

    build_items(*shared, fetched.records);
    if (!shared->cancel_flag) {
        shared->post_end(lookup_finished);
        return;
    }
    for (const quick_launch_item_t &item : std::as_const(shared->new_items))
        QFile::remove(icon_file(item.ID));
    shared->post_end(lookup_cancelled);
}

void program_scanner_tool_c::detach_lookup()
{
    if (!lookup)
        return;
    lookup->cancel_flag = true;
    lookup->detached = true;
    {
        QMutexLocker locker(&lookup->mutex);
        lookup->scanner = nullptr;
        lookup->client = nullptr;
    }
    lookup.reset();
}
